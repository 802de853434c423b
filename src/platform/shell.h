// Handing things to the user's own programs: the file manager and the web
// browser. Neither is waited for; no shell ever sees the path or address.
#pragma once

#include <string>

namespace sarvo::platform {

// Opens `folder` in a new window of the file manager. Whether the folder
// exists is not tested first. Returns false and fills `why` when the file
// manager could not be started.
bool OpenFolderWindow(const std::string& folder, std::string& why);

// Opens `address` (an http or https address) in the web browser. Returns
// false and fills `why` when no browser could be started.
bool OpenWebAddress(const std::string& address, std::string& why);

}  // namespace sarvo::platform
