// JPEG pictures through libjpeg's scanline interface (libjpeg-turbo, the same
// decoder TurboJPEG drives, with the same defaults, so the pixels are the
// same). The file is read in pieces and the picture decoded a strip of rows
// at a time into the sink, which writes each strip into the bitmap file as
// it comes: neither the whole file nor the whole picture is held, except
// where the sink needs the whole picture to turn it. CMYK and YCCK files are
// turned into BGR row by row.
//
// A sink that shows only part of the picture (a monitor's region of the
// desktop's bitmap) gets only that part, decoded for less: a picture
// stretched over a smaller monitor at one of libjpeg's reduced scales, and
// of a centred or tiled one only the rows and columns the monitor shows
// (RowSink::Window).
//
// Damaged files: a file that ends before the part of its picture that is
// shown does is refused, since showing a half-grey wallpaper helps no one;
// so is one that lacks only its end marker, which libjpeg reports the same
// way (when all of the picture is shown). Lesser defects that libjpeg
// only warns about (stray bytes between markers, a corrupt stretch of
// entropy-coded data) still leave a picture worth showing, so those files
// are decoded and shown.
//
// Memory: a progressive file keeps every coefficient of the whole picture
// while its scans arrive, two bytes a sample, more than the bitmap itself.
// libjpeg's memory manager is told how much the bitmap limit leaves, so a
// small file that declares a vast progressive picture is refused before
// anything of that size is touched.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>
#include <jerror.h>

#include "core/pure/bitmap.h"
#include "core/pure/exif.h"
#include "picture_decoders_linux.h"

namespace sarvo::platform {
namespace {

// libjpeg's error manager, turned so that an error returns here instead of
// ending the process, and nothing is ever printed.
struct ErrorManager {
    jpeg_error_mgr pub;  // first, so that libjpeg's pointer is also ours
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    int readError;  // errno of a failed read, which ends the file early
};

[[noreturn]] void OnError(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

void OnMessage(j_common_ptr cinfo, int level) {
    if (level >= 0) return;  // trace messages
    if (cinfo->err->msg_code == JWRN_JPEG_EOF) OnError(cinfo);
    ++cinfo->err->num_warnings;
}

void OnOutput(j_common_ptr) {}

// The file, read a piece at a time. At its end libjpeg gets an end marker
// and the premature-end warning, which OnMessage turns into an error.
struct FileSource {
    jpeg_source_mgr pub;  // first, as above
    int fd;
    JOCTET buffer[1 << 16];
};

void InitSource(j_decompress_ptr) {}

boolean FillInput(j_decompress_ptr cinfo) {
    auto* src = reinterpret_cast<FileSource*>(cinfo->src);
    ssize_t n;
    do {
        n = read(src->fd, src->buffer, sizeof src->buffer);
    } while (n < 0 && errno == EINTR);
    if (n <= 0) {
        if (n < 0) reinterpret_cast<ErrorManager*>(cinfo->err)->readError = errno;
        static const JOCTET kEnd[2] = {0xFF, JPEG_EOI};
        src->pub.next_input_byte = kEnd;
        src->pub.bytes_in_buffer = 2;
        WARNMS(cinfo, JWRN_JPEG_EOF);
        return TRUE;
    }
    src->pub.next_input_byte = src->buffer;
    src->pub.bytes_in_buffer = static_cast<std::size_t>(n);
    return TRUE;
}

void SkipInput(j_decompress_ptr cinfo, long count) {
    auto* src = reinterpret_cast<FileSource*>(cinfo->src);
    while (count > static_cast<long>(src->pub.bytes_in_buffer)) {
        count -= static_cast<long>(src->pub.bytes_in_buffer);
        FillInput(cinfo);
    }
    if (count > 0) {
        src->pub.next_input_byte += count;
        src->pub.bytes_in_buffer -= static_cast<std::size_t>(count);
    }
}

void TermSource(j_decompress_ptr) {}

unsigned char Product(unsigned a, unsigned b) {
    return static_cast<unsigned char>((a * b + 127) / 255);
}

// Four-colour ink amounts to BGR. Adobe's programs store CMYK inverted (0
// meaning full ink) and mark the file with their APP14 block; libjpeg
// delivers YCCK files in that same inverted CMYK.
void CmykRowToBgr(const unsigned char* cmyk, unsigned width, bool inverted, unsigned char* bgr) {
    for (unsigned x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
        unsigned c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        bgr[0] = Product(y, k);
        bgr[1] = Product(m, k);
        bgr[2] = Product(c, k);
    }
}

// The orientation of the first Exif block among the saved APP1 markers.
int SavedOrientation(j_decompress_ptr cinfo) {
    for (jpeg_saved_marker_ptr m = cinfo->marker_list; m != nullptr; m = m->next)
        if (m->marker == JPEG_APP0 + 1 && IsExifBlock(m->data, m->data_length))
            return ExifBlockOrientation(m->data, m->data_length);
    return 1;
}

// A picture the sink shows whole but smaller than it is: decoded at the
// smallest of libjpeg's scales, in eighths, that still gives at least the
// sink's least size (libjpeg scales in its inverse DCT, so each pixel is the
// mean of those it stands for, not one of them). True when it is scaled; a
// scale that gives the picture's own size is none.
bool ScaleDown(j_decompress_ptr cinfo, const PictureWindow& window) {
    const long width = cinfo->image_width, height = cinfo->image_height;
    const bool whole = window.left == 0 && window.top == 0 && window.width == width && window.height == height;
    if (whole && (window.leastWidth < width || window.leastHeight < height)) {
        cinfo->scale_denom = 8;
        for (cinfo->scale_num = 1; cinfo->scale_num < 8; ++cinfo->scale_num) {
            jpeg_calc_output_dimensions(cinfo);
            if (cinfo->output_width >= window.leastWidth && cinfo->output_height >= window.leastHeight) break;
        }
        if (cinfo->output_width == cinfo->image_width && cinfo->output_height == cinfo->image_height)
            cinfo->scale_num = 8;
    }
    jpeg_calc_output_dimensions(cinfo);
    return cinfo->output_width != cinfo->image_width || cinfo->output_height != cinfo->image_height;
}

}  // namespace

// No object with a destructor lives in this function: libjpeg's errors
// jump back to its setjmp.
bool DecodeJpeg(int fd, RowSink& out, int& orientation, std::string& why) {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = OnError;
    err.pub.emit_message = OnMessage;
    err.pub.output_message = OnOutput;
    err.message[0] = '\0';
    err.readError = 0;
    if (setjmp(err.jump)) {
        const bool tooLarge = err.pub.msg_code == JERR_NO_BACKING_STORE || err.pub.msg_code == JERR_OUT_OF_MEMORY;
        jpeg_destroy_decompress(&cinfo);
        if (err.readError != 0)
            why = std::string("cannot read the JPEG file: ") + std::strerror(err.readError);
        else
            why = tooLarge ? "JPEG picture needs more memory than a wallpaper may take"
                           : std::string("JPEG file is damaged: ") + err.message;
        return false;
    }
    jpeg_create_decompress(&cinfo);
    auto* source = static_cast<FileSource*>(
        (*cinfo.mem->alloc_small)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_PERMANENT, sizeof(FileSource)));
    source->pub.init_source = InitSource;
    source->pub.fill_input_buffer = FillInput;
    source->pub.skip_input_data = SkipInput;
    source->pub.resync_to_restart = jpeg_resync_to_restart;
    source->pub.term_source = TermSource;
    source->pub.bytes_in_buffer = 0;
    source->pub.next_input_byte = nullptr;
    source->fd = fd;
    cinfo.src = &source->pub;
    jpeg_save_markers(&cinfo, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(&cinfo, TRUE);
    orientation = SavedOrientation(&cinfo);
    out.Orientation(orientation);
    const PictureWindow window = out.Window(cinfo.image_width, cinfo.image_height);

    const bool fourColour = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = fourColour ? JCS_CMYK : JCS_EXT_BGR;
    const bool scaled = ScaleDown(&cinfo, window);
    // What the bitmap limit leaves beside the bitmap is all the decoder may
    // take (it has no backing store, so more ends in an error).
    const std::size_t bitmapBytes = Bitmap::FileSizeFor(cinfo.output_width, cinfo.output_height);
    if (bitmapBytes != 0) cinfo.mem->max_memory_to_use = static_cast<long>(Bitmap::kMaxBytes - bitmapBytes);
    if (!out.Start(cinfo.output_width, cinfo.output_height, why)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_start_decompress(&cinfo);

    const unsigned width = cinfo.output_width;
    const unsigned height = cinfo.output_height;
    const std::size_t stride = BmpStride(width);
    // Of a picture at its own size only the window's rows are decoded, and
    // of those only its columns, widened by libjpeg to whole blocks; the
    // rows above it are passed over without their pixels being made, and
    // decoding stops after its last row. The columns asked for reach one
    // further on each side: libjpeg smooths the colour of the first and the
    // last column of a cut as at the picture's edge.
    JDIMENSION left = 0, columns = width;
    unsigned first = 0, end = height;
    if (!scaled && window.width > 0 && window.height > 0 && window.left >= 0 && window.top >= 0 &&
        window.left + window.width <= width && window.top + window.height <= height) {
        left = static_cast<JDIMENSION>(std::max(0L, window.left - 1));
        columns = static_cast<JDIMENSION>(std::min<long>(width, window.left + window.width + 1)) - left;
        if (columns < width) jpeg_crop_scanline(&cinfo, &left, &columns);
        first = static_cast<unsigned>(window.top);
        end = static_cast<unsigned>(window.top + window.height);
        if (first > 0) jpeg_skip_scanlines(&cinfo, first);
    }
    const auto stripRows = static_cast<unsigned>(std::min<long>(out.StripRows(), end - first));
    auto* rows = static_cast<JSAMPROW*>((*cinfo.mem->alloc_small)(reinterpret_cast<j_common_ptr>(&cinfo),
                                                                   JPOOL_IMAGE, stripRows * sizeof(JSAMPROW)));
    JSAMPARRAY line = fourColour ? (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo),
                                                               JPOOL_IMAGE, columns * 4, 1)
                                 : nullptr;
    const bool inverted = cinfo.saw_Adobe_marker;
    while (cinfo.output_scanline < end) {
        const unsigned top = cinfo.output_scanline;
        const unsigned count = std::min(stripRows, end - top);
        // The strip is bottom-up, like the file: its first row is its lowest.
        unsigned char* strip = out.Strip(static_cast<int>(top), static_cast<int>(count));
        for (unsigned i = 0; i < count; ++i) rows[i] = strip + (count - 1 - i) * stride + left * 3;
        if (fourColour) {
            for (unsigned i = 0; i < count; ++i) {
                jpeg_read_scanlines(&cinfo, line, 1);
                CmykRowToBgr(line[0], columns, inverted, rows[i]);
            }
        } else {
            while (cinfo.output_scanline < top + count)
                jpeg_read_scanlines(&cinfo, rows + (cinfo.output_scanline - top), top + count - cinfo.output_scanline);
        }
        out.Put();
    }
    if (end < height) {
        // Nothing below the window is shown: the rest of the file is not read.
        jpeg_destroy_decompress(&cinfo);
        return true;
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

}  // namespace sarvo::platform
