// The picture loader's entry on any bytes: the format told by the first bytes, then that format's decoder. An
// accepted picture hands over each of its rows exactly once, in strips inside it; a refused one says why. The
// classic formats are a part of the further ones.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "core/pure/row_sink.h"
#include "picture_decoders_linux.h"

namespace {

// Pictures past 4 megapixels are refused: filling them only takes time.
class CheckingSink : public sarvo::RowSink {
public:
    bool Start(long width, long height, std::string& why) override {
        if (started_ || width <= 0 || height <= 0 || width * height > (1L << 22)) {
            why = "refused by the fuzzer";
            return false;
        }
        started_ = true;
        height_ = height;
        strip_.assign(sarvo::BmpStride(width) * kRows, 0);
        put_.assign(static_cast<std::size_t>(height), false);
        return true;
    }
    int StripRows() const override { return kRows; }
    unsigned char* Strip(int top, int count) override {
        if (!started_ || count < 1 || count > kRows || top < 0 || top + count > height_) std::abort();
        top_ = top;
        count_ = count;
        return strip_.data();
    }
    void Put() override {
        for (int y = top_; y < top_ + count_; ++y) {
            if (put_[static_cast<std::size_t>(y)]) std::abort();
            put_[static_cast<std::size_t>(y)] = true;
        }
    }
    bool Whole() const {
        for (bool row : put_)
            if (!row) return false;
        return started_;
    }

private:
    static constexpr int kRows = 7;
    bool started_ = false;
    long height_ = 0;
    int top_ = 0, count_ = 0;
    std::vector<unsigned char> strip_;
    std::vector<bool> put_;
};

}  // namespace

// The further formats' decoders linked in, not loaded from their modules.
sarvo::platform::FormatDecoder sarvo::platform::LoadFormatDecoder(PictureFormat format, std::string& why) {
    switch (format) {
    case PictureFormat::WebP: return DecodeWebP;
    case PictureFormat::Avif: return DecodeAvif;
    case PictureFormat::Heif: return DecodeHeif;
    case PictureFormat::JpegXl: return DecodeJxl;
    default: break;
    }
    why = "no module decodes this format";
    return nullptr;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using sarvo::PictureFormat;
    using sarvo::PictureFormats;
    const PictureFormat classic = sarvo::DetectPictureFormat(data, size, PictureFormats::Classic);
    const PictureFormat more = sarvo::DetectPictureFormat(data, size, PictureFormats::More);
    if (classic != PictureFormat::Unknown && classic != more) std::abort();
    static const int fd = memfd_create("picture", 0);
    if (fd < 0 || ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != static_cast<ssize_t>(size) ||
        lseek(fd, 0, SEEK_SET) != 0)
        std::abort();
    CheckingSink sink;
    int orientation = 0;
    std::string why, missing;
    if (sarvo::platform::DecodePictureFile(fd, size, PictureFormats::More, sink, orientation, why, missing)) {
        if (!sink.Whole() || orientation < 1 || orientation > 8 || more == PictureFormat::Unknown) std::abort();
    } else if (why.empty()) {
        std::abort();
    }
    return 0;
}
