#include "core/pure/row_sink.h"

#include <algorithm>

#include "core/pure/bitmap.h"
#include "core/pure/bytes.h"
#include "core/pure/exif.h"

namespace sarvo {

void LayOnBlack(const unsigned char* bgra, std::size_t count, unsigned char* bgr) {
    // Forwards: pixel i is written at 3i, never past the 4i it is read from.
    for (std::size_t i = 0; i < count; ++i, bgra += 4, bgr += 3) {
        const unsigned alpha = bgra[3];
        for (int c = 0; c < 3; ++c) bgr[c] = static_cast<unsigned char>((bgra[c] * alpha + 127) / 255);
    }
}

RowCursor::RowCursor(RowSink& sink, long height, bool topFirst, const PictureWindow& window)
    : sink_(sink),
      height_(static_cast<int>(height)),
      topFirst_(topFirst),
      first_(static_cast<int>(std::clamp<long>(window.top, 0, height))),
      end_(static_cast<int>(std::clamp<long>(window.top + window.height, first_, height))) {}

bool RowCursor::Wanted() const { return NextRow() >= first_ && NextRow() < end_; }

void RowCursor::Skip() { ++given_; }

bool RowCursor::Done() const { return wantedGiven_ == end_ - first_; }

unsigned char* RowCursor::Next(std::size_t stride) {
    const int y = NextRow();
    if (used_ == count_) {
        Finish();
        // The strip runs from this row on, in the decoder's order, as far
        // as the window's rows go.
        const int left = topFirst_ ? end_ - y : y + 1 - first_;
        count_ = std::clamp(left, 1, sink_.StripRows());
        top_ = topFirst_ ? y : y + 1 - count_;
        strip_ = sink_.Strip(top_, count_);
        used_ = 0;
    }
    ++used_;
    ++given_;
    ++wantedGiven_;
    return strip_ + static_cast<std::size_t>(top_ + count_ - 1 - y) * stride;
}

void RowCursor::Finish() {
    if (strip_ == nullptr) return;
    // A decoder that stops early has handed out only part of the strip; the
    // rest is not its to put.
    if (used_ == count_) sink_.Put();
    strip_ = nullptr;
    count_ = used_ = 0;
}

void PutBmpHeaders(unsigned char* h, long width, long height, std::size_t fileSize) {
    // BITMAPFILEHEADER
    h[0] = 'B';
    h[1] = 'M';
    PutLe32(h + 2, static_cast<std::uint32_t>(fileSize));
    PutLe32(h + 6, 0);
    PutLe32(h + 10, Bitmap::kHeaderSize);
    // BITMAPINFOHEADER: 24 bits, uncompressed, bottom-up, 96 dpi.
    PutLe32(h + 14, 40);
    PutLe32(h + 18, static_cast<std::uint32_t>(width));
    PutLe32(h + 22, static_cast<std::uint32_t>(height));
    PutLe16(h + 26, 1);
    PutLe16(h + 28, 24);
    PutLe32(h + 30, 0);
    PutLe32(h + 34, static_cast<std::uint32_t>(fileSize - Bitmap::kHeaderSize));
    PutLe32(h + 38, 3780);
    PutLe32(h + 42, 3780);
    PutLe32(h + 46, 0);
    PutLe32(h + 50, 0);
}

BmpFileWriter::BmpFileWriter(ByteSink& file, std::size_t stripBytes) : file_(file), stripBytes_(stripBytes) {}

BmpFileWriter::~BmpFileWriter() = default;

void BmpFileWriter::Orientation(int orientation) {
    orientation_ = orientation >= 1 && orientation <= 8 ? orientation : 1;
    mirror_ = orientation_ == 2 || orientation_ == 3;
    flip_ = orientation_ == 3 || orientation_ == 4;
}

PictureWindow BmpFileWriter::Window(long width, long height) const {
    // Turned by a quarter, the upright picture is height x width.
    const bool turned = orientation_ >= 5;
    const PictureWindow upright = file_.Window(turned ? height : width, turned ? width : height);
    PictureWindow stored = upright;
    if (turned) {
        // Columns of the upright picture are rows of the stored one: its
        // top is the stored left for 5 and 6, its right for 7 and 8.
        stored = {upright.top, upright.left, upright.height, upright.width, upright.leastHeight, upright.leastWidth};
        if (orientation_ >= 7) stored.left = width - upright.top - upright.height;
        if (orientation_ == 6 || orientation_ == 7) stored.top = height - upright.left - upright.width;
        return stored;
    }
    if (mirror_) stored.left = width - upright.left - upright.width;
    if (flip_) stored.top = height - upright.top - upright.height;
    return stored;
}

bool BmpFileWriter::Start(long width, long height, std::string& why) {
    if (orientation_ <= 4) return StartFile(width, height, why);
    whole_ = std::make_unique<Bitmap>();
    return whole_->Allocate(width, height, why);
}

bool BmpFileWriter::StartFile(long width, long height, std::string& why) {
    const std::size_t size = Bitmap::FileSizeFor(width, height);
    if (size == 0) {
        why = "picture size " + std::to_string(width) + " x " + std::to_string(height) + " is empty or too large";
        return false;
    }
    width_ = width;
    height_ = height;
    stride_ = BmpStride(width);
    stripRows_ = static_cast<int>(std::clamp<std::size_t>(stripBytes_ / stride_, 1, static_cast<std::size_t>(height)));
    // Zeroed once: decoders write only pixels, so the row padding stays zero.
    buffer_.assign(stride_ * static_cast<std::size_t>(stripRows_), 0);
    file_.Reserve(size);
    unsigned char headers[Bitmap::kHeaderSize];
    PutBmpHeaders(headers, width, height, size);
    file_.WriteAt(0, headers, sizeof headers);
    return true;
}

int BmpFileWriter::StripRows() const { return whole_ ? whole_->StripRows() : stripRows_; }

unsigned char* BmpFileWriter::Strip(int top, int count) {
    if (whole_) return whole_->Strip(top, count);
    top_ = top;
    count_ = count;
    return buffer_.data();
}

void BmpFileWriter::Put() {
    if (!whole_) WriteStrip(buffer_.data(), top_, count_);
}

void BmpFileWriter::WriteStrip(unsigned char* rows, int top, int count) {
    const std::size_t pixels = static_cast<std::size_t>(width_) * 3;
    if (mirror_) {
        for (int i = 0; i < count; ++i) {
            unsigned char* row = rows + static_cast<std::size_t>(i) * stride_;
            for (std::size_t l = 0, r = pixels - 3; l < r; l += 3, r -= 3) std::swap_ranges(row + l, row + l + 3, row + r);
        }
    }
    // Flipped, the strip lands as far from the bottom as it was from the
    // top, its rows in the opposite order.
    if (flip_) {
        for (int i = 0, j = count - 1; i < j; ++i, --j)
            std::swap_ranges(rows + static_cast<std::size_t>(i) * stride_, rows + static_cast<std::size_t>(i + 1) * stride_,
                             rows + static_cast<std::size_t>(j) * stride_);
        top = static_cast<int>(height_) - top - count;
    }
    const std::size_t offset = Bitmap::kHeaderSize + static_cast<std::size_t>(height_ - top - count) * stride_;
    file_.WriteAt(offset, rows, static_cast<std::size_t>(count) * stride_);
}

bool BmpFileWriter::Finish(std::string& why) {
    if (!whole_) return true;
    // Turned whole, then written as it lies: the turned picture is already
    // the file, headers included.
    if (!ApplyExifOrientation(*whole_, orientation_, why)) return false;
    file_.Reserve(whole_->FileSize());
    file_.WriteAt(0, whole_->FileData(), whole_->FileSize());
    whole_.reset();
    return true;
}

}  // namespace sarvo
