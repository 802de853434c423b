// Pictures in tests as lists of 0xRRGGBB colours, rows from the top.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

#include "core/pure/bitmap.h"

namespace sarvo::test {

using Colours = std::vector<std::uint32_t>;

inline std::uint32_t ColourAt(const Bitmap& bitmap, int x, int y) {
    const unsigned char* p = bitmap.Row(y) + x * 3;
    return (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
}

inline Colours ColoursOf(const Bitmap& bitmap) {
    Colours colours;
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x) colours.push_back(ColourAt(bitmap, x, y));
    return colours;
}

inline Bitmap BitmapOf(int width, int height, const Colours& colours) {
    Bitmap bitmap;
    std::string why;
    if (!bitmap.Allocate(width, height, why)) std::abort();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::uint32_t c = colours[static_cast<std::size_t>(y * width + x)];
            unsigned char* p = bitmap.Row(y) + x * 3;
            p[0] = static_cast<unsigned char>(c);
            p[1] = static_cast<unsigned char>(c >> 8);
            p[2] = static_cast<unsigned char>(c >> 16);
        }
    return bitmap;
}

// True when every channel of `a` and `b` differs by at most `tolerance`.
inline bool Near(std::uint32_t a, std::uint32_t b, int tolerance) {
    for (int shift = 0; shift < 24; shift += 8) {
        const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
        if (std::abs(d) > tolerance) return false;
    }
    return true;
}

// The pixels whose channels differ by more than `tolerance`; -1 when the sizes differ.
inline int Differing(const Bitmap& a, const Bitmap& b, int tolerance) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) return -1;
    int count = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x) count += !Near(ColourAt(a, x, y), ColourAt(b, x, y), tolerance);
    return count;
}

// `jpeg` with an Exif block recording only `orientation` after its start marker.
inline std::vector<unsigned char> WithOrientation(std::vector<unsigned char> jpeg, unsigned char orientation) {
    // Little-endian TIFF, IFD0 at 8 holding one entry.
    const unsigned char app1[] = {0xFF, 0xE1, 0, 34, 'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0,
                                  1, 0, 0x12, 0x01, 3, 0, 1, 0, 0, 0, orientation, 0, 0, 0, 0, 0, 0, 0};
    jpeg.insert(jpeg.begin() + 2, std::begin(app1), std::end(app1));
    return jpeg;
}

}  // namespace sarvo::test
