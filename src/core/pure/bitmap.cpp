#include "core/pure/bitmap.h"


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

    PutBmpHeaders(data_.get(), width, height, size);
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
