// sarvo-bench-make-jpeg WIDTH HEIGHT QUALITY SEED OUT
//
// Writes a photograph-like JPEG for the benchmark: smooth gradients, many
// hard-edged shapes and a little per-pixel noise, compressed with TurboJPEG
// at 4:2:0 as cameras do. A flat or purely synthetic picture would compress
// to almost nothing and decode unrealistically fast. The same arguments
// always give the same file.
#include <turbojpeg.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// xorshift64*: small, fast and the same everywhere.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed * 2 + 1) {}
    std::uint32_t Next() {
        state_ ^= state_ >> 12;
        state_ ^= state_ << 25;
        state_ ^= state_ >> 27;
        return static_cast<std::uint32_t>((state_ * 0x2545F4914F6CDD1Dull) >> 32);
    }
    int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint32_t>(n)); }

private:
    std::uint64_t state_;
};

unsigned char Clamp(int v) { return static_cast<unsigned char>(std::clamp(v, 0, 255)); }

void DrawBackground(std::vector<unsigned char>& rgb, int width, int height) {
    std::vector<int> column(static_cast<std::size_t>(width) * 3), row(static_cast<std::size_t>(height) * 3);
    for (int x = 0; x < width; ++x) {
        const double u = x / static_cast<double>(width);
        column[x * 3 + 0] = static_cast<int>(60 * std::sin(u * 9.0));
        column[x * 3 + 1] = static_cast<int>(50 * std::sin(u * 5.0 + 1.0));
        column[x * 3 + 2] = static_cast<int>(40 * std::cos(u * 13.0));
    }
    for (int y = 0; y < height; ++y) {
        const double v = y / static_cast<double>(height);
        row[y * 3 + 0] = static_cast<int>(90 + 60 * v);
        row[y * 3 + 1] = static_cast<int>(120 + 40 * std::sin(v * 7.0));
        row[y * 3 + 2] = static_cast<int>(200 - 150 * v);
    }
    for (int y = 0; y < height; ++y) {
        unsigned char* p = rgb.data() + static_cast<std::size_t>(y) * width * 3;
        for (int x = 0; x < width; ++x, p += 3)
            for (int c = 0; c < 3; ++c) p[c] = Clamp(row[y * 3 + c] + column[x * 3 + c]);
    }
}

void DrawDiscs(std::vector<unsigned char>& rgb, int width, int height, Random& random) {
    const int count = std::max(1, width * height / 40000);
    const int maxRadius = std::max(2, std::min(width, height) / 12);
    for (int i = 0; i < count; ++i) {
        const int cx = random.Below(width), cy = random.Below(height);
        const int radius = 1 + random.Below(maxRadius);
        const int colour[3] = {random.Below(256), random.Below(256), random.Below(256)};
        for (int y = std::max(0, cy - radius); y <= std::min(height - 1, cy + radius); ++y) {
            for (int x = std::max(0, cx - radius); x <= std::min(width - 1, cx + radius); ++x) {
                if ((x - cx) * (x - cx) + (y - cy) * (y - cy) > radius * radius) continue;
                unsigned char* p = rgb.data() + (static_cast<std::size_t>(y) * width + x) * 3;
                for (int c = 0; c < 3; ++c) p[c] = static_cast<unsigned char>((p[c] + 3 * colour[c]) / 4);
            }
        }
    }
}

void AddNoise(std::vector<unsigned char>& rgb, Random& random) {
    for (unsigned char& v : rgb) v = Clamp(v + random.Below(25) - 12);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: sarvo-bench-make-jpeg WIDTH HEIGHT QUALITY SEED OUT\n");
        return 2;
    }
    const int width = std::atoi(argv[1]), height = std::atoi(argv[2]), quality = std::atoi(argv[3]);
    if (width <= 0 || height <= 0 || width > 30000 || height > 30000 || quality < 1 || quality > 100) {
        std::fprintf(stderr, "sarvo-bench-make-jpeg: size or quality out of range\n");
        return 2;
    }
    Random random(std::strtoull(argv[4], nullptr, 10));

    std::vector<unsigned char> rgb(static_cast<std::size_t>(width) * height * 3);
    DrawBackground(rgb, width, height);
    DrawDiscs(rgb, width, height, random);
    AddNoise(rgb, random);

    tjhandle tj = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long jpegSize = 0;
    if (tj == nullptr || tjCompress2(tj, rgb.data(), width, 0, height, TJPF_RGB, &jpeg, &jpegSize,
                                     TJSAMP_420, quality, 0) != 0) {
        std::fprintf(stderr, "sarvo-bench-make-jpeg: %s\n", tjGetErrorStr2(tj));
        return 1;
    }
    std::FILE* out = std::fopen(argv[5], "wb");
    if (out == nullptr || std::fwrite(jpeg, 1, jpegSize, out) != jpegSize || std::fclose(out) != 0) {
        std::fprintf(stderr, "sarvo-bench-make-jpeg: cannot write %s\n", argv[5]);
        return 1;
    }
    tjFree(jpeg);
    tjDestroy(tj);
    return 0;
}
