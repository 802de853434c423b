// Message boxes on Linux. Qt shows them, but loading Qt costs a run several
// milliseconds and megabytes even when no box is shown, and the changer
// usually shows none; so the Qt part is a module beside the programs, loaded
// on the first box. Qt ends the whole process when it cannot reach a display,
// so the display is checked first; without one (a run from cron or a
// terminal without a session) the message goes to standard error and the
// question gets its cancel answer.
#include "platform/ui.h"

#include <dlfcn.h>

#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "message_box.h"
#include "platform/program.h"

namespace sarvo::platform {

namespace {

constexpr const char* kModuleName = "sarvo-message-box.so";

std::string WithLineFeeds(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out += text[i];
    }
    return out;
}

bool DisplayReachable() {
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || *name == '\0') return false;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return false;
    XCloseDisplay(display);
    return true;
}

// The module's entry point, or nullptr with `why` filled.
SarvoShowMessageBox LoadMessageBox(std::string& why) {
    const std::string path = ProgramDirectory() + "/" + kModuleName;
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        const char* error = dlerror();
        why = error != nullptr ? error : "cannot load " + path;
        return nullptr;
    }
    auto entry = reinterpret_cast<SarvoShowMessageBox>(dlsym(module, SARVO_MESSAGE_BOX_ENTRY));
    if (entry == nullptr) why = path + " has no " + SARVO_MESSAGE_BOX_ENTRY;
    return entry;  // the module stays loaded: Qt cannot be unloaded safely
}

int CancelAnswer(unsigned style) { return (style & kYesNo) == kYesNo ? kAnswerNo : kAnswerOk; }

}  // namespace

int ShowMessage(const std::string& caption, const std::string& text, unsigned style) {
    const std::string lines = WithLineFeeds(text);
    std::string why;
    if (DisplayReachable()) {
        if (SarvoShowMessageBox show = LoadMessageBox(why))
            return show(caption.c_str(), lines.c_str(), style);
    }
    std::fprintf(stderr, "%s\n%s\n", caption.c_str(), lines.c_str());
    if (!why.empty()) std::fprintf(stderr, "(no message box: %s)\n", why.c_str());
    std::fflush(stderr);
    return CancelAnswer(style);
}

}  // namespace sarvo::platform
