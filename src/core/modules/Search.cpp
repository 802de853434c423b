#include "core/modules/Search.h"

#include <unordered_set>
#include <utility>

#include "core/pure/rules.h"
#include "platform/folders.h"
#include "platform/paths.h"

namespace sarvo {

namespace {

struct IdentityHash {
    std::size_t operator()(const platform::FolderIdentity& id) const {
        return std::hash<std::uint64_t>()(id.index * 0x9E3779B97F4A7C15ull ^ id.volume);
    }
};

void AppendSeparator(std::string& path) {
    if (path.empty() || path.back() != platform::kPathSeparator) path += platform::kPathSeparator;
}

// One folder still to be listed: its path with a trailing separator, and
// the text it stands under in `folders` (the root's entry is the caller's).
struct Pending {
    std::string listPath;
    std::string entry;
};

}  // namespace

void SearchFolders(std::string& path, FolderWalk& walk) {
    const std::string rootEntry = walk.folders.empty() ? path : walk.folders.front();
    AppendSeparator(path);
    walk = FolderWalk{{rootEntry}, {}, {0}};

    std::unordered_set<platform::FolderIdentity, IdentityHash> entered;
    // Each folder is listed once: its pictures are taken from the same
    // listing that names its sub-folders. An explicit stack, not recursion,
    // so that a deep tree cannot exhaust the call stack; children are pushed
    // in reverse so that they come off in listing order.
    std::vector<Pending> stack;
    stack.push_back({path, {}});
    bool root = true;
    platform::FolderListing listing;
    std::vector<std::string> subFolders;
    while (!stack.empty()) {
        Pending folder = std::move(stack.back());
        stack.pop_back();
        if (!platform::ListFolder(folder.listPath, listing)) {
            // Unreadable: kept out of the walk, except the root, which the
            // caller has already placed.
            root = false;
            continue;
        }
        if (!entered.insert(listing.identity).second) continue;  // a link back onto the walk
        if (!root) {
            walk.folders.push_back(std::move(folder.entry));
            walk.firstPicture.push_back(walk.pictureNames.size());
        }
        root = false;

        subFolders.clear();
        for (platform::FolderEntry& e : listing.entries) {
            // A path with a line break could never be recorded in the
            // settings file, so nothing under such a name is offered.
            if (e.name.find_first_of("\r\n") != std::string::npos) continue;
            if (e.isFolder) subFolders.push_back(std::move(e.name));
            else if (IsPictureFileName(e.name)) walk.pictureNames.push_back(std::move(e.name));
        }
        for (auto it = subFolders.rbegin(); it != subFolders.rend(); ++it) {
            std::string entry = folder.listPath + *it;
            std::string listPath = entry + platform::kPathSeparator;
            stack.push_back({std::move(listPath), std::move(entry)});
        }
    }
    walk.firstPicture.push_back(walk.pictureNames.size());
}

void SearchFiles(const FolderWalk& walk, std::vector<std::string>& files) {
    files.reserve(files.size() + walk.pictureNames.size());
    for (std::size_t i = 0; i < walk.folders.size(); ++i) {
        std::string folder = walk.folders[i];
        AppendSeparator(folder);
        for (std::size_t p = walk.firstPicture[i]; p < walk.firstPicture[i + 1]; ++p)
            files.push_back(folder + walk.pictureNames[p]);
    }
}

}  // namespace sarvo
