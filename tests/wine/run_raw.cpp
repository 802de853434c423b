// run_raw.exe PROGRAM [ARGUMENT-TEXT]: starts PROGRAM with this exact argument
// text, as Explorer would (Wine's own command line re-quotes every argument),
// and returns its exit code.
#include <windows.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc < 2) return 120;
    std::string commandLine = std::string("\"") + argv[1] + "\"" + (argc > 2 ? std::string(" ") + argv[2] : "");
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(argv[1], commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        std::fprintf(stderr, "cannot start %s: error %lu\n", argv[1], GetLastError());
        return 121;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 122;
    GetExitCodeProcess(process.hProcess, &code);
    return static_cast<int>(code);
}
