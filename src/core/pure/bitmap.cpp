#include "core/pure/bitmap.h"

#include "core/pure/bytes.h"

namespace sarvo {

std::size_t Bitmap::FileSizeFor(long width, long height) {
    if (width <= 0 || height <= 0) return 0;
    // Checked in steps so that no product can overflow before the limit bites.
    const std::size_t w = static_cast<std::size_t>(width);
    const std::size_t h = static_cast<std::size_t>(height);
    if (w > kMaxBytes / 3 || h > kMaxBytes) return 0;
    const std::size_t stride = (w * 3 + 3) & ~std::size_t{3};
    if (h > (kMaxBytes - kHeaderSize) / stride) return 0;
    return kHeaderSize + stride * h;
}

bool Bitmap::Allocate(long width, long height, std::string& why) {
    Release();
    const std::size_t size = FileSizeFor(width, height);
    if (size == 0) {
        why = "picture size " + std::to_string(width) + " x " + std::to_string(height) +
              " is empty or too large";
        return false;
    }
    // Not value-initialised: every pixel is about to be written by a decoder,
    // and clearing a large picture first costs measurable time.
    data_ = std::make_unique_for_overwrite<unsigned char[]>(size);
    size_ = size;
    width_ = static_cast<int>(width);
    height_ = static_cast<int>(height);
    stride_ = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};

    unsigned char* h = data_.get();
    // BITMAPFILEHEADER
    h[0] = 'B';
    h[1] = 'M';
    PutLe32(h + 2, static_cast<std::uint32_t>(size));
    PutLe32(h + 6, 0);
    PutLe32(h + 10, kHeaderSize);
    // BITMAPINFOHEADER: 24 bits, uncompressed, bottom-up, 96 dpi.
    PutLe32(h + 14, 40);
    PutLe32(h + 18, static_cast<std::uint32_t>(width));
    PutLe32(h + 22, static_cast<std::uint32_t>(height));
    PutLe16(h + 26, 1);
    PutLe16(h + 28, 24);
    PutLe32(h + 30, 0);
    PutLe32(h + 34, static_cast<std::uint32_t>(size - kHeaderSize));
    PutLe32(h + 38, 3780);
    PutLe32(h + 42, 3780);
    PutLe32(h + 46, 0);
    PutLe32(h + 50, 0);
    // The padding bytes at the end of each row are part of the file; keep
    // them zero so that two saves of one picture are byte-identical.
    if (stride_ != static_cast<std::size_t>(width) * 3) {
        for (int y = 0; y < height_; ++y) {
            unsigned char* row = Row(y);
            for (std::size_t i = static_cast<std::size_t>(width) * 3; i < stride_; ++i) row[i] = 0;
        }
    }
    return true;
}

void Bitmap::Release() {
    data_.reset();
    size_ = stride_ = 0;
    width_ = height_ = 0;
}

}  // namespace sarvo
