// The BMP reader on any bytes: it stays inside them; an accepted picture is a well-formed bitmap.
#include "core/pure/bmp_reader.h"
#include "fuzz_check.h"

using sarvo::fuzz::Require;

namespace {

std::uint64_t Little(const std::uint8_t* p, int bytes) {
    std::uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = value << 8 | p[i];
    return value;
}

// Declared sizes past 4 megapixels (easy with RLE) only take seconds to fill: skipped.
bool TooLarge(const std::uint8_t* data, std::size_t size) {
    if (size < 26) return false;
    const bool core = data[14] == 12;  // the OS/2 header's 16-bit sizes
    const std::uint64_t width = core ? Little(data + 18, 2) : Little(data + 18, 4);
    std::uint64_t height = core ? Little(data + 20, 2) : Little(data + 22, 4);
    if (!core && height >= 0x80000000u) height = 0x100000000u - height;  // top-down
    return width * height > (std::uint64_t{1} << 22);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (TooLarge(data, size)) return 0;
    sarvo::Bitmap bitmap;
    std::string why;
    if (!sarvo::DecodeBmp(data, size, bitmap, why)) {
        Require(!why.empty(), "a refusal says why");
        Require(bitmap.Empty(), "a refusal leaves no bitmap");
        return 0;
    }
    Require(bitmap.Width() > 0, "an accepted picture has a width");
    Require(bitmap.Height() > 0, "an accepted picture has a height");
    Require(bitmap.FileSize() == sarvo::Bitmap::FileSizeFor(bitmap.Width(), bitmap.Height()), "the file is its size");
    volatile unsigned char sum = 0;  // every row can be read
    for (int y = 0; y < bitmap.Height(); y += 1 + bitmap.Height() / 16) sum = sum + bitmap.Row(y)[0];
    return 0;
}
