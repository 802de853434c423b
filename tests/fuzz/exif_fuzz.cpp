// The Exif reader on any bytes: it stays inside them and gives 1 to 8.
#include "core/pure/exif.h"
#include "fuzz_check.h"

using sarvo::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const int orientation = sarvo::JpegExifOrientation(data, size);
    Require(orientation >= 1, "the orientation is at least 1");
    Require(orientation <= 8, "the orientation is at most 8");
    return 0;
}
