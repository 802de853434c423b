// Starting another program of the suite.
#pragma once

#include <string>

namespace sarvo::platform {

// How the started program's window should first appear.
enum class WindowStyle {
    Normal = 1,     // shown normally and activated
    Minimized = 2,  // shown minimised and activated
};

// Starts `program` (a full path) with `arguments` as its argument text and
// does not wait for it. No shell ever sees either text. Returns false and
// fills `why` when the program could not be started.
bool StartProgram(const std::string& program, const std::string& arguments,
                  WindowStyle style, std::string& why);

}  // namespace sarvo::platform
