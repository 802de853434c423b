// The X server's display, monitors and errors. The programs are single
// threaded, so one process-wide error record is enough.
#include "x11_linux.h"

#include <X11/extensions/Xrandr.h>

#include <cstdlib>

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

}  // namespace

Connection::Connection() : display_(XOpenDisplay(nullptr)) {
    if (display_ == nullptr) why_ = "cannot open the X display \"" + DisplayName() + "\"";
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
            for (int i = 0; i < count; ++i)
                monitors.push_back({{info[i].x, info[i].y, info[i].width, info[i].height}, info[i].primary != 0});
            XRRFreeMonitors(info);
        }
    }
    if (monitors.empty())
        monitors.push_back({{0, 0, DisplayWidth(display, screen), DisplayHeight(display, screen)}, true});
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
    why = "X error " + std::string(text) + " (request " + std::to_string(record.requestCode) + ")";
    return true;
}

}  // namespace sarvo::platform::x11
