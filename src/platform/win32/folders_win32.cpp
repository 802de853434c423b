// Folder listings through FindFirstFileW/FindNextFileW, in the order the file
// system gives. Entries with the hidden or the system attribute are left out,
// as the suite's listings always did.
//
// Links to folders (junctions, symbolic links) are followed like folders,
// since picture collections are often spread over drives that way. Loops are
// caught by the walk, which enters no folder twice: a folder's identity is
// its volume serial number and file index, which every link to it shares.
#include <windows.h>

#include "ansi_win32.h"
#include "platform/folders.h"

namespace sarvo::platform {

namespace {

constexpr DWORD kLeftOut = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// The folder's identity as the file system keeps it. Some file systems (a
// few network shares) report no file index; the path then stands in for it,
// which keeps distinct folders distinct, and a loop through links still ends
// where paths grow past what the ANSI functions accept.
FolderIdentity IdentityOf(const std::string& ansiFolder) {
    FolderIdentity identity;
    HANDLE handle = CreateFileA(ansiFolder.c_str(), 0,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        BY_HANDLE_FILE_INFORMATION info{};
        if (GetFileInformationByHandle(handle, &info)) {
            identity.volume = info.dwVolumeSerialNumber;
            identity.index = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
        }
        CloseHandle(handle);
    }
    if (identity.index == 0) {
        std::uint64_t hash = 14695981039346656037ull;  // FNV-1a over the path
        for (const char c : ansiFolder) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
        identity.volume = ~std::uint64_t{0};
        identity.index = hash;
    }
    return identity;
}

}  // namespace

bool ListFolder(const std::string& folder, FolderListing& listing) {
    listing = FolderListing{};
    std::string ansiFolder;
    if (folder.empty() || !win32::ToAnsi(folder, ansiFolder)) return false;
    // The separator is added in UTF-8: in Shift-JIS the last byte of a path
    // can be a trail byte equal to '\'.
    const bool endsWithSeparator = folder.back() == '\\' || folder.back() == '/';
    const std::wstring pattern = win32::ToUtf16(endsWithSeparator ? folder + "*" : folder + "\\*");

    // Names are listed as the file system keeps them: the ANSI listing would
    // hand back "??" for a name the code page cannot hold, or "cafe" for
    // "café", which names another file or none. Such names are left out, as
    // no ANSI call can reach them and the settings file cannot hold them.
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    std::string ansi;
    do {
        const std::string name = win32::FromUtf16(found.cFileName);
        if (name == "." || name == "..") continue;
        if (found.dwFileAttributes & kLeftOut) continue;
        if (!win32::ToAnsi(name, ansi)) continue;
        listing.entries.push_back({name, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileW(search, &found));
    FindClose(search);
    listing.identity = IdentityOf(ansiFolder);
    return true;
}

FolderState ProbeFolder(const std::string& path) {
    std::string ansi;
    // A name the code page cannot hold names no folder the ANSI calls reach.
    if (path.empty() || !win32::ToAnsi(path, ansi)) return FolderState::Missing;
    const DWORD attributes = GetFileAttributesA(ansi.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? FolderState::Exists : FolderState::Missing;
    // Only these say that the path names nothing; a drive that is not ready,
    // a share that does not answer or a parent we may not read leave it open.
    switch (GetLastError()) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_INVALID_NAME:
        case ERROR_DIRECTORY:
        case ERROR_CANT_RESOLVE_FILENAME:  // a loop of links
            return FolderState::Missing;
        default:
            return FolderState::CannotTell;
    }
}

}  // namespace sarvo::platform
