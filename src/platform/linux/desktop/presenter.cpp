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

// The outputs' parts handed for the bitmap whose stem is `stem`, found in
// its folder: "<stem>-a1.png", "-b2.png", ...
std::vector<std::string> Parts(const std::string& stem) {
    std::vector<std::string> parts;
    const std::string folder = linux_io::FolderOf(stem), name = stem.substr(folder.size() + 1);
    DIR* listing = opendir(folder.c_str());
    if (listing == nullptr) return parts;
    while (const dirent* entry = readdir(listing)) {
        const std::string_view n = entry->d_name;
        if (n.size() < name.size() + 7 || n.substr(0, name.size() + 1) != name + "-" || !n.ends_with(".png")) continue;
        const std::string_view rest = n.substr(name.size() + 1, n.size() - name.size() - 5);
        if ((rest[0] == 'a' || rest[0] == 'b') && rest.size() > 1 &&
            rest.substr(1).find_first_not_of("0123456789") == std::string_view::npos)
            parts.push_back(folder + "/" + std::string(n));
    }
    closedir(listing);
    return parts;
}

// A name no file had before: the real-time clock in nanoseconds, in
// sixteen hexadecimal digits, counted on while a file of that name exists.
std::string NextName(const std::string& bitmap, const char* extension) {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    auto stamp = static_cast<unsigned long long>(now.tv_sec) * 1000000000ULL + static_cast<unsigned long long>(now.tv_nsec);
    for (;; ++stamp) {
        char digits[17];
        std::snprintf(digits, sizeof digits, "%016llx", stamp);
        const std::string name = Stem(bitmap) + "-" + digits + extension;
        if (!Exists(name)) return name;
    }
}

// The files in the bitmap's folder that were handed for it.
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

}  // namespace

bool Prepare(const std::string& bitmap, Placement placement, DesktopMode desktop, Format format, Handed& handed,
             std::string& why, int screenWidth, int screenHeight) {
    linux_files::MappedFile file;
    if (!file.Open(bitmap, why)) return false;
    BgrPicture picture;
    if (!ViewBmp24(file.data(), file.size(), picture, why)) {
        why = why + "：" + bitmap;
        return false;
    }
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
    // Names hold the time they were made in fixed-width digits, so the
    // greatest other name is the picture handed just before; the earlier
    // names of older versions sort before them all.
    std::vector<std::string> earlier = HandedInFolder(bitmap);
    std::erase(earlier, handed.path);
    std::sort(earlier.begin(), earlier.end(), [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    if (!earlier.empty()) earlier.pop_back();
    for (const std::string& file : earlier) unlink(file.c_str());
    for (const std::string& part : Parts(Stem(bitmap))) unlink(part.c_str());
}

void Discard(const Handed& handed) {
    if (!handed.path.empty()) unlink(handed.path.c_str());
}

std::vector<std::string> HandedFiles(const std::string& bitmap) {
    std::vector<std::string> files = HandedInFolder(bitmap);
    for (std::string& part : Parts(Stem(bitmap))) files.push_back(std::move(part));
    return files;
}

void RemoveHanded(const std::string& bitmap) {
    for (const std::string& file : HandedFiles(bitmap)) unlink(file.c_str());
}

bool PrepareParts(const std::string& bitmap, DesktopMode desktop, std::vector<HandedPart>& parts, std::string& why) {
    parts.clear();
    const std::vector<DesktopMonitor> monitors = DesktopMonitors();
    if (monitors.empty()) {
        why = "モニターが分からないので、壁紙をモニターにまたがって表示できません。";
        return false;
    }
    linux_files::MappedFile file;
    if (!file.Open(bitmap, why)) return false;
    BgrPicture picture;
    if (!ViewBmp24(file.data(), file.size(), picture, why)) {
        why = why + "：" + bitmap;
        return false;
    }
    const ScreenRect area = AreaOf(monitors);
    const std::string stem = Stem(bitmap);
    const char letter = Exists(stem + "-a1.png") ? 'b' : 'a';
    for (const DesktopMonitor& m : monitors) {
        const std::string path = stem + "-" + letter + std::to_string(parts.size() + 1) + ".png";
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
    const auto handed = [&](const std::string& path) {
        return std::any_of(parts.begin(), parts.end(), [&](const HandedPart& p) { return p.handed.path == path; });
    };
    for (const std::string& file : HandedFiles(bitmap))
        if (!handed(file)) unlink(file.c_str());
}

void DiscardParts(const std::vector<HandedPart>& parts) {
    for (const HandedPart& part : parts) Discard(part.handed);
}

bool IsHandedName(std::string_view stemName, std::string_view name) {
    if (name.size() <= stemName.size() + 1 || name.substr(0, stemName.size()) != stemName ||
        name[stemName.size()] != '-')
        return false;
    name.remove_prefix(stemName.size() + 1);
    if (name != "a.png" && name != "b.png" && name != "a.bmp" && name != "b.bmp") {
        if (name.size() != 20 || (name.substr(16) != ".png" && name.substr(16) != ".bmp")) return false;
        for (const char c : name.substr(0, 16))
            if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    }
    return true;
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
