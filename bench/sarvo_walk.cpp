// sarvo-bench-walk [--list] FOLDER
//
// Builds the changer's catalogue of FOLDER the way the changer's ListCreate
// does (the root placed first, SearchFolders, then SearchFiles) and prints
// the number of pictures found, or with --list every picture's path, one a
// line.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/modules/Search.h"

int main(int argc, char** argv) {
    const bool list = argc == 3 && std::strcmp(argv[1], "--list") == 0;
    if (argc != 2 && !list) {
        std::fprintf(stderr, "usage: sarvo-bench-walk [--list] FOLDER\n");
        return 2;
    }
    std::string loadFolderPath = argv[argc - 1];

    sarvo::FolderWalk walk;
    walk.folders.push_back(loadFolderPath);
    sarvo::SearchFolders(loadFolderPath, walk, sarvo::PictureFormats::Classic);
    std::vector<std::string> files;
    sarvo::SearchFiles(walk, files);

    if (list) {
        for (const std::string& file : files) std::printf("%s\n", file.c_str());
    } else {
        std::printf("%zu\n", files.size());
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}
