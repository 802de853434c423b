// The pixel size a picture file declares in its header, read before the file
// is handed to the system's decoder, so that a picture too large to hold is
// refused before any memory is spent on it.
#pragma once

#include <cstddef>

namespace sarvo::win32 {

struct DeclaredSize {
    long width = 0;
    long height = 0;
};

// The size declared by a BMP, GIF (the largest extent of its screen and its
// frames), JPEG or PNG file, from its first `size` bytes. Returns false when
// the bytes are none of these or the header is cut short before the size.
bool ReadDeclaredSize(const unsigned char* bytes, std::size_t size, DeclaredSize& declared);

}  // namespace sarvo::win32
