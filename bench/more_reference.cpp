// sarvo-bench-more-reference FORMAT PICTURE BMP
//
// The plainest way from a picture to a 24-bit BMP file with each library
// that MoreFormats=1 brings, for FORMAT png, webp, avif, heic or jxl: the
// library's simplest call that decodes the whole picture into one buffer of
// blue, green and red (or red, green and blue, turned round on the way out),
// with the same threads as the changer gives it, then fwrite of the BMP file
// row by row. The pictures the benchmark makes are opaque and upright.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <avif/avif.h>
#include <jxl/decode.h>
#include <jxl/decode_cxx.h>
#include <jxl/thread_parallel_runner.h>
#include <jxl/thread_parallel_runner_cxx.h>
#include <libheif/heif.h>
#include <png.h>
#include <webp/decode.h>

namespace {

struct Picture {
    std::uint32_t width = 0, height = 0;
    std::vector<unsigned char> pixels;  // rows from the top, three bytes a pixel
    std::size_t rowBytes = 0;
    bool rgb = false;  // red first (else blue first)
};

int Fail(const std::string& what) {
    std::fprintf(stderr, "sarvo-bench-more-reference: %s\n", what.c_str());
    return 1;
}

std::vector<unsigned char> ReadAll(const char* path) {
    std::vector<unsigned char> bytes;
    if (std::FILE* f = std::fopen(path, "rb")) {
        unsigned char buffer[1 << 16];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) bytes.insert(bytes.end(), buffer, buffer + n);
        std::fclose(f);
    }
    return bytes;
}

bool Png(const char* path, Picture& p) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path)) return false;
    image.format = PNG_FORMAT_BGR;
    p.width = image.width;
    p.height = image.height;
    p.rowBytes = PNG_IMAGE_ROW_STRIDE(image);
    p.pixels.resize(PNG_IMAGE_SIZE(image));
    return png_image_finish_read(&image, nullptr, p.pixels.data(), 0, nullptr) != 0;
}

bool WebP(const char* path, Picture& p) {
    const std::vector<unsigned char> bytes = ReadAll(path);
    int width = 0, height = 0;
    std::uint8_t* decoded = WebPDecodeBGR(bytes.data(), bytes.size(), &width, &height);
    if (decoded == nullptr) return false;
    p.width = static_cast<std::uint32_t>(width);
    p.height = static_cast<std::uint32_t>(height);
    p.rowBytes = static_cast<std::size_t>(width) * 3;
    p.pixels.assign(decoded, decoded + p.rowBytes * p.height);
    WebPFree(decoded);
    return true;
}

bool Avif(const char* path, Picture& p) {
    avifDecoder* decoder = avifDecoderCreate();
    decoder->maxThreads = static_cast<int>(std::clamp(sysconf(_SC_NPROCESSORS_ONLN), 1L, 8L));
    avifImage* image = avifImageCreateEmpty();
    bool ok = avifDecoderReadFile(decoder, image, path) == AVIF_RESULT_OK;
    if (ok) {
        avifRGBImage rgb;
        avifRGBImageSetDefaults(&rgb, image);
        rgb.format = AVIF_RGB_FORMAT_BGR;
        rgb.depth = 8;
        p.width = image->width;
        p.height = image->height;
        p.rowBytes = static_cast<std::size_t>(image->width) * 3;
        p.pixels.resize(p.rowBytes * p.height);
        rgb.pixels = p.pixels.data();
        rgb.rowBytes = static_cast<std::uint32_t>(p.rowBytes);
        ok = avifImageYUVToRGB(image, &rgb) == AVIF_RESULT_OK;
    }
    avifImageDestroy(image);
    avifDecoderDestroy(decoder);
    return ok;
}

bool Heif(const char* path, Picture& p) {
    heif_context* context = heif_context_alloc();
    heif_image_handle* handle = nullptr;
    heif_image* image = nullptr;
    bool ok = heif_context_read_from_file(context, path, nullptr).code == heif_error_Ok &&
              heif_context_get_primary_image_handle(context, &handle).code == heif_error_Ok &&
              heif_decode_image(handle, &image, heif_colorspace_RGB, heif_chroma_interleaved_RGB, nullptr).code ==
                  heif_error_Ok;
    if (ok) {
        int stride = 0;
        const std::uint8_t* plane = heif_image_get_plane_readonly(image, heif_channel_interleaved, &stride);
        p.width = static_cast<std::uint32_t>(heif_image_get_width(image, heif_channel_interleaved));
        p.height = static_cast<std::uint32_t>(heif_image_get_height(image, heif_channel_interleaved));
        p.rowBytes = static_cast<std::size_t>(stride);
        p.pixels.assign(plane, plane + p.rowBytes * p.height);
        p.rgb = true;
    }
    heif_image_release(image);
    heif_image_handle_release(handle);
    heif_context_free(context);
    return ok;
}

bool Jxl(const char* path, Picture& p) {
    const std::vector<unsigned char> bytes = ReadAll(path);
    const JxlDecoderPtr decoder = JxlDecoderMake(nullptr);
    const JxlThreadParallelRunnerPtr runner =
        JxlThreadParallelRunnerMake(nullptr, JxlThreadParallelRunnerDefaultNumWorkerThreads());
    JxlDecoderSetParallelRunner(decoder.get(), JxlThreadParallelRunner, runner.get());
    JxlDecoderSubscribeEvents(decoder.get(), JXL_DEC_BASIC_INFO | JXL_DEC_FULL_IMAGE);
    JxlDecoderSetInput(decoder.get(), bytes.data(), bytes.size());
    JxlDecoderCloseInput(decoder.get());
    const JxlPixelFormat format{3, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
    for (;;) {
        switch (JxlDecoderProcessInput(decoder.get())) {
        case JXL_DEC_BASIC_INFO: {
            JxlBasicInfo info;
            JxlDecoderGetBasicInfo(decoder.get(), &info);
            p.width = info.xsize;
            p.height = info.ysize;
            p.rowBytes = static_cast<std::size_t>(info.xsize) * 3;
            p.pixels.resize(p.rowBytes * p.height);
            p.rgb = true;
            break;
        }
        case JXL_DEC_NEED_IMAGE_OUT_BUFFER:
            JxlDecoderSetImageOutBuffer(decoder.get(), &format, p.pixels.data(), p.pixels.size());
            break;
        case JXL_DEC_FULL_IMAGE: return true;
        case JXL_DEC_ERROR:
        case JXL_DEC_NEED_MORE_INPUT:
        case JXL_DEC_SUCCESS: return false;
        default: break;
        }
    }
}

void PutLe32(unsigned char* at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(v >> (8 * i));
}

bool WriteBmp(const Picture& p, const char* path) {
    const std::size_t stride = (static_cast<std::size_t>(p.width) * 3 + 3) & ~std::size_t{3};
    const std::size_t size = 54 + stride * p.height;
    unsigned char headers[54] = {'B', 'M'};
    PutLe32(headers + 2, static_cast<std::uint32_t>(size));
    PutLe32(headers + 10, 54);
    PutLe32(headers + 14, 40);
    PutLe32(headers + 18, p.width);
    PutLe32(headers + 22, p.height);
    headers[26] = 1;
    headers[28] = 24;
    PutLe32(headers + 34, static_cast<std::uint32_t>(size - 54));
    PutLe32(headers + 38, 3780);
    PutLe32(headers + 42, 3780);
    std::FILE* out = std::fopen(path, "wb");
    if (out == nullptr || std::fwrite(headers, 1, 54, out) != 54) return false;
    std::vector<unsigned char> row(stride, 0);
    for (std::uint32_t y = p.height; y-- > 0;) {
        const unsigned char* src = p.pixels.data() + y * p.rowBytes;
        for (std::size_t x = 0; x < p.width; ++x) {
            row[x * 3] = src[x * 3 + (p.rgb ? 2 : 0)];
            row[x * 3 + 1] = src[x * 3 + 1];
            row[x * 3 + 2] = src[x * 3 + (p.rgb ? 0 : 2)];
        }
        if (std::fwrite(row.data(), 1, stride, out) != stride) return false;
    }
    return std::fclose(out) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: sarvo-bench-more-reference png|webp|avif|heic|jxl PICTURE BMP\n");
        return 2;
    }
    const std::string format = argv[1];
    Picture picture;
    bool ok;
    if (format == "png") ok = Png(argv[2], picture);
    else if (format == "webp") ok = WebP(argv[2], picture);
    else if (format == "avif") ok = Avif(argv[2], picture);
    else if (format == "heic") ok = Heif(argv[2], picture);
    else if (format == "jxl") ok = Jxl(argv[2], picture);
    else return Fail("unknown format " + format);
    if (!ok) return Fail("cannot decode " + std::string(argv[2]));
    if (!WriteBmp(picture, argv[3])) return Fail("cannot write " + std::string(argv[3]));
    return 0;
}
