// sarvo-bench-make-tree [--link PICTURE]... ROOT FOLDERS FILES
//
// Makes a picture-folder tree for the benchmark: ROOT (which must not exist
// yet) with FOLDERS sub-folders, three levels deep, and FILES files spread
// over the root and the sub-folders at random. Most names are JPEGs, some
// GIF, BMP, PNG and text files; folder names carry blanks, quotes, "$" and
// non-ASCII letters as real collections do. The files are empty, which is
// enough for a walk; with --link every file is instead a hard link to one of
// the given pictures in turn, so that a program that does not go by the
// name (feh) can show any file it picks. A file takes at most 65,000 links
// on ext4, so give several pictures for a large tree. The same arguments
// always give the same tree. Prints the number of folders, files and files
// with picture names.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Sub-folders per folder: 20 at the root, 400 below those, the rest below
// those again.
constexpr std::size_t kFanOut = 20;

class Random {
public:
    std::uint32_t Below(std::uint32_t n) {
        state_ ^= state_ >> 12;
        state_ ^= state_ << 25;
        state_ ^= state_ >> 27;
        return static_cast<std::uint32_t>((state_ * 0x2545F4914F6CDD1Dull) >> 32) % n;
    }

private:
    std::uint64_t state_ = 0x5A2B0C0FFEEull;
};

std::string FolderName(std::size_t k) {
    static const char* const kPatterns[] = {"Album %zu", "%zu 旅行", "Tom's %zu",
                                            "2019-07-%zu $trip", "scans_%zu", "壁紙 %zu"};
    char name[64];
    std::snprintf(name, sizeof name, kPatterns[k % 6], k);
    return name;
}

// A file name of the mix, and whether the changer counts it as a picture.
std::string FileName(std::uint32_t kind, std::size_t i, bool& picture) {
    struct Pattern {
        std::uint32_t below;  // out of 100
        const char* format;
        bool picture;
    };
    static const Pattern kPatterns[] = {
        {70, "IMG_%04zu.jpg", true},  {78, "DSC%05zu.JPG", true},  {81, "photo %zu.jpeg", true},
        {86, "anim%03zu.gif", true},  {89, "scan%03zu.bmp", true}, {96, "shot%03zu.png", false},
        {100, "notes %zu.txt", false}};
    for (const Pattern& p : kPatterns) {
        if (kind < p.below) {
            char name[64];
            std::snprintf(name, sizeof name, p.format, i);
            picture = p.picture;
            return name;
        }
    }
    picture = false;
    return "README";
}

[[noreturn]] void Die(const std::string& what, const std::string& path) {
    std::fprintf(stderr, "sarvo-bench-make-tree: %s %s: %s\n", what.c_str(), path.c_str(),
                 std::strerror(errno));
    std::exit(1);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> sources;
    int arg = 1;
    while (arg + 1 < argc && std::strcmp(argv[arg], "--link") == 0) {
        sources.push_back(argv[arg + 1]);
        arg += 2;
    }
    if (argc - arg != 3) {
        std::fprintf(stderr, "usage: sarvo-bench-make-tree [--link PICTURE]... ROOT FOLDERS FILES\n");
        return 2;
    }
    const std::string root = argv[arg];
    const std::size_t folderCount = std::strtoull(argv[arg + 1], nullptr, 10);
    const std::size_t fileCount = std::strtoull(argv[arg + 2], nullptr, 10);

    // Folder 0 is the root; folder k's parent is (k - 1) / kFanOut.
    std::vector<std::string> folders{root};
    if (mkdir(root.c_str(), 0755) != 0) Die("cannot make", root);
    for (std::size_t k = 1; k <= folderCount; ++k) {
        folders.push_back(folders[(k - 1) / kFanOut] + "/" + FolderName(k));
        if (mkdir(folders.back().c_str(), 0755) != 0) Die("cannot make", folders.back());
    }

    Random random;
    std::vector<std::size_t> filesIn(folders.size(), 0);
    for (std::size_t f = 0; f < fileCount; ++f)
        ++filesIn[random.Below(static_cast<std::uint32_t>(folders.size()))];

    std::size_t pictures = 0, nextSource = 0;
    for (std::size_t k = 0; k < folders.size(); ++k) {
        for (std::size_t i = 0; i < filesIn[k]; ++i) {
            bool picture = false;
            const std::string path = folders[k] + "/" + FileName(random.Below(100), i, picture);
            pictures += picture ? 1 : 0;
            if (!sources.empty()) {
                const std::string& source = sources[nextSource++ % sources.size()];
                if (link(source.c_str(), path.c_str()) != 0) Die("cannot link " + source + " to", path);
                continue;
            }
            const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
            if (fd < 0 || close(fd) != 0) Die("cannot make", path);
        }
    }
    std::printf("%zu folders, %zu files, %zu pictures\n", folderCount, fileCount, pictures);
    return 0;
}
