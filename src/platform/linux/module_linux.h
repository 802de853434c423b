// The suite's own modules, which lie beside the programs and are loaded only
// when a run needs them (Qt costs a run that shows nothing ~25 ms and ~11 MB;
// the further picture formats' libraries several milliseconds).
#pragma once

#include <string>

namespace sarvo::platform::linux_module {

// Loads the module `fileName` from the program's folder and returns its
// function `entry`. A module stays loaded for the rest of the run: Qt, which
// two of them hold, cannot be unloaded safely. Null with `why` when the
// module is missing, cannot be loaded or lacks the function.
void* LoadEntry(const char* fileName, const char* entry, std::string& why);

}  // namespace sarvo::platform::linux_module
