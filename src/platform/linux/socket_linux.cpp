// Non-blocking sockets and poll: every wait is for the time left until the
// deadline, and an interrupted wait is taken up again with what is left.
#include "socket_linux.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <utility>

#include "io_linux.h"

namespace sarvo::platform::linux_socket {

namespace {

using Clock = std::chrono::steady_clock;

// Milliseconds left until the deadline, rounded up; 0 once it has passed.
int Left(Deadline deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, 1 << 30));
}

// Waits for `events` on `fd` until the deadline; false when it passed.
bool WaitFor(int fd, short events, Deadline deadline) {
    for (;;) {
        pollfd entry{fd, events, 0};
        const int ready = poll(&entry, 1, Left(deadline));
        if (ready > 0) return true;
        if (ready == 0 || errno != EINTR) return false;
    }
}

// Connects `fd` to `address`. A Unix peer whose queue is full answers
// EAGAIN at once, whatever the deadline: it is asked again a little later.
Result Connect(int fd, const sockaddr* address, socklen_t size, Deadline deadline, std::string& why) {
    constexpr auto kRetry = std::chrono::milliseconds(20);
    for (;;) {
        if (connect(fd, address, size) == 0) return Result::Done;
        if (errno == EINTR) continue;
        if (errno == EAGAIN) {
            if (Left(deadline) == 0) return Result::TimedOut;
            poll(nullptr, 0, static_cast<int>(std::min<long long>(kRetry.count(), Left(deadline))));
            continue;
        }
        if (errno != EINPROGRESS) {
            why = linux_io::SystemDescription(errno);
            return Result::Failed;
        }
        if (!WaitFor(fd, POLLOUT, deadline)) return Result::TimedOut;
        int error = 0;
        socklen_t length = sizeof error;
        getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length);
        if (error == 0) return Result::Done;
        why = linux_io::SystemDescription(error);
        return Result::Failed;
    }
}

}  // namespace

Deadline After(int milliseconds) { return Clock::now() + std::chrono::milliseconds(milliseconds); }

Socket& Socket::operator=(Socket&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

Socket::~Socket() {
    if (fd_ >= 0) close(fd_);
}

Result ConnectUnix(const std::string& path, Deadline deadline, Socket& socket, std::string& why) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) {
        why = "ソケットのパスが空か、長すぎます。";
        return Result::Failed;
    }
    std::memcpy(address.sun_path, path.data(), path.size());
    if (path.front() == '@') address.sun_path[0] = '\0';
    const auto size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size() + (path.front() == '@' ? 0 : 1));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        why = linux_io::SystemDescription(errno);
        return Result::Failed;
    }
    Socket connected(fd);
    const Result result = Connect(fd, reinterpret_cast<const sockaddr*>(&address), size, deadline, why);
    if (result == Result::Done) socket = std::move(connected);
    return result;
}

Result ConnectTcp(const std::string& host, int port, Deadline deadline, Socket& socket, std::string& why) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (const int error = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found); error != 0) {
        why = gai_strerror(error);
        return Result::Failed;
    }
    Result result = Result::Failed;
    for (const addrinfo* a = found; a != nullptr && result != Result::Done; a = a->ai_next) {
        const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol);
        if (fd < 0) continue;
        Socket connected(fd);
        result = Connect(fd, a->ai_addr, a->ai_addrlen, deadline, why);
        if (result == Result::Done) socket = std::move(connected);
        if (result == Result::TimedOut) break;
    }
    freeaddrinfo(found);
    return result;
}

Result SendAll(const Socket& socket, const void* data, std::size_t size, Deadline deadline, std::string& why) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = send(socket.get(), p, size, MSG_NOSIGNAL);
        if (n > 0) {
            p += n;
            size -= static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EAGAIN) {
            if (!WaitFor(socket.get(), POLLOUT, deadline)) return Result::TimedOut;
        } else if (n < 0 && errno != EINTR) {
            why = linux_io::SystemDescription(errno);
            return Result::Failed;
        }
    }
    return Result::Done;
}

Result ReceiveAll(const Socket& socket, void* data, std::size_t size, Deadline deadline, std::string& why) {
    char* p = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t n = recv(socket.get(), p, size, 0);
        if (n > 0) {
            p += n;
            size -= static_cast<std::size_t>(n);
        } else if (n == 0) {
            why = "接続が切れました。";
            return Result::Failed;
        } else if (errno == EAGAIN) {
            if (!WaitFor(socket.get(), POLLIN, deadline)) return Result::TimedOut;
        } else if (errno != EINTR) {
            why = linux_io::SystemDescription(errno);
            return Result::Failed;
        }
    }
    return Result::Done;
}

}  // namespace sarvo::platform::linux_socket
