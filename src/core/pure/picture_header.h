// A picture's size read from its header alone, without decoding it: what
// the draw of a picture per monitor needs to know a picture's shape.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

#include "core/pure/picture_format.h"

namespace sarvo {

// A picture's width and height as it is shown (upright).
struct PictureSize {
    int width = 0;
    int height = 0;

    bool operator==(const PictureSize&) const = default;
};

// Reads up to `count` bytes of a file from `offset` into `out`, and returns
// how many it read: fewer at the end of the file, none when it cannot read.
using ReadBytesAt = std::function<std::size_t(std::uint64_t offset, unsigned char* out, std::size_t count)>;

// The size a file of `format` records, upright; nothing when the header is
// cut short, records no size, or the format's size is not read. One reader
// a format, so that a further format joins with its own.
std::optional<PictureSize> ReadFormatSize(PictureFormat format, const ReadBytesAt& read);

// The size of the picture whose bytes `read` gives, by its format as the
// loader tells it (DetectPictureFormat, with `formats`); nothing when the
// format is not taken or its header holds no size. Each reader reads a few
// small pieces whatever the file's size:
//   BMP    the bitmap header's width and the absolute value of its height;
//   GIF    its logical screen, on which the first frame is drawn;
//   JPEG   the frame header, segment header by segment header, turned by a
//          quarter when the first Exif block says so (at most 4 KiB of it);
//   PNG    the image header;
//   WebP   the VP8X canvas, or the VP8 or VP8L frame's size;
//   AVIF, HEIF  the largest image's spatial extent among the item
//          properties, turned by a quarter when a rotation property says so;
//   JPEG XL  the code stream's size header (bare or in its container).
std::optional<PictureSize> ReadPictureSize(const ReadBytesAt& read, PictureFormats formats);

}  // namespace sarvo
