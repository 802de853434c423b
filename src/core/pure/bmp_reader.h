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

// The bytes of a BMP file, fetched a stretch at a time, in the file's order
// (a file read in pieces, or bytes in memory).
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::size_t Size() const = 0;
    // `count` bytes from `offset`, valid until the next call; nullptr when
    // they cannot all be had (past the end, or the file could not be read).
    virtual const unsigned char* Fetch(std::size_t offset, std::size_t count) = 0;
};

// Bytes held in memory.
class MemoryBytes : public ByteSource {
public:
    MemoryBytes(const unsigned char* bytes, std::size_t count) : data_(bytes), size_(count) {}
    std::size_t Size() const override { return size_; }
    const unsigned char* Fetch(std::size_t offset, std::size_t count) override;

private:
    const unsigned char* data_;
    std::size_t size_;
};

// The same, from `file`, row by row into `out`: neither the file nor the
// picture need be held whole. On failure, what `out` was given is of no
// use.
bool DecodeBmp(ByteSource& file, RowSink& out, std::string& why);

}  // namespace sarvo
