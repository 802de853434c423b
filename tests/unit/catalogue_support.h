// The catalogue walk in tests, and its reference: the plain two-pass walk on one thread, entering a linked folder once.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "core/modules/Search.h"
#include "core/pure/rules.h"
#include "platform/folders.h"
#include "platform/paths.h"
#include "support/temp_dir.h"

namespace sarvo::test {

namespace fs = std::filesystem;

inline std::vector<std::string> Sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
}

struct Catalogue { std::vector<std::string> folders, files; std::string searchedPath; };

inline Catalogue Walk(const std::string& root, PictureFormats formats = PictureFormats::Classic) {
    Catalogue c{{}, {}, root};
    FolderWalk walk;
    walk.folders.push_back(root);
    SearchFolders(c.searchedPath, walk, formats);
    SearchFiles(walk, c.files);
    c.folders = walk.folders;
    return c;
}

inline void ReferenceFolders(std::string path, std::vector<std::string>& folders,
                             std::vector<platform::FolderIdentity>& entered) {
    if (path.empty() || path.back() != platform::kPathSeparator) path += platform::kPathSeparator;
    platform::FolderListing listing;
    if (!platform::ListFolder(path, listing)) return;
    for (const auto& e : listing.entries) {
        platform::FolderListing below;
        if (!e.isFolder || !platform::ListFolder(path + e.name, below) ||
            std::find(entered.begin(), entered.end(), below.identity) != entered.end())
            continue;
        entered.push_back(below.identity);
        folders.push_back(path + e.name);
        ReferenceFolders(path + e.name, folders, entered);
    }
}

inline Catalogue ReferenceWalk(const std::string& root, PictureFormats formats = PictureFormats::Classic) {
    Catalogue c;
    c.folders.push_back(root);
    platform::FolderListing top;
    std::vector<platform::FolderIdentity> entered;
    if (platform::ListFolder(root, top)) entered.push_back(top.identity);
    ReferenceFolders(root, c.folders, entered);
    for (std::string folder : c.folders) {
        if (folder.back() != platform::kPathSeparator) folder += platform::kPathSeparator;
        platform::FolderListing listing;
        if (!platform::ListFolder(folder, listing)) continue;
        for (const auto& e : listing.entries)
            if (!e.isFolder && IsPictureFileName(e.name, formats)) c.files.push_back(folder + e.name);
    }
    return c;
}

}  // namespace sarvo::test
