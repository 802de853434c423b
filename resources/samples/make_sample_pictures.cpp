// sarvo-make-samples <folder>: fills <folder> with a few colourful pictures
// in sub-folders, one or more of each kind the changer reads, so that a
// fresh installation has something to show:
//   <folder>/Landscapes/sunset.jpg, lake.jpg
//   <folder>/Patterns/rings.gif, checkers.gif, waves.bmp
//   <folder>/tiles.bmp
// and, for MoreFormats=1, one of each further format, each written by that
// format's own library:
//   <folder>/More formats/lake.png, sunset.webp, waves.avif, tiles.heic,
//   lake.heif, sunset.jxl
// Existing files of those names are replaced; nothing else is touched.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include <turbojpeg.h>

#include "core/pure/bitmap.h"
#include "picture_writers.h"

namespace {

using sarvo::Bitmap;
namespace fs = std::filesystem;

constexpr int kWidth = 640;
constexpr int kHeight = 480;

struct Rgb {
    double r, g, b;
};

Rgb Mix(Rgb a, Rgb b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

unsigned char Channel(double v) {
    return static_cast<unsigned char>(std::lround(std::fmin(255.0, std::fmax(0.0, v))));
}

Bitmap Paint(const std::function<Rgb(int, int)>& colourAt) {
    Bitmap bitmap;
    std::string why;
    if (!bitmap.Allocate(kWidth, kHeight, why)) throw std::runtime_error(why);
    for (int y = 0; y < kHeight; ++y) {
        unsigned char* p = bitmap.Row(y);
        for (int x = 0; x < kWidth; ++x, p += 3) {
            const Rgb c = colourAt(x, y);
            p[0] = Channel(c.b);
            p[1] = Channel(c.g);
            p[2] = Channel(c.r);
        }
    }
    return bitmap;
}

// An orange sky over purple hills, with a low sun.
Rgb Sunset(int x, int y) {
    const double hill = 330 + 40 * std::sin(x / 90.0) + 15 * std::sin(x / 23.0);
    if (y > hill) return Mix({70, 30, 90}, {25, 10, 40}, (y - hill) / (kHeight - hill));
    const double dx = x - 420, dy = y - 300;
    if (dx * dx + dy * dy < 60 * 60) return {255, 230, 120};
    return Mix({255, 140, 40}, {120, 50, 140}, 1.0 - y / hill);
}

// Blue sky, green hills and their rippled reflection in a lake.
Rgb Lake(int x, int y) {
    const int shore = 300;
    auto land = [](int lx, int ly) -> Rgb {
        const double hill = 180 + 50 * std::sin(lx / 70.0 + 1.0) + 20 * std::cos(lx / 31.0);
        if (ly > hill) return Mix({60, 150, 60}, {20, 90, 30}, (ly - hill) / 120.0);
        return Mix({170, 210, 255}, {40, 110, 220}, 1.0 - ly / hill);
    };
    if (y < shore) return land(x, y);
    const int mirrored = 2 * shore - y - static_cast<int>(4 * std::sin(y / 3.0));
    return Mix(land(x, std::max(0, mirrored)), {10, 40, 110}, 0.35);
}

// Rounded tiles in four colours, with grout between them.
Rgb Tiles(int x, int y) {
    const int size = 80, grout = 6;
    const int tx = x % size, ty = y % size;
    if (tx < grout || ty < grout) return {235, 230, 220};
    static const Rgb colours[] = {{220, 60, 60}, {240, 190, 40}, {50, 160, 90}, {50, 100, 200}};
    const Rgb base = colours[(x / size + 2 * (y / size)) % 4];
    const double shade = 1.0 - 0.25 * (tx + ty) / (2.0 * size);
    return {base.r * shade, base.g * shade, base.b * shade};
}

// Horizontal waves of teal and coral.
Rgb Waves(int x, int y) {
    const double wave = std::sin(y / 18.0 + 2.5 * std::sin(x / 60.0));
    return Mix({0, 128, 128}, {255, 127, 80}, (wave + 1) / 2);
}

sarvo::test::GifPicture Rings() {
    sarvo::test::GifPicture gif;
    gif.width = kWidth;
    gif.height = kHeight;
    gif.colours = {0x9400D3, 0x4B0082, 0x0000FF, 0x00FF00, 0xFFFF00, 0xFF7F00, 0xFF0000, 0xFFFFFF};
    sarvo::test::GifFrame frame;
    frame.width = kWidth;
    frame.height = kHeight;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const double r = std::hypot(x - kWidth / 2.0, y - kHeight / 2.0);
            frame.indexes.push_back(static_cast<unsigned char>(static_cast<int>(r / 24) % 7));
        }
    gif.frames = {frame};
    return gif;
}

sarvo::test::GifPicture Checkers() {
    sarvo::test::GifPicture gif;
    gif.width = kWidth;
    gif.height = kHeight;
    gif.colours = {0x202020, 0xF0F0F0, 0xE04040, 0x40A0E0};
    sarvo::test::GifFrame frame;
    frame.width = kWidth;
    frame.height = kHeight;
    frame.interlaced = true;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const bool dark = (x / 40 + y / 40) % 2 == 0;
            const bool dot = (x % 40 - 20) * (x % 40 - 20) + (y % 40 - 20) * (y % 40 - 20) < 64;
            frame.indexes.push_back(static_cast<unsigned char>(dot ? (dark ? 2 : 3) : (dark ? 0 : 1)));
        }
    gif.frames = {frame};
    return gif;
}

void Write(const fs::path& path, const unsigned char* data, std::size_t size) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    if (!out) throw std::runtime_error("cannot write " + path.string());
    std::printf("%s\n", path.string().c_str());
}

void Write(const fs::path& path, const std::vector<unsigned char>& bytes) {
    Write(path, bytes.data(), bytes.size());
}

void WriteJpeg(const fs::path& path, const Bitmap& picture) {
    std::vector<unsigned char> bytes;
    std::string why;
    if (!sarvo::test::EncodeJpeg(picture, 90, TJSAMP_420, bytes, why)) throw std::runtime_error(why);
    Write(path, bytes);
}

void WriteGif(const fs::path& path, const sarvo::test::GifPicture& picture) {
    std::vector<unsigned char> bytes;
    std::string why;
    if (!sarvo::test::EncodeGif(picture, bytes, why)) throw std::runtime_error(why);
    Write(path, bytes);
}

using Encoder = bool (*)(const Bitmap&, const sarvo::test::Encoding&, std::vector<unsigned char>&, std::string&);

void WriteWith(Encoder encode, const fs::path& path, const Bitmap& picture) {
    std::vector<unsigned char> bytes;
    std::string why;
    if (!encode(picture, sarvo::test::Encoding{}, bytes, why)) throw std::runtime_error(why);
    Write(path, bytes);
}

void WriteBmp(const fs::path& path, const Bitmap& picture) {
    Write(path, picture.FileData(), picture.FileSize());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argc > 0 ? argv[0] : "sarvo-make-samples");
        return 2;
    }
    const fs::path folder = argv[1];
    try {
        WriteJpeg(folder / "Landscapes" / "sunset.jpg", Paint(Sunset));
        WriteJpeg(folder / "Landscapes" / "lake.jpg", Paint(Lake));
        WriteGif(folder / "Patterns" / "rings.gif", Rings());
        WriteGif(folder / "Patterns" / "checkers.gif", Checkers());
        WriteBmp(folder / "Patterns" / "waves.bmp", Paint(Waves));
        WriteBmp(folder / "tiles.bmp", Paint(Tiles));
        const fs::path more = folder / "More formats";
        WriteWith(sarvo::test::EncodePng, more / "lake.png", Paint(Lake));
        WriteWith(sarvo::test::EncodeWebP, more / "sunset.webp", Paint(Sunset));
        WriteWith(sarvo::test::EncodeAvif, more / "waves.avif", Paint(Waves));
        WriteWith(sarvo::test::EncodeHeif, more / "tiles.heic", Paint(Tiles));
        WriteWith(sarvo::test::EncodeHeif, more / "lake.heif", Paint(Lake));
        WriteWith(sarvo::test::EncodeJxl, more / "sunset.jxl", Paint(Sunset));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "sarvo-make-samples: %s\n", e.what());
        return 1;
    }
    return 0;
}
