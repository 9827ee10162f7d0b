#include "store/StoreListeners.h"

#include <algorithm>

namespace dorvane {

int StoreListeners::subscribe(StoreChange change, Listener listener)
{
    entries_.push_back({nextId_, change, std::move(listener)});
    return nextId_++;
}

void StoreListeners::unsubscribe(int id)
{
    std::erase_if(entries_, [id](const Entry& entry) { return entry.id == id; });
}

void StoreListeners::notify(StoreChange change)
{
    std::vector<int> told;
    for (const Entry& entry : entries_) {
        if (change == StoreChange::Location || entry.change == change)
            told.push_back(entry.id);
    }
    for (const int id : told) {
        // Looked up again each time: an earlier listener may have ended this one.
        const auto found =
            std::find_if(entries_.begin(), entries_.end(), [id](const Entry& e) { return e.id == id; });
        if (found == entries_.end())
            continue;
        const Listener listener = found->listener; // a copy: the vector may grow while it runs
        listener();
    }
}

} // namespace dorvane
