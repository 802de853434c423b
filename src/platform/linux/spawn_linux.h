// Starting programs on Linux with an argument vector: no shell ever sees an
// argument, and no started program is left as a zombie of its starter.
#pragma once

#include <string>
#include <vector>

namespace sarvo::platform::linux_spawn {

// Starts `argv` (argv[0] a path, or a bare name looked up in PATH) in a
// session of its own and does not wait for it. The program is started
// through a short-lived intermediate process that the caller reaps at once,
// so the program belongs to the system's reaper, never to the caller. It
// inherits the caller's environment and standard streams, and no other
// descriptor; with `output`, its standard input is /dev/null and its output
// and errors go to that file (made anew). `started`, when given, receives its process id. Returns false
// and fills `why` when the program could not be started (not found, not
// executable).
bool SpawnDetached(const std::vector<std::string>& argv, std::string& why, int* started = nullptr,
                   const char* output = nullptr);

// The program file `name` stands for: itself when it holds a slash, else
// the first executable file of that name in PATH. False and `why` when
// there is none.
bool FindProgram(const std::string& name, std::string& path, std::string& why);

struct RunResult {
    // The exit status, or 128 + the signal that ended it; -1 when it was
    // lost (a SIGCHLD set to be ignored reaps programs unasked).
    int exitStatus = -1;
    std::string output;   // what it wrote to standard output and error, cut to 64 KiB
};

// Runs `argv` (as above, inheriting no descriptor but the standard three)
// with standard input from /dev/null and waits up to `timeoutMilliseconds`
// for it to end. Returns false and fills `why` when it
// could not be started or did not end in time (it is then killed and
// reaped); otherwise fills `result`, whatever the exit status.
bool RunAndWait(const std::vector<std::string>& argv, int timeoutMilliseconds, RunResult& result,
                std::string& why);

}  // namespace sarvo::platform::linux_spawn
