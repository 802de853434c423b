#include "core/modules/GetFolderPath.h"

#include "core/pure/rules.h"
#include "platform/paths.h"

namespace sarvo {

std::string GetFileBaseName(const std::string& path) {
    return LastComponent(path, platform::kPathSeparator);
}

std::string GetFileExtension(const std::string& path) {
    return ExtensionOf(path, platform::kPathSeparator);
}

}  // namespace sarvo
