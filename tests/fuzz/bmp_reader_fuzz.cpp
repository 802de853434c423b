// The BMP reader on any bytes: it never reads outside them, and a picture it
// accepts is a well-formed bitmap of the size it reports.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/pure/bmp_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    sarvo::Bitmap bitmap;
    std::string why;
    if (sarvo::DecodeBmp(data, size, bitmap, why)) {
        if (bitmap.Width() <= 0 || bitmap.Height() <= 0) std::abort();
        if (bitmap.FileSize() != sarvo::Bitmap::FileSizeFor(bitmap.Width(), bitmap.Height())) std::abort();
        // Every pixel row can be read.
        volatile unsigned char sum = 0;
        for (int y = 0; y < bitmap.Height(); y += 1 + bitmap.Height() / 16) sum = sum + bitmap.Row(y)[0];
    } else if (why.empty() || !bitmap.Empty()) {
        std::abort();
    }
    return 0;
}
