// A picture's size read from its header alone, without decoding it: what
// the draw of a picture per monitor needs to know a picture's shape. Each
// format the reader knows is a row of a table (its signature and its size
// reader), so that further formats join by adding their rows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

namespace sarvo {

// A picture's width and height as it is shown (upright).
struct PictureSize {
    int width = 0;
    int height = 0;

    bool operator==(const PictureSize&) const = default;
};

// Reads up to `count` bytes of a file from `offset` into `out`, and returns
// how many it read: fewer at the end of the file, none when it cannot read.
using ReadBytesAt = std::function<std::size_t(std::uint64_t offset, unsigned char* out, std::size_t count)>;

// How many of a file's first bytes a format's signature test needs at most.
inline constexpr std::size_t kHeaderSignatureBytes = 16;

struct HeaderFormat {
    const char* name;
    // True when the file's first `size` bytes (at most kHeaderSignatureBytes)
    // are this format's signature.
    bool (*matches)(const unsigned char* head, std::size_t size);
    // The size the file's header records, upright; nothing when the header
    // is cut short or records no size.
    std::optional<PictureSize> (*read)(const ReadBytesAt& read);
};

// BMP (the bitmap header's width and the absolute value of its height), GIF
// (its logical screen, on which the first frame is drawn) and JPEG (the
// frame header, with width and height swapped when the first Exif block
// turns the picture by a quarter).
std::span<const HeaderFormat> ClassicHeaderFormats();

// The size of the picture whose bytes `read` gives, by the first format of
// `formats` whose signature matches; nothing when none matches or its header
// holds no size. A JPEG file is read segment header by segment header, and
// at most 4 KiB of its Exif block: a few small reads, whatever the file's
// size.
std::optional<PictureSize> ReadPictureSize(const ReadBytesAt& read,
                                           std::span<const HeaderFormat> formats = ClassicHeaderFormats());

}  // namespace sarvo
