// Autostart entries on any bytes: reading one stays inside the text, and a
// text taken as a program path is written as an entry that reads back as it.
#include <cstdlib>

#include "core/pure/desktop_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    (void)sarvo::ProgramOfDesktopEntry(text);
    const auto entry = sarvo::DesktopEntryFor("SarvoChanger", text);
    if (entry && sarvo::ProgramOfDesktopEntry(*entry) != std::string(text)) std::abort();
    return 0;
}
