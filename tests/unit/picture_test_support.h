// Pictures in tests: bitmaps as 0xRRGGBB lists from the top, builders of BMP files, JPEG segments, Exif blocks.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/pure/bitmap.h"

namespace sarvo::test {

using Colours = std::vector<std::uint32_t>;
using Bytes = std::vector<unsigned char>;

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
    if (std::string why; !bitmap.Allocate(width, height, why)) std::abort();
    for (int i = 0; i < width * height; ++i)
        for (int c = 0; c < 3; ++c)
            bitmap.Row(i / width)[i % width * 3 + c] = static_cast<unsigned char>(colours[static_cast<std::size_t>(i)] >> 8 * c);
    return bitmap;
}

inline Bytes FileOf(const Bitmap& bitmap) { return {bitmap.FileData(), bitmap.FileData() + bitmap.FileSize()}; }

// True when every channel of `a` and `b` differs by at most `tolerance`.
inline bool Near(std::uint32_t a, std::uint32_t b, int tolerance) {
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > tolerance) return false;
    return true;
}

// How many pixels differ by more than `tolerance`; -1 when the sizes differ.
inline int Differing(const Bitmap& a, const Bitmap& b, int tolerance) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) return -1;
    int count = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x) count += !Near(ColourAt(a, x, y), ColourAt(b, x, y), tolerance);
    return count;
}

// Appends `v` in `bytes` bytes, little-endian unless `bigEndian`.
inline void Put(Bytes& b, std::uint32_t v, int bytes, bool bigEndian = false) {
    for (int i = 0; i < bytes; ++i) b.push_back(static_cast<unsigned char>(v >> 8 * (bigEndian ? bytes - 1 - i : i)));
}

// `values` of `bytes` bytes each, little-endian.
inline Bytes Ints(int bytes, std::initializer_list<std::uint32_t> values) {
    Bytes b;
    for (std::uint32_t v : values) Put(b, v, bytes);
    return b;
}

// The parts of a BMP file; MakeBmp lays them out with a consistent file header.
struct BmpParts {
    std::int32_t width = 0, height = 0;
    std::uint16_t bits = 24;
    Bytes pixels = {};
    Colours palette = {};  // 4 bytes an entry, 3 with the 12-byte header
    std::uint32_t compression = 0, coloursUsed = 0;
    std::vector<std::uint32_t> masks = {};  // after a 40-byte header, inside a larger one
    std::uint32_t headerSize = 40;
};

inline Bytes MakeBmp(const BmpParts& p) {
    Bytes h;
    Put(h, p.headerSize, 4);
    if (p.headerSize == 12) {
        for (std::uint32_t v : {0u + p.width, 0u + p.height, 1u, 0u + p.bits}) Put(h, v, 2);
    } else {
        for (std::uint32_t v : {0u + p.width, 0u + p.height}) Put(h, v, 4);
        Put(h, 1, 2);
        Put(h, p.bits, 2);
        const auto size = static_cast<std::uint32_t>(p.pixels.size());
        for (std::uint32_t v : {p.compression, size, 2835u, 2835u, p.coloursUsed, 0u}) Put(h, v, 4);
        if (p.headerSize > 40)
            for (std::uint32_t mask : p.masks) Put(h, mask, 4);
        h.resize(p.headerSize, 0);
        if (p.headerSize == 40)
            for (std::uint32_t mask : p.masks) Put(h, mask, 4);
    }
    for (std::uint32_t c : p.palette) Put(h, c, p.headerSize == 12 ? 3 : 4);
    Bytes file = {'B', 'M'};
    for (std::size_t v : {14 + h.size() + p.pixels.size(), std::size_t{0}, 14 + h.size()}) Put(file, static_cast<std::uint32_t>(v), 4);
    file.insert(file.end(), h.begin(), h.end());
    file.insert(file.end(), p.pixels.begin(), p.pixels.end());
    return file;
}

inline Bytes Segment(unsigned char marker, const Bytes& body) {  // a JPEG segment
    Bytes s = {0xFF, marker};
    Put(s, static_cast<std::uint32_t>(body.size() + 2), 2, true);
    s.insert(s.end(), body.begin(), body.end());
    return s;
}

// A TIFF block whose IFD0 holds a camera make and then the orientation.
inline Bytes Tiff(bool bigEndian, std::uint32_t orientation, std::uint32_t ifdOffset = 8) {
    Bytes t = bigEndian ? Bytes{'M', 'M', 0, 42} : Bytes{'I', 'I', 42, 0};
    // Two entries: Make, ASCII, 4 bytes; Orientation, SHORT, 1 (padded to 4); no next IFD.
    for (const auto& [value, bytes] : {std::pair{ifdOffset, 4}, {2u, 2}, {0x010Fu, 2}, {2u, 2}, {4u, 4}}) Put(t, value, bytes, bigEndian);
    t.insert(t.end(), {'C', 'a', 'm', 0});
    for (const auto& [value, bytes] : {std::pair{0x0112u, 2}, {3u, 2}, {1u, 4}, {orientation, 2}, {0u, 2}, {0u, 4}})
        Put(t, value, bytes, bigEndian);
    return t;
}

inline Bytes ExifSegment(const Bytes& tiff) {  // the APP1 segment holding `tiff`
    Bytes body = {'E', 'x', 'i', 'f', 0, 0};
    body.insert(body.end(), tiff.begin(), tiff.end());
    return Segment(0xE1, body);
}

// `jpeg` with an Exif block recording `orientation` after its start marker.
inline Bytes WithOrientation(Bytes jpeg, unsigned char orientation) {
    const Bytes exif = ExifSegment(Tiff(false, orientation));
    jpeg.insert(jpeg.begin() + 2, exif.begin(), exif.end());
    return jpeg;
}

}  // namespace sarvo::test
