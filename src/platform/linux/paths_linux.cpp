#include "platform/paths.h"

#include <array>

#include "xdg_dirs.h"

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

// Desktops that cannot read BMP files are handed a PNG copy, and desktops
// that cache a picture by its path a copy under alternating names ("-a",
// "-b"); each is written through a ".tmp" file. All lie beside the bitmap
// and are named after it.
std::vector<std::string> BitmapCopies(const std::string& bitmapPath) {
    static constexpr std::array<const char*, 4> kSuffixes{"-a.png", "-b.png", "-a.bmp", "-b.bmp"};
    const std::size_t slash = bitmapPath.find_last_of('/');
    const std::size_t dot = bitmapPath.find_last_of('.');
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    const std::string stem = hasExtension ? bitmapPath.substr(0, dot) : bitmapPath;
    std::vector<std::string> copies;
    for (const char* suffix : kSuffixes) {
        copies.push_back(stem + suffix);
        copies.push_back(stem + suffix + ".tmp");
    }
    return copies;
}

}  // namespace sarvo::platform
