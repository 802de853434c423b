// sarvo-bench-gif-reference GIF BMP
//
// The plainest way from a GIF file to a 24-bit BMP file with giflib: read
// the whole file with DGifSlurp, draw the first frame on the logical screen
// (the background colour behind it, transparency ignored), and write the
// BMP with fwrite.
#include <gif_lib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

void PutLe32(unsigned char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

int Fail(const char* what) {
    std::fprintf(stderr, "sarvo-bench-gif-reference: %s\n", what);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: sarvo-bench-gif-reference GIF BMP\n");
        return 2;
    }
    int error = 0;
    GifFileType* gif = DGifOpenFileName(argv[1], &error);
    if (gif == nullptr || DGifSlurp(gif) != GIF_OK || gif->ImageCount < 1) return Fail("cannot read the GIF file");
    const SavedImage& frame = gif->SavedImages[0];
    const ColorMapObject* map = frame.ImageDesc.ColorMap ? frame.ImageDesc.ColorMap : gif->SColorMap;
    if (map == nullptr) return Fail("no colour table");
    const int width = gif->SWidth, height = gif->SHeight;
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
    const std::size_t size = 54 + stride * static_cast<std::size_t>(height);
    std::vector<unsigned char> bmp(size, 0);
    GifColorType background{0, 0, 0};
    if (gif->SColorMap && gif->SBackGroundColor < gif->SColorMap->ColorCount)
        background = gif->SColorMap->Colors[gif->SBackGroundColor];
    const GifImageDesc& desc = frame.ImageDesc;
    for (int y = 0; y < height; ++y) {
        unsigned char* row = bmp.data() + 54 + static_cast<std::size_t>(height - 1 - y) * stride;
        for (int x = 0; x < width; ++x) {
            GifColorType c = background;
            if (y >= desc.Top && y < desc.Top + desc.Height && x >= desc.Left && x < desc.Left + desc.Width) {
                const int index = frame.RasterBits[static_cast<std::size_t>(y - desc.Top) * desc.Width + (x - desc.Left)];
                if (index < map->ColorCount) c = map->Colors[index];
            }
            row[x * 3] = c.Blue, row[x * 3 + 1] = c.Green, row[x * 3 + 2] = c.Red;
        }
    }
    DGifCloseFile(gif, &error);
    bmp[0] = 'B', bmp[1] = 'M';
    PutLe32(&bmp[2], static_cast<std::uint32_t>(size));
    PutLe32(&bmp[10], 54);
    PutLe32(&bmp[14], 40);
    PutLe32(&bmp[18], static_cast<std::uint32_t>(width));
    PutLe32(&bmp[22], static_cast<std::uint32_t>(height));
    bmp[26] = 1, bmp[28] = 24;
    PutLe32(&bmp[34], static_cast<std::uint32_t>(size - 54));
    PutLe32(&bmp[38], 3780);
    PutLe32(&bmp[42], 3780);
    std::FILE* out = std::fopen(argv[2], "wb");
    if (out == nullptr || std::fwrite(bmp.data(), 1, size, out) != size || std::fclose(out) != 0)
        return Fail("cannot write the BMP file");
    return 0;
}
