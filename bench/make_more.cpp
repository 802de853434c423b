// sarvo-bench-make-more JPEG FOLDER
//
// Writes the picture of JPEG (the benchmark's photograph) in each format that
// MoreFormats=1 adds, each through that format's own library as a camera, a
// phone or an editor would save it: FOLDER/photo.png (lossless),
// photo.webp, photo.avif (4:2:0), photo.heic and photo.jxl (lossy, quality
// 90). libheif stores the HEIC's picture as 8-bit 4:2:0 YCbCr, as a phone
// does, but in one HEVC frame where a phone writes a grid of tiles (libheif
// 1.15 writes no grids). The same JPEG always gives the same files.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "picture_writers.h"
#include "platform/picture.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: sarvo-bench-make-more JPEG FOLDER\n");
        return 2;
    }
    sarvo::Bitmap photo;
    std::string why;
    if (!sarvo::platform::LoadPicture(argv[1], photo, why)) {
        std::fprintf(stderr, "sarvo-bench-make-more: %s\n", why.c_str());
        return 1;
    }
    using Encoder = bool (*)(const sarvo::Bitmap&, const sarvo::test::Encoding&, std::vector<unsigned char>&, std::string&);
    const std::pair<const char*, Encoder> formats[] = {
        {"photo.png", sarvo::test::EncodePng},   {"photo.webp", sarvo::test::EncodeWebP},
        {"photo.avif", sarvo::test::EncodeAvif}, {"photo.heic", sarvo::test::EncodeHeif},
        {"photo.jxl", sarvo::test::EncodeJxl},
    };
    for (const auto& [name, encode] : formats) {
        sarvo::test::Encoding how;
        how.lossless = std::string(name) == "photo.png";
        std::vector<unsigned char> bytes;
        if (!encode(photo, how, bytes, why)) {
            std::fprintf(stderr, "sarvo-bench-make-more: %s: %s\n", name, why.c_str());
            return 1;
        }
        const std::filesystem::path path = std::filesystem::path(argv[2]) / name;
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out.flush()) {
            std::fprintf(stderr, "sarvo-bench-make-more: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
