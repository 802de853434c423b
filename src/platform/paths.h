// Path conventions of the platform.
#pragma once

#include <string>

namespace sarvo::platform {

// The separator used in every path the suite forms: '\' on Windows, '/'
// elsewhere.
extern const char kPathSeparator;

// The suite's system folder for the generated bitmap ("the Windows folder"),
// without a trailing separator; created when missing where the platform
// allows. Empty when it cannot be found.
std::string WindowsFolder();

}  // namespace sarvo::platform
