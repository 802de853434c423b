// A picture in memory, kept as the complete 24-bit BMP file it will be saved
// as: the headers, then bottom-up rows of blue-green-red pixels, each row
// padded to four bytes. As a RowSink it hands decoders the whole picture as
// one strip, so they write straight into its rows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "core/pure/row_sink.h"

namespace sarvo {

class Bitmap : public RowSink {
public:
    // A picture whose file would be larger than this is refused, so that a
    // hostile or absurd header cannot exhaust memory.
    static constexpr std::size_t kMaxBytes = std::size_t{1} << 30;
    static constexpr std::size_t kHeaderSize = 54;

    // Makes room for a width x height picture and fills in the headers; the
    // pixels are left undefined. Returns false and fills `why` when the size
    // is not positive or the file would pass kMaxBytes.
    bool Allocate(long width, long height, std::string& why);

    // Frees the pixels.
    void Release();

    // RowSink: Start allocates; a strip is a view of the rows themselves.
    bool Start(long width, long height, std::string& why) override { return Allocate(width, height, why); }
    int StripRows() const override { return height_; }
    unsigned char* Strip(int top, int count) override {
        return pixels() + static_cast<std::size_t>(height_ - top - count) * stride_;
    }
    void Put() override {}

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Empty() const { return size_ == 0; }

    // Bytes from one row to the next (width * 3, rounded up to four).
    std::size_t Stride() const { return stride_; }

    // Row `y`, counted from the top of the picture.
    unsigned char* Row(int y) { return pixels() + (height_ - 1 - y) * stride_; }
    const unsigned char* Row(int y) const {
        return data_.get() + kHeaderSize + (height_ - 1 - y) * stride_;
    }

    // The whole file: headers and rows.
    const unsigned char* FileData() const { return data_.get(); }
    std::size_t FileSize() const { return size_; }

    // Bytes needed for a width x height file, or 0 when out of range.
    static std::size_t FileSizeFor(long width, long height);

private:
    unsigned char* pixels() { return data_.get() + kHeaderSize; }

    std::unique_ptr<unsigned char[]> data_;
    std::size_t size_ = 0;
    std::size_t stride_ = 0;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace sarvo
