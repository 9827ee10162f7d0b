#pragma once
// A stand-in for a PostgreSQL server on a local address, for what a real server cannot be made
// to do on demand: take the connection and never answer, or let the station log in (after a
// delay, if asked) and then never answer a statement. Every encryption it is asked for it
// refuses, as a server without SSL does. It runs on a thread of its own until destroyed.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace dorvane::test {

class MuteServer {
public:
    enum class Mode {
        NeverAnswers, // the system completes the handshake; nobody ever writes a byte
        LoginOnly,    // answers the login, then no statement
    };

    explicit MuteServer(Mode mode, const std::string& address = "127.0.0.1", int loginDelayMs = 0)
        : mode_(mode), address_(address), loginDelayMs_(loginDelayMs)
    {
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in where{};
        where.sin_family = AF_INET;
        socklen_t length = sizeof where;
        if (listener_ < 0 || inet_pton(AF_INET, address.c_str(), &where.sin_addr) != 1 ||
            bind(listener_, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0 ||
            listen(listener_, 16) != 0 ||
            getsockname(listener_, reinterpret_cast<sockaddr*>(&where), &length) != 0)
            return;
        port_ = ntohs(where.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~MuteServer()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        if (listener_ >= 0)
            close(listener_);
    }
    MuteServer(const MuteServer&) = delete;
    MuteServer& operator=(const MuteServer&) = delete;

    bool listening() const { return port_ != 0; }
    // A connection string to it, with a password to look for in messages.
    std::string connection(const std::string& password = "pa55word") const
    {
        return "host=" + address_ + " port=" + std::to_string(port_) +
               " dbname=shop user=pack password=" + password;
    }
    int connections() const { return connections_; }

private:
    struct Client {
        int fd;
        std::string input;
        bool loggedIn = false;
        std::chrono::steady_clock::time_point answerAt{};
        bool startupWaiting = false;
    };

    static std::uint32_t Int32(const std::string& bytes, std::size_t at)
    {
        return (std::uint32_t(std::uint8_t(bytes[at])) << 24) |
               (std::uint32_t(std::uint8_t(bytes[at + 1])) << 16) |
               (std::uint32_t(std::uint8_t(bytes[at + 2])) << 8) | std::uint32_t(std::uint8_t(bytes[at + 3]));
    }

    static void Send(int fd, const std::string& bytes) { (void)!write(fd, bytes.data(), bytes.size()); }

    // Before the login, a message is its length and a code: a request for encryption, or the
    // startup message. Afterwards everything the station sends is read and left unanswered.
    void Handle(Client& client)
    {
        while (!client.loggedIn && !client.startupWaiting && client.input.size() >= 8) {
            const std::uint32_t length = Int32(client.input, 0);
            if (length < 8 || client.input.size() < length)
                return;
            const std::uint32_t code = Int32(client.input, 4);
            client.input.erase(0, length);
            if (code == 80877103 || code == 80877104) { // SSL or GSS encryption: not here
                Send(client.fd, "N");
            } else {
                client.startupWaiting = true;
                client.answerAt = std::chrono::steady_clock::now() + std::chrono::milliseconds(loginDelayMs_);
            }
        }
        if (client.loggedIn)
            client.input.clear();
    }

    void Serve()
    {
        std::vector<Client> clients;
        while (!stop_) {
            std::vector<pollfd> fds{{listener_, POLLIN, 0}};
            for (const Client& client : clients)
                fds.push_back({client.fd, POLLIN, 0});
            poll(fds.data(), fds.size(), 50);
            if (fds[0].revents & POLLIN) {
                const int fd = accept(listener_, nullptr, nullptr);
                if (fd >= 0) {
                    clients.push_back({fd, {}});
                    ++connections_;
                }
            }
            for (std::size_t i = 0; i < clients.size() && i + 1 < fds.size(); ++i) {
                Client& client = clients[i];
                if (!(fds[i + 1].revents & (POLLIN | POLLHUP)))
                    continue;
                char buffer[4096];
                const ssize_t got = read(client.fd, buffer, sizeof buffer);
                if (got <= 0) { // the station hung up
                    close(client.fd);
                    client.fd = -1;
                    continue;
                }
                if (mode_ == Mode::NeverAnswers)
                    continue;
                client.input.append(buffer, static_cast<std::size_t>(got));
                Handle(client);
            }
            for (Client& client : clients) {
                if (client.startupWaiting && std::chrono::steady_clock::now() >= client.answerAt) {
                    // AuthenticationOk, then ReadyForQuery (idle)
                    Send(client.fd, std::string("R\0\0\0\x08\0\0\0\0", 9) + std::string("Z\0\0\0\x05I", 6));
                    client.startupWaiting = false;
                    client.loggedIn = true;
                    client.input.clear();
                }
            }
        }
        for (const Client& client : clients) {
            if (client.fd >= 0)
                close(client.fd);
        }
    }

    Mode mode_;
    std::string address_;
    int loginDelayMs_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> connections_{0};
    std::thread thread_;
};

} // namespace dorvane::test
