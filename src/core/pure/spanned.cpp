#include "core/pure/spanned.h"

#include <algorithm>
#include <cstring>

#include "core/pure/bitmap.h"
#include "core/pure/bytes.h"

namespace sarvo {

namespace {

// Black, written from one buffer of zeros.
const unsigned char* Zeros(std::size_t& size) {
    static const std::vector<unsigned char> zeros(std::size_t{1} << 16, 0);
    size = std::min(size, zeros.size());
    return zeros.data();
}

}  // namespace

SpannedBitmap::SpannedBitmap(ByteSink& file, const ScreenRect& area, std::vector<ScreenRect> monitors)
    : file_(file), area_(area), monitors_(std::move(monitors)) {}

std::size_t SpannedBitmap::Offset(int x, int y) const {
    const auto row = static_cast<std::size_t>(area_.height - 1 - (y - area_.y));
    return Bitmap::kHeaderSize + row * stride_ + static_cast<std::size_t>(x - area_.x) * 3;
}

void SpannedBitmap::Black(int x, int y, int count) {
    std::size_t offset = Offset(x, y), left = static_cast<std::size_t>(count) * 3;
    while (left > 0) {
        std::size_t piece = left;
        const unsigned char* zeros = Zeros(piece);
        file_.WriteAt(offset, zeros, piece);
        offset += piece;
        left -= piece;
    }
}

void SpannedBitmap::Pixels(int x, int y, const unsigned char* bgr, int count) {
    file_.WriteAt(Offset(x, y), bgr, static_cast<std::size_t>(count) * 3);
}

bool SpannedBitmap::Start(std::string& why) {
    const std::size_t size = Bitmap::FileSizeFor(area_.width, area_.height);
    if (size == 0) {
        why = "デスクトップ全体（" + std::to_string(area_.width) + " x " + std::to_string(area_.height) +
              " ピクセル）が空か、一枚のビットマップには大きすぎます。";
        return false;
    }
    stride_ = BmpStride(area_.width);
    file_.Reserve(size);
    unsigned char headers[Bitmap::kHeaderSize];
    PutBmpHeaders(headers, area_.width, area_.height, size);
    file_.WriteAt(0, headers, sizeof headers);
    // Row by row in the file's order, each gap between the monitors and the
    // row's padding black; runs that touch are written as one.
    const int padding = static_cast<int>(stride_ - static_cast<std::size_t>(area_.width) * 3);
    std::size_t runStart = 0, runLength = 0;
    const auto flush = [&] {
        for (std::size_t done = 0; done < runLength;) {
            std::size_t piece = runLength - done;
            const unsigned char* zeros = Zeros(piece);
            file_.WriteAt(runStart + done, zeros, piece);
            done += piece;
        }
        runLength = 0;
    };
    const auto black = [&](std::size_t offset, std::size_t length) {
        if (length == 0) return;
        if (runLength > 0 && runStart + runLength == offset) {
            runLength += length;
            return;
        }
        flush();
        runStart = offset;
        runLength = length;
    };
    std::vector<std::pair<int, int>> covered;
    for (int y = area_.y + area_.height - 1; y >= area_.y; --y) {
        covered.clear();
        for (const ScreenRect& m : monitors_)
            if (m.width > 0 && m.height > 0 && y >= m.y && y < m.y + m.height) covered.emplace_back(m.x, m.x + m.width);
        std::sort(covered.begin(), covered.end());
        int x = area_.x;
        for (const auto& [from, to] : covered) {
            if (from > x) black(Offset(x, y), static_cast<std::size_t>(from - x) * 3);
            x = std::max(x, to);
        }
        const int end = area_.x + area_.width;
        if (end > x) black(Offset(x, y), static_cast<std::size_t>(end - x) * 3);
        black(Offset(end, y), static_cast<std::size_t>(padding));
    }
    flush();
    return true;
}

std::unique_ptr<MonitorRegion> SpannedBitmap::Region(std::size_t index, Placement placement) {
    return std::make_unique<MonitorRegion>(*this, monitors_.at(index), placement);
}

MonitorRegion::MonitorRegion(SpannedBitmap& bitmap, const ScreenRect& monitor, Placement placement)
    : bitmap_(bitmap), monitor_(monitor), placement_(placement) {}

void MonitorRegion::WriteAt(std::size_t offset, const unsigned char* data, std::size_t size) {
    if (!failure_.empty()) return;
    if (offset < sizeof headers_) {
        const std::size_t n = std::min(size, sizeof headers_ - offset);
        std::memcpy(headers_ + offset, data, n);
        headerBytes_ += n;
        offset += n;
        data += n;
        size -= n;
        if (headerBytes_ == sizeof headers_) Headers();
    }
    if (size == 0 || !failure_.empty()) return;
    if (!started_) {
        failure_ = "the picture's rows came before its headers";
        return;
    }
    if (offset < dataOffset_) {  // between the headers and the rows: nothing of ours
        const std::size_t skip = std::min(size, dataOffset_ - offset);
        offset += skip;
        data += skip;
        size -= skip;
    }
    while (size > 0) {
        const std::size_t index = (offset - dataOffset_) / stride_;
        const std::size_t within = (offset - dataOffset_) % stride_;
        if (index >= static_cast<std::size_t>(height_)) return;  // past the last row
        const int y = topDown_ ? static_cast<int>(index) : height_ - 1 - static_cast<int>(index);
        const std::size_t n = std::min(size, stride_ - within);
        if (within == 0 && n == stride_) {
            Row(y, data);
        } else {
            auto& [bytes, filled] = partial_[y];
            bytes.resize(stride_);
            std::memcpy(bytes.data() + within, data, n);
            filled += n;
            if (filled >= stride_) {
                Row(y, bytes.data());
                partial_.erase(y);
            }
        }
        offset += n;
        data += n;
        size -= n;
    }
}

void MonitorRegion::Headers() {
    const unsigned char* h = headers_;
    const auto height = static_cast<std::int32_t>(GetLe32(h + 22));
    if (h[0] != 'B' || h[1] != 'M' || GetLe32(h + 14) < 40 || GetLe16(h + 28) != 24 || GetLe32(h + 30) != 0 ||
        GetLe32(h + 10) < sizeof headers_ || static_cast<std::int32_t>(GetLe32(h + 18)) <= 0 || height == 0 ||
        height == INT32_MIN) {
        failure_ = "the picture was not handed over as an uncompressed 24-bit bitmap";
        return;
    }
    width_ = static_cast<int>(GetLe32(h + 18));
    topDown_ = height < 0;
    height_ = topDown_ ? -height : height;
    dataOffset_ = GetLe32(h + 10);
    stride_ = BmpStride(width_);
    seen_.assign(static_cast<std::size_t>(height_), false);
    const PictureWindow shown = Window(width_, height_);
    firstShown_ = static_cast<int>(shown.top);
    endShown_ = static_cast<int>(shown.top + shown.height);
    started_ = true;
    const ScreenRect& m = monitor_;
    line_.resize(static_cast<std::size_t>(m.width) * 3);
    if (placement_ == Placement::Centre || placement_ == Placement::Span) {
        // The monitor's black around the picture, now that its size is known.
        top_ = CentredOffset(m.height, height_);
        left_ = CentredOffset(m.width, width_);
        const int from = std::max(0, left_), to = std::min(m.width, left_ + width_);
        for (int local = 0; local < m.height; ++local) {
            if (local < top_ || local >= top_ + height_ || from >= to) {
                bitmap_.Black(m.x, m.y + local, m.width);
                continue;
            }
            if (from > 0) bitmap_.Black(m.x, m.y + local, from);
            if (to < m.width) bitmap_.Black(m.x + to, m.y + local, m.width - to);
        }
        return;
    }
    sourceColumn_.resize(static_cast<std::size_t>(m.width));
    for (int x = 0; x < m.width; ++x)
        sourceColumn_[static_cast<std::size_t>(x)] =
            placement_ == Placement::Tile ? x % width_ : NearestSource(x, m.width, width_);
    if (placement_ == Placement::Stretch) {
        sourceRow_.resize(static_cast<std::size_t>(m.height));
        for (int y = 0; y < m.height; ++y) sourceRow_[static_cast<std::size_t>(y)] = NearestSource(y, m.height, height_);
    }
}

PictureWindow MonitorRegion::Window(long width, long height) const {
    const ScreenRect& m = monitor_;
    // What of a side `size` long a side `screen` long shows: centred, from
    // where the picture's offset puts the monitor's first pixel; tiled, from
    // the picture's first pixel.
    const auto shown = [&](long size, int screen, long& first, long& count) {
        const long offset = placement_ == Placement::Tile ? 0 : CentredOffset(screen, static_cast<int>(size));
        first = std::max(0L, -offset);
        count = std::min(size - first, static_cast<long>(screen));
    };
    PictureWindow window = PictureWindow::Whole(width, height);
    if (placement_ == Placement::Stretch) {
        window.leastWidth = std::min(width, static_cast<long>(m.width));
        window.leastHeight = std::min(height, static_cast<long>(m.height));
        return window;
    }
    shown(width, m.width, window.left, window.width);
    shown(height, m.height, window.top, window.height);
    return window;
}

void MonitorRegion::Row(int y, const unsigned char* bgr) {
    if (seen_[static_cast<std::size_t>(y)]) return;
    seen_[static_cast<std::size_t>(y)] = true;
    if (y >= firstShown_ && y < endShown_) ++rowsSeen_;
    const ScreenRect& m = monitor_;
    if (placement_ == Placement::Centre || placement_ == Placement::Span) {
        const int local = y + top_;
        if (local < 0 || local >= m.height) return;
        const int from = std::max(0, left_), to = std::min(m.width, left_ + width_);
        if (from < to) bitmap_.Pixels(m.x + from, m.y + local, bgr + 3 * static_cast<std::size_t>(from - left_), to - from);
        return;
    }
    // The monitor's rows that show this row of the picture: every height-th
    // from it when tiled; when stretched, those whose nearest row it is (the
    // rows' sources only grow, so they are one run).
    int first = y, last = m.height, step = height_;
    if (placement_ == Placement::Stretch) {
        const auto run = std::equal_range(sourceRow_.begin(), sourceRow_.end(), y);
        first = static_cast<int>(run.first - sourceRow_.begin());
        last = static_cast<int>(run.second - sourceRow_.begin());
        step = 1;
    }
    if (first >= last) return;
    unsigned char* out = line_.data();
    for (const int x : sourceColumn_) {
        std::memcpy(out, bgr + 3 * static_cast<std::size_t>(x), 3);
        out += 3;
    }
    for (int local = first; local < last; local += step) bitmap_.Pixels(m.x, m.y + local, line_.data(), m.width);
}

bool MonitorRegion::Finish(std::string& why) {
    if (failure_.empty() && !started_) failure_ = "the picture's headers never came";
    if (failure_.empty() && rowsSeen_ < endShown_ - firstShown_) failure_ = "some of the picture's rows never came";
    why = failure_;
    return failure_.empty();
}

}  // namespace sarvo
