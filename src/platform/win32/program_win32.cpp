// The running program: the executable's folder from GetModuleFileNameA and
// the raw command line from GetCommandLineA, as the system hands it over.
#include <windows.h>

#include <vector>

#include "ansi_win32.h"
#include "command_line_win32.h"
#include "platform/program.h"

namespace sarvo::platform {

void PrepareProcess() {}

std::string ProgramDirectory() {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) {
            buffer.resize(length);
            break;
        }
        buffer.resize(buffer.size() * 2);  // cut off: ask again with more room
    }
    // The name is cut off in UTF-8, where no byte of a character can be
    // taken for a separator.
    const std::string path = win32::FromAnsi(std::string_view(buffer.data(), buffer.size()));
    const std::size_t cut = path.find_last_of('\\');
    if (cut == std::string::npos) return {};
    // A drive root keeps its separator ("C:\").
    if (cut == 2 && path[1] == ':') return path.substr(0, 3);
    return path.substr(0, cut);
}

std::string ArgumentText(int, char**) {
    const char* commandLine = GetCommandLineA();
    if (commandLine == nullptr) return {};
    return win32::FromAnsi(win32::ArgumentsAfterProgramName(commandLine));
}

std::string ExecutableName(const std::string& name) { return name + ".exe"; }

}  // namespace sarvo::platform
