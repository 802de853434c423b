#include "platform/paths.h"

#include "xdg_linux.h"

namespace sarvo::platform {

const char kPathSeparator = '/';

// The generated bitmap lives in the user's data folder: it must survive a
// restart (the desktop's setting points at it) and must not be in a cache
// that cleaners empty.
std::string WindowsFolder() {
    const std::string folder = linux_xdg::DataHome() + "/" + linux_xdg::kSuiteFolder;
    return linux_xdg::MakeFolders(folder) ? folder : std::string();
}

// The bitmap has only ever lived in the suite's own data folder here.
std::vector<BitmapFolder> BitmapFolders() {
    return {BitmapFolder{linux_xdg::DataHome() + "/" + linux_xdg::kSuiteFolder, true}};
}

}  // namespace sarvo::platform
