// The small rules of the suite that decide on a text alone.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/pure/picture_format.h"

namespace sarvo {

// Whether a file name counts as a picture: its last three characters,
// lower-cased, are "bmp", "gif" or "jpg", or its last four are "jpeg". No
// dot is needed ("xjpg" counts) and a name shorter than three characters
// never counts. With PictureFormats::More the endings "png", "webp", "avif",
// "heic", "heif" and "jxl" count too, by the same rule.
bool IsPictureFileName(std::string_view name, PictureFormats formats);

// The changer's hand-over test on its argument text: a text built as one
// quoted path ending in a picture extension, read just inside the closing
// quote ("...\photo.JPG"). Gives the path without the text's first and last
// characters when the test passes. A text of fewer than five characters is
// no picture argument. `formats` decides the extensions, as for
// IsPictureFileName.
std::optional<std::string> PictureHandOverPath(std::string_view argumentText,
                                               PictureFormats formats);

// The last component of `path`: everything after the last `separator`; the
// empty text when there is none.
std::string LastComponent(std::string_view path, char separator);

// The extension of the last component, without the dot and in its own
// letter case; the empty text when the last component has no dot or there is
// no separator at all.
std::string ExtensionOf(std::string_view path, char separator);

// A 32-bit number narrowed to 16 bits by clamping to -32768..32767.
short ClampToInt16(long value);

}  // namespace sarvo
