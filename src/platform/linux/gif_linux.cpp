// GIF pictures through giflib, read record by record so that only the first
// frame of an animation is ever decoded. The frame is drawn on the logical
// screen the way a viewer shows it before the animation starts: the screen
// takes the background colour of the global colour table (black without
// one), transparent pixels let it show through, and whatever of the frame
// lies beyond the screen is cut off.
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include <gif_lib.h>

#include "picture_decoders_linux.h"

namespace sarvo::platform {
namespace {

struct MemoryReader {
    const unsigned char* data;
    std::size_t size;
    std::size_t pos;
};

int ReadFromMemory(GifFileType* gif, GifByteType* buffer, int wanted) {
    auto* reader = static_cast<MemoryReader*>(gif->UserData);
    if (wanted <= 0) return 0;
    std::size_t n = static_cast<std::size_t>(wanted);
    if (n > reader->size - reader->pos) n = reader->size - reader->pos;
    std::memcpy(buffer, reader->data + reader->pos, n);
    reader->pos += n;
    return static_cast<int>(n);
}

struct GifCloser {
    void operator()(GifFileType* gif) const {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};

bool Fail(int code, std::string& why) {
    const char* text = GifErrorString(code);
    why = std::string("GIF file is damaged: ") + (text ? text : "unknown error");
    return false;
}

// The row of the frame that the `i`-th line of an interlaced frame of
// `height` rows belongs to: every 8th row from 0, every 8th from 4, every
// 4th from 2, then every 2nd from 1.
int InterlacedRow(int i, int height) {
    const int pass1 = (height + 7) / 8;
    if (i < pass1) return i * 8;
    i -= pass1;
    const int pass2 = (height + 3) / 8;
    if (i < pass2) return 4 + i * 8;
    i -= pass2;
    const int pass3 = (height + 1) / 4;
    if (i < pass3) return 2 + i * 4;
    i -= pass3;
    return 1 + i * 2;
}

bool DrawFirstFrame(GifFileType* gif, int transparent, Bitmap& out, std::string& why) {
    const GifImageDesc& frame = gif->Image;
    if (frame.Width <= 0 || frame.Height <= 0) {
        why = "GIF file's first frame has no size";
        return false;
    }
    // Frames larger than any bitmap we keep are refused before a long decode.
    if (static_cast<std::size_t>(frame.Width) * static_cast<std::size_t>(frame.Height) >
        Bitmap::kMaxBytes) {
        why = "GIF file's first frame is too large";
        return false;
    }
    const ColorMapObject* map = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
    if (!map) {
        why = "GIF file has no colour table";
        return false;
    }
    // Some writers leave the screen size zero; the frame then sets it.
    long screenWidth = gif->SWidth;
    long screenHeight = gif->SHeight;
    if (screenWidth <= 0 || screenHeight <= 0) {
        screenWidth = frame.Left + frame.Width;
        screenHeight = frame.Top + frame.Height;
    }
    if (!out.Allocate(screenWidth, screenHeight, why)) return false;

    GifColorType background{0, 0, 0};
    if (gif->SColorMap && gif->SBackGroundColor < gif->SColorMap->ColorCount)
        background = gif->SColorMap->Colors[gif->SBackGroundColor];
    for (int y = 0; y < out.Height(); ++y) {
        unsigned char* dst = out.Row(y);
        for (int x = 0; x < out.Width(); ++x, dst += 3) {
            dst[0] = background.Blue;
            dst[1] = background.Green;
            dst[2] = background.Red;
        }
    }

    const GifColorType black{0, 0, 0};
    const long visibleWidth = std::max(0L, std::min<long>(frame.Width, screenWidth - frame.Left));
    std::vector<GifPixelType> line(static_cast<std::size_t>(frame.Width));
    for (int i = 0; i < frame.Height; ++i) {
        if (DGifGetLine(gif, line.data(), frame.Width) == GIF_ERROR) {
            out.Release();
            return Fail(gif->Error, why);
        }
        const long y = frame.Top + (frame.Interlace ? InterlacedRow(i, frame.Height) : i);
        if (y >= screenHeight) {
            if (!frame.Interlace) break;  // every later line lies lower still
            continue;
        }
        unsigned char* dst = out.Row(static_cast<int>(y)) + frame.Left * 3;
        for (long x = 0; x < visibleWidth; ++x, dst += 3) {
            const int index = line[static_cast<std::size_t>(x)];
            if (index == transparent) continue;
            const GifColorType& c = index < map->ColorCount ? map->Colors[index] : black;
            dst[0] = c.Blue;
            dst[1] = c.Green;
            dst[2] = c.Red;
        }
    }
    return true;
}

}  // namespace

bool DecodeGif(const unsigned char* data, std::size_t size, Bitmap& out, std::string& why) {
    MemoryReader reader{data, size, 0};
    int error = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&reader, ReadFromMemory, &error));
    if (!gif) return Fail(error, why);

    int transparent = NO_TRANSPARENT_COLOR;
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR) return Fail(gif->Error, why);
        switch (type) {
        case IMAGE_DESC_RECORD_TYPE:
            if (DGifGetImageDesc(gif.get()) == GIF_ERROR) return Fail(gif->Error, why);
            return DrawFirstFrame(gif.get(), transparent, out, why);
        case EXTENSION_RECORD_TYPE: {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif.get(), &code, &block) == GIF_ERROR)
                return Fail(gif->Error, why);
            // The last graphic control block before the frame governs it.
            GraphicsControlBlock control;
            if (code == GRAPHICS_EXT_FUNC_CODE && block &&
                DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK)
                transparent = control.TransparentColor;
            while (block) {
                if (DGifGetExtensionNext(gif.get(), &block) == GIF_ERROR)
                    return Fail(gif->Error, why);
            }
            break;
        }
        case TERMINATE_RECORD_TYPE:
            why = "GIF file holds no picture";
            return false;
        default:
            break;
        }
    }
}

}  // namespace sarvo::platform
