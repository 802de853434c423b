// The files handed to desktops. PNGs are written with libpng straight from
// the mapped bitmap's rows.
#include "desktop/presenter.h"

#include <dirent.h>
#include <png.h>
#include <stdio.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <csetjmp>
#include <optional>
#include <cstdio>
#include <cerrno>
#include <cstring>
#include <vector>

#include "core/pure/bmp_view.h"
#include "core/pure/compose.h"
#include "io_linux.h"
#include "mapped_file_linux.h"
#include "platform/screen.h"
#include "xdg_linux.h"

namespace sarvo::platform::presenter {

namespace {

// "…/SarvoChangerGraphic.bmp" gives "…/SarvoChangerGraphic".
std::string Stem(const std::string& bitmap) {
    const std::size_t slash = bitmap.find_last_of('/');
    const std::size_t dot = bitmap.find_last_of('.');
    return dot != std::string::npos && (slash == std::string::npos || dot > slash) ? bitmap.substr(0, dot) : bitmap;
}


bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

// A time stamp no hand-over had before: the real-time clock in nanoseconds,
// in sixteen hexadecimal digits, counted on while a file of one of the names
// it gives exists ("<stem>-", the digits, then each of `endings`).
std::string NewStamp(const std::string& stem, const std::vector<std::string>& endings) {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    auto stamp = static_cast<unsigned long long>(now.tv_sec) * 1000000000ULL + static_cast<unsigned long long>(now.tv_nsec);
    for (;; ++stamp) {
        char digits[17];
        std::snprintf(digits, sizeof digits, "%016llx", stamp);
        if (std::none_of(endings.begin(), endings.end(),
                         [&](const std::string& ending) { return Exists(stem + "-" + digits + ending); }))
            return digits;
    }
}

// A name no file had before, ending in `extension`.
std::string NextName(const std::string& bitmap, const char* extension) {
    const std::string stem = Stem(bitmap);
    return stem + "-" + NewStamp(stem, {extension}) + extension;
}

// The files in the bitmap's folder that were handed for it, the outputs'
// parts among them.
std::vector<std::string> HandedInFolder(const std::string& bitmap) {
    const std::string stem = Stem(bitmap);
    const std::size_t slash = stem.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : stem.substr(0, slash);
    const std::string_view stemName = slash == std::string::npos ? stem : std::string_view(stem).substr(slash + 1);
    std::vector<std::string> files;
    DIR* entries = opendir(folder.c_str());
    if (entries == nullptr) return files;
    while (const dirent* entry = readdir(entries)) {
        if (IsHandedName(stemName, entry->d_name)) files.push_back(folder + "/" + entry->d_name);
    }
    closedir(entries);
    return files;
}

// The hand-over a handed file's name after "<stem>-" belongs to: its time
// stamp, sixteen lowercase hexadecimal digits, followed by ".png", ".bmp" or
// an output's number and ".png"; "" for the names of earlier versions ("a"
// or "b", followed by ".png" or ".bmp", or by an output's number and
// ".png"). None for any other name.
std::optional<std::string_view> HandOverOf(std::string_view rest) {
    const auto digits = [](std::string_view text, std::string_view allowed) {
        return !text.empty() && text.find_first_not_of(allowed) == std::string_view::npos;
    };
    // An output's number, "-" after a stamp.
    const auto part = [&](std::string_view text, bool dash) {
        if (!text.ends_with(".png")) return false;
        text.remove_suffix(4);
        if (dash && !text.starts_with('-')) return false;
        if (dash) text.remove_prefix(1);
        return digits(text, "0123456789") && text[0] != '0';
    };
    if (rest.size() >= 20 && digits(rest.substr(0, 16), "0123456789abcdef")) {
        const std::string_view after = rest.substr(16);
        if (after == ".png" || after == ".bmp" || part(after, true)) return rest.substr(0, 16);
    }
    if (rest.size() >= 2 && (rest[0] == 'a' || rest[0] == 'b')) {
        const std::string_view after = rest.substr(1);
        if (after == ".png" || after == ".bmp" || part(after, false)) return std::string_view();
    }
    return std::nullopt;
}

// After the desktop took the files `taken` (one hand-over): removes the
// files handed for `bitmap` before it, all but those of the hand-over just
// before, which the desktop may still be loading when runs follow each
// other quickly. Stamps have a fixed width, so the greatest is the latest;
// the names of earlier versions come before them all.
void KeepHandOver(const std::string& bitmap, const std::vector<std::string>& taken) {
    if (taken.empty()) return;
    const std::string stem = Stem(bitmap);
    const std::size_t restAt = stem.size() - (stem.find_last_of('/') + 1) + 1;  // past "<stem name>-"
    const auto handOver = [&](const std::string& path) {
        const std::string_view name = std::string_view(path).substr(path.find_last_of('/') + 1);
        return name.size() < restAt ? std::string_view() : HandOverOf(name.substr(restAt)).value_or("");
    };
    const std::string_view current = handOver(taken.front());
    std::vector<std::string> earlier = HandedInFolder(bitmap);
    std::erase_if(earlier, [&](const std::string& path) { return handOver(path) == current; });
    std::string_view previous;
    for (const std::string& path : earlier) previous = std::max(previous, handOver(path));
    for (const std::string& path : earlier)
        if (handOver(path) != previous) unlink(path.c_str());
}

// Where the rows of a picture to encode come from: blue-green-red rows
// from the top.
struct RowSource {
    const unsigned char* (*row)(const void* context, int y);
    const void* context;
    int width;
    int height;
};

// Encodes the rows into `file`; false with libpng's message in `message`.
// Kept free of C++ objects: libpng reports errors by longjmp.
bool EncodePng(FILE* file, const RowSource& source, char* message, std::size_t messageSize) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        std::snprintf(message, messageSize, "メモリが不足しています");
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        std::snprintf(message, messageSize, "PNG に変換できませんでした");
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(source.width), static_cast<png_uint_32>(source.height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_level(png, 0);
    png_write_info(png, info);
    png_set_bgr(png);
    for (int y = 0; y < source.height; ++y)
        png_write_row(png, source.row(source.context, y));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

// A new temporary file beside `path`, under a name of its own, so that runs
// at the same moment never write into one file. It carries the suite's mark
// and stays locked until it is closed (io_linux.h), so that a cleaner takes
// it only once its writer is gone. Null, with `why`, when none can be made.
FILE* OpenTemporary(const std::string& path, std::string& temporary, std::string& why) {
    const int fd = linux_io::CreateTemporary(linux_io::FolderOf(path), linux_io::CreationMode(), temporary);
    FILE* file = fd >= 0 ? fdopen(fd, "wb") : nullptr;
    if (file == nullptr) {
        why = linux_io::ErrorText("ファイルの隣に一時ファイルを作成できませんでした", path);
        if (fd >= 0) {
            unlink(temporary.c_str());
            close(fd);
        }
    }
    return file;
}

// Gives the written temporary file the name `path` and closes it; removes it
// when `written` is false or it cannot take the name. Renamed before it is
// closed, while it is still locked.
bool PutInPlace(FILE* file, const std::string& temporary, const std::string& path, bool written, std::string& why) {
    const bool placed = written && fflush(file) == 0 && rename(temporary.c_str(), path.c_str()) == 0;
    if (!placed) {
        why = linux_io::ErrorText("書き込めませんでした", path);
        unlink(temporary.c_str());
    }
    fclose(file);
    return placed;
}

// Writes the rows as a PNG to `path` through a temporary file renamed into
// place, so that no desktop ever reads half a picture. The pixels are
// stored without compression: the desktop reads the file once, and
// compressing a screenful would cost every run far more than the disk space
// it saves.
bool WritePng(const std::string& path, const RowSource& source, std::string& why) {
    std::string temporary;
    FILE* file = OpenTemporary(path, temporary, why);
    if (file == nullptr) return false;
    char message[128] = "";
    const bool written = EncodePng(file, source, message, sizeof message);
    // Not synced: the file is made again from the bitmap whenever it is
    // needed, and waiting for the disk would cost every run.
    if (PutInPlace(file, temporary, path, written, why)) return true;
    if (!written) why = "書き込めませんでした：" + path + "（" + message + "）";
    return false;
}

const unsigned char* PictureRow(const void* context, int y) { return static_cast<const BgrPicture*>(context)->Row(y); }

bool WritePictureAsPng(const std::string& path, const BgrPicture& picture, std::string& why) {
    return WritePng(path, {PictureRow, &picture, picture.width, picture.height}, why);
}

struct Canvas {
    const unsigned char* pixels;
    std::size_t stride;
};

const unsigned char* CanvasRow(const void* context, int y) {
    const auto* canvas = static_cast<const Canvas*>(context);
    return canvas->pixels + static_cast<std::size_t>(y) * canvas->stride;
}

// The picture laid out on a width x height canvas, written as PNG.
bool WriteCanvasAsPng(const std::string& path, const BgrPicture& picture, Placement placement, int width,
                      int height, std::string& why) {
    const ScreenRect monitor{0, 0, width, height};
    std::vector<std::uint32_t> row(static_cast<std::size_t>(width));
    std::vector<unsigned char> canvas(static_cast<std::size_t>(width) * 3 * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        ComposeRows(picture, placement, std::span<const ScreenRect>(&monitor, 1), width, y, 1, row.data());
        unsigned char* out = canvas.data() + static_cast<std::size_t>(y) * 3 * static_cast<std::size_t>(width);
        for (const std::uint32_t pixel : row) {
            *out++ = static_cast<unsigned char>(pixel);
            *out++ = static_cast<unsigned char>(pixel >> 8);
            *out++ = static_cast<unsigned char>(pixel >> 16);
        }
    }
    const Canvas rows{canvas.data(), static_cast<std::size_t>(width) * 3};
    return WritePng(path, {CanvasRow, &rows, width, height}, why);
}

// A second name for the bitmap's content: a hard link, or a copy where the
// file system has none.
bool LinkOrCopy(const std::string& from, const std::string& to, std::string& why) {
    unlink(to.c_str());
    if (link(from.c_str(), to.c_str()) == 0) return true;
    linux_files::MappedFile file;
    if (!file.Open(from, why)) return false;
    std::string temporary;
    FILE* out = OpenTemporary(to, temporary, why);
    if (out == nullptr) return false;
    const bool written = fwrite(file.data(), 1, file.size(), out) == file.size();
    return PutInPlace(out, temporary, to, written, why);
}

// A monitor's part of the desktop's picture, row by row: the picture's pixels
// where it reaches, black elsewhere.
struct Part {
    const BgrPicture* picture;
    ScreenRect rect;  // in the picture's pixels
    std::vector<unsigned char> row;
};

const unsigned char* PartRow(const void* context, int y) {
    auto* part = static_cast<Part*>(const_cast<void*>(context));
    std::fill(part->row.begin(), part->row.end(), 0);
    const int sy = part->rect.y + y;
    if (sy < 0 || sy >= part->picture->height) return part->row.data();
    const int from = std::max(0, part->rect.x), to = std::min(part->picture->width, part->rect.x + part->rect.width);
    if (from < to)
        std::memcpy(part->row.data() + 3 * static_cast<std::size_t>(from - part->rect.x),
                    part->picture->Row(sy) + 3 * static_cast<std::size_t>(from), 3 * static_cast<std::size_t>(to - from));
    return part->row.data();
}

// The desktop area of the monitors, and the place of each monitor's part in
// a bitmap made for it.
ScreenRect AreaOf(const std::vector<DesktopMonitor>& monitors) {
    std::vector<ScreenRect> rects;
    for (const DesktopMonitor& m : monitors) rects.push_back(m.rect);
    return DesktopArea(rects);
}

// The bitmap at `bitmap`, mapped into `file` and seen as `picture`; false,
// with `why` naming the file, when it is no bitmap of ours.
bool OpenBitmap(const std::string& bitmap, linux_files::MappedFile& file, BgrPicture& picture, std::string& why) {
    if (!file.Open(bitmap, why)) return false;
    if (ViewBmp24(file.data(), file.size(), picture, why)) return true;
    why = why + "：" + bitmap;
    return false;
}

}  // namespace

bool Prepare(const std::string& bitmap, Placement placement, DesktopMode desktop, Format format, Handed& handed,
             std::string& why, int screenWidth, int screenHeight) {
    linux_files::MappedFile file;
    BgrPicture picture;
    if (!OpenBitmap(bitmap, file, picture, why)) return false;
    const std::string_view native = ModeValue(desktop, placement);
    if (placement == Placement::Span && native.empty()) {
        // One picture for every output: the primary monitor's part.
        const std::vector<DesktopMonitor> monitors = DesktopMonitors();
        const auto primary = std::find_if(monitors.begin(), monitors.end(), [](const auto& m) { return m.primary; });
        if (primary == monitors.end()) {
            why = "モニターが分からないので、壁紙をモニターにまたがって表示できません。";
            return false;
        }
        const ScreenRect area = AreaOf(monitors);
        const ScreenRect& m = primary->rect;
        Part part{&picture, {m.x - area.x, m.y - area.y, m.width, m.height},
                  std::vector<unsigned char>(3 * static_cast<std::size_t>(m.width))};
        handed = {NextName(bitmap, ".png"), std::string(StretchedValue(desktop))};
        return WritePng(handed.path, {PartRow, &part, m.width, m.height}, why);
    }
    const bool large = format == Format::Png &&
                       static_cast<long long>(picture.width) * picture.height > kLargestPngPixels;
    const bool layOut = native.empty() || large;
    if (layOut && (screenWidth <= 0 || screenHeight <= 0) && !PrimaryScreenSize(screenWidth, screenHeight)) {
        if (!native.empty()) {
            // Too large to encode quickly, but correct all the same.
            handed = {NextName(bitmap, ".png"), std::string(native)};
            return WritePictureAsPng(handed.path, picture, why);
        }
        if (desktop != DesktopMode::Portal) {
            why = "画面の大きさが分からず、このデスクトップは画像をこの配置（" + std::string(PlacementName(placement)) +
                  "）で表示できません。";
            return false;
        }
        handed = {NextName(bitmap, ".png"), ""};
        return WritePictureAsPng(handed.path, picture, why);
    }
    if (layOut) {
        handed = {NextName(bitmap, ".png"), std::string(StretchedValue(desktop))};
        return WriteCanvasAsPng(handed.path, picture, placement, screenWidth, screenHeight, why);
    }
    if (format == Format::Png) {
        handed = {NextName(bitmap, ".png"), std::string(native)};
        return WritePictureAsPng(handed.path, picture, why);
    }
    handed = {NextName(bitmap, ".bmp"), std::string(native)};
    return LinkOrCopy(bitmap, handed.path, why);
}

void Keep(const std::string& bitmap, const Handed& handed) {
    KeepHandOver(bitmap, {handed.path});
}

void Discard(const Handed& handed) {
    if (!handed.path.empty()) unlink(handed.path.c_str());
}

std::vector<std::string> HandedFiles(const std::string& bitmap) { return HandedInFolder(bitmap); }

void RemoveHanded(const std::string& bitmap) {
    for (const std::string& file : HandedFiles(bitmap)) unlink(file.c_str());
}

bool PrepareParts(const std::string& bitmap, DesktopMode desktop, std::vector<HandedPart>& parts, std::string& why) {
    return PrepareParts(bitmap, desktop, DesktopMonitors(), parts, why);
}

bool PrepareParts(const std::string& bitmap, DesktopMode desktop, const std::vector<DesktopMonitor>& monitors,
                  std::vector<HandedPart>& parts, std::string& why) {
    parts.clear();
    if (monitors.empty()) {
        why = "モニターが分からないので、壁紙をモニターにまたがって表示できません。";
        return false;
    }
    linux_files::MappedFile file;
    BgrPicture picture;
    if (!OpenBitmap(bitmap, file, picture, why)) return false;
    const ScreenRect area = AreaOf(monitors);
    const std::string stem = Stem(bitmap);
    // One stamp for the hand-over, a number for each output.
    std::vector<std::string> endings;
    for (std::size_t i = 1; i <= monitors.size(); ++i) endings.push_back("-" + std::to_string(i) + ".png");
    const std::string stamp = NewStamp(stem, endings);
    for (const DesktopMonitor& m : monitors) {
        const std::string path = stem + "-" + stamp + endings[parts.size()];
        Part part{&picture, {m.rect.x - area.x, m.rect.y - area.y, m.rect.width, m.rect.height},
                  std::vector<unsigned char>(3 * static_cast<std::size_t>(m.rect.width))};
        if (!WritePng(path, {PartRow, &part, m.rect.width, m.rect.height}, why)) {
            DiscardParts(parts);
            parts.clear();
            return false;
        }
        parts.push_back({m.name, m.rect, {path, std::string(StretchedValue(desktop))}});
    }
    return true;
}

void KeepParts(const std::string& bitmap, const std::vector<HandedPart>& parts) {
    std::vector<std::string> paths;
    for (const HandedPart& part : parts) paths.push_back(part.handed.path);
    KeepHandOver(bitmap, paths);
}

void DiscardParts(const std::vector<HandedPart>& parts) {
    for (const HandedPart& part : parts) Discard(part.handed);
}

bool IsHandedName(std::string_view stemName, std::string_view name) {
    return name.size() > stemName.size() + 1 && name.substr(0, stemName.size()) == stemName &&
           name[stemName.size()] == '-' && HandOverOf(name.substr(stemName.size() + 1)).has_value();
}

std::string BlackPicture(std::string& why) {
    const std::string folder = linux_xdg::StateHome() + "/" + linux_xdg::kSuiteFolder;
    const std::string path = folder + "/black.png";
    if (Exists(path)) return path;
    if (!linux_xdg::MakeFolders(folder)) {
        why = "フォルダを作成できませんでした：" + folder;
        return "";
    }
    static const unsigned char black[3] = {0, 0, 0};
    const Canvas rows{black, 3};
    return WritePng(path, {CanvasRow, &rows, 1, 1}, why) ? path : "";
}

std::string FileUri(const std::string& path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string uri = "file://";
    for (const char c : path) {
        const auto u = static_cast<unsigned char>(c);
        if ((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '-' || u == '.' ||
            u == '_' || u == '~' || u == '/') {
            uri += c;
        } else {
            uri += '%';
            uri += kHex[u >> 4];
            uri += kHex[u & 15];
        }
    }
    return uri;
}

}  // namespace sarvo::platform::presenter
