// sarvo-make-pictures: draws the suite's own pictures at each of their sizes
// (sarvo::PictureSizes) and writes them as 256-colour icons holding every
// size (NAME.ico, for the Windows resources) and as one PNG copy a size
// (NAME-SIZE.png, for the Qt windows and the Linux application menu). The files in resources/ are this
// program's output, committed so that a cross build needs no host tool:
//
//   sarvo-make-pictures write FOLDER   writes every picture into FOLDER
//   sarvo-make-pictures check FOLDER   exit 0 when FOLDER holds exactly what
//                                      `write` would write (the icons byte
//                                      for byte, the PNG copies pixel for
//                                      pixel), 1 and a list of differences
//                                      otherwise
//
// Each picture is a list of flat shapes in a 32-unit (or 12-unit) square,
// painted back to front at each size. A pixel takes the mean colour of the 8 x 8 samples
// the shapes cover; it is transparent when fewer than half are covered, as
// an icon's mask has no partial transparency. The colours are then fitted
// into one palette of at most 255 colours; index 0 is the transparent one.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <QColor>
#include <QImage>
#include <QString>

#include "core/pure/form.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Colour {
    std::uint8_t r = 0, g = 0, b = 0;
    auto operator<=>(const Colour&) const = default;
};

constexpr Colour Hex(std::uint32_t rgb) {
    return {static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
            static_cast<std::uint8_t>(rgb)};
}

// ---- Shapes: a test whether a point lies inside, and a colour. ----

using Inside = std::function<bool(double x, double y)>;

struct Shape {
    Inside inside;
    Colour colour;
};

struct Point {
    double x, y;
};

Inside RoundRect(double left, double top, double right, double bottom, double radius) {
    return [=](double x, double y) {
        if (x < left || x > right || y < top || y > bottom) return false;
        const double dx = std::max({left + radius - x, 0.0, x - (right - radius)});
        const double dy = std::max({top + radius - y, 0.0, y - (bottom - radius)});
        return dx * dx + dy * dy <= radius * radius;
    };
}

Inside Rect(double left, double top, double right, double bottom) {
    return RoundRect(left, top, right, bottom, 0);
}

Inside Disc(Point centre, double radius) {
    return [=](double x, double y) {
        const double dx = x - centre.x, dy = y - centre.y;
        return dx * dx + dy * dy <= radius * radius;
    };
}

// Even-odd rule.
Inside Polygon(std::vector<Point> corners) {
    return [corners = std::move(corners)](double x, double y) {
        bool in = false;
        for (std::size_t i = 0, j = corners.size() - 1; i < corners.size(); j = i++) {
            const Point a = corners[i], b = corners[j];
            if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) in = !in;
        }
        return in;
    };
}

Inside Without(Inside shape, Inside hole) {
    return [=](double x, double y) { return shape(x, y) && !hole(x, y); };
}

Inside Within(Inside shape, Inside clip) {
    return [=](double x, double y) { return shape(x, y) && clip(x, y); };
}

// Angles in degrees, 0 pointing right, growing clockwise on the screen.
double Radians(double degrees) { return degrees * kPi / 180.0; }

Point OnCircle(Point centre, double radius, double degrees) {
    return {centre.x + radius * std::cos(Radians(degrees)), centre.y + radius * std::sin(Radians(degrees))};
}

// A band from `inner` to `outer` round `centre`, from `from` degrees
// clockwise over `sweep` degrees.
Inside Arc(Point centre, double inner, double outer, double from, double sweep) {
    return [=](double x, double y) {
        const double dx = x - centre.x, dy = y - centre.y, r2 = dx * dx + dy * dy;
        if (r2 < inner * inner || r2 > outer * outer) return false;
        double a = std::atan2(dy, dx) * 180.0 / kPi - from;
        a = std::fmod(std::fmod(a, 360.0) + 360.0, 360.0);
        return a <= sweep;
    };
}

// A curved arrow: the band of Arc ending in a head that follows the circle
// for `headLength` and is `headWidth` wide across.
std::vector<Shape> CurvedArrow(Point centre, double inner, double outer, double from, double sweep,
                               double headLength, double headWidth, Colour colour) {
    const double middle = (inner + outer) / 2, end = from + sweep;
    const double tipAngle = end + headLength / middle * 180.0 / kPi;
    return {{Arc(centre, inner, outer, from, sweep), colour},
            {Polygon({OnCircle(centre, middle - headWidth / 2, end), OnCircle(centre, middle + headWidth / 2, end),
                      OnCircle(centre, middle, tipAngle)}),
             colour}};
}

void Append(std::vector<Shape>& to, const std::vector<Shape>& shapes) {
    to.insert(to.end(), shapes.begin(), shapes.end());
}

// ---- The pictures, in 32 units (the folder in 12). ----

// A monitor: a dark frame on a stand around a dark screen.
std::vector<Shape> Monitor() {
    return {
        {Polygon({{13, 24}, {19, 24}, {20.5, 28.5}, {11.5, 28.5}}), Hex(0x4A515C)},  // neck
        {RoundRect(7, 27.5, 25, 30.5, 1.2), Hex(0x2A2F37)},                          // foot
        {RoundRect(1, 3, 31, 25.5, 2.5), Hex(0x2A2F37)},                             // frame
        {RoundRect(1.8, 3.8, 30.2, 5, 1.5), Hex(0x505864)},                          // light on its top edge
        {Rect(4, 6, 28, 22.5), Hex(0x0D1A2C)},                                       // screen
        {Polygon({{4, 6}, {16, 6}, {4, 15}}), Hex(0x152A45)},                        // glare
    };
}

std::vector<Shape> SettingToolIcon() {
    std::vector<Shape> shapes = Monitor();
    Append(shapes, CurvedArrow({16, 14.25}, 3.4, 5.6, -20, 250, 3.6, 7.0, Hex(0x5CC8FA)));
    return shapes;
}

// The changer's icon in the application menu: the monitor showing a
// wallpaper, a sun over green hills.
std::vector<Shape> ChangerIcon() {
    std::vector<Shape> shapes = Monitor();
    const Inside screen = Rect(4, 6, 28, 22.5);
    shapes.push_back({screen, Hex(0x8ED6FF)});                                         // sky
    shapes.push_back({Disc({22.5, 10.5}, 2.6), Hex(0xFFC933)});                        // sun
    shapes.push_back({Within(Disc({9, 30}, 13), screen), Hex(0x3FA34D)});              // far hill
    shapes.push_back({Within(Disc({24, 32}, 13.5), screen), Hex(0x2E7D32)});           // near hill
    return shapes;
}

std::vector<Shape> UninstallerIcon() {
    std::vector<Shape> shapes = Monitor();
    shapes.push_back({Disc({16, 14.25}, 6.4), Hex(0xE23B3B)});
    shapes.push_back({Rect(11.6, 13.0, 20.4, 15.5), Hex(0xFFFFFF)});
    return shapes;
}

std::vector<Shape> TrashBox() {
    const Colour edge = Hex(0x1F6FA8), fill = Hex(0x8FD3F4), light = Hex(0xC8EDFF), green = Hex(0x1E9E3A);
    std::vector<Shape> shapes = {
        {Without(RoundRect(11.5, 1.5, 20.5, 6, 1.5), Rect(13.5, 3.3, 18.5, 6)), edge},  // handle
        {Polygon({{6.5, 8.5}, {25.5, 8.5}, {23.3, 30.5}, {8.7, 30.5}}), edge},          // bin
        {Polygon({{7.9, 9.5}, {24.1, 9.5}, {22.1, 29.2}, {9.9, 29.2}}), fill},
        {Polygon({{9.4, 10.5}, {11.2, 10.5}, {12.0, 28.2}, {11.0, 28.2}}), light},     // shine
        {RoundRect(4.5, 5, 27.5, 9.8, 1.2), edge},                                     // lid
        {RoundRect(5.6, 6.1, 26.4, 8.7, 0.8), fill},
    };
    const Point centre{16, 19.5};
    Append(shapes, CurvedArrow(centre, 3.3, 5.4, -105, 115, 3.0, 4.6, green));
    Append(shapes, CurvedArrow(centre, 3.3, 5.4, 75, 115, 3.0, 4.6, green));
    return shapes;
}

std::vector<Shape> Folder() {
    const Colour edge = Hex(0x9A6A00);
    return {
        {Polygon({{0, 1}, {5, 1}, {6, 2}, {12, 2}, {12, 11}, {0, 11}}), edge},
        {Polygon({{1, 2}, {4.6, 2}, {5.6, 3}, {11, 3}, {11, 10}, {1, 10}}), Hex(0xF0B400)},
        {Rect(0, 4, 12, 5), edge},
        {Rect(1, 5, 11, 10), Hex(0xFFD84A)},
        {Rect(1, 5, 11, 6), Hex(0xFFE98F)},
    };
}

// ---- Painting and the palette. ----

// A picture at one size: rows from the top; no colour where transparent.
struct Painted {
    int size = 0;
    std::vector<std::optional<Colour>> pixels;
};

Painted Paint(const std::vector<Shape>& shapes, double units, int size) {
    constexpr int kSamples = 8;
    Painted out{size, {}};
    const double scale = units / size;
    for (int py = 0; py < size; ++py) {
        for (int px = 0; px < size; ++px) {
            int covered = 0;
            std::array<int, 3> sum{};
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const double x = (px + (sx + 0.5) / kSamples) * scale;
                    const double y = (py + (sy + 0.5) / kSamples) * scale;
                    for (auto s = shapes.rbegin(); s != shapes.rend(); ++s) {
                        if (!s->inside(x, y)) continue;
                        ++covered;
                        sum[0] += s->colour.r, sum[1] += s->colour.g, sum[2] += s->colour.b;
                        break;
                    }
                }
            }
            if (covered * 2 < kSamples * kSamples) {
                out.pixels.emplace_back();
                continue;
            }
            auto mean = [&](int total) { return static_cast<std::uint8_t>((total + covered / 2) / covered); };
            out.pixels.push_back(Colour{mean(sum[0]), mean(sum[1]), mean(sum[2])});
        }
    }
    return out;
}

// A picture as palette indexes; index 0 is transparent.
struct Indexed {
    int size = 0;
    std::vector<Colour> palette;  // 256 entries
    std::vector<std::uint8_t> indexes;
};

// Fits the colours into 255 palette entries by median cut: the box of
// colours with the widest spread is split at its median until there are
// enough boxes; each box is represented by its pixels' mean.
std::vector<std::vector<std::pair<Colour, int>>> MedianCut(const std::map<Colour, int>& counts, std::size_t boxes) {
    std::vector<std::vector<std::pair<Colour, int>>> cut{{counts.begin(), counts.end()}};
    auto channel = [](const Colour& c, int i) { return i == 0 ? c.r : i == 1 ? c.g : c.b; };
    auto spread = [&](const std::vector<std::pair<Colour, int>>& box, int& widest) {
        int best = -1;
        for (int i = 0; i < 3; ++i) {
            const auto [lo, hi] = std::minmax_element(box.begin(), box.end(), [&](const auto& a, const auto& b) {
                return channel(a.first, i) < channel(b.first, i);
            });
            if (channel(hi->first, i) - channel(lo->first, i) > best)
                best = channel(hi->first, i) - channel(lo->first, i), widest = i;
        }
        return best;
    };
    while (cut.size() < boxes) {
        std::size_t pick = 0;
        int pickSpread = 0, axis = 0;
        for (std::size_t i = 0; i < cut.size(); ++i) {
            int widest = 0;
            const int s = cut[i].size() > 1 ? spread(cut[i], widest) : 0;
            if (s > pickSpread) pick = i, pickSpread = s, axis = widest;
        }
        if (pickSpread == 0) break;
        auto& box = cut[pick];
        std::sort(box.begin(), box.end(), [&](const auto& a, const auto& b) {
            return std::pair(channel(a.first, axis), a.first) < std::pair(channel(b.first, axis), b.first);
        });
        const auto half = box.begin() + static_cast<std::ptrdiff_t>(box.size() / 2);
        std::vector<std::pair<Colour, int>> upper(half, box.end());
        box.erase(half, box.end());
        cut.push_back(std::move(upper));
    }
    return cut;
}

Indexed Quantise(const Painted& painted) {
    std::map<Colour, int> counts;
    for (const auto& p : painted.pixels)
        if (p) ++counts[*p];
    std::map<Colour, std::uint8_t> index;
    Indexed out{painted.size, std::vector<Colour>(256), {}};
    int next = 1;
    for (const auto& box : MedianCut(counts, 255)) {
        long long total = 0;
        std::array<long long, 3> sum{};
        for (const auto& [c, n] : box) total += n, sum[0] += c.r * n, sum[1] += c.g * n, sum[2] += c.b * n;
        auto mean = [&](long long s) { return static_cast<std::uint8_t>((s + total / 2) / total); };
        out.palette[static_cast<std::size_t>(next)] = {mean(sum[0]), mean(sum[1]), mean(sum[2])};
        for (const auto& entry : box) index[entry.first] = static_cast<std::uint8_t>(next);
        ++next;
    }
    for (const auto& p : painted.pixels) out.indexes.push_back(p ? index.at(*p) : 0);
    return out;
}

// ---- Files. ----

void Put16(std::vector<std::uint8_t>& out, unsigned v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(std::vector<std::uint8_t>& out, unsigned v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// One image of an icon file: a 256-colour bitmap of twice the height (the
// colours, then the 1-bit mask, both bottom-up with rows padded to 4 bytes).
std::vector<std::uint8_t> IconImage(const Indexed& image) {
    const unsigned size = static_cast<unsigned>(image.size);
    const unsigned colourRow = (size + 3) & ~3u, maskRow = ((size + 31) / 32) * 4;
    std::vector<std::uint8_t> out;
    Put32(out, 40);
    Put32(out, size);
    Put32(out, size * 2);
    Put16(out, 1);
    Put16(out, 8);
    Put32(out, 0);
    Put32(out, (colourRow + maskRow) * size);
    Put32(out, 0), Put32(out, 0), Put32(out, 0), Put32(out, 0);
    for (const Colour& c : image.palette) out.insert(out.end(), {c.b, c.g, c.r, 0});
    for (unsigned y = size; y-- > 0;) {
        const auto row = image.indexes.begin() + static_cast<std::ptrdiff_t>(y * size);
        out.insert(out.end(), row, row + size);
        out.resize(out.size() + colourRow - size, 0);
    }
    for (unsigned y = size; y-- > 0;) {
        std::vector<std::uint8_t> mask(maskRow, 0);
        for (unsigned x = 0; x < size; ++x)
            if (image.indexes[y * size + x] == 0) mask[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        out.insert(out.end(), mask.begin(), mask.end());
    }
    return out;
}

std::vector<std::uint8_t> IconFile(const std::vector<Indexed>& images) {
    std::vector<std::uint8_t> out;
    Put16(out, 0);
    Put16(out, 1);
    Put16(out, static_cast<unsigned>(images.size()));
    std::vector<std::vector<std::uint8_t>> bodies;
    for (const Indexed& image : images) bodies.push_back(IconImage(image));
    unsigned offset = 6 + 16 * static_cast<unsigned>(images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        out.push_back(static_cast<std::uint8_t>(images[i].size));
        out.push_back(static_cast<std::uint8_t>(images[i].size));
        out.push_back(0);  // 256 colours or more
        out.push_back(0);
        Put16(out, 1);
        Put16(out, 8);
        Put32(out, static_cast<unsigned>(bodies[i].size()));
        Put32(out, offset);
        offset += static_cast<unsigned>(bodies[i].size());
    }
    for (const auto& body : bodies) out.insert(out.end(), body.begin(), body.end());
    return out;
}

QImage PngImage(const Indexed& image) {
    QImage out(image.size, image.size, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (const Colour& c : image.palette) table.push_back(qRgb(c.r, c.g, c.b));
    table[0] = qRgba(0, 0, 0, 0);
    out.setColorTable(table);
    for (int y = 0; y < image.size; ++y)
        for (int x = 0; x < image.size; ++x)
            out.setPixel(x, y, image.indexes[static_cast<std::size_t>(y * image.size + x)]);
    return out;
}

struct PictureFile {
    std::string name;  // without extension
    std::vector<Shape> shapes;
    double units;
    sarvo::Picture picture;  // its sizes
    bool icon = true;        // also NAME.ico (the windows' pictures, for the Windows resources)
};

std::vector<PictureFile> Pictures() {
    using sarvo::Picture;
    return {
        {"setting_tool", SettingToolIcon(), 32, Picture::SettingToolIcon},
        {"folder", Folder(), 12, Picture::Folder},
        {"trash_box", TrashBox(), 32, Picture::TrashBox},
        {"uninstaller", UninstallerIcon(), 32, Picture::UninstallerIcon},
        // Only a PNG copy a size, for the application menu on Linux; drawn at
        // the sizes of the programs' own icons.
        {"changer", ChangerIcon(), 32, Picture::SettingToolIcon, false},
    };
}

// "NAME-SIZE.png": one copy for each size.
std::string PngPath(const std::string& folder, const PictureFile& picture, const Indexed& image) {
    return folder + "/" + picture.name + "-" + std::to_string(image.size) + ".png";
}

std::vector<std::uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool SameImage(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return false;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixelColor(x, y).rgba() != b.pixelColor(x, y).rgba()) return false;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc == 3 ? argv[1] : "";
    if (mode != "write" && mode != "check") {
        std::fprintf(stderr, "usage: %s write|check FOLDER\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[2];
    int differences = 0;
    for (const PictureFile& picture : Pictures()) {
        std::vector<Indexed> images;
        for (int size : sarvo::PictureSizes(picture.picture))
            images.push_back(Quantise(Paint(picture.shapes, picture.units, size)));
        // The icon's images largest first, as the system lists them.
        const std::vector<std::uint8_t> icon = IconFile({images.rbegin(), images.rend()});
        const std::string ico = folder + "/" + picture.name + ".ico";
        if (mode == "write") {
            bool written = true;
            if (picture.icon) {
                std::ofstream out(ico, std::ios::binary | std::ios::trunc);
                out.write(reinterpret_cast<const char*>(icon.data()), static_cast<std::streamsize>(icon.size()));
                written = static_cast<bool>(out.flush());
            }
            for (const Indexed& image : images)
                written = written && PngImage(image).save(QString::fromStdString(PngPath(folder, picture, image)), "PNG");
            if (!written) {
                std::fprintf(stderr, "%s: cannot write %s\n", argv[0], picture.name.c_str());
                return 1;
            }
            continue;
        }
        if (picture.icon && ReadAll(ico) != icon) {
            std::fprintf(stderr, "%s differs from what the generator draws\n", ico.c_str());
            ++differences;
        }
        for (const Indexed& image : images) {
            const std::string png = PngPath(folder, picture, image);
            if (SameImage(QImage(QString::fromStdString(png)), PngImage(image))) continue;
            std::fprintf(stderr, "%s differs from what the generator draws\n", png.c_str());
            ++differences;
        }
    }
    return differences == 0 ? 0 : 1;
}
