// The recording handler behind x11_errors.h. The programs are single
// threaded, so one process-wide record is enough.
#include "x11_errors.h"

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
