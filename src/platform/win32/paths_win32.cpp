// The folder for the suite's bitmap. The suite has always kept it in the
// Windows folder, but since Windows Vista a standard user may not create
// files there (and older versions of the suite then failed silently). From
// Vista on, the bitmap lives in the user's local application-data folder.
// The rule depends only on the Windows version, never on who is running the
// program, so the changer, the settings tool and the uninstaller, elevated or
// not, all find the same file.
#include <windows.h>
#include <shlobj.h>
#include <versionhelpers.h>

#include "ansi_win32.h"
#include "platform/paths.h"

namespace sarvo::platform {

const char kPathSeparator = '\\';

namespace {

// The folder's own name inside the local application-data folder.
constexpr char kAppDataFolder[] = "Sarvo Backdrop Changer";

// SHGetFolderPathA (from shfolder.dll) for `csidl`, created when missing;
// empty on failure.
std::string KnownFolder(int csidl) {
    char buffer[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT,
                                buffer)))
        return {};
    buffer[MAX_PATH - 1] = '\0';
    return win32::FromAnsi(buffer);
}

// The suite's folder in the local application-data folder; not created.
// Empty when the application-data folder cannot be found.
std::string AppDataBitmapFolder() {
    std::string folder = KnownFolder(CSIDL_LOCAL_APPDATA);
    if (folder.empty()) return {};
    if (folder.back() != '\\') folder += '\\';
    return folder + kAppDataFolder;
}

}  // namespace

std::string WindowsFolder() {
    if (!IsWindowsVistaOrGreater()) return KnownFolder(CSIDL_WINDOWS);
    const std::string folder = AppDataBitmapFolder();
    std::string aFolder;
    if (folder.empty() || !win32::ToAnsi(folder, aFolder)) return {};
    if (!CreateDirectoryA(aFolder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return {};
    return folder;
}

// A bitmap may lie in either folder of the rule: the system may have been
// upgraded past Vista since an older version of the suite wrote it into the
// Windows folder.
std::vector<BitmapFolder> BitmapFolders() {
    const BitmapFolder windows{KnownFolder(CSIDL_WINDOWS), false};
    const BitmapFolder appData{AppDataBitmapFolder(), true};
    std::vector<BitmapFolder> folders;
    for (const BitmapFolder& folder :
         IsWindowsVistaOrGreater() ? std::vector{appData, windows} : std::vector{windows, appData})
        if (!folder.path.empty()) folders.push_back(folder);
    return folders;
}

}  // namespace sarvo::platform
