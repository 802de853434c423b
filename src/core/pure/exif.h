// The orientation a camera records in a JPEG file's Exif block (or another
// format's), and turning a decoded picture upright by it.
#pragma once

#include <cstddef>
#include <string>

#include "core/pure/bitmap.h"

namespace sarvo {

// The Exif orientation (1 to 8) of the JPEG file in `data`, or 1 when the file
// has no Exif block, no orientation tag, or an unreadable or out-of-range one.
// Never reads outside `data`.
int JpegExifOrientation(const unsigned char* data, std::size_t size);

// Whether an APP1 block's `body` (after its length) is an Exif block, and
// the orientation it records, as for JpegExifOrientation.
bool IsExifBlock(const unsigned char* body, std::size_t size);
int ExifBlockOrientation(const unsigned char* body, std::size_t size);

// The orientation a bare TIFF structure records, as PNG's eXIf chunk and
// WebP's EXIF chunk hold it (an "Exif\0\0" before it, which some writers
// add, is passed over); 1 as for JpegExifOrientation.
int TiffExifOrientation(const unsigned char* data, std::size_t size);

// The orientation of a PNG file's eXIf chunk, when one comes before the
// picture data (IDAT), and of a WebP file's EXIF chunk, wherever it is; 1 as
// for JpegExifOrientation. Neither reads outside `data`.
int PngExifOrientation(const unsigned char* data, std::size_t size);
int WebPExifOrientation(const unsigned char* data, std::size_t size);

// The Exif orientation that shows a picture the way the transformations of
// a HEIF or AVIF file do: first turned `quarterTurns` quarter turns
// anticlockwise (irot, 0 to 3), then mirrored (imir: 0 exchanges top and
// bottom, 1 left and right, -1 for none).
int OrientationOfTransforms(int quarterTurns, int mirror);

// Turns `bitmap`, decoded as stored, upright for an Exif `orientation`:
// 2 mirror, 3 half turn, 4 flip, 5 transpose, 6 quarter turn clockwise,
// 7 transverse, 8 quarter turn anticlockwise; 5 to 8 swap width and height.
// 1 and values out of range leave it as it is. Returns false and fills `why`
// only when the turned copy cannot be made; `bitmap` is then unchanged.
bool ApplyExifOrientation(Bitmap& bitmap, int orientation, std::string& why);

}  // namespace sarvo
