// WebP pictures through libwebp. The file is read whole (it is compressed,
// a small part of the bitmap's size) and handed to the incremental decoder a
// piece at a time; after each piece the rows it finished go on to the sink.
//
// The incremental decoder writes into one output buffer the size of the
// whole picture. That buffer is an anonymous mapping: only the pages the
// decoder is writing are ever real memory, since each band of rows is given
// back to the system (MADV_DONTNEED) once it has gone on. A lossy picture is
// so decoded in a band of memory; a lossless one makes libwebp itself hold
// the whole picture (its back-references reach anywhere above).
//
// The EXIF chunk follows the picture data in the file, which is why the file
// is read whole before decoding: its orientation must be known before the
// first row goes out. An animation shows its first frame, at that frame's
// own size.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include <webp/decode.h>
#include <webp/demux.h>

#include "core/pure/exif.h"
#include "format_module_linux.h"
#include "picture_decoders_linux.h"

namespace sarvo::platform {
namespace {

// How much of the file the decoder takes between two hand-overs of rows.
constexpr std::size_t kPiece = std::size_t{1} << 16;

class Demuxer {
public:
    explicit Demuxer(const std::vector<unsigned char>& bytes) {
        const WebPData data{bytes.data(), bytes.size()};
        demux_ = WebPDemux(&data);
    }
    ~Demuxer() { WebPDemuxDelete(demux_); }
    Demuxer(const Demuxer&) = delete;
    Demuxer& operator=(const Demuxer&) = delete;
    WebPDemuxer* get() const { return demux_; }

private:
    WebPDemuxer* demux_;
};

class Mapping {
public:
    explicit Mapping(std::size_t size) : size_(size) {
        void* p = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        data_ = p == MAP_FAILED ? nullptr : static_cast<unsigned char*>(p);
    }
    ~Mapping() {
        if (data_ != nullptr) munmap(data_, size_);
    }
    Mapping(const Mapping&) = delete;
    Mapping& operator=(const Mapping&) = delete;
    unsigned char* data() const { return data_; }

    // Gives back the whole pages of [0, end) not given back yet.
    void Release(std::size_t end) {
        static const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
        const std::size_t upTo = end / page * page;
        if (upTo > released_) madvise(data_ + released_, upTo - released_, MADV_DONTNEED);
        released_ = std::max(released_, upTo);
    }

private:
    unsigned char* data_;
    std::size_t size_;
    std::size_t released_ = 0;
};

class Decoder {
public:
    explicit Decoder(WebPDecBuffer* buffer) : idec_(WebPINewDecoder(buffer)) {}
    ~Decoder() {
        if (idec_ != nullptr) WebPIDelete(idec_);
    }
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;
    WebPIDecoder* get() const { return idec_; }

private:
    WebPIDecoder* idec_;
};

const char* StatusText(VP8StatusCode status) {
    switch (status) {
    case VP8_STATUS_OUT_OF_MEMORY: return "out of memory";
    case VP8_STATUS_INVALID_PARAM: return "invalid parameter";
    case VP8_STATUS_BITSTREAM_ERROR: return "damaged data";
    case VP8_STATUS_UNSUPPORTED_FEATURE: return "unsupported feature";
    case VP8_STATUS_SUSPENDED: return "the file ends before the picture does";
    case VP8_STATUS_NOT_ENOUGH_DATA: return "the file ends before the picture does";
    default: return "unknown error";
    }
}

}  // namespace

bool DecodeWebP(int fd, std::size_t size, RowSink& out, int& orientation, std::string& why) {
    std::vector<unsigned char> bytes;
    if (!ReadWholeFile(fd, size, bytes, why)) return false;
    const Demuxer demux(bytes);
    WebPIterator frame{};
    if (demux.get() == nullptr || !WebPDemuxGetFrame(demux.get(), 1, &frame)) {
        why = "WebP file is damaged or cut short";
        return false;
    }
    const WebPData picture = frame.fragment;
    const long width = frame.width, height = frame.height;
    const bool alpha = frame.has_alpha != 0;
    WebPDemuxReleaseIterator(&frame);
    WebPChunkIterator exif{};
    if (WebPDemuxGetChunk(demux.get(), "EXIF", 1, &exif)) {
        orientation = TiffExifOrientation(exif.chunk.bytes, exif.chunk.size);
        WebPDemuxReleaseChunkIterator(&exif);
    }
    out.Orientation(orientation);
    if (!out.Start(width, height, why)) return false;

    const std::size_t channels = alpha ? 4 : 3;
    const std::size_t rowBytes = static_cast<std::size_t>(width) * channels;
    Mapping rows(rowBytes * static_cast<std::size_t>(height));
    if (rows.data() == nullptr) {
        why = "no room to decode the WebP picture";
        return false;
    }
    WebPDecBuffer buffer;
    WebPInitDecBuffer(&buffer);
    buffer.colorspace = alpha ? MODE_BGRA : MODE_BGR;
    buffer.is_external_memory = 1;
    buffer.u.RGBA.rgba = rows.data();
    buffer.u.RGBA.stride = static_cast<int>(rowBytes);
    buffer.u.RGBA.size = rowBytes * static_cast<std::size_t>(height);
    const Decoder decoder(&buffer);
    if (decoder.get() == nullptr) {
        why = "libwebp cannot start";
        return false;
    }

    RowCursor cursor(out, height, true);
    const std::size_t stride = BmpStride(width);
    int sent = 0;
    VP8StatusCode status = VP8_STATUS_SUSPENDED;
    for (std::size_t fed = 0; status == VP8_STATUS_SUSPENDED && fed < picture.size;) {
        fed = std::min(picture.size, fed + kPiece);
        status = WebPIUpdate(decoder.get(), picture.bytes, fed);
        int done = 0;
        if (status == VP8_STATUS_OK || status == VP8_STATUS_SUSPENDED)
            WebPIDecGetRGB(decoder.get(), &done, nullptr, nullptr, nullptr);
        for (; sent < done; ++sent) {
            const unsigned char* src = rows.data() + static_cast<std::size_t>(sent) * rowBytes;
            unsigned char* dst = cursor.Next(stride);
            if (alpha) LayOnBlack(src, static_cast<std::size_t>(width), dst);
            else std::memcpy(dst, src, rowBytes);
        }
        rows.Release(static_cast<std::size_t>(sent) * rowBytes);
    }
    if (status != VP8_STATUS_OK || sent != height) {
        why = std::string("WebP file is damaged: ") + StatusText(status);
        return false;
    }
    cursor.Finish();
    return true;
}

}  // namespace sarvo::platform

// The module's one export (format_module_linux.h).
extern "C" __attribute__((visibility("default"))) const sarvo::platform::linux_formats::Module* sarvo_webp_module() {
    static const sarvo::platform::linux_formats::Module module{sarvo::platform::linux_formats::kModuleVersion,
                                                                sarvo::platform::DecodeWebP};
    return &module;
}
