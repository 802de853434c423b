// The modal dialogs the programs ask the user with, besides message boxes
// (ui.h). Each is modal over the program's window when one is open. Where no
// one can be asked (no display), each says so on standard error and returns
// Cancel.
#pragma once

#include <string>

namespace sarvo::platform {

enum class DialogResult {
    Ok,      // the user confirmed; the answer is filled
    Cancel,  // the user cancelled or closed the dialog
    Error,   // the dialog could not be shown; `why` says why
};

// The system's folder browser, titled `title`, offering only file-system
// folders, with `startFolder` selected when it names an existing folder.
// On Ok, `chosen` is the full path of the folder confirmed, as the system
// gives it (a drive root keeps its trailing separator).
DialogResult BrowseForFolder(const std::string& title, const std::string& startFolder, std::string& chosen,
                             std::string& why);

// An input box captioned `caption`, showing `prompt`, its one-line field
// pre-filled with `initial`, and OK and Cancel buttons. On Ok, `answer` is
// the field's text as typed (possibly empty).
DialogResult InputBox(const std::string& caption, const std::string& prompt, const std::string& initial,
                      std::string& answer, std::string& why);

}  // namespace sarvo::platform
