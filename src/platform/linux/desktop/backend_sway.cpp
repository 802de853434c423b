// sway draws the background with swaybg, which it starts and restarts itself
// for every "output * bg" command, so the changer can end at once. The
// frame is "i3-ipc", the payload's length and the message type (0 is
// RUN_COMMAND) in this machine's byte order, then the payload.
//
// sway replies success even when it could not read the picture (it then
// shows the colour alone), so the picture is checked beforehand.
#include "desktop/backend_sway.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "desktop/presenter.h"

namespace sarvo::platform {

namespace {

constexpr char kMagic[] = {'i', '3', '-', 'i', 'p', 'c'};
constexpr std::uint32_t kRunCommand = 0;

bool WriteAll(int fd, const void* data, std::size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = write(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool ReadAll(int fd, void* data, std::size_t size) {
    char* p = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t n = read(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

std::string SocketPath() {
    const char* path = std::getenv("SWAYSOCK");
    return path != nullptr ? path : "";
}

// A connection to sway's socket; -1 with `why` when there is none.
int Open(std::string& why) {
    const std::string path = SocketPath();
    if (path.empty()) {
        why = "SWAYSOCK is not set; run the changer from within sway";
        return -1;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        why = "the path of sway's socket is too long: " + path;
        return -1;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0 || connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        why = "cannot reach sway's socket " + path + ": " + std::strerror(errno);
        if (fd >= 0) close(fd);
        return -1;
    }
    timeval limit{10, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    return fd;
}

bool RunCommand(const std::string& command, std::string& why) {
    const int fd = Open(why);
    if (fd < 0) return false;
    const auto length = static_cast<std::uint32_t>(command.size());
    char header[14];
    std::memcpy(header, kMagic, 6);
    std::memcpy(header + 6, &length, 4);
    std::memcpy(header + 10, &kRunCommand, 4);
    std::string reply;
    std::uint32_t replyLength = 0;
    bool ok = WriteAll(fd, header, sizeof header) && WriteAll(fd, command.data(), command.size()) &&
              ReadAll(fd, header, sizeof header) && std::memcmp(header, kMagic, 6) == 0;
    if (ok) {
        std::memcpy(&replyLength, header + 6, 4);
        ok = replyLength < (1u << 20);
    }
    if (ok) {
        reply.resize(replyLength);
        ok = ReadAll(fd, reply.data(), reply.size());
    }
    close(fd);
    if (!ok) {
        why = "sway did not answer the command: " + command;
        return false;
    }
    if (!SwayReplySucceeded(reply, why)) {
        why = "sway refused \"" + command + "\": " + why;
        return false;
    }
    return true;
}

bool Connect(std::string& why) {
    const int fd = Open(why);
    if (fd < 0) return false;
    close(fd);
    return true;
}

bool Apply(const std::string& bitmap, Placement placement, std::string& why) {
    presenter::Handed handed;
    if (!presenter::Prepare(bitmap, placement, DesktopMode::Sway, presenter::Format::Png, handed, why)) return false;
    if (access(handed.path.c_str(), R_OK) != 0) {
        why = "cannot read " + handed.path + ": " + std::strerror(errno);
        presenter::Discard(handed);
        return false;
    }
    const std::string quoted = SwayQuoted(handed.path);
    if (quoted.empty()) why = "sway cannot be handed a path that holds a line break: " + handed.path;
    if (quoted.empty() || !RunCommand("output * bg " + quoted + " " + handed.mode + " #000000", why)) {
        presenter::Discard(handed);
        return false;
    }
    presenter::Keep(bitmap, handed);
    return true;
}

bool Clear(std::string& why) { return RunCommand("output * bg #000000 solid_color", why); }

bool Detect(const Environment& e) { return NamesAny(e, {"sway"}) || AnySet(e, {"SWAYSOCK"}); }

// The JSON string starting at `at` (after its opening quote), unescaped as
// far as messages need.
std::string JsonString(std::string_view text, std::size_t at) {
    std::string value;
    for (std::size_t i = at; i < text.size() && text[i] != '"'; ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) ++i;
        value += text[i];
    }
    return value;
}

}  // namespace

// sway hands a picture's path to wordexp, which refuses "( ) & | ; < > { }",
// expands "* ? [ ~ $" and the backtick and drops quotes; a backslash makes
// any byte stand for itself, so every byte that is not plainly safe gets one.
std::string SwayQuoted(std::string_view text) {
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '\n') return "";
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '/' ||
                           c == '.' || c == '-' || c == '_';
        if (!plain) quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

bool SwayReplySucceeded(std::string_view reply, std::string& why) {
    bool any = false;
    std::size_t at = 0;
    while ((at = reply.find("\"success\"", at)) != std::string_view::npos) {
        at += 9;
        while (at < reply.size() && (reply[at] == ' ' || reply[at] == ':')) ++at;
        if (reply.substr(at, 4) != "true") {
            const std::size_t error = reply.find("\"error\"");
            const std::size_t open = error == std::string_view::npos ? error : reply.find('"', error + 7);
            why = open == std::string_view::npos ? "no reason given" : JsonString(reply, open + 1);
            return false;
        }
        any = true;
    }
    if (!any) why = "an unexpected reply: " + std::string(reply.substr(0, 200));
    return any;
}

const DesktopBackend kSwayBackend{"sway", Detect, Connect, Apply, Clear};

}  // namespace sarvo::platform
