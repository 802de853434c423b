// The picture loader: picture files into a bitmap, or straight into a BMP file.
#pragma once

#include <string>

#include "core/pure/bitmap.h"
#include "core/pure/picture_format.h"

namespace sarvo::platform {

// Loads the picture file at `path`, whatever its name says, into `bitmap`
// (upright: a stored orientation is applied; transparent pixels laid on
// black). The file's first bytes tell its format; `formats` says which are
// read: BMP, GIF and JPEG, or all of PictureFormat's. Returns false and
// fills `why` when the file is missing or unreadable, damaged, of a kind not
// read, or would decode to more than Bitmap::kMaxBytes; `bitmap` is then
// left as it was. When the file is in a format taken but this system has no
// decoder for it, `missingDecoder` gets the format's name
// (PictureFormatName); otherwise it is left as it was.
bool LoadPicture(const std::string& path, Bitmap& bitmap, PictureFormats formats, std::string& why,
                 std::string& missingDecoder);

// Converts the picture file at `path` into the 24-bit BMP file LoadPicture's
// bitmap would be, byte for byte, handed to `file` in pieces at their
// places. Returns false and fills `why` and `missingDecoder` as LoadPicture
// does; what `file` got is then of no use. Where the platform decodes in
// strips, neither the whole picture file nor the whole bitmap is held in
// memory, except to turn a picture by a quarter.
bool ConvertPicture(const std::string& path, ByteSink& file, PictureFormats formats, std::string& why,
                    std::string& missingDecoder);

// The same for BMP, GIF and JPEG alone.
inline bool LoadPicture(const std::string& path, Bitmap& bitmap, std::string& why) {
    std::string missingDecoder;
    return LoadPicture(path, bitmap, PictureFormats::Classic, why, missingDecoder);
}
inline bool ConvertPicture(const std::string& path, ByteSink& file, std::string& why) {
    std::string missingDecoder;
    return ConvertPicture(path, file, PictureFormats::Classic, why, missingDecoder);
}

}  // namespace sarvo::platform
