// The bitmap of a picture per monitor: one BMP file covering the whole
// desktop area (the monitors' bounding box), each monitor's rectangle laid
// out by the placement with its own picture, black wherever no monitor
// lies. It is written as the pictures are decoded, a strip at a time:
// neither a picture nor the bitmap is ever held whole.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/pure/compose.h"
#include "core/pure/placement.h"
#include "core/pure/row_sink.h"

namespace sarvo {

class MonitorRegion;

// The desktop's bitmap, written into `file` (a BMP file of `area`'s size;
// the desktop's pixel at (x, y) is the file's pixel at (x - area.x,
// y - area.y)).
class SpannedBitmap {
public:
    SpannedBitmap(ByteSink& file, const ScreenRect& area, std::vector<ScreenRect> monitors);

    // Writes the headers and black wherever no monitor lies. False, with
    // `why`, when the area is empty or its file would pass Bitmap::kMaxBytes.
    bool Start(std::string& why);

    // Where the picture of monitor `index` goes: a sink for its BMP file.
    // Monitors are laid in the order their regions are written; where two
    // overlap, the later one shows.
    std::unique_ptr<MonitorRegion> Region(std::size_t index, Placement placement);

private:
    friend class MonitorRegion;
    // Writes `count` black pixels from the desktop's (x, y).
    void Black(int x, int y, int count);
    void Pixels(int x, int y, const unsigned char* bgr, int count);
    std::size_t Offset(int x, int y) const;

    ByteSink& file_;
    ScreenRect area_;
    std::vector<ScreenRect> monitors_;
    std::size_t stride_ = 0;
};

// One monitor's rectangle of a SpannedBitmap, filled from the BMP file of
// its picture as a BMP writer hands it over (BmpFileWriter, or the whole
// file at once): the 54 bytes of headers first, then rows in any order,
// whole or in pieces. Each row of the picture goes where the placement puts
// it, as ComposeRows would (centred on black, tiled from the monitor's
// corner, or stretched to the nearest pixel; Span counts as centred here), as
// soon as it arrives.
//
// Only what the monitor shows need come (Window): of a centred or tiled
// picture the rows and columns inside the monitor, and a picture stretched
// over a smaller monitor may come at any size no smaller than the monitor,
// to be stretched from that size.
class MonitorRegion : public ByteSink {
public:
    MonitorRegion(SpannedBitmap& bitmap, const ScreenRect& monitor, Placement placement);

    void Reserve(std::size_t) override {}
    void WriteAt(std::size_t offset, const unsigned char* data, std::size_t size) override;
    PictureWindow Window(long width, long height) const override;

    // False, with `why`, when what was handed was no uncompressed 24-bit BMP
    // file, or some of the rows the monitor shows never came.
    bool Finish(std::string& why);

private:
    void Headers();
    // Row `y` of the picture (from its top), `width_` pixels.
    void Row(int y, const unsigned char* bgr);

    SpannedBitmap& bitmap_;
    ScreenRect monitor_;
    Placement placement_;
    unsigned char headers_[54] = {};
    std::size_t headerBytes_ = 0;
    std::string failure_;
    bool started_ = false;
    int width_ = 0, height_ = 0;
    bool topDown_ = false;
    std::size_t dataOffset_ = 0, stride_ = 0;
    int top_ = 0, left_ = 0;       // a centred picture's place on the monitor
    std::vector<int> sourceColumn_;  // tiled or stretched: the picture's column at each of the monitor's
    std::vector<int> sourceRow_;     // stretched: the picture's row at each of the monitor's
    std::vector<unsigned char> line_;
    std::vector<bool> seen_;
    int firstShown_ = 0, endShown_ = 0;  // the rows of the window (Window)
    int rowsSeen_ = 0;                   // of them
    std::map<int, std::pair<std::vector<unsigned char>, std::size_t>> partial_;  // rows handed in pieces
};

}  // namespace sarvo
