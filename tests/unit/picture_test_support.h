// Pictures in tests as lists of 0xRRGGBB colours, rows from the top.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/bitmap.h"

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

}  // namespace sarvo::test
