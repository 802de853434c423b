// The programs' windows are drawn by the Qt module.
#include "platform/window.h"

#include "qt/loader.h"

namespace sarvo::platform {

bool RunWindow(FormSpec& form, std::string& why) {
    const linux_qt::Entries* qt = linux_qt::QtModule(why);
    return qt != nullptr && qt->runWindow(form, why);
}

}  // namespace sarvo::platform
