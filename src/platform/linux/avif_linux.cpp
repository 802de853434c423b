// AVIF pictures through libavif (AV1 decoded by dav1d, libaom or libgav1,
// whichever Debian's libavif was built with). An AV1 picture is decoded
// whole and its planes turned into BGR a strip at a time (PutYuvStrips).
//
// The container's rotation and mirror (irot, imir) are told to the sink as an
// Exif orientation. A phone's Exif block repeats them; it is not read, so
// nothing is turned twice. A clean aperture (clap) is not applied.
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <vector>

#include <avif/avif.h>

#include "core/pure/bitmap.h"
#include "core/pure/exif.h"
#include "format_module_linux.h"
#include "picture_decoders_linux.h"

namespace sarvo::platform {
namespace {

struct DecoderDeleter {
    void operator()(avifDecoder* decoder) const { avifDecoderDestroy(decoder); }
};

unsigned ThreadsToUse() {
    const long cores = sysconf(_SC_NPROCESSORS_ONLN);
    return static_cast<unsigned>(std::clamp(cores, 1L, 8L));
}

}  // namespace

bool DecodeAvif(int fd, std::size_t size, RowSink& out, int& orientation, std::string& why) {
    std::vector<unsigned char> bytes;
    if (!ReadWholeFile(fd, size, bytes, why)) return false;
    const std::unique_ptr<avifDecoder, DecoderDeleter> decoder(avifDecoderCreate());
    if (!decoder) {
        why = "libavif cannot start";
        return false;
    }
    decoder->maxThreads = static_cast<int>(ThreadsToUse());
    // The bitmap limit in pixels, where libavif allows it (it takes no
    // larger limit than its default); libavif refuses a larger picture
    // before decoding it, and so does the sink.
    decoder->imageSizeLimit = std::min<std::uint32_t>(Bitmap::kMaxBytes / 3, AVIF_DEFAULT_IMAGE_SIZE_LIMIT);
    decoder->ignoreExif = AVIF_TRUE;
    decoder->ignoreXMP = AVIF_TRUE;
    avifResult result = avifDecoderSetIOMemory(decoder.get(), bytes.data(), bytes.size());
    if (result == AVIF_RESULT_OK) result = avifDecoderParse(decoder.get());
    if (result != AVIF_RESULT_OK) {
        why = std::string("AVIF file is damaged: ") + avifResultToString(result);
        return false;
    }
    const avifImage* image = decoder->image;
    int quarterTurns = 0, mirror = -1;
    if (image->transformFlags & AVIF_TRANSFORM_IROT) quarterTurns = image->irot.angle;
    if (image->transformFlags & AVIF_TRANSFORM_IMIR) mirror = image->imir.mode;
    orientation = OrientationOfTransforms(quarterTurns, mirror);
    out.Orientation(orientation);
    const std::uint32_t width = image->width, height = image->height;
    if (!out.Start(width, height, why)) return false;
    result = avifDecoderNextImage(decoder.get());
    if (result != AVIF_RESULT_OK) {
        why = std::string("AVIF file is damaged: ") + avifResultToString(result);
        return false;
    }
    image = decoder->image;
    if (image->width != width || image->height != height) {
        why = "AVIF picture is not the size its file declares";
        return false;
    }
    YuvPlanes planes;
    planes.width = image->width;
    planes.height = image->height;
    planes.depth = static_cast<int>(image->depth);
    avifPixelFormatInfo info;
    avifGetPixelFormatInfo(image->yuvFormat, &info);
    planes.grey = info.monochrome != 0;
    planes.chromaShiftX = static_cast<int>(info.chromaShiftX);
    planes.chromaShiftY = static_cast<int>(info.chromaShiftY);
    for (int i = 0; i < 3; ++i) {
        planes.planes[i] = image->yuvPlanes[i];
        planes.rowBytes[i] = image->yuvRowBytes[i];
    }
    planes.alpha = image->alphaPlane;
    planes.alphaRowBytes = image->alphaRowBytes;
    planes.alphaPremultiplied = image->alphaPremultiplied != 0;
    planes.fullRange = image->yuvRange == AVIF_RANGE_FULL;
    planes.matrix = image->matrixCoefficients;
    planes.primaries = image->colorPrimaries;
    planes.transfer = image->transferCharacteristics;
    return PutYuvStrips(planes, out, why);
}

}  // namespace sarvo::platform

// The module's one export (format_module_linux.h).
extern "C" __attribute__((visibility("default"))) const sarvo::platform::linux_formats::Module* sarvo_avif_module() {
    static const sarvo::platform::linux_formats::Module module{sarvo::platform::linux_formats::kModuleVersion,
                                                                sarvo::platform::DecodeAvif};
    return &module;
}
