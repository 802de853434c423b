// fuzz_seed_writer FOLDER: writes the fuzz targets' binary seeds into FOLDER/TARGET/: a BMP of each
// layout the reader handles differently, a bare Exif segment, and a tiny picture of each further format,
// made by the writers the picture tests use.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "picture_test_support.h"
#include "picture_writers.h"

using namespace sarvo::test;
namespace fs = std::filesystem;

namespace {

void Write(const fs::path& file, const Bytes& bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// 9 x 5, a different colour at each pixel.
sarvo::Bitmap Picture() {
    Colours colours;
    for (std::uint32_t i = 0; i < 45; ++i) colours.push_back(i * 0x050B13u);
    return BitmapOf(9, 5, colours);
}

using Encoder = bool (*)(const sarvo::Bitmap&, const Encoding&, Bytes&, std::string&);

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const fs::path folder = argv[1];
    // 32 bits in bit fields behind the largest header, 2 x 2; 8 bits run-length encoded, rows longer than
    // the picture, with a two-colour palette.
    Write(folder / "bmp_reader/bitfields32.bmp",
          MakeBmp({.width = 2, .height = 2, .bits = 32, .pixels = Ints(4, {0x8000351B, 0x80000000, 0x80595228, 0x8016543A}),
                   .compression = 3, .masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, .headerSize = 124}));
    Write(folder / "bmp_reader/rle8.bmp",
          MakeBmp({.width = 9, .height = 4, .bits = 8,
                   .pixels = {12, 0, 0, 0, 2, 0, 1, 1, 9, 0, 0, 0, 12, 0, 0, 0, 12, 0, 0, 0, 0, 1},
                   .palette = {0x800000, 0xFFFFFF}, .compression = 1, .coloursUsed = 2}));
    Bytes exif = {0xFF, 0xD8};
    const Bytes segment = ExifSegment(Tiff(true, 6));
    exif.insert(exif.end(), segment.begin(), segment.end());
    Write(folder / "exif/turned.jpg", exif);
    std::vector<unsigned char> alpha(45, 255);  // the top row from clear to opaque
    for (int x = 0; x < 9; ++x) alpha[static_cast<std::size_t>(x)] = static_cast<unsigned char>(x * 31);
    const struct {
        const char* name;
        Encoder encode;
        Encoding how;
    } pictures[] = {
        {"alpha.png", EncodePng, {.alpha = alpha, .lossless = true}},
        {"exif.png", EncodePng, {.orientation = 6, .lossless = true}},
        {"lossless-alpha.webp", EncodeWebP, {.alpha = alpha, .lossless = true}},
        {"lossy.webp", EncodeWebP, {.quality = 50}},
        {"turned.avif", EncodeAvif, {.orientation = 6, .quality = 50}},
        {"turned.heic", EncodeHeif, {.orientation = 6, .quality = 50}},
        {"alpha.jxl", EncodeJxl, {.alpha = alpha, .lossless = true}},
    };
    for (const auto& picture : pictures) {
        Bytes bytes;
        std::string why;
        if (!picture.encode(Picture(), picture.how, bytes, why)) {
            std::fprintf(stderr, "%s: %s\n", picture.name, why.c_str());
            return 1;
        }
        Write(folder / "picture" / picture.name, bytes);
    }
    return 0;
}
