// Turning a decoded YCbCr picture - AVIF's, HEIF's - into BGR strips through
// libavif's converter.
//
// A picture decoded whole keeps its planes: half the bitmap's size for the
// common 4:2:0 pictures. Converting them to BGR at once would add the bitmap
// itself; instead each strip is converted on its own, from a view of the
// planes' rows for that strip (avifImageSetViewRect) reaching a few rows
// beyond it, so that the chroma upsampling sees the same neighbours as in the
// whole picture and the strip comes out the same, byte for byte.
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include <avif/avif.h>

#include "picture_decoders_linux.h"

namespace sarvo::platform {
namespace {

// Rows converted beyond each side of a strip: more than the reach of any
// chroma upsampling filter, and even, so that a view starts on a chroma row.
constexpr long kMargin = 4;

struct ImageDeleter {
    void operator()(avifImage* image) const {
        // Views and wrappers own no planes; nothing of the decoder's is freed.
        image->yuvPlanes[0] = image->yuvPlanes[1] = image->yuvPlanes[2] = nullptr;
        image->alphaPlane = nullptr;
        avifImageDestroy(image);
    }
};
using Image = std::unique_ptr<avifImage, ImageDeleter>;

avifPixelFormat PixelFormat(const YuvPlanes& p) {
    if (p.grey) return AVIF_PIXEL_FORMAT_YUV400;
    if (p.chromaShiftY == 1) return AVIF_PIXEL_FORMAT_YUV420;
    return p.chromaShiftX == 1 ? AVIF_PIXEL_FORMAT_YUV422 : AVIF_PIXEL_FORMAT_YUV444;
}

}  // namespace

bool PutYuvStrips(const YuvPlanes& p, RowSink& out, std::string& why) {
    // The planes as an image of libavif's that owns nothing.
    Image whole(avifImageCreateEmpty());
    if (!whole) {
        why = "libavif cannot start";
        return false;
    }
    whole->width = static_cast<std::uint32_t>(p.width);
    whole->height = static_cast<std::uint32_t>(p.height);
    whole->depth = static_cast<std::uint32_t>(p.depth);
    whole->yuvFormat = PixelFormat(p);
    whole->yuvRange = p.fullRange ? AVIF_RANGE_FULL : AVIF_RANGE_LIMITED;
    whole->colorPrimaries = static_cast<avifColorPrimaries>(p.primaries);
    whole->transferCharacteristics = static_cast<avifTransferCharacteristics>(p.transfer);
    whole->matrixCoefficients = static_cast<avifMatrixCoefficients>(p.matrix);
    for (int i = 0; i < 3; ++i) {
        whole->yuvPlanes[i] = const_cast<unsigned char*>(p.planes[i]);
        whole->yuvRowBytes[i] = static_cast<std::uint32_t>(p.rowBytes[i]);
    }
    whole->imageOwnsYUVPlanes = AVIF_FALSE;
    whole->alphaPlane = const_cast<unsigned char*>(p.alpha);
    whole->alphaRowBytes = static_cast<std::uint32_t>(p.alphaRowBytes);
    whole->imageOwnsAlphaPlane = AVIF_FALSE;
    whole->alphaPremultiplied = p.alphaPremultiplied ? AVIF_TRUE : AVIF_FALSE;

    const bool alpha = p.alpha != nullptr;
    const std::size_t channels = alpha ? 4 : 3;
    const std::size_t rowBytes = static_cast<std::size_t>(p.width) * channels;
    const std::size_t stride = BmpStride(p.width);
    const long stripRows = std::max(1, out.StripRows());
    // A strip, its margins, and the row before an odd first row.
    std::vector<unsigned char> converted(rowBytes *
                                         static_cast<std::size_t>(std::min(p.height, stripRows + 2 * kMargin + 1)));
    Image view(avifImageCreateEmpty());
    for (long top = 0; top < p.height; top += stripRows) {
        const long count = std::min(stripRows, p.height - top);
        // The view: the strip and its margins, starting on an even row.
        const long first = std::max(0L, top - kMargin) & ~1L;
        const long end = std::min(p.height, top + count + kMargin);
        const avifCropRect rect{0, static_cast<std::uint32_t>(first), static_cast<std::uint32_t>(p.width),
                                static_cast<std::uint32_t>(end - first)};
        avifRGBImage rgb;
        if (!view || avifImageSetViewRect(view.get(), whole.get(), &rect) != AVIF_RESULT_OK) {
            why = "the picture's planes cannot be read";
            return false;
        }
        avifRGBImageSetDefaults(&rgb, view.get());
        rgb.depth = 8;
        rgb.format = alpha ? AVIF_RGB_FORMAT_BGRA : AVIF_RGB_FORMAT_BGR;
        rgb.pixels = converted.data();
        rgb.rowBytes = static_cast<std::uint32_t>(rowBytes);
        const avifResult result = avifImageYUVToRGB(view.get(), &rgb);
        if (result != AVIF_RESULT_OK) {
            why = std::string("the picture's colours cannot be converted: ") + avifResultToString(result);
            return false;
        }
        unsigned char* strip = out.Strip(static_cast<int>(top), static_cast<int>(count));
        for (long i = 0; i < count; ++i) {
            const unsigned char* src = converted.data() + static_cast<std::size_t>(top - first + i) * rowBytes;
            unsigned char* dst = strip + static_cast<std::size_t>(count - 1 - i) * stride;
            if (alpha) LayOnBlack(src, static_cast<std::size_t>(p.width), dst);
            else std::memcpy(dst, src, rowBytes);
        }
        out.Put();
    }
    return true;
}

}  // namespace sarvo::platform
