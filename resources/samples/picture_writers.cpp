#include "picture_writers.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include <gif_lib.h>
#include <turbojpeg.h>

namespace sarvo::test {

bool EncodeJpeg(const Bitmap& picture, int quality, int subsampling,
                std::vector<unsigned char>& out, std::string& why, bool progressive) {
    tjhandle tj = tjInitCompress();
    if (!tj) {
        why = tjGetErrorStr2(nullptr);
        return false;
    }
    unsigned char* jpeg = nullptr;
    unsigned long jpegSize = 0;
    // The bitmap keeps its rows bottom-up, the top row last in memory.
    const int rc = tjCompress2(tj, picture.Row(picture.Height() - 1), picture.Width(),
                               static_cast<int>(picture.Stride()), picture.Height(), TJPF_BGR,
                               &jpeg, &jpegSize, subsampling, quality,
                               TJFLAG_BOTTOMUP | (progressive ? TJFLAG_PROGRESSIVE : 0));
    if (rc == 0)
        out.assign(jpeg, jpeg + jpegSize);
    else
        why = tjGetErrorStr2(tj);
    tjFree(jpeg);
    tjDestroy(tj);
    return rc == 0;
}

namespace {

int AppendToVector(GifFileType* gif, const GifByteType* bytes, int count) {
    auto* out = static_cast<std::vector<unsigned char>*>(gif->UserData);
    out->insert(out->end(), bytes, bytes + count);
    return count;
}

struct MapFreer {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};
using ColourMap = std::unique_ptr<ColorMapObject, MapFreer>;

ColourMap MakeMap(const std::vector<std::uint32_t>& colours) {
    if (colours.empty()) return nullptr;
    int size = 2;
    while (size < static_cast<int>(colours.size())) size *= 2;
    std::vector<GifColorType> entries(static_cast<std::size_t>(size), GifColorType{0, 0, 0});
    for (std::size_t i = 0; i < colours.size(); ++i)
        entries[i] = GifColorType{static_cast<GifByteType>(colours[i] >> 16),
                                  static_cast<GifByteType>(colours[i] >> 8),
                                  static_cast<GifByteType>(colours[i])};
    return ColourMap(GifMakeMapObject(size, entries.data()));
}

// The rows of an interlaced frame in the order they are stored.
std::vector<int> StoredRowOrder(int height, bool interlaced) {
    std::vector<int> order;
    if (!interlaced) {
        for (int y = 0; y < height; ++y) order.push_back(y);
        return order;
    }
    const int starts[] = {0, 4, 2, 1};
    const int steps[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int y = starts[pass]; y < height; y += steps[pass]) order.push_back(y);
    return order;
}

bool PutFrame(GifFileType* gif, const GifFrame& frame) {
    if (frame.transparent >= 0) {
        GraphicsControlBlock control{};
        control.DisposalMode = DISPOSAL_UNSPECIFIED;
        control.UserInputFlag = false;
        control.DelayTime = 50;
        control.TransparentColor = frame.transparent;
        GifByteType block[4];
        const std::size_t length = EGifGCBToExtension(&control, block);
        if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), block) ==
            GIF_ERROR)
            return false;
    }
    ColourMap local = MakeMap(frame.colours);
    if (EGifPutImageDesc(gif, frame.left, frame.top, frame.width, frame.height,
                         frame.interlaced, local.get()) == GIF_ERROR)
        return false;
    std::vector<GifPixelType> line(static_cast<std::size_t>(frame.width));
    for (int y : StoredRowOrder(frame.height, frame.interlaced)) {
        for (int x = 0; x < frame.width; ++x)
            line[static_cast<std::size_t>(x)] =
                frame.indexes[static_cast<std::size_t>(y * frame.width + x)];
        if (EGifPutLine(gif, line.data(), frame.width) == GIF_ERROR) return false;
    }
    return true;
}

}  // namespace

bool EncodeGif(const GifPicture& picture, std::vector<unsigned char>& out, std::string& why) {
    out.clear();
    int error = 0;
    GifFileType* gif = EGifOpen(&out, AppendToVector, &error);
    if (!gif) {
        why = GifErrorString(error);
        return false;
    }
    EGifSetGifVersion(gif, true);
    ColourMap global = MakeMap(picture.colours);
    bool ok = EGifPutScreenDesc(gif, picture.width, picture.height, 8, picture.background,
                                global.get()) != GIF_ERROR;
    for (const GifFrame& frame : picture.frames) ok = ok && PutFrame(gif, frame);
    if (!ok) why = GifErrorString(gif->Error);
    if (EGifCloseFile(gif, &error) == GIF_ERROR && ok) {
        why = GifErrorString(error);
        ok = false;
    }
    return ok;
}

}  // namespace sarvo::test

// ---------------------------------------------------------------------------
// The further formats.

#include <png.h>
#include <webp/encode.h>
#include <webp/mux.h>
#include <avif/avif.h>
#include <libheif/heif.h>
#include <jxl/encode.h>
#include <jxl/encode_cxx.h>

namespace sarvo::test {

namespace {

// The picture as rows of red, green, blue (and alpha), top first.
std::vector<unsigned char> Interleaved(const Bitmap& picture, const Encoding& how, bool bgr = false) {
    const bool alpha = !how.alpha.empty();
    std::vector<unsigned char> rows;
    rows.reserve(static_cast<std::size_t>(picture.Width()) * picture.Height() * (alpha ? 4 : 3));
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x) {
            const unsigned char* p = picture.Row(y) + x * 3;
            if (bgr) rows.insert(rows.end(), {p[0], p[1], p[2]});
            else rows.insert(rows.end(), {p[2], p[1], p[0]});
            if (alpha) rows.push_back(how.alpha[static_cast<std::size_t>(y) * picture.Width() + x]);
        }
    return rows;
}

// HEIF's and AVIF's rotation (quarter turns anticlockwise) and mirror (0 top
// and bottom, 1 left and right, -1 none) that an Exif orientation stands for.
void Transforms(int orientation, int& quarterTurns, int& mirror) {
    static const int kTurns[9] = {0, 0, 0, 2, 0, 1, 3, 1, 1};
    static const int kMirror[9] = {-1, -1, 1, -1, 0, 0, -1, 1, -1};
    const int o = orientation >= 1 && orientation <= 8 ? orientation : 1;
    quarterTurns = kTurns[o];
    mirror = kMirror[o];
}

}  // namespace

std::vector<unsigned char> ExifOrientationBlock(int orientation) {
    return {'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0,                    // header, IFD0 at 8, one entry
            0x12, 0x01, 3, 0, 1, 0, 0, 0,                          // Orientation, SHORT, one
            static_cast<unsigned char>(orientation), 0, 0, 0,      // its value
            0, 0, 0, 0};                                           // no next IFD
}

bool EncodePng(const Bitmap& picture, const Encoding& how, std::vector<unsigned char>& out, std::string& why) {
    out.clear();
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        why = "libpng cannot write the picture";
        return false;
    }
    png_set_write_fn(png, &out, [](png_structp p, png_bytep data, std::size_t size) {
        auto* bytes = static_cast<std::vector<unsigned char>*>(png_get_io_ptr(p));
        bytes->insert(bytes->end(), data, data + size);
    }, nullptr);
    const bool alpha = !how.alpha.empty();
    png_set_IHDR(png, info, static_cast<png_uint_32>(picture.Width()), static_cast<png_uint_32>(picture.Height()), 8,
                 alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    std::vector<unsigned char> exif = ExifOrientationBlock(how.orientation);
    if (how.orientation != 1) png_set_eXIf_1(png, info, static_cast<png_uint_32>(exif.size()), exif.data());
    if (!alpha && how.transparentColour >= 0) {
        png_color_16 colour{};
        colour.red = static_cast<png_uint_16>(how.transparentColour >> 16 & 0xFF);
        colour.green = static_cast<png_uint_16>(how.transparentColour >> 8 & 0xFF);
        colour.blue = static_cast<png_uint_16>(how.transparentColour & 0xFF);
        png_set_tRNS(png, info, nullptr, 0, &colour);
    }
    png_write_info(png, info);
    std::vector<unsigned char> rows = Interleaved(picture, how);
    const std::size_t rowBytes = static_cast<std::size_t>(picture.Width()) * (alpha ? 4 : 3);
    for (int y = 0; y < picture.Height(); ++y) png_write_row(png, rows.data() + y * rowBytes);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool EncodeWebP(const Bitmap& picture, const Encoding& how, std::vector<unsigned char>& out, std::string& why) {
    WebPConfig config;
    WebPPicture pic;
    if (!WebPConfigInit(&config) || !WebPPictureInit(&pic)) {
        why = "libwebp cannot start";
        return false;
    }
    config.lossless = how.lossless ? 1 : 0;
    config.quality = static_cast<float>(how.lossless ? 100 : how.quality);
    config.exact = 1;
    pic.use_argb = how.lossless ? 1 : 0;
    pic.width = picture.Width();
    pic.height = picture.Height();
    const bool alpha = !how.alpha.empty();
    std::vector<unsigned char> rows = Interleaved(picture, how, true);
    const int stride = picture.Width() * (alpha ? 4 : 3);
    if (!(alpha ? WebPPictureImportBGRA(&pic, rows.data(), stride) : WebPPictureImportBGR(&pic, rows.data(), stride))) {
        why = "libwebp cannot take the picture";
        return false;
    }
    WebPMemoryWriter writer;
    WebPMemoryWriterInit(&writer);
    pic.writer = WebPMemoryWrite;
    pic.custom_ptr = &writer;
    const bool ok = WebPEncode(&config, &pic) != 0;
    WebPPictureFree(&pic);
    if (!ok) {
        WebPMemoryWriterClear(&writer);
        why = "libwebp cannot encode the picture";
        return false;
    }
    out.assign(writer.mem, writer.mem + writer.size);
    WebPMemoryWriterClear(&writer);
    if (how.orientation == 1) return true;
    // The Exif block goes in through the muxer, which adds the extended header.
    const WebPData image{out.data(), out.size()};
    WebPMux* mux = WebPMuxCreate(&image, 1);
    const std::vector<unsigned char> exif = ExifOrientationBlock(how.orientation);
    const WebPData chunk{exif.data(), exif.size()};
    WebPData assembled{nullptr, 0};
    const bool muxed = mux != nullptr && WebPMuxSetChunk(mux, "EXIF", &chunk, 1) == WEBP_MUX_OK &&
                       WebPMuxAssemble(mux, &assembled) == WEBP_MUX_OK;
    WebPMuxDelete(mux);
    if (!muxed) {
        why = "libwebpmux cannot add the Exif block";
        return false;
    }
    out.assign(assembled.bytes, assembled.bytes + assembled.size);
    WebPDataClear(&assembled);
    return true;
}

bool EncodeAvif(const Bitmap& picture, const Encoding& how, std::vector<unsigned char>& out, std::string& why) {
    const bool alpha = !how.alpha.empty();
    avifImage* image = avifImageCreate(static_cast<std::uint32_t>(picture.Width()),
                                       static_cast<std::uint32_t>(picture.Height()), 8,
                                       how.lossless ? AVIF_PIXEL_FORMAT_YUV444 : AVIF_PIXEL_FORMAT_YUV420);
    if (how.lossless) image->matrixCoefficients = AVIF_MATRIX_COEFFICIENTS_IDENTITY;
    std::vector<unsigned char> rows = Interleaved(picture, how, true);
    avifRGBImage rgb;
    avifRGBImageSetDefaults(&rgb, image);
    rgb.format = alpha ? AVIF_RGB_FORMAT_BGRA : AVIF_RGB_FORMAT_BGR;
    rgb.pixels = rows.data();
    rgb.rowBytes = static_cast<std::uint32_t>(picture.Width() * (alpha ? 4 : 3));
    avifEncoder* encoder = avifEncoderCreate();
    encoder->speed = 10;
    const int quantizer = how.lossless ? AVIF_QUANTIZER_LOSSLESS : (100 - how.quality) * 63 / 100;
    encoder->minQuantizer = encoder->maxQuantizer = quantizer;
    encoder->minQuantizerAlpha = encoder->maxQuantizerAlpha = how.lossless ? AVIF_QUANTIZER_LOSSLESS : quantizer;
    if (how.orientation != 1) {
        const std::vector<unsigned char> tiff = ExifOrientationBlock(how.orientation);
        std::vector<unsigned char> exif = {'E', 'x', 'i', 'f', 0, 0};
        exif.insert(exif.end(), tiff.begin(), tiff.end());
        avifImageSetMetadataExif(image, exif.data(), exif.size());
        int turns = 0, mirror = -1;
        Transforms(how.orientation, turns, mirror);
        image->transformFlags = 0;
        if (turns != 0) {
            image->transformFlags |= AVIF_TRANSFORM_IROT;
            image->irot.angle = static_cast<std::uint8_t>(turns);
        }
        if (mirror >= 0) {
            image->transformFlags |= AVIF_TRANSFORM_IMIR;
            image->imir.mode = static_cast<std::uint8_t>(mirror);
        }
    }
    avifRWData encoded = AVIF_DATA_EMPTY;
    avifResult result = avifImageRGBToYUV(image, &rgb);
    if (result == AVIF_RESULT_OK) result = avifEncoderWrite(encoder, image, &encoded);
    if (result == AVIF_RESULT_OK) out.assign(encoded.data, encoded.data + encoded.size);
    else why = std::string("libavif cannot encode the picture: ") + avifResultToString(result);
    avifRWDataFree(&encoded);
    avifEncoderDestroy(encoder);
    avifImageDestroy(image);
    return result == AVIF_RESULT_OK;
}

bool EncodeHeif(const Bitmap& picture, const Encoding& how, std::vector<unsigned char>& out, std::string& why) {
    const bool alpha = !how.alpha.empty();
    heif_context* context = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    heif_image* image = nullptr;
    heif_encoding_options* options = heif_encoding_options_alloc();
    heif_error error = heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder);
    if (error.code == heif_error_Ok)
        error = how.lossless ? heif_encoder_set_lossless(encoder, 1) : heif_encoder_set_lossy_quality(encoder, how.quality);
    if (error.code == heif_error_Ok)
        error = heif_image_create(picture.Width(), picture.Height(), heif_colorspace_RGB,
                                  alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, &image);
    if (error.code == heif_error_Ok)
        error = heif_image_add_plane(image, heif_channel_interleaved, picture.Width(), picture.Height(), 8);
    if (error.code == heif_error_Ok) {
        int stride = 0;
        std::uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
        const std::vector<unsigned char> rows = Interleaved(picture, how);
        const std::size_t rowBytes = static_cast<std::size_t>(picture.Width()) * (alpha ? 4 : 3);
        for (int y = 0; y < picture.Height(); ++y)
            std::copy_n(rows.data() + y * rowBytes, rowBytes, plane + static_cast<std::size_t>(y) * stride);
        options->image_orientation = static_cast<heif_orientation>(how.orientation);
        heif_image_handle* handle = nullptr;
        error = heif_context_encode_image(context, image, encoder, options, &handle);
        if (error.code == heif_error_Ok && how.orientation != 1) {
            const std::vector<unsigned char> tiff = ExifOrientationBlock(how.orientation);
            std::vector<unsigned char> exif = {'E', 'x', 'i', 'f', 0, 0};
            exif.insert(exif.end(), tiff.begin(), tiff.end());
            error = heif_context_add_exif_metadata(context, handle, exif.data(), static_cast<int>(exif.size()));
        }
        heif_image_handle_release(handle);
    }
    if (error.code == heif_error_Ok) {
        heif_writer writer{1, [](heif_context*, const void* data, std::size_t size, void* userdata) {
                               auto* bytes = static_cast<std::vector<unsigned char>*>(userdata);
                               const auto* p = static_cast<const unsigned char*>(data);
                               bytes->assign(p, p + size);
                               return heif_error{heif_error_Ok, heif_suberror_Unspecified, "ok"};
                           }};
        error = heif_context_write(context, &writer, &out);
    }
    if (error.code != heif_error_Ok) why = std::string("libheif cannot encode the picture: ") + error.message;
    heif_encoding_options_free(options);
    heif_image_release(image);
    if (encoder != nullptr) heif_encoder_release(encoder);
    heif_context_free(context);
    return error.code == heif_error_Ok;
}

bool EncodeJxl(const Bitmap& picture, const Encoding& how, std::vector<unsigned char>& out, std::string& why) {
    const bool alpha = !how.alpha.empty();
    const JxlEncoderPtr encoder = JxlEncoderMake(nullptr);
    JxlBasicInfo info;
    JxlEncoderInitBasicInfo(&info);
    info.xsize = static_cast<std::uint32_t>(picture.Width());
    info.ysize = static_cast<std::uint32_t>(picture.Height());
    info.bits_per_sample = 8;
    info.num_color_channels = 3;
    info.orientation = static_cast<JxlOrientation>(how.orientation);
    info.uses_original_profile = how.lossless ? JXL_TRUE : JXL_FALSE;
    if (alpha) {
        info.alpha_bits = 8;
        info.num_extra_channels = 1;
    }
    JxlColorEncoding colour;
    JxlColorEncodingSetToSRGB(&colour, JXL_FALSE);
    const JxlPixelFormat format{alpha ? 4u : 3u, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
    const std::vector<unsigned char> rows = Interleaved(picture, how);
    JxlEncoderFrameSettings* settings = nullptr;
    bool ok = encoder && JxlEncoderSetBasicInfo(encoder.get(), &info) == JXL_ENC_SUCCESS &&
              JxlEncoderSetColorEncoding(encoder.get(), &colour) == JXL_ENC_SUCCESS &&
              (settings = JxlEncoderFrameSettingsCreate(encoder.get(), nullptr)) != nullptr &&
              JxlEncoderFrameSettingsSetOption(settings, JXL_ENC_FRAME_SETTING_EFFORT, 3) == JXL_ENC_SUCCESS &&
              (how.lossless ? JxlEncoderSetFrameLossless(settings, JXL_TRUE)
                            : JxlEncoderSetFrameDistance(settings, (100.0f - static_cast<float>(how.quality)) / 10.0f)) ==
                  JXL_ENC_SUCCESS &&
              JxlEncoderAddImageFrame(settings, &format, rows.data(), rows.size()) == JXL_ENC_SUCCESS;
    if (ok) JxlEncoderCloseInput(encoder.get());
    out.assign(1 << 16, 0);
    std::size_t used = 0;
    JxlEncoderStatus status = JXL_ENC_NEED_MORE_OUTPUT;
    while (ok && status == JXL_ENC_NEED_MORE_OUTPUT) {
        std::uint8_t* next = out.data() + used;
        std::size_t room = out.size() - used;
        status = JxlEncoderProcessOutput(encoder.get(), &next, &room);
        used = static_cast<std::size_t>(next - out.data());
        if (status == JXL_ENC_NEED_MORE_OUTPUT) out.resize(out.size() * 2);
    }
    ok = ok && status == JXL_ENC_SUCCESS;
    out.resize(ok ? used : 0);
    if (!ok) why = "libjxl cannot encode the picture";
    return ok;
}

}  // namespace sarvo::test
