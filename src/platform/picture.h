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

}  // namespace sarvo::platform
