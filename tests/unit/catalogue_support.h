// Running the catalogue walk in tests, and an independent reference for its
// order: the plain two-pass walk (folders first, then every folder's files),
// listing folders again and again as the simplest walk would.
#pragma once

#include <string>
#include <vector>

#include "core/modules/Search.h"
#include "core/pure/rules.h"
#include "platform/folders.h"
#include "platform/paths.h"
#include "support/temp_dir.h"

namespace sarvo::test {

struct Catalogue {
    std::vector<std::string> folders;
    std::vector<std::string> files;
    std::string searchedPath;
};

inline Catalogue Walk(const std::string& root) {
    Catalogue c;
    FolderWalk walk;
    walk.folders.push_back(root);
    c.searchedPath = root;
    SearchFolders(c.searchedPath, walk);
    SearchFiles(walk, c.files);
    c.folders = walk.folders;
    return c;
}

inline void ReferenceFolders(std::string path, std::vector<std::string>& folders) {
    if (path.empty() || path.back() != platform::kPathSeparator) path += platform::kPathSeparator;
    platform::FolderListing listing;
    if (!platform::ListFolder(path, listing)) return;
    for (const auto& e : listing.entries) {
        if (!e.isFolder) continue;
        folders.push_back(path + e.name);
        ReferenceFolders(path + e.name, folders);
    }
}

inline Catalogue ReferenceWalk(const std::string& root) {
    Catalogue c;
    c.folders.push_back(root);
    ReferenceFolders(root, c.folders);
    for (std::string folder : c.folders) {
        if (folder.back() != platform::kPathSeparator) folder += platform::kPathSeparator;
        platform::FolderListing listing;
        if (!platform::ListFolder(folder, listing)) continue;
        for (const auto& e : listing.entries)
            if (!e.isFolder && IsPictureFileName(e.name)) c.files.push_back(folder + e.name);
    }
    return c;
}

}  // namespace sarvo::test
