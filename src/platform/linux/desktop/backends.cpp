// The list of backends and the rules that pick from it. The rules read only
// the environment and the list they are given, so they are tested with
// literal environments and rows of their own.
#include "desktop/backends.h"

#include <array>

#include "desktop/backend_gsettings.h"
#include "desktop/backend_pcmanfm.h"
#include "desktop/backend_plasma.h"
#include "desktop/backend_portal.h"
#include "desktop/backend_sway.h"
#include "desktop/backend_wlroots.h"
#include "desktop/backend_x11.h"
#include "desktop/backend_xfce.h"
#include "deadline_linux.h"

namespace sarvo::platform {

namespace {

// Desktops first, then the ways that serve any session of their kind.
const std::array<const DesktopBackend*, 12> kBackends{
    &kGnomeBackend, &kCinnamonBackend, &kMateBackend,     &kPlasmaBackend,  &kXfceBackend,   &kLxdeBackend,
    &kLxqtBackend,  &kSwayBackend,     &kHyprlandBackend, &kWlrootsBackend, &kPortalBackend, &kX11RootBackend};

std::string KnownNames(std::span<const DesktopBackend* const> backends) {
    std::string names;
    for (const DesktopBackend* backend : backends) {
        if (!names.empty()) names += ", ";
        names += backend->name;
    }
    return names;
}

std::string Advice(std::span<const DesktopBackend* const> backends) {
    return "To choose the way yourself, set " + std::string(kBackendOverride) + " to one of: " +
           KnownNames(backends) + " (for example " + std::string(kBackendOverride) + "=x11).";
}

}  // namespace

std::span<const DesktopBackend* const> DesktopBackends() { return kBackends; }

std::vector<const DesktopBackend*> CandidateBackends(const Environment& environment,
                                                     std::span<const DesktopBackend* const> backends,
                                                     std::string& why, std::string_view storedChoice) {
    if (Value(environment, "DISPLAY").empty() && Value(environment, "WAYLAND_DISPLAY").empty()) {
        why = "no graphical session (neither DISPLAY nor WAYLAND_DISPLAY is set)";
        return {};
    }
    std::string_view wanted = Value(environment, kBackendOverride);
    std::string source(kBackendOverride);
    if (wanted.empty()) {
        wanted = storedChoice;
        source = std::string("the registry store (") + kStoredChoiceKey + ", " + kStoredChoiceValue + ")";
    }
    if (!wanted.empty()) {
        for (const DesktopBackend* backend : backends)
            if (Lower(backend->name) == Lower(wanted)) return {backend};
        why = "unknown desktop backend \"" + std::string(wanted) + "\" in " + source + " (known: " +
              KnownNames(backends) + ")";
        return {};
    }
    std::vector<const DesktopBackend*> candidates;
    for (const DesktopBackend* backend : backends)
        if (backend->detect(environment)) candidates.push_back(backend);
    if (candidates.empty())
        why = "no wallpaper backend for the desktop \"" + DescribeDesktop(environment) + "\". " + Advice(backends);
    return candidates;
}

const DesktopBackend* ServeWith(const std::vector<const DesktopBackend*>& candidates,
                                const Environment& environment,
                                std::span<const DesktopBackend* const> backends,
                                const std::function<bool(const DesktopBackend&, std::string&)>& step,
                                std::string& why) {
    std::string reasons;
    for (const DesktopBackend* backend : candidates) {
        const linux_deadline::Step named("the backend " + std::string(backend->name));
        std::string reason;
        if (backend->connect(reason) && step(*backend, reason)) return backend;
        if (!reasons.empty()) reasons += "; ";
        reasons += std::string(backend->name) + ": " + reason;
    }
    why = "the desktop \"" + DescribeDesktop(environment) + "\" could not be reached: " + reasons + ". " +
          Advice(backends);
    return nullptr;
}

}  // namespace sarvo::platform
