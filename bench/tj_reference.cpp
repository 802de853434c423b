// sarvo-bench-tj-reference JPEG BMP
//
// The shortest sound way from a JPEG file to a 24-bit BMP file with
// TurboJPEG: read the file, decompress bottom-up BGR straight into a
// malloc'ed BMP buffer, write header and pixels with fwrite. The header is
// the one the changer writes, so the two outputs can be compared byte for
// byte; it is written out here rather than taken from the changer's Bitmap so
// that the comparison checks the changer's writer against an independent one.
#include <turbojpeg.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void PutLe16(unsigned char* p, std::uint32_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}

void PutLe32(unsigned char* p, std::uint32_t v) {
    PutLe16(p, v);
    PutLe16(p + 2, v >> 16);
}

int Fail(const char* what) {
    std::fprintf(stderr, "sarvo-bench-tj-reference: %s\n", what);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: sarvo-bench-tj-reference JPEG BMP\n");
        return 2;
    }
    std::FILE* in = std::fopen(argv[1], "rb");
    if (in == nullptr) return Fail("cannot open the JPEG file");
    std::fseek(in, 0, SEEK_END);
    const long jpegSize = std::ftell(in);
    std::fseek(in, 0, SEEK_SET);
    if (jpegSize <= 0) return Fail("empty JPEG file");
    auto* jpeg = static_cast<unsigned char*>(std::malloc(static_cast<std::size_t>(jpegSize)));
    if (jpeg == nullptr ||
        std::fread(jpeg, 1, static_cast<std::size_t>(jpegSize), in) != static_cast<std::size_t>(jpegSize))
        return Fail("cannot read the JPEG file");
    std::fclose(in);

    tjhandle tj = tjInitDecompress();
    int width = 0, height = 0, subsampling = 0, colourspace = 0;
    if (tj == nullptr || tjDecompressHeader3(tj, jpeg, static_cast<unsigned long>(jpegSize), &width,
                                             &height, &subsampling, &colourspace) != 0)
        return Fail(tjGetErrorStr2(tj));

    constexpr std::size_t kHeader = 54;
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
    const std::size_t size = kHeader + stride * static_cast<std::size_t>(height);
    auto* bmp = static_cast<unsigned char*>(std::malloc(size));
    if (bmp == nullptr) return Fail("out of memory");
    if (tjDecompress2(tj, jpeg, static_cast<unsigned long>(jpegSize), bmp + kHeader, width,
                      static_cast<int>(stride), height, TJPF_BGR, TJFLAG_BOTTOMUP) != 0)
        return Fail(tjGetErrorStr2(tj));
    tjDestroy(tj);
    std::free(jpeg);
    // Row padding, kept zero as the changer keeps it.
    for (int y = 0; y < height; ++y)
        for (std::size_t x = static_cast<std::size_t>(width) * 3; x < stride; ++x)
            bmp[kHeader + static_cast<std::size_t>(y) * stride + x] = 0;

    unsigned char* h = bmp;
    h[0] = 'B';
    h[1] = 'M';
    PutLe32(h + 2, static_cast<std::uint32_t>(size));
    PutLe32(h + 6, 0);
    PutLe32(h + 10, kHeader);
    PutLe32(h + 14, 40);
    PutLe32(h + 18, static_cast<std::uint32_t>(width));
    PutLe32(h + 22, static_cast<std::uint32_t>(height));
    PutLe16(h + 26, 1);
    PutLe16(h + 28, 24);
    PutLe32(h + 30, 0);
    PutLe32(h + 34, static_cast<std::uint32_t>(size - kHeader));
    PutLe32(h + 38, 3780);
    PutLe32(h + 42, 3780);
    PutLe32(h + 46, 0);
    PutLe32(h + 50, 0);

    std::FILE* out = std::fopen(argv[2], "wb");
    if (out == nullptr || std::fwrite(bmp, 1, size, out) != size || std::fclose(out) != 0)
        return Fail("cannot write the BMP file");
    std::free(bmp);
    return 0;
}
