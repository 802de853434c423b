// JPEG pictures. The common case goes through TurboJPEG, which decodes
// straight into the bitmap's bottom-up rows: no second copy of the pixels is
// ever made. What TurboJPEG cannot turn into BGR (CMYK and YCCK files,
// sampling layouts it cannot classify) goes through libjpeg's general path,
// which writes into the same rows scanline by scanline.
//
// Damaged files: a file that ends before its picture does is refused, since
// showing a half-grey wallpaper helps no one; so is one that lacks only its
// end marker, which libjpeg reports the same way. Lesser defects that libjpeg
// only warns about (stray bytes between markers, a corrupt stretch of
// entropy-coded data) still leave a picture worth showing, so those files
// are decoded and shown. TurboJPEG is asked to stop at the first warning; if
// that warning is not the premature end, the general path decodes the file
// again with the warnings noted and ignored.
//
// Memory: a progressive file keeps every coefficient of the whole picture
// while its scans arrive, two bytes a sample, a second picture's worth or
// more beside the bitmap. TurboJPEG cannot bound that, so progressive files
// go through libjpeg, whose memory manager is told how much the bitmap limit
// leaves; a small file that declares a vast progressive picture is then
// refused before anything of that size is touched.
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>

#include <jpeglib.h>
#include <jerror.h>
#include <turbojpeg.h>

#include "core/pure/exif.h"
#include "picture_decoders_linux.h"

namespace sarvo::platform {
namespace {

// libjpeg's own text for a file that ends too early; TurboJPEG reports a
// warning only by its text.
const char* PrematureEndText() {
    static const char* const text = [] {
        jpeg_error_mgr err;
        jpeg_std_error(&err);
        return err.jpeg_message_table[JWRN_JPEG_EOF];
    }();
    return text;
}

struct TurboJpegCloser {
    void operator()(void* handle) const { tjDestroy(handle); }
};

enum class Outcome { kDecoded, kFailed, kNeedsGeneralPath };

// Whether the frame header before the first scan is a progressive one
// (SOF2, SOF6, SOF10, SOF14). Markers are walked by their lengths.
bool IsProgressive(const unsigned char* data, std::size_t size) {
    std::size_t i = 2;
    while (i + 4 <= size && data[i] == 0xFF) {
        const unsigned char marker = data[i + 1];
        if (marker == 0xFF) {
            ++i;
            continue;
        }
        if (marker == 0xDA || marker == 0xD9) return false;
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC)
            return (marker & 0x03) == 0x02;
        i += 2 + ((std::size_t{data[i + 2]} << 8) | data[i + 3]);
    }
    return false;
}

Outcome DecodeWithTurboJpeg(const unsigned char* data, std::size_t size, Bitmap& out,
                            std::string& why) {
    if (IsProgressive(data, size)) return Outcome::kNeedsGeneralPath;
    std::unique_ptr<void, TurboJpegCloser> tj(tjInitDecompress());
    if (!tj) {
        why = std::string("TurboJPEG cannot start: ") + tjGetErrorStr2(nullptr);
        return Outcome::kFailed;
    }
    int width = 0, height = 0, subsampling = 0, colourspace = 0;
    // A header TurboJPEG cannot classify may still be one libjpeg reads; if
    // not, libjpeg gives the better reason. TurboJPEG also reports success,
    // without a size, for a file that ends before its frame header.
    if (tjDecompressHeader3(tj.get(), data, static_cast<unsigned long>(size), &width, &height,
                            &subsampling, &colourspace) != 0 ||
        width <= 0 || height <= 0)
        return Outcome::kNeedsGeneralPath;
    if (colourspace == TJCS_CMYK || colourspace == TJCS_YCCK) return Outcome::kNeedsGeneralPath;
    if (!out.Allocate(width, height, why)) return Outcome::kFailed;

    // Bottom-up: the top row lands last in memory, where the file keeps it.
    if (tjDecompress2(tj.get(), data, static_cast<unsigned long>(size), out.Row(height - 1), width,
                      static_cast<int>(out.Stride()), height, TJPF_BGR,
                      TJFLAG_BOTTOMUP | TJFLAG_STOPONWARNING) == 0)
        return Outcome::kDecoded;
    const char* message = tjGetErrorStr2(tj.get());
    if (tjGetErrorCode(tj.get()) == TJERR_WARNING && std::strcmp(message, PrematureEndText()) != 0)
        return Outcome::kNeedsGeneralPath;
    why = std::string("JPEG file is damaged: ") + message;
    return Outcome::kFailed;
}

// libjpeg's error manager, turned so that an error returns here instead of
// ending the process, and nothing is ever printed.
struct ErrorManager {
    jpeg_error_mgr pub;  // first, so that libjpeg's pointer is also ours
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
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

// No object with a destructor lives in this function: libjpeg's errors
// jump back to its setjmp.
bool DecodeWithLibjpeg(const unsigned char* data, std::size_t size, Bitmap& out, std::string& why) {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = OnError;
    err.pub.emit_message = OnMessage;
    err.pub.output_message = OnOutput;
    err.message[0] = '\0';
    if (setjmp(err.jump)) {
        const bool tooLarge = err.pub.msg_code == JERR_NO_BACKING_STORE || err.pub.msg_code == JERR_OUT_OF_MEMORY;
        jpeg_destroy_decompress(&cinfo);
        out.Release();
        why = tooLarge ? "JPEG picture needs more memory than a wallpaper may take"
                       : std::string("JPEG file is damaged: ") + err.message;
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);
    const bool fourColour =
        cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = fourColour ? JCS_CMYK : JCS_EXT_BGR;
    jpeg_calc_output_dimensions(&cinfo);
    // What the bitmap limit leaves beside the bitmap is all the decoder may
    // take (it has no backing store, so more ends in an error).
    const std::size_t bitmapBytes = Bitmap::FileSizeFor(cinfo.output_width, cinfo.output_height);
    if (bitmapBytes != 0) cinfo.mem->max_memory_to_use = static_cast<long>(Bitmap::kMaxBytes - bitmapBytes);
    if (!out.Allocate(cinfo.output_width, cinfo.output_height, why)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_start_decompress(&cinfo);

    if (fourColour) {
        JSAMPARRAY line = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo),
                                                     JPOOL_IMAGE, cinfo.output_width * 4, 1);
        const bool inverted = cinfo.saw_Adobe_marker;
        while (cinfo.output_scanline < cinfo.output_height) {
            const int y = static_cast<int>(cinfo.output_scanline);
            jpeg_read_scanlines(&cinfo, line, 1);
            CmykRowToBgr(line[0], cinfo.output_width, inverted, out.Row(y));
        }
    } else {
        constexpr unsigned kRowsAtOnce = 16;
        JSAMPROW rows[kRowsAtOnce];
        while (cinfo.output_scanline < cinfo.output_height) {
            const unsigned first = cinfo.output_scanline;
            const unsigned count = std::min(kRowsAtOnce, cinfo.output_height - first);
            for (unsigned i = 0; i < count; ++i) rows[i] = out.Row(static_cast<int>(first + i));
            jpeg_read_scanlines(&cinfo, rows, count);
        }
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

}  // namespace

bool DecodeJpeg(const unsigned char* data, std::size_t size, Bitmap& out, std::string& why) {
    switch (DecodeWithTurboJpeg(data, size, out, why)) {
    case Outcome::kDecoded: break;
    case Outcome::kFailed: out.Release(); return false;
    case Outcome::kNeedsGeneralPath:
        if (!DecodeWithLibjpeg(data, size, out, why)) return false;
        break;
    }
    return ApplyExifOrientation(out, JpegExifOrientation(data, size), why);
}

}  // namespace sarvo::platform
