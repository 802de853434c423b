// The hand-over rule on any text: a path handed over is the text unquoted, ending in an extension.
#include <cstdlib>

#include "core/pure/rules.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto path = sarvo::PictureHandOverPath(text);
    if (path && (size < 5 || *path != text.substr(1, size - 2) || !sarvo::IsPictureFileName(text.substr(0, size - 1))))
        std::abort();
    return 0;
}
