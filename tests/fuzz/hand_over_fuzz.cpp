// The changer's hand-over rule on any argument text: it never reads outside
// the text, and a path it hands over is the text without its first and last
// characters, ending in a picture extension.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/pure/rules.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto path = sarvo::PictureHandOverPath(text);
    if (!path) return 0;
    if (size < 5 || *path != text.substr(1, size - 2) || !sarvo::IsPictureFileName(text.substr(0, size - 1)))
        std::abort();
    return 0;
}
