// The decoders behind LoadPicture on Linux, each for one kind of file held
// whole in memory. Each returns false and fills `why` on any failure.
#pragma once

#include <cstddef>
#include <string>

#include "core/pure/bitmap.h"

namespace sarvo::platform {

// JPEG through TurboJPEG, straight into the bitmap's rows; CMYK, YCCK and what
// TurboJPEG cannot turn into BGR through libjpeg. Applies the Exif orientation.
bool DecodeJpeg(const unsigned char* data, std::size_t size, Bitmap& out, std::string& why);

// The first frame of a GIF file, drawn on its logical screen.
bool DecodeGif(const unsigned char* data, std::size_t size, Bitmap& out, std::string& why);

}  // namespace sarvo::platform
