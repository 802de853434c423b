#include "platform/process.h"
#include "spawn_linux.h"

namespace sarvo::platform {

// The started program runs detached, in a session of its own, so that it
// outlives the starter, is not tied to the starter's terminal, and never
// waits as a zombie for a starter that keeps running (the settings window
// starts the changer at every delete-skip). The argument text travels as
// one argument: the programs read it whole, and no shell ever splits or
// expands it. Window styles have no meaning here; a program started with a
// switch shows no window anyway.
bool StartProgram(const std::string& program, const std::string& arguments, WindowStyle,
                  std::string& why) {
    std::vector<std::string> argv{program};
    if (!arguments.empty()) argv.push_back(arguments);
    return linux_spawn::SpawnDetached(argv, why);
}

}  // namespace sarvo::platform
