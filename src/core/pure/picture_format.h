// Which picture formats a run takes, and telling a picture file's format
// from its first bytes.
#pragma once

#include <cstddef>

namespace sarvo {

// The formats a run takes: BMP, GIF and JPEG, or, with the settings key
// MoreFormats=1, also PNG, WebP, AVIF, HEIF and JPEG XL.
enum class PictureFormats { Classic, More };

enum class PictureFormat { Unknown, Bmp, Gif, Jpeg, Png, WebP, Avif, Heif, JpegXl };

// How many of a file's first bytes DetectPictureFormat needs at most.
inline constexpr std::size_t kFormatHeadBytes = 128;

// The format of a file whose first `size` bytes are `head` (the whole file
// when it is shorter than kFormatHeadBytes), told by its signature alone;
// Unknown when none matches or `formats` does not take the one that does.
PictureFormat DetectPictureFormat(const unsigned char* head, std::size_t size, PictureFormats formats);

// The format's name as users know it: "PNG", "WebP", "JPEG XL", ...
const char* PictureFormatName(PictureFormat format);

}  // namespace sarvo
