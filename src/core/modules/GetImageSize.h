// The pixel size recorded in a Windows bitmap (BMP) file's header.
#pragma once

#include <cstdint>
#include <string>

namespace sarvo {

struct ImageSize {
    std::int32_t Width = 0;
    std::int32_t Height = 0;  // negative for a bitmap stored top-down
};

// The width and height fields of the information header (offsets 18 and 22)
// of the file `path`, whatever the file holds. Bytes the file does not have
// (a short, empty or missing file) count as zero. Only reads.
ImageSize ReadImageSize(const std::string& path);

}  // namespace sarvo
