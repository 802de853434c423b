// sarvo-bench-plain-walk [--list] FOLDER
//
// The simplest walk that finds the same pictures as the changer's catalogue:
// opendir and readdir, the entry's type taken from d_type, recursion into
// sub-folders, and the full path of every matching name collected in one
// vector. It keeps no record of the folders it entered, so a link loop
// would never end; that is the work the changer's walk does on top of it.
// Prints the count, or with --list the paths, one a line.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

bool EndsWithNoCase(std::string_view name, std::string_view suffix) {
    if (name.size() < suffix.size()) return false;
    const std::string_view tail = name.substr(name.size() - suffix.size());
    for (std::size_t i = 0; i < suffix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(tail[i])) != suffix[i]) return false;
    return true;
}

// The same rule as the catalogue's: the name's last letters, no dot needed.
bool IsPicture(std::string_view name) {
    return EndsWithNoCase(name, "bmp") || EndsWithNoCase(name, "gif") ||
           EndsWithNoCase(name, "jpg") || EndsWithNoCase(name, "jpeg");
}

void Walk(const std::string& folder, std::vector<std::string>& found) {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return;
    while (const dirent* e = readdir(dir)) {
        if (e->d_name[0] == '.') continue;  // hidden, "." and ".."
        unsigned char type = e->d_type;
        if (type == DT_UNKNOWN || type == DT_LNK) {
            struct stat st {};
            if (fstatat(dirfd(dir), e->d_name, &st, 0) != 0) continue;
            type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
        }
        if (type == DT_DIR) {
            Walk(folder + "/" + e->d_name, found);
        } else if (type == DT_REG && IsPicture(e->d_name)) {
            found.push_back(folder + "/" + e->d_name);
        }
    }
    closedir(dir);
}

}  // namespace

int main(int argc, char** argv) {
    const bool list = argc == 3 && std::strcmp(argv[1], "--list") == 0;
    if (argc != 2 && !list) {
        std::fprintf(stderr, "usage: sarvo-bench-plain-walk [--list] FOLDER\n");
        return 2;
    }
    std::string root = argv[argc - 1];
    while (root.size() > 1 && root.back() == '/') root.pop_back();

    std::vector<std::string> found;
    Walk(root, found);

    if (list) {
        for (const std::string& path : found) std::printf("%s\n", path.c_str());
    } else {
        std::printf("%zu\n", found.size());
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}
