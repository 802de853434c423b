// The decoders behind the picture loader on Linux. Each reads the open file
// `fd` (of `size` bytes) from its start and hands the picture to `out` row
// by row; each returns false and fills `why` on any failure. A picture's
// orientation, where its format records one that the decoder leaves to the
// sink, is told to `out` (Orientation) before its Start and given in
// `orientation`; otherwise `orientation` stays 1. Transparent pixels are laid
// on black (LayOnBlack).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/pure/picture_format.h"
#include "core/pure/row_sink.h"

namespace sarvo::platform {

// JPEG through libjpeg's scanline interface, a strip at a time, into BGR;
// CMYK and YCCK files are turned into BGR here. The Exif orientation.
bool DecodeJpeg(int fd, RowSink& out, int& orientation, std::string& why);

// The first frame of a GIF file, drawn on its logical screen.
bool DecodeGif(int fd, RowSink& out, std::string& why);

// PNG through libpng, row by row (an interlaced picture is held whole until
// its last pass); the eXIf chunk's orientation when it comes before the
// picture data.
bool DecodePng(int fd, RowSink& out, int& orientation, std::string& why);

// WebP through libwebp's incremental decoder, handing on rows as they are
// decoded; an animation's first frame; the EXIF chunk's orientation.
bool DecodeWebP(int fd, std::size_t size, RowSink& out, int& orientation, std::string& why);

// AVIF through libavif, decoded whole and turned into rows a strip at a
// time; the container's rotation and mirror as the orientation (an Exif
// block inside is not read: it repeats them).
bool DecodeAvif(int fd, std::size_t size, RowSink& out, int& orientation, std::string& why);

// HEIF through libheif, decoded whole with the container's rotation and
// mirror applied, and turned into rows a strip at a time; `orientation`
// stays 1.
bool DecodeHeif(int fd, std::size_t size, RowSink& out, int& orientation, std::string& why);

// JPEG XL through libjxl, its pixels handed on as the decoder's threads
// finish them; the orientation of its header.
bool DecodeJxl(int fd, std::size_t size, RowSink& out, int& orientation, std::string& why);

// The decoders above of WebP, AVIF, HEIF and JPEG XL, which the programs
// do not link: each lies in a module of its own (format_module_linux.h).
using FormatDecoder = bool (*)(int fd, std::size_t size, RowSink& out, int& orientation, std::string& why);

// The decoder of `format` (WebP, AVIF, HEIF or JPEG XL), its module loaded
// on the first call and kept; null with `why` when the module, or a library
// it needs, cannot be loaded, and for any other format.
FormatDecoder LoadFormatDecoder(PictureFormat format, std::string& why);

// The whole file at `fd`, `size` bytes, into `bytes`.
bool ReadWholeFile(int fd, std::size_t size, std::vector<unsigned char>& bytes, std::string& why);

// The picture in the open file `fd` of `size` bytes, of whichever of
// `formats` its first bytes tell, into `out`; its orientation as above.
// Names no file in `why`. When the format's decoder cannot be loaded,
// `missingDecoder` gets the format's name (PictureFormatName).
bool DecodePictureFile(int fd, std::size_t size, PictureFormats formats, RowSink& out, int& orientation,
                       std::string& why, std::string& missingDecoder);

// The planes of a decoded YCbCr (or grey) picture, as libavif and libheif
// keep them: 8 bits a sample in bytes, more in 16-bit words; colour as the
// CICP code points of its container or stream.
struct YuvPlanes {
    long width = 0, height = 0;
    int depth = 8;
    int chromaShiftX = 1, chromaShiftY = 1;  // 4:2:0; 4:2:2 is 1, 0; 4:4:4 is 0, 0
    bool grey = false;                       // no chroma planes
    const unsigned char* planes[3] = {};     // Y, Cb, Cr
    std::size_t rowBytes[3] = {};
    const unsigned char* alpha = nullptr;    // or none
    std::size_t alphaRowBytes = 0;
    bool alphaPremultiplied = false;
    bool fullRange = true;
    int matrix = 6, primaries = 1, transfer = 13;
};

// Hands the picture in `planes` to `out` (already started at its size) as
// BGR strips, each converted on its own by libavif, so that the converted
// picture is never held whole; the strips are the same, byte for byte, as
// the whole picture converted at once.
bool PutYuvStrips(const YuvPlanes& planes, RowSink& out, std::string& why);

}  // namespace sarvo::platform
