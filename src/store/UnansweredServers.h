#pragma once
// The servers that let this station wait in vain lately: for a while after one did not answer,
// opening it again fails at once instead of freezing every look at the store for its whole
// wait. One is kept by the workspace and shared by the store locations it hands out.

#include <chrono>
#include <map>
#include <mutex>
#include <string>

namespace dorvane {

class UnansweredServers {
public:
    using Clock = std::chrono::steady_clock;
    // How long a server that did not answer is not asked again.
    static constexpr auto kRest = std::chrono::seconds(30);

    void mark(const std::string& connection, bool unanswered)
    {
        const std::lock_guard lock(lock_);
        if (unanswered)
            servers_[connection] = Clock::now();
        else
            servers_.erase(connection);
    }

    bool recentlyUnanswered(const std::string& connection) const
    {
        const std::lock_guard lock(lock_);
        const auto found = servers_.find(connection);
        return found != servers_.end() && Clock::now() - found->second < kRest;
    }

private:
    mutable std::mutex lock_;
    std::map<std::string, Clock::time_point> servers_; // by connection string, when it happened
};

} // namespace dorvane
