// Reading the pixel rows of an uncompressed 24-bit BMP file in place, without
// copying them: the wallpaper is drawn straight from the file's bytes (for
// example a file mapped into memory), so showing a large picture costs no
// second copy of it.
#pragma once

#include <cstddef>
#include <string>

#include "core/pure/compose.h"

namespace sarvo {

// Points `picture` at the rows inside `data` (the whole file, `size` bytes).
// Accepts the files the suite writes and any other BMP file with 24 bits per
// pixel, no compression and one plane, stored bottom-up or top-down. Returns
// false and fills `why` for anything else (another depth, compression, a
// header or pixel data cut short).
bool ViewBmp24(const unsigned char* data, std::size_t size, BgrPicture& picture,
               std::string& why);

}  // namespace sarvo
