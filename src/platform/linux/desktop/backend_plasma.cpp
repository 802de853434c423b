// Plasma's image plugin reads BMP, but it loads a picture only when its path
// changes, so the picture is handed under a new name each time. Tiles are
// Plasma's own wherever it has them, so that every monitor, whatever its
// size, is tiled: up to Plasma 6.5 the image plugin tiles (fill mode 3);
// Plasma 6.6 moved tiling into a plugin of its own (org.kde.tiled, shipped
// with the Plasma add-ons), and where that is not installed the tiles are
// laid out beforehand on the primary monitor's size and stretched. The
// script's strings are quoted for JavaScript, and the picture's URI is
// percent-encoded anyway.
#include "desktop/backend_plasma.h"

#include <unistd.h>

#include <charconv>
#include <cstdlib>
#include <vector>

#include "desktop/plasma_module.h"
#include "desktop/presenter.h"
#include "module_linux.h"
#include "xdg_linux.h"

namespace sarvo::platform {

namespace {

constexpr const char* kModuleName = "sarvo-desktop-plasma.so";

SarvoPlasmaEvaluate Module(std::string& why) {
    static std::string failure;
    static const auto entry = reinterpret_cast<SarvoPlasmaEvaluate>(
        linux_module::LoadEntry(kModuleName, SARVO_PLASMA_ENTRY, failure));
    if (entry == nullptr) why = failure;
    return entry;
}

// Runs `script` in the shell; what it prints goes to `printed`.
bool Evaluate(const std::string& script, std::string& why, std::string* printed = nullptr) {
    const SarvoPlasmaEvaluate evaluate = Module(why);
    if (evaluate == nullptr) return false;
    std::vector<char> text(4096);
    if (evaluate(script.c_str(), text.data(), text.size()) == 0) {
        why = std::string("Plasma のシェル：") + text.data();
        return false;
    }
    if (printed != nullptr) *printed = text.data();
    return true;
}

// Whether the running shell's image plugin tiles; a shell that does not
// tell its version is taken to have lost them.
bool ImagePluginTiles() {
    std::string why, version;
    return Evaluate("print(applicationVersion);", why, &version) && PlasmaImagePluginTiles(version);
}

// Whether the tiling plugin is installed for this user or the system.
bool TiledPluginInstalled() {
    std::vector<std::string> folders{linux_xdg::DataHome()};
    const char* dirs = std::getenv("XDG_DATA_DIRS");
    const std::string list = dirs != nullptr && *dirs != '\0' ? dirs : "/usr/local/share:/usr/share";
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(':', start);
        if (end == std::string::npos) end = list.size();
        if (end > start) folders.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    for (const std::string& folder : folders)
        if (access((folder + "/plasma/wallpapers/org.kde.tiled").c_str(), F_OK) == 0) return true;
    return false;
}

bool Connect(std::string& why) { return Evaluate("", why); }

// A bitmap made for the whole desktop: each screen's desktop is given its
// own part.
bool ApplyParts(const std::string& bitmap, std::string& why) {
    std::vector<presenter::HandedPart> parts;
    if (!presenter::PrepareParts(bitmap, DesktopMode::Plasma, parts, why)) return false;
    std::vector<PlasmaScreenPicture> pictures;
    for (const presenter::HandedPart& part : parts)
        pictures.push_back({part.rect.x, part.rect.y, presenter::FileUri(part.handed.path)});
    if (!Evaluate(PlasmaScreensScript(pictures, parts.front().handed.mode), why)) {
        presenter::DiscardParts(parts);
        return false;
    }
    presenter::KeepParts(bitmap, parts);
    return true;
}

bool Apply(const std::string& bitmap, Placement placement, std::string& why) {
    if (placement == Placement::Span) return ApplyParts(bitmap, why);
    const bool tiles = placement == Placement::Tile;
    const bool tiledPlugin = tiles && TiledPluginInstalled();
    const DesktopMode mode =
        tiles && !tiledPlugin && !ImagePluginTiles() ? DesktopMode::PlasmaWithoutTiles : DesktopMode::Plasma;
    presenter::Handed handed;
    // With the tiling plugin the picture is handed as it is.
    if (!presenter::Prepare(bitmap, tiledPlugin ? Placement::Stretch : placement, mode, presenter::Format::Bitmap,
                            handed, why))
        return false;
    const std::string uri = presenter::FileUri(handed.path);
    const std::string script = tiledPlugin ? PlasmaPictureScript(uri, "org.kde.tiled", "")
                                           : PlasmaPictureScript(uri, "org.kde.image", handed.mode);
    if (!Evaluate(script, why)) {
        presenter::Discard(handed);
        return false;
    }
    presenter::Keep(bitmap, handed);
    return true;
}

bool Clear(std::string& why) { return Evaluate(PlasmaClearScript(), why); }

bool Detect(const Environment& e) {
    return NamesAny(e, {"kde", "plasma", "plasmawayland"}) || AnySet(e, {"KDE_FULL_SESSION"});
}

}  // namespace

std::string JsQuoted(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string quoted = "'";
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\\' || c == '\'' || c == '"') {
            quoted += '\\';
            quoted += c;
        } else if (u < 0x20 || u == 0x7f) {
            quoted += "\\x";
            quoted += kHex[u >> 4];
            quoted += kHex[u & 15];
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

bool PlasmaImagePluginTiles(std::string_view version) {
    // "MAJOR.MINOR", then anything.
    const char* const end = version.data() + version.size();
    int major = 0, minor = 0;
    if (version.empty() || version.front() < '0' || version.front() > '9') return false;
    const auto [dot, majorError] = std::from_chars(version.data(), end, major);
    if (majorError != std::errc() || dot == end || *dot != '.') return false;
    const auto [rest, minorError] = std::from_chars(dot + 1, end, minor);
    if (minorError != std::errc() || dot[1] == '-') return false;
    return major < 6 || (major == 6 && minor < 6);
}

std::string PlasmaPictureScript(std::string_view uri, std::string_view plugin, std::string_view fillMode) {
    std::string script =
        "var all = desktops();\n"
        "for (var i = 0; i < all.length; i++) {\n"
        "    var d = all[i];\n"
        "    d.wallpaperPlugin = " + JsQuoted(plugin) + ";\n"
        "    d.currentConfigGroup = ['Wallpaper', " + JsQuoted(plugin) + ", 'General'];\n"
        "    d.writeConfig('Image', " + JsQuoted(uri) + ");\n";
    if (!fillMode.empty()) script += "    d.writeConfig('FillMode', " + std::string(fillMode) + ");\n";
    return script + "}\n";
}

std::string PlasmaScreensScript(const std::vector<PlasmaScreenPicture>& pictures, std::string_view fillMode) {
    std::string script = "var pictures = [";
    for (const PlasmaScreenPicture& p : pictures)
        script += (&p == &pictures.front() ? "" : ", ") + std::string("[") + std::to_string(p.x) + ", " +
                  std::to_string(p.y) + ", " + JsQuoted(p.uri) + "]";
    return script +
           "];\n"
           "var all = desktops();\n"
           "for (var i = 0; i < all.length; i++) {\n"
           "    var d = all[i];\n"
           "    var g = screenGeometry(d.screen);\n"
           "    for (var j = 0; j < pictures.length; j++) {\n"
           "        if (pictures[j][0] != g.x || pictures[j][1] != g.y) continue;\n"
           "        d.wallpaperPlugin = 'org.kde.image';\n"
           "        d.currentConfigGroup = ['Wallpaper', 'org.kde.image', 'General'];\n"
           "        d.writeConfig('Image', pictures[j][2]);\n"
           "        d.writeConfig('FillMode', " + std::string(fillMode) + ");\n"
           "    }\n"
           "}\n";
}

std::string PlasmaClearScript() {
    return "var all = desktops();\n"
           "for (var i = 0; i < all.length; i++) {\n"
           "    var d = all[i];\n"
           "    d.wallpaperPlugin = 'org.kde.color';\n"
           "    d.currentConfigGroup = ['Wallpaper', 'org.kde.color', 'General'];\n"
           "    d.writeConfig('Color', '0,0,0');\n"
           "}\n";
}

const DesktopBackend kPlasmaBackend{"plasma", Detect, Connect, Apply, Clear};

}  // namespace sarvo::platform
