// The hand-over rule on any text: a path handed over is the text unquoted, ending in an extension; the
// classic extensions pass with the key on too.
#include "core/pure/rules.h"
#include "fuzz_check.h"

using sarvo::PictureFormats;
using sarvo::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = sarvo::fuzz::Text(data, size);
    for (const auto formats : {PictureFormats::Classic, PictureFormats::More}) {
        const auto path = sarvo::PictureHandOverPath(text, formats);
        if (!path) continue;
        Require(size >= 5, "a path handed over is quoted and has a name");
        Require(*path == text.substr(1, size - 2), "a path handed over is the text unquoted");
        Require(sarvo::IsPictureFileName(text.substr(0, size - 1), formats), "a path handed over names a picture");
    }
    if (sarvo::PictureHandOverPath(text, PictureFormats::Classic))
        Require(sarvo::PictureHandOverPath(text, PictureFormats::More).has_value(), "the key keeps the classic formats");
    return 0;
}
