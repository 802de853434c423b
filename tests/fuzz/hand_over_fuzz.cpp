// The hand-over rule on any text: a path handed over is the text unquoted, ending in an extension; the
// classic extensions pass with the key on too.
#include <cstdlib>

#include "core/pure/rules.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const auto formats : {sarvo::PictureFormats::Classic, sarvo::PictureFormats::More}) {
        const auto path = sarvo::PictureHandOverPath(text, formats);
        if (path && (size < 5 || *path != text.substr(1, size - 2) || !sarvo::IsPictureFileName(text.substr(0, size - 1), formats)))
            std::abort();
    }
    if (sarvo::PictureHandOverPath(text, sarvo::PictureFormats::Classic) && !sarvo::PictureHandOverPath(text, sarvo::PictureFormats::More))
        std::abort();
    return 0;
}
