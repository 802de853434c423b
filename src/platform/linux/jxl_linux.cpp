// JPEG XL pictures through libjxl. The file is read whole (it is compressed,
// a small part of the bitmap's size). The decoder works on groups of 256 x 256
// pixels on several threads and hands each finished row of a group to a
// callback; those pieces are gathered into strips, and each strip goes to
// the sink the moment its last pixel is in. So only the strips still being
// filled are held (the groups being decoded at once), never the picture.
//
// The pieces are asked for as 32-bit floats and turned into bytes here:
// libjxl 0.7 streams only float pieces to a callback. Asked for bytes, it
// renders the whole frame in floats first (four times the bitmap for a
// picture without alpha) and calls back from that. The rounding is libjxl's
// own for bytes (to nearest, halves to even), so the bitmap is the one
// libjxl's byte output gives.
//
// The orientation in the picture's header is left for the sink to apply,
// as for a JPEG's Exif orientation; an animation shows its first frame.
#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include <jxl/decode.h>
#include <jxl/decode_cxx.h>
#include <jxl/thread_parallel_runner.h>
#include <jxl/thread_parallel_runner_cxx.h>

#include "core/pure/bitmap.h"
#include "format_module_linux.h"
#include "picture_decoders_linux.h"

namespace sarvo::platform {
namespace {

// A sample of 0 to 1 as a byte, rounded to nearest with halves to even:
// adding 2^23 to a float of 0 to 255 leaves no bits below its units, so the
// processor's rounding (to nearest, halves to even) makes it whole, and
// taking 2^23 away again is exact. Samples out of range, NaN too, are
// clamped.
inline unsigned char ToByte(float sample) {
    const float scaled = std::min(1.0f, std::max(0.0f, sample)) * 255.0f;
    return static_cast<unsigned char>((scaled + 8388608.0f) - 8388608.0f);
}

// The picture's strips, filled by the decoder's threads in any order.
class Strips {
public:
    Strips(RowSink& out, long width, long height, bool alpha)
        : out_(out), width_(width), height_(height), alpha_(alpha), stride_(BmpStride(width)),
          rows_(std::max(1, std::min<int>(out.StripRows(), static_cast<int>(height)))),
          strips_(static_cast<std::size_t>((height + rows_ - 1) / rows_)) {}

    static void Take(void* opaque, std::size_t x, std::size_t y, std::size_t count, const void* pixels) {
        static_cast<Strips*>(opaque)->Put(static_cast<long>(x), static_cast<long>(y), count,
                                          static_cast<const float*>(pixels));
    }

    // Whether every strip went to the sink.
    bool Complete() const { return sent_ == strips_.size(); }

private:
    struct Strip {
        std::vector<unsigned char> rows;  // bottom-up, as the sink lays them out
        std::size_t filled = 0;           // pixels in
    };

    int Count(std::size_t index) const {
        return static_cast<int>(std::min<long>(rows_, height_ - static_cast<long>(index) * rows_));
    }

    void Put(long x, long y, std::size_t count, const float* pixels) {
        const std::size_t index = static_cast<std::size_t>(y / rows_);
        if (index >= strips_.size() || x < 0 || static_cast<std::size_t>(width_ - x) < count) return;
        Strip& strip = strips_[index];
        const int rows = Count(index);
        unsigned char* row;
        {
            std::lock_guard lock(mutex_);
            if (strip.rows.empty()) strip.rows.assign(stride_ * static_cast<std::size_t>(rows), 0);
            row = strip.rows.data() + static_cast<std::size_t>(rows - 1 - (y - static_cast<long>(index) * rows_)) * stride_;
        }
        // Red, green, blue (and alpha) to blue, green, red, out of the lock.
        unsigned char* dst = row + static_cast<std::size_t>(x) * 3;
        if (alpha_) {
            for (std::size_t i = 0; i < count; ++i, pixels += 4, dst += 3) {
                const unsigned char bgra[4] = {ToByte(pixels[2]), ToByte(pixels[1]), ToByte(pixels[0]), ToByte(pixels[3])};
                LayOnBlack(bgra, 1, dst);
            }
        } else {
            for (std::size_t i = 0; i < count; ++i, pixels += 3, dst += 3) {
                dst[0] = ToByte(pixels[2]);
                dst[1] = ToByte(pixels[1]);
                dst[2] = ToByte(pixels[0]);
            }
        }
        std::lock_guard lock(mutex_);
        strip.filled += count;
        if (strip.filled != static_cast<std::size_t>(width_) * static_cast<std::size_t>(rows)) return;
        // The last piece of the strip: it goes on, and its memory with it.
        unsigned char* target = out_.Strip(static_cast<int>(index) * rows_, rows);
        std::memcpy(target, strip.rows.data(), strip.rows.size());
        out_.Put();
        // A new vector: assigning {} would empty it and keep its memory.
        strip.rows = std::vector<unsigned char>();
        ++sent_;
    }

    RowSink& out_;
    long width_, height_;
    bool alpha_;
    std::size_t stride_;
    int rows_;
    std::vector<Strip> strips_;
    std::size_t sent_ = 0;
    std::mutex mutex_;
};

}  // namespace

bool DecodeJxl(int fd, std::size_t size, RowSink& out, int& orientation, std::string& why) {
    std::vector<unsigned char> bytes;
    if (!ReadWholeFile(fd, size, bytes, why)) return false;
    const JxlDecoderPtr decoder = JxlDecoderMake(nullptr);
    const JxlThreadParallelRunnerPtr runner =
        JxlThreadParallelRunnerMake(nullptr, JxlThreadParallelRunnerDefaultNumWorkerThreads());
    if (!decoder || !runner ||
        JxlDecoderSetParallelRunner(decoder.get(), JxlThreadParallelRunner, runner.get()) != JXL_DEC_SUCCESS ||
        JxlDecoderSubscribeEvents(decoder.get(), JXL_DEC_BASIC_INFO | JXL_DEC_FULL_IMAGE) != JXL_DEC_SUCCESS ||
        JxlDecoderSetKeepOrientation(decoder.get(), JXL_TRUE) != JXL_DEC_SUCCESS ||
        JxlDecoderSetUnpremultiplyAlpha(decoder.get(), JXL_TRUE) != JXL_DEC_SUCCESS ||
        JxlDecoderSetInput(decoder.get(), bytes.data(), bytes.size()) != JXL_DEC_SUCCESS) {
        why = "libjxl cannot start";
        return false;
    }
    JxlDecoderCloseInput(decoder.get());
    JxlBasicInfo info{};
    JxlPixelFormat format{3, JXL_TYPE_FLOAT, JXL_NATIVE_ENDIAN, 0};
    std::unique_ptr<Strips> strips;
    for (;;) {
        switch (JxlDecoderProcessInput(decoder.get())) {
        case JXL_DEC_BASIC_INFO:
            if (JxlDecoderGetBasicInfo(decoder.get(), &info) != JXL_DEC_SUCCESS) {
                why = "JPEG XL file's header cannot be read";
                return false;
            }
            orientation = info.orientation >= 1 && info.orientation <= 8 ? static_cast<int>(info.orientation) : 1;
            out.Orientation(orientation);
            // Refused here, before any pixel is decoded, when too large.
            if (!out.Start(info.xsize, info.ysize, why)) return false;
            format.num_channels = info.alpha_bits > 0 ? 4 : 3;
            strips = std::make_unique<Strips>(out, info.xsize, info.ysize, info.alpha_bits > 0);
            break;
        case JXL_DEC_NEED_IMAGE_OUT_BUFFER:
            if (!strips || JxlDecoderSetImageOutCallback(decoder.get(), &format, Strips::Take, strips.get()) !=
                               JXL_DEC_SUCCESS) {
                why = "JPEG XL picture cannot be taken";
                return false;
            }
            break;
        case JXL_DEC_FULL_IMAGE:
            // The first frame is the picture.
            if (!strips || !strips->Complete()) {
                why = "JPEG XL picture came incomplete";
                return false;
            }
            return true;
        case JXL_DEC_NEED_MORE_INPUT:
            why = "JPEG XL file ends before the picture does";
            return false;
        case JXL_DEC_SUCCESS:
            why = "JPEG XL file holds no picture";
            return false;
        case JXL_DEC_ERROR:
            why = "JPEG XL file is damaged";
            return false;
        default:
            break;
        }
    }
}

}  // namespace sarvo::platform

// The module's one export (format_module_linux.h).
extern "C" __attribute__((visibility("default"))) const sarvo::platform::linux_formats::Module* sarvo_jxl_module() {
    static const sarvo::platform::linux_formats::Module module{sarvo::platform::linux_formats::kModuleVersion,
                                                                sarvo::platform::DecodeJxl};
    return &module;
}
