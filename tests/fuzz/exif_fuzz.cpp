// The Exif reader on any bytes: it stays inside them and gives 1 to 8.
#include <cstdlib>

#include "core/pure/exif.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const int orientation = sarvo::JpegExifOrientation(data, size);
    if (orientation < 1 || orientation > 8) std::abort();
    return 0;
}
