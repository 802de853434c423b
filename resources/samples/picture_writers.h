// Writing picture files in memory, for the sample pictures and for tests
// that need real files of each kind: JPEG and GIF, and the formats read with
// MoreFormats=1, each through its own library's encoder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/pure/bitmap.h"

namespace sarvo::test {

// `picture` as a JPEG file of the given quality (1 to 100) and TurboJPEG
// chroma subsampling (TJSAMP_444, TJSAMP_420, TJSAMP_GRAY, ...), baseline or
// progressive.
bool EncodeJpeg(const Bitmap& picture, int quality, int subsampling,
                std::vector<unsigned char>& out, std::string& why, bool progressive = false);

// Colours are 0xRRGGBB. A colour table is padded with black to a power of two.
struct GifFrame {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool interlaced = false;
    int transparent = -1;                 // index, or -1 for none
    std::vector<std::uint32_t> colours;   // local table; empty: use the global one
    std::vector<unsigned char> indexes;   // width x height, rows from the top
};

struct GifPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> colours;  // global table; empty: none
    int background = 0;
    std::vector<GifFrame> frames;
};

bool EncodeGif(const GifPicture& picture, std::vector<unsigned char>& out, std::string& why);

// How a picture of the further formats is written.
struct Encoding {
    // One alpha value a pixel, rows from the top; empty for an opaque picture.
    std::vector<unsigned char> alpha = {};
    // The orientation (1 to 8, as in Exif) that shows the stored picture
    // upright, recorded as the format records it: PNG's eXIf and WebP's EXIF
    // chunk, HEIF's and AVIF's rotation and mirror (with an Exif block saying
    // the same, as phones write it), JPEG XL's header.
    int orientation = 1;
    bool lossless = false;
    int quality = 90;  // 0 to 100, when lossy
    // A PNG without alpha: the colour (0xRRGGBB) its tRNS chunk makes
    // transparent; none when negative.
    long transparentColour = -1;
};

bool EncodePng(const Bitmap& picture, const Encoding& how, std::vector<unsigned char>& out, std::string& why);
bool EncodeWebP(const Bitmap& picture, const Encoding& how, std::vector<unsigned char>& out, std::string& why);
bool EncodeAvif(const Bitmap& picture, const Encoding& how, std::vector<unsigned char>& out, std::string& why);
bool EncodeHeif(const Bitmap& picture, const Encoding& how, std::vector<unsigned char>& out, std::string& why);
bool EncodeJxl(const Bitmap& picture, const Encoding& how, std::vector<unsigned char>& out, std::string& why);

// A bare TIFF block (as PNG's eXIf and WebP's EXIF chunks hold it) whose
// only entry is `orientation`.
std::vector<unsigned char> ExifOrientationBlock(int orientation);

}  // namespace sarvo::test
