// GIF pictures through giflib, read record by record from the file so that
// only the first frame of an animation is ever read and decoded, and handed
// on row by row: only an interlaced frame, whose rows come in four passes,
// is held whole, as one palette index a pixel. The frame is drawn on the logical
// screen the way a viewer shows it before the animation starts: the screen
// takes the background colour of the global colour table (black without
// one), transparent pixels let it show through, and whatever of the frame
// lies beyond the screen is cut off.
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include <unistd.h>

#include <cerrno>

#include <gif_lib.h>

#include "core/pure/bitmap.h"
#include "picture_decoders_linux.h"

namespace sarvo::platform {
namespace {

// The file through a buffer: giflib asks for a few bytes at a time.
struct FileReader {
    int fd;
    std::size_t pos = 0, end = 0;
    unsigned char buffer[1 << 16];
};

int ReadFromFile(GifFileType* gif, GifByteType* out, int wanted) {
    auto* reader = static_cast<FileReader*>(gif->UserData);
    int given = 0;
    while (given < wanted) {
        if (reader->pos == reader->end) {
            ssize_t n;
            do {
                n = read(reader->fd, reader->buffer, sizeof reader->buffer);
            } while (n < 0 && errno == EINTR);
            if (n <= 0) break;  // giflib reports the short read as a damaged file
            reader->pos = 0;
            reader->end = static_cast<std::size_t>(n);
        }
        const std::size_t n = std::min(reader->end - reader->pos, static_cast<std::size_t>(wanted - given));
        std::memcpy(out + given, reader->buffer + reader->pos, n);
        reader->pos += n;
        given += static_cast<int>(n);
    }
    return given;
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

bool DrawFirstFrame(GifFileType* gif, int transparent, RowSink& out, std::string& why) {
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
    const PictureWindow window = out.Window(screenWidth, screenHeight);
    if (!out.Start(screenWidth, screenHeight, why)) return false;

    // An interlaced frame is read whole first; the lines of any other come
    // in the order the rows go out.
    const auto width = static_cast<std::size_t>(frame.Width);
    std::vector<GifPixelType> lines(frame.Interlace ? width * static_cast<std::size_t>(frame.Height) : width);
    if (frame.Interlace) {
        for (int i = 0; i < frame.Height; ++i)
            if (DGifGetLine(gif, lines.data() + width * static_cast<std::size_t>(InterlacedRow(i, frame.Height)),
                            frame.Width) == GIF_ERROR)
                return Fail(gif->Error, why);
    }

    GifColorType background{0, 0, 0};
    if (gif->SColorMap && gif->SBackGroundColor < gif->SColorMap->ColorCount)
        background = gif->SColorMap->Colors[gif->SBackGroundColor];
    const GifColorType black{0, 0, 0};
    // Only the sink's window: its rows (the lines above it are still
    // decoded, as the file holds them in order, those below are not), and in
    // them its columns.
    const long from = std::clamp(window.left, 0L, screenWidth);
    const long to = std::clamp(window.left + window.width, from, screenWidth);
    const long frameFrom = std::max<long>(from, frame.Left);
    const long frameTo = std::min<long>({to, screenWidth, static_cast<long>(frame.Left) + frame.Width});
    const std::size_t stride = BmpStride(screenWidth);
    RowCursor rows(out, screenHeight, true, window);
    for (long y = 0; y < screenHeight && !rows.Done(); ++y) {
        const bool inFrame = y >= frame.Top && y < frame.Top + frame.Height;
        if (!rows.Wanted()) {
            rows.Skip();
            if (inFrame && !frame.Interlace && DGifGetLine(gif, lines.data(), frame.Width) == GIF_ERROR)
                return Fail(gif->Error, why);
            continue;
        }
        unsigned char* dst = rows.Next(stride);
        for (long x = from; x < to; ++x) {
            dst[x * 3] = background.Blue;
            dst[x * 3 + 1] = background.Green;
            dst[x * 3 + 2] = background.Red;
        }
        if (!inFrame) continue;
        const GifPixelType* line = lines.data();
        if (frame.Interlace) {
            line += width * static_cast<std::size_t>(y - frame.Top);
        } else if (DGifGetLine(gif, lines.data(), frame.Width) == GIF_ERROR) {
            return Fail(gif->Error, why);
        }
        if (frameFrom >= frameTo) continue;
        dst += frameFrom * 3;
        for (long x = frameFrom - frame.Left; x < frameTo - frame.Left; ++x, dst += 3) {
            const int index = line[static_cast<std::size_t>(x)];
            if (index == transparent) continue;
            const GifColorType& c = index < map->ColorCount ? map->Colors[index] : black;
            dst[0] = c.Blue;
            dst[1] = c.Green;
            dst[2] = c.Red;
        }
    }
    rows.Finish();
    return true;
}

}  // namespace

bool DecodeGif(int fd, RowSink& out, std::string& why) {
    auto reader = std::make_unique<FileReader>();
    reader->fd = fd;
    int error = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(reader.get(), ReadFromFile, &error));
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
