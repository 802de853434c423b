// Where decoders put the pictures they decode. A decoder never assumes the
// whole picture is in memory: it asks its sink for room for a strip of rows,
// fills it and hands it back, and the sink keeps it (the in-memory Bitmap)
// or writes it at its place in the BMP file being made (BmpFileWriter). The
// strip's layout is the file's own: bottom-up rows, a BMP stride apart, so a
// strip is one contiguous stretch of the file.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace sarvo {

class Bitmap;

// The part of a picture that whoever receives it shows: the rows and
// columns of its window, and how small the whole picture may be decoded (a
// picture stretched over a smaller monitor needs no more pixels than the
// monitor has). Either the window is the whole picture or the least size is
// the picture's own: a sink never asks for both a part and a smaller scale.
struct PictureWindow {
    long left = 0, top = 0, width = 0, height = 0;  // in the picture's pixels
    long leastWidth = 0, leastHeight = 0;

    // The whole of a width x height picture, at its own size.
    static PictureWindow Whole(long width, long height) { return {0, 0, width, height, width, height}; }
    bool operator==(const PictureWindow&) const = default;
};

class RowSink {
public:
    virtual ~RowSink() = default;

    // What of a `width` x `height` picture (as stored, before any
    // orientation) the sink shows. Decoders that can decode less than the
    // whole ask once they know the size, after Orientation and before
    // Start, and may then:
    //   - decode the picture at a smaller size, no smaller than the least
    //     size, telling Start that size (only when the window is the whole
    //     picture);
    //   - hand over only the strips that hold the window's rows, and in them
    //     only the window's columns need hold the picture's pixels;
    //   - stop once the window's last row is handed over.
    // The whole picture unless a sink says otherwise.
    virtual PictureWindow Window(long width, long height) const { return PictureWindow::Whole(width, height); }

    // The picture is `width` x `height`. Returns false and fills `why` when
    // that is empty or too large (more than Bitmap::kMaxBytes as a file).
    virtual bool Start(long width, long height, std::string& why) = 0;

    // How many rows a strip should hold at most (at least 1).
    virtual int StripRows() const = 0;

    // Room for rows [top, top + count) of the picture, counted from its top:
    // row y lies at the result + (top + count - 1 - y) * stride, where the
    // stride is the picture's width times 3, rounded up to four. The row
    // padding is zero and must stay so; the pixels hold whatever was there.
    // 1 <= count <= StripRows(); the strip lies inside the picture.
    virtual unsigned char* Strip(int top, int count) = 0;

    // The rows of the last Strip are complete.
    virtual void Put() = 0;

    // Told before Start when the picture is stored turned: the Exif
    // orientation (1 to 8) that turns it upright. Sinks that keep the
    // picture as stored ignore it.
    virtual void Orientation(int /*orientation*/) {}

    // Every row has been put. Returns false and fills `why` when what the
    // sink still had to do with the picture failed.
    virtual bool Finish(std::string& /*why*/) { return true; }
};

// A file being written at given places. Writing cannot fail here: a file
// that could not take a piece remembers why and says so when it is
// finished, so that a decoder still tells a broken picture from a full disk.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    // The file will be `size` bytes long.
    virtual void Reserve(std::size_t size) = 0;
    virtual void WriteAt(std::size_t offset, const unsigned char* data, std::size_t size) = 0;
    // For the BMP file of a picture: what of the upright `width` x `height`
    // picture the file's reader shows, as RowSink::Window. The rows outside
    // it may then be missing from the file, the columns outside it hold
    // anything, and a picture shown whole may come smaller, no smaller than
    // the least size.
    virtual PictureWindow Window(long width, long height) const { return PictureWindow::Whole(width, height); }
};

// Bytes from one row of a width-pixel picture to the next in a BMP file.
inline std::size_t BmpStride(long width) {
    return (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
}

// Pixels with an alpha channel laid on black, as the suite shows every
// transparent picture: blue, green and red each times alpha / 255, rounded.
// `bgra` holds `count` pixels of blue, green, red and alpha; `bgr` receives
// their blue, green and red, and may be `bgra` itself.
void LayOnBlack(const unsigned char* bgra, std::size_t count, unsigned char* bgr);

// A decoder's rows in one order (top row first, or bottom row first), one at
// a time, carried to the sink in strips. Given the sink's window, only the
// window's rows go to the sink: the decoder passes over the others.
class RowCursor {
public:
    RowCursor(RowSink& sink, long height, bool topFirst)
        : RowCursor(sink, height, topFirst, PictureWindow::Whole(0, height)) {}
    // Only the rows of `window` (its columns are the decoder's business).
    RowCursor(RowSink& sink, long height, bool topFirst, const PictureWindow& window);
    RowCursor(const RowCursor&) = delete;
    RowCursor& operator=(const RowCursor&) = delete;

    // Whether the next row is one of the window's; one that is not is
    // passed over with Skip instead of Next.
    bool Wanted() const;
    void Skip();
    // Whether every row of the window has been handed out: the decoder may
    // stop.
    bool Done() const;

    // The next row, `stride` bytes apart from the last within a strip; the
    // previous strip is put first when it is full. Call at most `height`
    // times in all, Skip included.
    unsigned char* Next(std::size_t stride);
    // Puts the last strip, once every row of it has been handed out; a
    // decoder that stopped early puts nothing more.
    void Finish();

private:
    // The next row's place from the picture's top.
    int NextRow() const { return topFirst_ ? given_ : height_ - 1 - given_; }

    RowSink& sink_;
    int height_;
    bool topFirst_;
    int first_, end_;  // the window's rows, [first_, end_)
    unsigned char* strip_ = nullptr;
    int top_ = 0, count_ = 0, used_ = 0, given_ = 0, wantedGiven_ = 0;
};

// The BMP file of a picture, written strip by strip into a ByteSink: the
// headers when the size is known, then each strip at its place. Nothing
// larger than one strip is held, except for an Exif orientation that turns
// the picture by a quarter (5 to 8): that needs the whole picture, which is
// then held, turned and written out at Finish. The orientations that keep
// the width (2 mirror, 3 half turn, 4 flip) are applied strip by strip.
class BmpFileWriter : public RowSink {
public:
    // `stripBytes`: about how large a strip may be.
    explicit BmpFileWriter(ByteSink& file, std::size_t stripBytes = std::size_t{1} << 20);
    ~BmpFileWriter() override;

    void Orientation(int orientation) override;
    // The file's window (ByteSink::Window), turned back to the picture as
    // stored.
    PictureWindow Window(long width, long height) const override;
    bool Start(long width, long height, std::string& why) override;
    int StripRows() const override;
    unsigned char* Strip(int top, int count) override;
    void Put() override;
    bool Finish(std::string& why) override;

private:
    bool StartFile(long width, long height, std::string& why);
    void WriteStrip(unsigned char* rows, int top, int count);

    ByteSink& file_;
    std::size_t stripBytes_;
    int orientation_ = 1;
    bool mirror_ = false, flip_ = false;
    std::unique_ptr<Bitmap> whole_;  // only for a quarter turn
    std::vector<unsigned char> buffer_;
    std::size_t stride_ = 0;
    long width_ = 0, height_ = 0;
    int stripRows_ = 1;
    int top_ = 0, count_ = 0;
};

// The 54 bytes of headers of a 24-bit bottom-up BMP file of width x height.
void PutBmpHeaders(unsigned char* headers, long width, long height, std::size_t fileSize);

}  // namespace sarvo
