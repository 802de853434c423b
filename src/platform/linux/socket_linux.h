// Talking to another program over a socket by a deadline. A desktop, an X
// server or a compositor that has hung keeps its socket: connecting may
// wait for a place in its queue, and an answer may never come. Every step
// here gives up at the caller's deadline instead.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

namespace sarvo::platform::linux_socket {

using Deadline = std::chrono::steady_clock::time_point;

// The moment `milliseconds` from now.
Deadline After(int milliseconds);

enum class Result {
    Done,
    TimedOut,  // the peer did not take the connection or answer by the deadline
    Failed,    // refused, closed or broken; `why` says how
};

// A socket descriptor, closed when it goes.
class Socket {
public:
    Socket() = default;
    explicit Socket(int fd) : fd_(fd) {}
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    Socket& operator=(Socket&& other) noexcept;
    ~Socket();
    int get() const { return fd_; }

private:
    int fd_ = -1;
};

// Connects to the Unix socket `path`; a name starting with '@' is an
// abstract one. A peer whose queue is full is asked again until the
// deadline. `socket` is non-blocking.
Result ConnectUnix(const std::string& path, Deadline deadline, Socket& socket, std::string& why);

// Connects to `host` (a name or an address) on `port`.
Result ConnectTcp(const std::string& host, int port, Deadline deadline, Socket& socket, std::string& why);

// Sends all `size` bytes by the deadline.
Result SendAll(const Socket& socket, const void* data, std::size_t size, Deadline deadline, std::string& why);

// Receives exactly `size` bytes by the deadline; a peer that closes the
// connection first fails.
Result ReceiveAll(const Socket& socket, void* data, std::size_t size, Deadline deadline, std::string& why);

}  // namespace sarvo::platform::linux_socket
