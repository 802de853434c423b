// Our own reader of BMP files: the OS/2 core header and the Windows info
// headers (versions 3, 4 and 5) with 1, 2, 4, 8, 16, 24 or 32 bits per pixel,
// RLE4 and RLE8 compression and bit-field masks.
#pragma once

#include <cstddef>
#include <string>

#include "core/pure/bitmap.h"

namespace sarvo {

// Decodes the BMP file held in `data` into `out`, upright. Returns false and
// fills `why` when the bytes are not a BMP file, are cut short, use a variant
// not read here (embedded JPEG or PNG, OS/2 Huffman), or describe a picture
// larger than Bitmap::kMaxBytes; `out` is then left empty. Never reads
// outside `data`.
//
// Pixels that an RLE file never sets (skipped by a delta or an early end of
// line or bitmap) take the first colour of the palette, as if the index
// buffer had started out zeroed.
bool DecodeBmp(const unsigned char* data, std::size_t size, Bitmap& out, std::string& why);

// The same, row by row into `out`; on failure, what `out` was given is of no
// use.
bool DecodeBmp(const unsigned char* data, std::size_t size, RowSink& out, std::string& why);

}  // namespace sarvo
