// Splitting the program's own name off a Windows command line.
#pragma once

#include <string_view>

namespace sarvo::win32 {

// The raw argument text of `commandLine`, as GetCommandLine gives it: what
// follows the program name and the blanks after it, read as the start-up
// code of Windows programs reads it for WinMain. A quoted program name ends
// at its closing quote, an unquoted one at the first blank; blanks are
// spaces, tabs and other control characters. The rest is returned unchanged,
// quotes and trailing blanks included.
std::string_view ArgumentsAfterProgramName(std::string_view commandLine);

}  // namespace sarvo::win32
