#include "core/pure/bmp_view.h"

#include <cstdint>

#include "core/pure/bytes.h"

namespace sarvo {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;  // BITMAPINFOHEADER; later versions are longer
constexpr std::uint32_t kNoCompression = 0;    // BI_RGB

}  // namespace

bool ViewBmp24(const unsigned char* data, std::size_t size, BgrPicture& picture,
               std::string& why) {
    picture = {};
    if (size < kFileHeaderSize + kInfoHeaderSize || data[0] != 'B' || data[1] != 'M') {
        why = "BMP ファイルではありません";
        return false;
    }
    const std::uint32_t pixelOffset = GetLe32(data + 10);
    const std::uint32_t infoSize = GetLe32(data + 14);
    if (infoSize < kInfoHeaderSize || infoSize > size - kFileHeaderSize) {
        why = "BMP ファイルのヘッダーの種類が分かりません（" + std::to_string(infoSize) + " バイト）";
        return false;
    }
    const auto width = static_cast<std::int32_t>(GetLe32(data + 18));
    const auto height = static_cast<std::int32_t>(GetLe32(data + 22));
    const std::uint16_t planes = GetLe16(data + 26);
    const std::uint16_t bitsPerPixel = GetLe16(data + 28);
    const std::uint32_t compression = GetLe32(data + 30);
    if (planes != 1 || bitsPerPixel != 24 || compression != kNoCompression) {
        why = "表示できるのは圧縮していない 24 ビットの BMP ファイルだけです（1 ピクセル " + std::to_string(bitsPerPixel) +
              " ビット、圧縮方式 " + std::to_string(compression) + "）";
        return false;
    }
    // INT32_MIN has no positive counterpart; no real file comes near it.
    if (width <= 0 || height == 0 || height == INT32_MIN) {
        why = "BMP ファイルの大きさが正しくありません（" + std::to_string(width) + " x " + std::to_string(height) + "）";
        return false;
    }
    const std::uint64_t rows = height > 0 ? static_cast<std::uint64_t>(height)
                                          : static_cast<std::uint64_t>(-static_cast<std::int64_t>(height));
    const std::uint64_t stride = (static_cast<std::uint64_t>(width) * 3 + 3) & ~std::uint64_t{3};
    if (pixelOffset < kFileHeaderSize + infoSize || pixelOffset > size ||
        stride * rows > size - pixelOffset) {
        why = "BMP ファイルが途中で切れています（" + std::to_string(width) + " x " + std::to_string(rows) +
              " ピクセルには " + std::to_string(size) + " バイトでは足りません）";
        return false;
    }
    const unsigned char* pixels = data + pixelOffset;
    const auto step = static_cast<std::ptrdiff_t>(stride);
    picture.width = width;
    picture.height = static_cast<int>(rows);
    if (height > 0) {  // bottom-up: the top row is stored last
        picture.top = pixels + static_cast<std::ptrdiff_t>(rows - 1) * step;
        picture.rowStep = -step;
    } else {
        picture.top = pixels;
        picture.rowStep = step;
    }
    return true;
}

}  // namespace sarvo
