// The folder browser and the input box come from the Qt module. Without a
// display nobody can be asked: the question goes to standard error and is
// answered with Cancel, so that nothing is changed on the user's behalf.
#include "platform/dialogs.h"

#include <cstdio>

#include "qt/loader.h"

namespace sarvo::platform {

namespace {

// The module, or null after saying on standard error why `what` was not
// asked; `result` then holds the answer to give.
const linux_qt::Entries* Asker(const std::string& what, DialogResult& result, std::string& why) {
    if (const linux_qt::Entries* qt = linux_qt::QtModule(why)) return qt;
    const bool noDisplay = why == linux_qt::kNoDisplay;
    std::fprintf(stderr, "%s\n（問い合わせできません：%s）\n", what.c_str(), why.c_str());
    std::fflush(stderr);
    result = noDisplay ? DialogResult::Cancel : DialogResult::Error;
    return nullptr;
}

}  // namespace

DialogResult BrowseForFolder(const std::string& title, const std::string& startFolder, std::string& chosen,
                             std::string& why) {
    DialogResult result = DialogResult::Cancel;
    const linux_qt::Entries* qt = Asker(title, result, why);
    return qt != nullptr ? qt->browseForFolder(title, startFolder, chosen, why) : result;
}

DialogResult InputBox(const std::string& caption, const std::string& prompt, const std::string& initial,
                      std::string& answer, std::string& why) {
    DialogResult result = DialogResult::Cancel;
    const linux_qt::Entries* qt = Asker(caption + "\n" + prompt, result, why);
    return qt != nullptr ? qt->inputBox(caption, prompt, initial, answer, why) : result;
}

}  // namespace sarvo::platform
