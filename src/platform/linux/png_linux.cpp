// PNG pictures through libpng, read from the file in pieces and handed on a
// row at a time as they are decoded: neither the file nor the picture is
// held whole. An interlaced picture comes in seven passes over the whole
// picture, so it alone is held whole until the last pass is in.
//
// Every kind of PNG ends as 8-bit blue, green, red: palettes and grey are
// expanded, 16-bit samples scaled down, and an alpha channel (or a
// transparent colour) laid on black. Gamma and colour profiles are not
// applied, as most viewers do not apply them to wallpapers either.
//
// The eXIf chunk's orientation is honoured when it comes before the picture
// data, where writers put it; one after it would arrive too late to turn a
// picture that is already on its way out.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstring>
#include <memory>
#include <vector>

#include <png.h>

#include "core/pure/bitmap.h"
#include "core/pure/exif.h"
#include "picture_decoders_linux.h"

namespace sarvo::platform {
namespace {

struct Reader {
    int fd;
    int readError = 0;
    std::size_t pos = 0, end = 0;
    unsigned char buffer[1 << 16];
};

// libpng's errors come back here by longjmp, never printed.
struct Errors {
    std::jmp_buf jump;
    char message[200] = "";
};

[[noreturn]] void OnError(png_structp png, png_const_charp message) {
    auto* errors = static_cast<Errors*>(png_get_error_ptr(png));
    std::strncpy(errors->message, message, sizeof errors->message - 1);
    std::longjmp(errors->jump, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void ReadData(png_structp png, png_bytep out, std::size_t wanted) {
    auto* reader = static_cast<Reader*>(png_get_io_ptr(png));
    while (wanted > 0) {
        if (reader->pos == reader->end) {
            ssize_t n;
            do {
                n = read(reader->fd, reader->buffer, sizeof reader->buffer);
            } while (n < 0 && errno == EINTR);
            if (n < 0) reader->readError = errno;
            if (n <= 0) png_error(png, "the file ends before the picture does");
            reader->pos = 0;
            reader->end = static_cast<std::size_t>(n);
        }
        const std::size_t n = std::min(wanted, reader->end - reader->pos);
        std::memcpy(out, reader->buffer + reader->pos, n);
        reader->pos += n;
        out += n;
        wanted -= n;
    }
}

// What outlives a longjmp: the buffers, owned by the caller's frame.
struct Decoding {
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::vector<unsigned char> line;   // one row of BGRA
    std::vector<unsigned char> whole;  // an interlaced picture
};

// Every libpng call is made here, where a longjmp may land; no object with
// a destructor lives in this frame.
bool Read(Decoding& d, Errors& errors, RowSink& out, int& orientation, std::string& why) {
    if (setjmp(errors.jump)) {
        why = std::string("PNG file is damaged: ") + errors.message;
        return false;
    }
    png_structp png = d.png;
    png_infop info = d.info;
    // The size is checked against the bitmap limit by the sink's Start;
    // libpng's own limit (a million pixels a side) stands before it.
    png_read_info(png, info);
    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colourType = 0, interlace = 0;
    png_get_IHDR(png, info, &width, &height, &bitDepth, &colourType, &interlace, nullptr, nullptr);
    png_uint_32 exifSize = 0;
    png_bytep exif = nullptr;
    if (png_get_eXIf_1(png, info, &exifSize, &exif) != 0 && exif != nullptr)
        orientation = TiffExifOrientation(exif, exifSize);

    const bool alpha = (colourType & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    png_set_expand(png);
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const std::size_t channels = alpha ? 4 : 3;
    if (png_get_rowbytes(png, info) != width * channels) {
        why = "PNG file's rows are not what was asked for";
        return false;
    }
    out.Orientation(orientation);
    const PictureWindow window = out.Window(width, height);
    if (!out.Start(width, height, why)) return false;

    const std::size_t rowBytes = width * channels;
    const std::size_t stride = BmpStride(width);
    d.line.resize(rowBytes);
    if (passes > 1) {
        // Interlaced: every pass lands in the whole picture.
        if (rowBytes * height > Bitmap::kMaxBytes) {
            why = "PNG picture is too large";
            return false;
        }
        d.whole.resize(rowBytes * height);
        for (int pass = 0; pass < passes; ++pass)
            for (png_uint_32 y = 0; y < height; ++y) png_read_row(png, d.whole.data() + y * rowBytes, nullptr);
    }
    // Rows above the sink's window are inflated all the same (each is
    // unfiltered against the one before it), those below it not at all.
    RowCursor rows(out, height, true, window);
    for (png_uint_32 y = 0; y < height && !rows.Done(); ++y) {
        if (!rows.Wanted()) {
            if (passes == 1) png_read_row(png, d.line.data(), nullptr);
            rows.Skip();
            continue;
        }
        unsigned char* dst = rows.Next(stride);
        unsigned char* src = passes > 1 ? d.whole.data() + y * rowBytes : (alpha ? d.line.data() : dst);
        if (passes == 1) png_read_row(png, src, nullptr);
        if (alpha) LayOnBlack(src, width, dst);
        else if (src != dst) std::memcpy(dst, src, rowBytes);
    }
    rows.Finish();
    return true;
}

}  // namespace

bool DecodePng(int fd, RowSink& out, int& orientation, std::string& why) {
    auto reader = std::make_unique<Reader>();
    reader->fd = fd;
    Errors errors;
    Decoding d;
    d.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &errors, OnError, OnWarning);
    if (d.png == nullptr) {
        why = "libpng cannot start";
        return false;
    }
    d.info = png_create_info_struct(d.png);
    bool ok = false;
    if (d.info == nullptr) {
        why = "libpng cannot start";
    } else {
        png_set_read_fn(d.png, reader.get(), ReadData);
        ok = Read(d, errors, out, orientation, why);
        if (!ok && reader->readError != 0) why = std::string("cannot read the PNG file: ") + std::strerror(reader->readError);
    }
    png_destroy_read_struct(&d.png, d.info != nullptr ? &d.info : nullptr, nullptr);
    return ok;
}

}  // namespace sarvo::platform
