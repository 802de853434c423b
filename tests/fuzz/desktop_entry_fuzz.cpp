// Autostart and menu entries on any bytes: reading stays inside the text; a program path written reads
// back, and a menu entry written is marked as ours.
#include <cstdlib>

#include "core/pure/desktop_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    (void)sarvo::ProgramOfDesktopEntry(text);
    const auto entry = sarvo::DesktopEntryFor("SarvoChanger", text);
    if (entry && sarvo::ProgramOfDesktopEntry(*entry) != std::string(text)) std::abort();
    (void)sarvo::IsSuiteMenuEntry(text);
    const std::string program(text);
    const auto menu = sarvo::MenuEntryFileFor({"id", "Name", "", program, {{"a", "A", program, "/x"}}});
    if (menu && (sarvo::ProgramOfDesktopEntry(*menu) != program || !sarvo::IsSuiteMenuEntry(*menu))) std::abort();
    return 0;
}
