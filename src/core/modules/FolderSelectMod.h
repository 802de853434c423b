// Choosing a folder in the system's folder browser.
#pragma once

#include <string>

#include "platform/dialogs.h"

namespace sarvo {

// Opens the folder browser, titled "フォルダを選択してください。", with
// `startFolder` selected when it names an existing folder, and offering only
// file-system folders. On Ok, `chosen` is the confirmed folder's path as the
// system gives it; on Cancel nothing is chosen; on Error `why` says why the
// browser could not be shown.
platform::DialogResult BrowseFolder(const std::string& startFolder, std::string& chosen, std::string& why);

}  // namespace sarvo
