// Starts a program with an exact argument text, as Explorer or another
// program would, waits for it and returns its exit code. Wine's own command
// line re-quotes every argument, so tests go through this.
//   run_raw.exe PROGRAM [ARGUMENT-TEXT]
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc < 2) return 120;
    std::string commandLine = std::string("\"") + argv[1] + "\"";
    if (argc > 2) commandLine += std::string(" ") + argv[2];
    std::vector<char> writable(commandLine.begin(), commandLine.end());
    writable.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(argv[1], writable.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::fprintf(stderr, "cannot start %s: error %lu\n", argv[1], GetLastError());
        return 121;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 122;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}
