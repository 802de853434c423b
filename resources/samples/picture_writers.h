// Writing JPEG and GIF files in memory, for the sample pictures and for
// tests that need real files of those kinds.
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

}  // namespace sarvo::test
