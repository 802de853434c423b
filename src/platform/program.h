// The running program: where it lives and what it was started with.
#pragma once

#include <string>

namespace sarvo::platform {

// Called first by every program: undoes what a starter may have handed down
// that the suite cannot work with. On Linux a starter that ignores SIGCHLD
// hands that on, and then no started helper could be waited for; it is set
// back to its default.
void PrepareProcess();

// The directory that holds the running executable, without a trailing
// separator (except for a root such as "C:\" or "/"). Empty when unknown.
std::string ProgramDirectory();

// The command line's argument text as one string, as the suite's programs
// expect it: on Windows the raw text after the program name; elsewhere the
// arguments rebuilt the way the Windows shell hands a file to a program (an
// argument naming an existing file becomes its absolute path in double
// quotes, other arguments pass as they are, joined by one blank).
// argc/argv are main's; platforms that keep the raw text ignore them.
std::string ArgumentText(int argc, char** argv);

// The file name of the suite's program `name` on this platform
// ("SarvoSetTool" gives "SarvoSetTool.exe" on Windows).
std::string ExecutableName(const std::string& name);

}  // namespace sarvo::platform
