// The picture catalogue: every picture file in a folder tree.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/pure/picture_format.h"

namespace sarvo {

// What one walk of a folder tree found. Every folder is listed exactly once.
struct FolderWalk {
    // The folders in walk order: the root first, then the sub-folders
    // depth-first, each before the folders below it, siblings in listing
    // order. A sub-folder is its parent's path, a separator and its name.
    std::vector<std::string> folders;
    // The picture file names of every folder, folder by folder in the order
    // of `folders`, each folder's names in listing order; the names of
    // folders[i] are pictureNames[firstPicture[i] .. firstPicture[i + 1]).
    std::vector<std::string> pictureNames;
    std::vector<std::size_t> firstPicture;
};

// Walks the tree below `path`, which gets a trailing separator appended in
// place. walk.folders[0] stays as the caller stored the root (`path` itself
// when empty); the rest of `walk` is filled afresh. Hidden entries are left
// out; links to folders are followed, but a folder already on the walk is
// never entered twice; a folder that cannot be read is skipped. The folders
// are listed on several threads at once; the result is the same as one
// thread's walk. `formats` decides which file names are pictures
// (IsPictureFileName).
void SearchFolders(std::string& path, FolderWalk& walk, PictureFormats formats);

// Appends the full path of every picture the walk found to `files`, folder
// by folder: the folder's path with a trailing separator, then the name.
void SearchFiles(const FolderWalk& walk, std::vector<std::string>& files);

}  // namespace sarvo
