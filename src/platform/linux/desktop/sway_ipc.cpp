#include "desktop/sway_ipc.h"

#include <cstdlib>
#include <cstring>

#include "socket_linux.h"

namespace sarvo::platform::sway_ipc {

namespace {

constexpr char kMagic[] = {'i', '3', '-', 'i', 'p', 'c'};

std::string TooSlow() { return "sway が" + std::to_string(kAnswerMs / 1000) + "秒以内に応答しませんでした"; }

// A connection to sway's socket by `deadline`; false, with `why`, when there
// is none.
bool Connect(linux_socket::Socket& socket, linux_socket::Deadline deadline, std::string& why) {
    using linux_socket::Result;
    const std::string path = SocketPath();
    if (path.empty()) {
        why = "SWAYSOCK が設定されていません。sway の中で実行してください。";
        return false;
    }
    std::string failure;
    const Result result = linux_socket::ConnectUnix(path, deadline, socket, failure);
    if (result == Result::TimedOut) why = TooSlow() + "（ソケット " + path + "）。";
    if (result == Result::Failed) why = "sway のソケットに接続できませんでした：" + path + "（" + failure + "）";
    return result == Result::Done;
}

}  // namespace

std::string SocketPath() {
    const char* path = std::getenv("SWAYSOCK");
    return path != nullptr ? path : "";
}

bool Reachable(std::string& why) {
    linux_socket::Socket socket;
    return Connect(socket, linux_socket::After(kAnswerMs), why);
}

bool Exchange(std::uint32_t type, const std::string& payload, std::string& reply, std::string& why) {
    using linux_socket::Result;
    const linux_socket::Deadline deadline = linux_socket::After(kAnswerMs);
    linux_socket::Socket socket;
    if (!Connect(socket, deadline, why)) return false;
    const auto length = static_cast<std::uint32_t>(payload.size());
    char header[14];
    std::memcpy(header, kMagic, 6);
    std::memcpy(header + 6, &length, 4);
    std::memcpy(header + 10, &type, 4);
    std::string failure;
    std::uint32_t replyLength = 0;
    Result result = linux_socket::SendAll(socket, header, sizeof header, deadline, failure);
    if (result == Result::Done) result = linux_socket::SendAll(socket, payload.data(), payload.size(), deadline, failure);
    if (result == Result::Done) result = linux_socket::ReceiveAll(socket, header, sizeof header, deadline, failure);
    bool ok = result == Result::Done && std::memcmp(header, kMagic, 6) == 0;
    if (ok) {
        std::memcpy(&replyLength, header + 6, 4);
        ok = replyLength < (1u << 20);
    }
    if (ok) {
        reply.resize(replyLength);
        result = linux_socket::ReceiveAll(socket, reply.data(), reply.size(), deadline, failure);
        ok = result == Result::Done;
    }
    if (!ok) why = result == Result::TimedOut ? TooSlow() + "。" : "sway が応答しませんでした。";
    return ok;
}

}  // namespace sarvo::platform::sway_ipc
