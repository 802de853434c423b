// The rules that read the session's environment. Desktops name themselves
// inconsistently ("ubuntu:GNOME", "Budgie:GNOME", "X-Cinnamon",
// "sway:wlroots"), so names are matched token by token, without case.
#include "desktop/session.h"

#include <algorithm>
#include <array>
#include <cctype>

extern char** environ;

namespace sarvo::platform {

namespace {

std::vector<std::string> Tokens(std::string_view list) {
    std::vector<std::string> tokens;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(':', start);
        if (end == std::string_view::npos) end = list.size();
        if (end > start) tokens.push_back(Lower(list.substr(start, end - start)));
        start = end + 1;
    }
    return tokens;
}

// Names of desktops that draw their own background over the root window
// or have a wallpaper setting of their own.
constexpr std::array<std::string_view, 27> kKnownDesktops{
    "gnome", "gnome-classic", "gnome-flashback", "ubuntu", "unity", "budgie", "budgie-desktop",
    "pantheon", "pop", "zorin", "x-cinnamon", "cinnamon", "mate", "kde", "plasma", "plasmawayland",
    "xfce", "lxde", "lxqt", "deepin", "enlightenment", "sway", "hyprland", "wlroots", "niri", "river",
    "labwc"};

// Variables that only a desktop's own session sets.
constexpr std::array<std::string_view, 6> kDesktopMarks{
    "KDE_FULL_SESSION", "GNOME_DESKTOP_SESSION_ID", "MATE_DESKTOP_SESSION_ID",
    "SWAYSOCK", "HYPRLAND_INSTANCE_SIGNATURE", "LXQT_SESSION_CONFIG"};

}  // namespace

std::string_view Value(const Environment& environment, std::string_view name) {
    const auto it = environment.find(name);
    return it == environment.end() ? std::string_view{} : std::string_view{it->second};
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

std::vector<std::string> DesktopNames(const Environment& environment) {
    for (const char* variable : {"XDG_CURRENT_DESKTOP", "XDG_SESSION_DESKTOP", "DESKTOP_SESSION"}) {
        std::vector<std::string> tokens = Tokens(Value(environment, variable));
        if (!tokens.empty()) return tokens;
    }
    return {};
}

bool NamesAny(const Environment& environment, std::initializer_list<std::string_view> names) {
    for (const std::string& token : DesktopNames(environment))
        if (std::find(names.begin(), names.end(), token) != names.end()) return true;
    return false;
}

bool AnySet(const Environment& environment, std::initializer_list<std::string_view> variables) {
    for (std::string_view variable : variables)
        if (!Value(environment, variable).empty()) return true;
    return false;
}

bool IsWaylandSession(const Environment& environment) {
    return !Value(environment, "WAYLAND_DISPLAY").empty() ||
           Lower(Value(environment, "XDG_SESSION_TYPE")) == "wayland";
}

bool NamesKnownDesktop(const Environment& environment) {
    for (const std::string& token : DesktopNames(environment))
        if (std::find(kKnownDesktops.begin(), kKnownDesktops.end(), token) != kKnownDesktops.end()) return true;
    for (std::string_view mark : kDesktopMarks)
        if (!Value(environment, mark).empty()) return true;
    return false;
}

std::string DescribeDesktop(const Environment& environment) {
    for (const char* variable : {"XDG_CURRENT_DESKTOP", "XDG_SESSION_DESKTOP", "DESKTOP_SESSION"}) {
        const std::string_view name = Value(environment, variable);
        if (!name.empty()) return std::string(name);
    }
    if (!Value(environment, "SWAYSOCK").empty()) return "sway";
    if (!Value(environment, "HYPRLAND_INSTANCE_SIGNATURE").empty()) return "Hyprland";
    if (!Value(environment, "KDE_FULL_SESSION").empty()) return "KDE";
    return IsWaylandSession(environment) ? "デスクトップ名のない Wayland セッション"
                                         : "デスクトップ名のない X11 セッション";
}

Environment ProcessEnvironment() {
    Environment environment;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        const std::string_view text(*entry);
        const std::size_t equals = text.find('=');
        if (equals == std::string_view::npos) continue;
        environment.emplace(std::string(text.substr(0, equals)), std::string(text.substr(equals + 1)));
    }
    return environment;
}

}  // namespace sarvo::platform
