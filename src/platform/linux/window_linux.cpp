// The programs' windows are drawn by the Qt module.
#include "platform/window.h"

#include "deadline_linux.h"
#include "qt/loader.h"

namespace sarvo::platform {

bool RunWindow(FormSpec& form, std::string& why) {
    const linux_qt::Entries* qt = linux_qt::QtModule(why);
    // The user is in charge while the window is open: no budget for the
    // desktop steps its actions start, each wait bounded by itself.
    const linux_deadline::Interactive interactive;
    return qt != nullptr && qt->runWindow(form, why);
}

}  // namespace sarvo::platform
