// The BMP reader on any bytes: it stays inside them; an accepted picture is a well-formed bitmap.
#include <cstdlib>

#include "core/pure/bmp_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size >= 26) {  // declared sizes past 4 megapixels (easy with RLE) only take seconds to fill: skipped
        const bool core = data[14] == 12;
        const std::uint64_t w = core ? (data[18] | data[19] << 8) : (data[18] | data[19] << 8 | data[20] << 16 | std::uint64_t{data[21]} << 24);
        std::uint64_t h = core ? (data[20] | data[21] << 8) : (data[22] | data[23] << 8 | data[24] << 16 | std::uint64_t{data[25]} << 24);
        if (!core && h >= 0x80000000u) h = 0x100000000u - h;
        if (w * h > (std::uint64_t{1} << 22)) return 0;
    }
    sarvo::Bitmap bitmap;
    std::string why;
    if (sarvo::DecodeBmp(data, size, bitmap, why)) {
        if (bitmap.Width() <= 0 || bitmap.Height() <= 0) std::abort();
        if (bitmap.FileSize() != sarvo::Bitmap::FileSizeFor(bitmap.Width(), bitmap.Height())) std::abort();
        volatile unsigned char sum = 0;  // every row can be read
        for (int y = 0; y < bitmap.Height(); y += 1 + bitmap.Height() / 16) sum = sum + bitmap.Row(y)[0];
    } else if (why.empty() || !bitmap.Empty()) {
        std::abort();
    }
    return 0;
}
