// Starting another program of the suite with CreateProcessA. The program
// path is quoted on the command line and also given as the application name,
// so a folder with blanks ("C:\\Program Files\\...") can never be read as
// another program.
#include <windows.h>

#include <vector>

#include "ansi_win32.h"
#include "platform/process.h"

namespace sarvo::platform {

bool StartProgram(const std::string& program, const std::string& arguments, WindowStyle style,
                  std::string& why) {
    std::string aProgram, aArguments;
    if (!win32::ToAnsi(program, aProgram) || !win32::ToAnsi(arguments, aArguments)) {
        why = program + ": " + win32::SystemErrorText(ERROR_NO_UNICODE_TRANSLATION);
        return false;
    }
    if (program.find('"') != std::string::npos) {
        why = program + ": " + win32::SystemErrorText(ERROR_INVALID_NAME);
        return false;
    }
    std::string commandLine = "\"" + aProgram + "\"";
    if (!aArguments.empty()) commandLine += " " + aArguments;

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow =
        static_cast<WORD>(style == WindowStyle::Minimized ? SW_SHOWMINIMIZED : SW_SHOWNORMAL);
    PROCESS_INFORMATION process{};
    // CreateProcessA may write into the command line, so it gets a copy.
    std::vector<char> writable(commandLine.begin(), commandLine.end());
    writable.push_back('\0');
    if (!CreateProcessA(aProgram.c_str(), writable.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        why = program + ": " + win32::SystemErrorText(GetLastError());
        return false;
    }
    // Not waited for: the started program runs on its own.
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

}  // namespace sarvo::platform
