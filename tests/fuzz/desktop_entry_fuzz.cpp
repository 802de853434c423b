// Autostart and menu entries on any bytes: reading stays inside the text; a program path written reads
// back, and a menu entry written is marked as ours.
#include "core/pure/desktop_entry.h"
#include "fuzz_check.h"

using sarvo::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string program(sarvo::fuzz::Text(data, size));
    (void)sarvo::ProgramOfDesktopEntry(program);
    (void)sarvo::IsSuiteMenuEntry(program);
    if (const auto entry = sarvo::DesktopEntryFor("SarvoChanger", program))
        Require(sarvo::ProgramOfDesktopEntry(*entry) == program, "an autostart entry names the program written");
    if (const auto menu = sarvo::MenuEntryFileFor({"id", "Name", "", program, {{"a", "A", program, "/x"}}})) {
        Require(sarvo::ProgramOfDesktopEntry(*menu) == program, "a menu entry names the program written");
        Require(sarvo::IsSuiteMenuEntry(*menu), "a menu entry written is marked as ours");
    }
    return 0;
}
