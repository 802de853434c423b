#include "picture_writers.h"

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
