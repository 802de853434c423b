// The X server's display, monitors and errors. The programs are single
// threaded, so one process-wide error record is enough.
#include "x11_linux.h"

#include <X11/extensions/Xrandr.h>

#include <cstdlib>

#include "deadline_linux.h"
#include "socket_linux.h"

namespace sarvo::platform::x11 {

namespace {

struct ErrorRecord {
    bool seen = false;
    unsigned char errorCode = 0;
    unsigned char requestCode = 0;
};

ErrorRecord& Record() {
    static ErrorRecord record;
    return record;
}

int RecordError(Display*, XErrorEvent* event) {
    ErrorRecord& record = Record();
    if (!record.seen) {
        record.seen = true;
        record.errorCode = event->error_code;
        record.requestCode = event->request_code;
    }
    return 0;  // never exit: the caller decides what the error means
}

// Whether the server at `address` answers the start of a connection in
// time; false with `why` when it does not. The probe asks for a protocol
// version no server speaks (0.0): a server refuses it at once, before any
// authorization, and a refused client never counts as one of its clients
// (an X server whose last client leaves may reset itself).
bool AnswersInTime(const DisplayAddress& address, std::string& why) {
    using namespace linux_socket;
    const Deadline deadline = After(kAnswerMs);
    Socket socket;
    std::string failure;
    Result result = Result::Failed;
    for (const std::string& path : address.sockets) {
        result = ConnectUnix(path, deadline, socket, failure);
        if (result != Result::Failed) break;
    }
    if (address.sockets.empty()) result = ConnectTcp(address.host, address.port, deadline, socket, failure);
    // little-endian, protocol 0.0, no authorization
    static constexpr unsigned char kRequest[12] = {'l', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    unsigned char answer = 0;
    if (result == Result::Done) result = SendAll(socket, kRequest, sizeof kRequest, deadline, failure);
    if (result == Result::Done) result = ReceiveAll(socket, &answer, 1, deadline, failure);
    if (result != Result::TimedOut) return true;  // answered, or refused at once: Xlib reports that itself
    why = "X ディスプレイ「" + DisplayName() + "」が" + std::to_string(kAnswerMs / 1000) + "秒以内に応答しませんでした。";
    return false;
}

}  // namespace

bool ParseDisplayName(std::string_view name, DisplayAddress& address) {
    address = {};
    const std::size_t colon = name.rfind(':');
    if (colon == std::string_view::npos || name.front() == '/') return false;
    std::string_view number = name.substr(colon + 1);
    number = number.substr(0, number.find('.'));
    if (number.empty() || number.size() > 5 || number.find_first_not_of("0123456789") != std::string_view::npos)
        return false;
    std::string_view host = name.substr(0, colon);
    std::string_view protocol;
    if (const std::size_t slash = host.find('/'); slash != std::string_view::npos) {
        protocol = host.substr(0, slash);
        host = host.substr(slash + 1);
    }
    const int display = std::stoi(std::string(number));
    if ((host.empty() || host == "unix") && (protocol.empty() || protocol == "unix")) {
        const std::string path = "/tmp/.X11-unix/X" + std::to_string(display);
        address.sockets = {"@" + path, path};
        return true;
    }
    if (host.empty() || host.back() == ':') return false;  // DECnet ("host::0") is not for us
    address.host = host;
    address.port = 6000 + display;
    return true;
}

Connection::Connection() {
    const linux_deadline::Step step("X ディスプレイ「" + DisplayName() + "」への接続");
    static std::string silence;  // why the display did not answer, once it did not
    if (DisplayAddress address; silence.empty() && ParseDisplayName(DisplayName(), address))
        AnswersInTime(address, silence);
    if (!silence.empty()) {
        why_ = silence;
        return;
    }
    display_ = XOpenDisplay(nullptr);
    if (display_ == nullptr) why_ = "X ディスプレイ「" + DisplayName() + "」に接続できませんでした。";
}

Connection::~Connection() {
    if (display_ != nullptr) XCloseDisplay(display_);
}

std::string DisplayName() {
    const char* name = std::getenv("DISPLAY");
    return name != nullptr ? name : "";
}

std::vector<Monitor> Monitors(Display* display) {
    const int screen = DefaultScreen(display);
    std::vector<Monitor> monitors;
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (XRRQueryExtension(display, &eventBase, &errorBase) && XRRQueryVersion(display, &major, &minor) &&
        (major > 1 || (major == 1 && minor >= 5))) {
        int count = 0;
        if (XRRMonitorInfo* info = XRRGetMonitors(display, RootWindow(display, screen), True, &count)) {
            for (int i = 0; i < count; ++i) {
                std::string name;
                if (char* atom = info[i].name != None ? XGetAtomName(display, info[i].name) : nullptr) {
                    name = atom;
                    XFree(atom);
                }
                monitors.push_back({{info[i].x, info[i].y, info[i].width, info[i].height}, info[i].primary != 0, name});
            }
            XRRFreeMonitors(info);
        }
    }
    if (monitors.empty())
        monitors.push_back({{0, 0, DisplayWidth(display, screen), DisplayHeight(display, screen)}, true, ""});
    return monitors;
}

bool PrimaryMonitorSize(int& width, int& height) {
    width = height = 0;
    const Connection connection;
    if (connection.get() == nullptr) return false;
    const std::vector<Monitor> monitors = Monitors(connection.get());
    const Monitor* chosen = &monitors.front();
    for (const Monitor& monitor : monitors)
        if (monitor.primary) {
            chosen = &monitor;
            break;
        }
    width = chosen->rect.width;
    height = chosen->rect.height;
    return width > 0 && height > 0;
}

void InstallErrorHandler() {
    static const bool installed = [] {
        XSetErrorHandler(RecordError);
        return true;
    }();
    (void)installed;
}

void ForgetErrors() { Record() = ErrorRecord{}; }

bool TakeError(Display* display, std::string& why) {
    XSync(display, False);
    const ErrorRecord record = Record();
    ForgetErrors();
    if (!record.seen) return false;
    char text[256] = {};
    XGetErrorText(display, record.errorCode, text, sizeof text);
    why = "X サーバーがエラーを返しました：" + std::string(text) + "（リクエスト " + std::to_string(record.requestCode) + "）";
    return true;
}

}  // namespace sarvo::platform::x11
