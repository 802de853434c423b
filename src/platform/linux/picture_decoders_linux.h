// The decoders behind the picture loader on Linux. Each reads the open file
// `fd` from its start, in pieces, and hands the picture to `out` row by row;
// each returns false and fills `why` on any failure.
#pragma once

#include <string>

#include "core/pure/row_sink.h"

namespace sarvo::platform {

// JPEG through libjpeg's scanline interface, a strip at a time, into BGR;
// CMYK and YCCK files are turned into BGR here. The Exif orientation is told
// to `out` (Orientation) before its Start and given in `orientation`.
bool DecodeJpeg(int fd, RowSink& out, int& orientation, std::string& why);

// The first frame of a GIF file, drawn on its logical screen.
bool DecodeGif(int fd, RowSink& out, std::string& why);

}  // namespace sarvo::platform
