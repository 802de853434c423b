// The picture loader: BMP, GIF and JPEG files into a bitmap.
#pragma once

#include <string>

#include "core/pure/bitmap.h"

namespace sarvo::platform {

// Loads the picture file at `path`, whatever its name says, into `bitmap`
// (upright: a stored orientation is applied). Returns false and fills `why`
// when the file is missing or unreadable, damaged, of a kind not read, or
// would decode to more than Bitmap::kMaxBytes; `bitmap` is then left as it
// was.
bool LoadPicture(const std::string& path, Bitmap& bitmap, std::string& why);

// Converts the picture file at `path` into the 24-bit BMP file LoadPicture's
// bitmap would be, byte for byte, handed to `file` in pieces at their
// places. Returns false and fills `why` as LoadPicture does; what `file` got
// is then of no use. Where the platform decodes in strips, neither the
// whole picture file nor the whole bitmap is held in memory, except to turn
// a picture by a quarter.
bool ConvertPicture(const std::string& path, ByteSink& file, std::string& why);

}  // namespace sarvo::platform
