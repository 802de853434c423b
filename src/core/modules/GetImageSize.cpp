#include "core/modules/GetImageSize.h"

#include <vector>

#include "core/pure/bytes.h"
#include "platform/files.h"

namespace sarvo {

ImageSize ReadImageSize(const std::string& path) {
    constexpr std::size_t kHeaders = 54;  // file header and information header
    std::vector<unsigned char> head = platform::ReadFileHead(path, kHeaders);
    head.resize(kHeaders, 0);
    // The fields are two's complement, as the header stores them.
    return ImageSize{static_cast<std::int32_t>(GetLe32(&head[18])), static_cast<std::int32_t>(GetLe32(&head[22]))};
}

}  // namespace sarvo
