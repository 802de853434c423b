// catalogue_tool.exe FOLDER: prints the changer's catalogue of FOLDER, one
// UTF-8 path a line, as the core's walk builds it through the Win32 listing.
#include <cstdio>
#include <string>
#include <vector>

#include "ansi_win32.h"
#include "core/modules/Search.h"

int main(int argc, char** argv) {
    if (argc != 2) return 120;
    std::string root = sarvo::win32::FromAnsi(argv[1]);
    sarvo::FolderWalk walk;
    walk.folders.push_back(root);
    sarvo::SearchFolders(root, walk, sarvo::PictureFormats::Classic);
    std::vector<std::string> files;
    sarvo::SearchFiles(walk, files);
    for (const std::string& f : files) std::printf("%s\n", f.c_str());
}
