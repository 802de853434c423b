// The table of backends and the rules that pick one. The rules read only the
// environment they are given, so they are tested with literal environments.
#include "desktop_backends.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "backend_x11.h"

extern char** environ;

namespace sarvo::platform {

namespace {

constexpr std::string_view kOverride = "SARVO_DESKTOP_BACKEND";

const std::array<DesktopBackend, 1> kBackends{{
    {"x11", DetectX11Root, x11root::Apply, x11root::Clear},
}};

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

std::string_view Value(const Environment& environment, std::string_view name) {
    const auto it = environment.find(name);
    return it == environment.end() ? std::string_view{} : std::string_view{it->second};
}

// Desktops that draw their own background over the root window, by the
// tokens they put in XDG_CURRENT_DESKTOP (a colon-separated list).
bool NamesDesktopWithOwnBackground(std::string_view currentDesktop) {
    static constexpr std::array<std::string_view, 18> kTokens{
        "gnome", "gnome-classic", "gnome-flashback", "ubuntu", "unity", "budgie",
        "pantheon", "pop", "zorin", "x-cinnamon", "cinnamon", "mate",
        "kde", "xfce", "lxde", "lxqt", "deepin", "enlightenment"};
    std::size_t start = 0;
    while (start <= currentDesktop.size()) {
        std::size_t end = currentDesktop.find(':', start);
        if (end == std::string_view::npos) end = currentDesktop.size();
        const std::string token = Lower(currentDesktop.substr(start, end - start));
        if (std::find(kTokens.begin(), kTokens.end(), token) != kTokens.end()) return true;
        start = end + 1;
    }
    return false;
}

std::string KnownNames(std::span<const DesktopBackend> backends) {
    std::string names;
    for (const DesktopBackend& backend : backends) {
        if (!names.empty()) names += ", ";
        names += backend.name;
    }
    return names;
}

}  // namespace

std::span<const DesktopBackend> DesktopBackends() { return kBackends; }

bool DetectX11Root(const Environment& environment) {
    if (Value(environment, "DISPLAY").empty()) return false;
    if (!Value(environment, "WAYLAND_DISPLAY").empty()) return false;
    if (Lower(Value(environment, "XDG_SESSION_TYPE")) == "wayland") return false;
    return !NamesDesktopWithOwnBackground(Value(environment, "XDG_CURRENT_DESKTOP"));
}

const DesktopBackend* ChooseDesktopBackend(const Environment& environment,
                                           std::span<const DesktopBackend> backends,
                                           std::string& why, std::string_view storedChoice) {
    if (Value(environment, "DISPLAY").empty() && Value(environment, "WAYLAND_DISPLAY").empty()) {
        why = "no graphical session";
        return nullptr;
    }
    std::string_view wanted = Value(environment, kOverride);
    std::string source(kOverride);
    if (wanted.empty()) {
        wanted = storedChoice;
        source = std::string("the registry store (") + kStoredChoiceKey + ", " + kStoredChoiceValue + ")";
    }
    if (!wanted.empty()) {
        for (const DesktopBackend& backend : backends)
            if (Lower(backend.name) == Lower(wanted)) return &backend;
        why = "unknown desktop backend \"" + std::string(wanted) + "\" in " + source + " (known: " +
              KnownNames(backends) + ")";
        return nullptr;
    }
    for (const DesktopBackend& backend : backends)
        if (backend.detect(environment)) return &backend;
    const std::string_view desktop = Value(environment, "XDG_CURRENT_DESKTOP");
    if (!desktop.empty())
        why = "no wallpaper backend for the desktop \"" + std::string(desktop) + "\"";
    else if (!Value(environment, "WAYLAND_DISPLAY").empty())
        why = "no wallpaper backend for this Wayland session";
    else
        why = "no wallpaper backend for this session";
    return nullptr;
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
