// HEIF pictures (HEIC from phones and cameras) through libheif, which
// decodes the picture whole, tiles and all, and applies the container's
// rotation and mirror (irot, imir) itself. A phone's Exif block repeats
// those as an orientation; it is not read, so nothing is turned twice.
//
// libheif reads the file itself, a box at a time through a reader on the
// open file, so the file is never held whole beside the copy of the coded
// picture that libheif makes for its decoder.
//
// The picture is asked for in its own colour form. libheif 1.15 hands a
// colour picture over as RGB planes, the bitmap's size: it turns the HEVC
// decoder's YCbCr into RGB before it applies the rotation and mirror,
// whatever form was asked for. 8-bit planes are interleaved here row by row.
// A grey picture, or YCbCr from a libheif that keeps it, is turned into BGR a
// strip at a time through the converter the AVIF decoder uses
// (PutYuvStrips). Anything else (RGB of more than 8 bits, RGB with alpha) is
// decoded again as 8-bit RGBA by libheif's own converter.
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include <libheif/heif.h>

#include "core/pure/bitmap.h"
#include "format_module_linux.h"
#include "picture_decoders_linux.h"

namespace sarvo::platform {
namespace {

struct ContextDeleter {
    void operator()(heif_context* c) const { heif_context_free(c); }
};
struct HandleDeleter {
    void operator()(heif_image_handle* h) const { heif_image_handle_release(h); }
};
struct ImageDeleter {
    void operator()(heif_image* i) const { heif_image_release(i); }
};
struct OptionsDeleter {
    void operator()(heif_decoding_options* o) const { heif_decoding_options_free(o); }
};
struct NclxDeleter {
    void operator()(heif_color_profile_nclx* n) const { heif_nclx_color_profile_free(n); }
};
using Image = std::unique_ptr<heif_image, ImageDeleter>;

// The open file as libheif reads it: from where it last read or sought to.
// A file cut short meanwhile fails the read that reaches past its end.
struct FileReader {
    int fd;
    std::int64_t size;
    std::int64_t position = 0;

    static std::int64_t Position(void* reader) { return static_cast<FileReader*>(reader)->position; }

    static int Read(void* data, std::size_t size, void* opaque) {
        auto* reader = static_cast<FileReader*>(opaque);
        auto* to = static_cast<unsigned char*>(data);
        while (size > 0) {
            const ssize_t n = pread(reader->fd, to, size, static_cast<off_t>(reader->position));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return 1;
            to += n;
            size -= static_cast<std::size_t>(n);
            reader->position += n;
        }
        return 0;
    }

    static int Seek(std::int64_t position, void* opaque) {
        auto* reader = static_cast<FileReader*>(opaque);
        if (position < 0 || position > reader->size) return 1;
        reader->position = position;
        return 0;
    }

    static heif_reader_grow_status WaitForSize(std::int64_t size, void* reader) {
        return size <= static_cast<FileReader*>(reader)->size ? heif_reader_grow_status_size_reached
                                                              : heif_reader_grow_status_size_beyond_eof;
    }
};

constexpr heif_reader kFileReader{1, FileReader::Position, FileReader::Read, FileReader::Seek, FileReader::WaitForSize};

bool Failed(const heif_error& error, std::string& why) {
    if (error.code == heif_error_Ok) return false;
    why = std::string("HEIF file cannot be read: ") + (error.message ? error.message : "unknown error");
    return true;
}

// The picture's CICP colour description: the decoded picture's, else the
// container's, else what libheif itself assumes (BT.601, full range).
void ReadColour(const heif_image* image, const heif_image_handle* handle, YuvPlanes& p) {
    heif_color_profile_nclx* raw = nullptr;
    if (heif_image_get_nclx_color_profile(image, &raw).code != heif_error_Ok || raw == nullptr)
        heif_image_handle_get_nclx_color_profile(handle, &raw);
    const std::unique_ptr<heif_color_profile_nclx, NclxDeleter> nclx(raw);
    if (!nclx) return;
    p.matrix = nclx->matrix_coefficients;
    p.primaries = nclx->color_primaries;
    p.transfer = nclx->transfer_characteristics;
    p.fullRange = nclx->full_range_flag != 0;
}

// The YCbCr or grey planes of `image`, or false when it holds another form.
bool YuvOf(const heif_image* image, YuvPlanes& p) {
    const heif_colorspace space = heif_image_get_colorspace(image);
    const heif_chroma chroma = heif_image_get_chroma_format(image);
    if (space == heif_colorspace_monochrome && chroma == heif_chroma_monochrome) {
        p.grey = true;
    } else if (space == heif_colorspace_YCbCr && chroma == heif_chroma_420) {
        p.chromaShiftX = p.chromaShiftY = 1;
    } else if (space == heif_colorspace_YCbCr && chroma == heif_chroma_422) {
        p.chromaShiftX = 1;
        p.chromaShiftY = 0;
    } else if (space == heif_colorspace_YCbCr && chroma == heif_chroma_444) {
        p.chromaShiftX = p.chromaShiftY = 0;
    } else {
        return false;
    }
    p.depth = heif_image_get_bits_per_pixel_range(image, heif_channel_Y);
    if (p.depth != 8 && p.depth != 10 && p.depth != 12) return false;
    const heif_channel channels[] = {heif_channel_Y, heif_channel_Cb, heif_channel_Cr};
    for (int i = 0; i < (p.grey ? 1 : 3); ++i) {
        int rowBytes = 0;
        p.planes[i] = heif_image_get_plane_readonly(image, channels[i], &rowBytes);
        p.rowBytes[i] = static_cast<std::size_t>(rowBytes);
        if (p.planes[i] == nullptr) return false;
        if (i > 0 && heif_image_get_bits_per_pixel_range(image, channels[i]) != p.depth) return false;
    }
    if (heif_image_has_channel(image, heif_channel_Alpha)) {
        int rowBytes = 0;
        p.alpha = heif_image_get_plane_readonly(image, heif_channel_Alpha, &rowBytes);
        p.alphaRowBytes = static_cast<std::size_t>(rowBytes);
        if (heif_image_get_bits_per_pixel_range(image, heif_channel_Alpha) != p.depth) return false;
        p.alphaPremultiplied = heif_image_is_premultiplied_alpha(const_cast<heif_image*>(image)) != 0;
    }
    p.width = heif_image_get_width(image, heif_channel_Y);
    p.height = heif_image_get_height(image, heif_channel_Y);
    return true;
}

// An 8-bit picture kept as red, green and blue planes (a HEIF stored in
// RGB), row by row into the sink, which was started at width x height; false
// when `image` is not one.
bool PutRgbPlanes(const heif_image* image, long width, long height, RowSink& out) {
    if (heif_image_get_colorspace(image) != heif_colorspace_RGB ||
        heif_image_get_chroma_format(image) != heif_chroma_444 || heif_image_has_channel(image, heif_channel_Alpha))
        return false;
    const heif_channel channels[] = {heif_channel_B, heif_channel_G, heif_channel_R};
    const std::uint8_t* planes[3];
    int rowBytes[3];
    for (int c = 0; c < 3; ++c) {
        planes[c] = heif_image_get_plane_readonly(image, channels[c], &rowBytes[c]);
        if (planes[c] == nullptr || heif_image_get_bits_per_pixel_range(image, channels[c]) != 8 ||
            heif_image_get_width(image, channels[c]) != width || heif_image_get_height(image, channels[c]) != height)
            return false;
    }
    RowCursor cursor(out, height, true);
    for (long y = 0; y < height; ++y) {
        unsigned char* dst = cursor.Next(BmpStride(width));
        for (long x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c) dst[x * 3 + c] = planes[c][y * rowBytes[c] + x];
    }
    cursor.Finish();
    return true;
}

// An 8-bit RGBA picture of libheif's, row by row into the sink, which was
// started at width x height.
bool PutRgba(const heif_image* image, long width, long height, RowSink& out, std::string& why) {
    int rowBytes = 0;
    const std::uint8_t* rows = heif_image_get_plane_readonly(image, heif_channel_interleaved, &rowBytes);
    if (rows == nullptr) {
        why = "HEIF picture cannot be converted";
        return false;
    }
    // A damaged file can decode to another size than it declares.
    if (heif_image_get_width(image, heif_channel_interleaved) != width ||
        heif_image_get_height(image, heif_channel_interleaved) != height) {
        why = "HEIF picture is not the size its file declares";
        return false;
    }
    std::vector<unsigned char> bgra(static_cast<std::size_t>(width) * 4);
    RowCursor cursor(out, height, true);
    for (long y = 0; y < height; ++y, rows += rowBytes) {
        for (long x = 0; x < width; ++x) {
            bgra[x * 4] = rows[x * 4 + 2];
            bgra[x * 4 + 1] = rows[x * 4 + 1];
            bgra[x * 4 + 2] = rows[x * 4];
            bgra[x * 4 + 3] = rows[x * 4 + 3];
        }
        LayOnBlack(bgra.data(), static_cast<std::size_t>(width), cursor.Next(BmpStride(width)));
    }
    cursor.Finish();
    return true;
}

}  // namespace

bool DecodeHeif(int fd, std::size_t size, RowSink& out, int& orientation, std::string& why) {
    orientation = 1;
    const std::unique_ptr<heif_context, ContextDeleter> context(heif_context_alloc());
    if (!context) {
        why = "libheif cannot start";
        return false;
    }
    FileReader file{fd, static_cast<std::int64_t>(size)};
    if (Failed(heif_context_read_from_reader(context.get(), &kFileReader, &file, nullptr), why)) return false;
    heif_image_handle* rawHandle = nullptr;
    if (Failed(heif_context_get_primary_image_handle(context.get(), &rawHandle), why)) return false;
    const std::unique_ptr<heif_image_handle, HandleDeleter> handle(rawHandle);
    // The size as shown, after the container's transformations; refused
    // before anything is decoded when the bitmap would be too large.
    const long width = heif_image_handle_get_width(handle.get());
    const long height = heif_image_handle_get_height(handle.get());
    if (!out.Start(width, height, why)) return false;

    const std::unique_ptr<heif_decoding_options, OptionsDeleter> options(heif_decoding_options_alloc());
    heif_image* raw = nullptr;
    if (Failed(heif_decode_image(handle.get(), &raw, heif_colorspace_undefined, heif_chroma_undefined, options.get()),
               why))
        return false;
    Image image(raw);
    YuvPlanes planes;
    if (YuvOf(image.get(), planes)) {
        ReadColour(image.get(), handle.get(), planes);
        if (planes.width != width || planes.height != height) {
            why = "HEIF picture is not the size its file declares";
            return false;
        }
        return PutYuvStrips(planes, out, why);
    }
    if (PutRgbPlanes(image.get(), width, height, out)) return true;
    image.reset();
    raw = nullptr;
    if (Failed(heif_decode_image(handle.get(), &raw, heif_colorspace_RGB, heif_chroma_interleaved_RGBA, options.get()),
               why))
        return false;
    image.reset(raw);
    return PutRgba(image.get(), width, height, out, why);
}

}  // namespace sarvo::platform

// The module's one export (format_module_linux.h).
extern "C" __attribute__((visibility("default"))) const sarvo::platform::linux_formats::Module* sarvo_heif_module() {
    static const sarvo::platform::linux_formats::Module module{sarvo::platform::linux_formats::kModuleVersion,
                                                                sarvo::platform::DecodeHeif};
    return &module;
}
