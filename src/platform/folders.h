// Folder listing for the picture catalogue.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sarvo::platform {

// Identifies a folder on the machine (device and index), so that a walk that
// follows links can tell a folder it has already entered.
struct FolderIdentity {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    bool operator==(const FolderIdentity&) const = default;
};

struct FolderEntry {
    std::string name;  // the entry's own name, never "." or ".."
    bool isFolder;     // a folder, or a link that leads to one
};

// One folder's listing: its entries in the platform's listing order, with
// hidden (and on Windows system) entries left out.
struct FolderListing {
    FolderIdentity identity;
    std::vector<FolderEntry> entries;
};

// Lists `folder` (a path with or without a trailing separator). Returns false
// when the folder cannot be opened; `listing` is then empty. Several threads
// may list folders at once, each into its own `listing`.
bool ListFolder(const std::string& folder, FolderListing& listing);

// What a look at one path tells about a folder there.
enum class FolderState {
    Exists,
    Missing,     // nothing there, a file, or an empty path
    CannotTell,  // the look itself failed: access denied on a parent, a drive not ready
};

// The changer's folder test: whether `path` names an existing folder.
FolderState ProbeFolder(const std::string& path);

}  // namespace sarvo::platform
