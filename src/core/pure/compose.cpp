#include "core/pure/compose.h"

#include <algorithm>
#include <climits>

namespace sarvo {

namespace {

std::uint32_t Pixel(const unsigned char* bgr) {
    return (static_cast<std::uint32_t>(bgr[2]) << 16) | (static_cast<std::uint32_t>(bgr[1]) << 8) |
           bgr[0];
}

// One row of one monitor: columns [from, to) of the screen row `out`, for the
// monitor-local row `localY`.
void ComposeMonitorRow(const BgrPicture& picture, Placement placement, const ScreenRect& m, const ScreenRect& area,
                       int localY, int from, int to, std::uint32_t* out) {
    const int pw = picture.width;
    const int ph = picture.height;
    switch (placement) {
        case Placement::Span: {
            const int sy = m.y + localY - area.y;
            std::fill(out + from, out + to, 0u);
            if (sy < 0 || sy >= ph) return;
            const unsigned char* row = picture.Row(sy);
            const int last = std::min(to, area.x + pw);
            for (int x = std::max(from, area.x); x < last; ++x) out[x] = Pixel(row + 3 * (x - area.x));
            return;
        }
        case Placement::Centre: {
            const int top = CentredOffset(m.height, ph);
            const int left = CentredOffset(m.width, pw);
            const int sy = localY - top;
            std::fill(out + from, out + to, 0u);
            if (sy < 0 || sy >= ph) return;
            const unsigned char* row = picture.Row(sy);
            // Screen columns that fall on the picture.
            const int first = std::max(from, m.x + left);
            const int last = std::min(to, m.x + left + pw);
            for (int x = first; x < last; ++x) out[x] = Pixel(row + 3 * (x - m.x - left));
            return;
        }
        case Placement::Tile: {
            const unsigned char* row = picture.Row(localY % ph);
            int sx = (from - m.x) % pw;
            for (int x = from; x < to; ++x) {
                out[x] = Pixel(row + 3 * sx);
                if (++sx == pw) sx = 0;
            }
            return;
        }
        case Placement::Stretch: {
            const unsigned char* row = picture.Row(NearestSource(localY, m.height, ph));
            for (int x = from; x < to; ++x)
                out[x] = Pixel(row + 3 * NearestSource(x - m.x, m.width, pw));
            return;
        }
    }
}

}  // namespace

// Division rounding towards minus infinity, so that centring shifts a larger
// picture the same way as a smaller one.
int CentredOffset(int screenSize, int pictureSize) {
    const int value = screenSize - pictureSize;
    return value >= 0 ? value / 2 : -((-value + 1) / 2);
}

int NearestSource(int local, int screenSize, int pictureSize) {
    const long long scaled = (2LL * local + 1) * pictureSize / (2LL * screenSize);
    return static_cast<int>(scaled);
}

ScreenRect DesktopArea(std::span<const ScreenRect> monitors) {
    long long x0 = LLONG_MAX, y0 = LLONG_MAX, x1 = LLONG_MIN, y1 = LLONG_MIN;
    for (const ScreenRect& m : monitors) {
        if (m.width <= 0 || m.height <= 0) continue;
        x0 = std::min<long long>(x0, m.x);
        y0 = std::min<long long>(y0, m.y);
        x1 = std::max<long long>(x1, static_cast<long long>(m.x) + m.width);
        y1 = std::max<long long>(y1, static_cast<long long>(m.y) + m.height);
    }
    if (x0 > x1 || x1 - x0 > INT_MAX || y1 - y0 > INT_MAX) return {};
    return {static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1 - x0), static_cast<int>(y1 - y0)};
}

BgrPicture PictureOf(const Bitmap& bitmap) {
    if (bitmap.Empty()) return {};
    return {bitmap.Row(0), -static_cast<std::ptrdiff_t>(bitmap.Stride()), bitmap.Width(),
            bitmap.Height()};
}

void ComposeRows(const BgrPicture& picture, Placement placement,
                 std::span<const ScreenRect> monitors, int screenWidth, int firstRow,
                 int rowCount, std::uint32_t* out) {
    if (screenWidth <= 0 || rowCount <= 0) return;
    const std::size_t width = static_cast<std::size_t>(screenWidth);
    std::fill(out, out + width * static_cast<std::size_t>(rowCount), 0u);
    if (picture.width <= 0 || picture.height <= 0) return;
    const ScreenRect area = DesktopArea(monitors);
    for (int r = 0; r < rowCount; ++r) {
        const int y = firstRow + r;
        std::uint32_t* row = out + width * static_cast<std::size_t>(r);
        for (const ScreenRect& m : monitors) {
            if (m.width <= 0 || m.height <= 0 || y < m.y || y >= m.y + m.height) continue;
            const int from = std::max(0, m.x);
            const int to = std::min(screenWidth, m.x + m.width);
            if (from >= to) continue;
            ComposeMonitorRow(picture, placement, m, area, y - m.y, from, to, row);
        }
    }
}

}  // namespace sarvo
