// Stands in for the settings tool under Wine: appends, in one write, the UTF-8
// record "text=ARGUMENT-TEXT\nshow=STYLE-OR-default\n" to SarvoSetTool.log beside it.
#include <windows.h>

#include <cstdio>
#include <string>

#include "ansi_win32.h"
#include "command_line_win32.h"
#include "platform/program.h"

int main() {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    const std::string record =
        "text=" + sarvo::win32::FromAnsi(sarvo::win32::ArgumentsAfterProgramName(GetCommandLineA())) + "\nshow=" +
        ((startup.dwFlags & STARTF_USESHOWWINDOW) ? std::to_string(startup.wShowWindow) : "default") + "\n";
    std::string log;
    if (!sarvo::win32::ToAnsi(sarvo::platform::ProgramDirectory() + "\\SarvoSetTool.log", log)) return 2;
    std::FILE* f = std::fopen(log.c_str(), "ab");
    if (f == nullptr) return 2;
    std::fwrite(record.data(), 1, record.size(), f);
    return std::fclose(f) == 0 ? 0 : 2;
}
