#include <spawn.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include "program.h"

extern char** environ;

namespace sarvo::platform {

// The started program gets its own session, so that it outlives the starter
// and is not tied to the starter's terminal. The argument text travels as one
// argument: the programs read it whole, and no shell ever splits or expands
// it. Window styles have no meaning here; a program started with a switch
// shows no window anyway.
bool StartProgram(const std::string& program, const std::string& arguments, WindowStyle,
                  std::string& why) {
    std::vector<char*> argv;
    std::string arg0 = program;
    std::string arg1 = arguments;
    argv.push_back(arg0.data());
    if (!arguments.empty()) argv.push_back(arg1.data());
    argv.push_back(nullptr);

    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
    pid_t pid = 0;
    const int error = posix_spawn(&pid, program.c_str(), nullptr, &attr, argv.data(), environ);
    posix_spawnattr_destroy(&attr);
    if (error != 0) {
        why = std::strerror(error);
        return false;
    }
    return true;
}

}  // namespace sarvo::platform
