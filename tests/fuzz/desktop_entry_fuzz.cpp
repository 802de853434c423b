// Autostart entries on any bytes: reading one never reads outside the text,
// and any text taken as a program path is written as an entry that reads
// back as that same path.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/pure/desktop_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    (void)sarvo::ProgramOfDesktopEntry(text);
    if (const auto entry = sarvo::DesktopEntryFor("SarvoChanger", text)) {
        if (sarvo::ProgramOfDesktopEntry(*entry) != std::string(text)) std::abort();
    }
    return 0;
}
