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
    return "方法を自分で選ぶには、" + std::string(kBackendOverride) + " に次のどれかを設定してください：" +
           KnownNames(backends) + "（例：" + std::string(kBackendOverride) + "=x11）";
}

}  // namespace

std::span<const DesktopBackend* const> DesktopBackends() { return kBackends; }

std::vector<const DesktopBackend*> CandidateBackends(const Environment& environment,
                                                     std::span<const DesktopBackend* const> backends,
                                                     std::string& why, std::string_view storedChoice) {
    if (Value(environment, "DISPLAY").empty() && Value(environment, "WAYLAND_DISPLAY").empty()) {
        why = "グラフィカルなセッションではありません（DISPLAY も WAYLAND_DISPLAY も設定されていません）。";
        return {};
    }
    std::string_view wanted = Value(environment, kBackendOverride);
    std::string source(kBackendOverride);
    if (wanted.empty()) {
        wanted = storedChoice;
        source = std::string("レジストリの ") + kStoredChoiceKey + "\\" + kStoredChoiceValue;
    }
    if (!wanted.empty()) {
        for (const DesktopBackend* backend : backends)
            if (Lower(backend->name) == Lower(wanted)) return {backend};
        why = source + " のバックエンド「" + std::string(wanted) + "」はありません（あるもの：" + KnownNames(backends) +
              "）。";
        return {};
    }
    std::vector<const DesktopBackend*> candidates;
    for (const DesktopBackend* backend : backends)
        if (backend->detect(environment)) candidates.push_back(backend);
    if (candidates.empty())
        why = "デスクトップ「" + DescribeDesktop(environment) + "」の壁紙を設定する方法がありません。\n" + Advice(backends);
    return candidates;
}

const DesktopBackend* ServeWith(const std::vector<const DesktopBackend*>& candidates,
                                const Environment& environment,
                                std::span<const DesktopBackend* const> backends,
                                const std::function<bool(const DesktopBackend&, std::string&)>& step,
                                std::string& why) {
    std::string reasons;
    for (const DesktopBackend* backend : candidates) {
        const linux_deadline::Step named("バックエンド " + std::string(backend->name));
        std::string reason;
        if (backend->connect(reason) && step(*backend, reason)) return backend;
        reasons += std::string(backend->name) + "：" + reason + "\n";
    }
    why = "デスクトップ「" + DescribeDesktop(environment) + "」では、どの方法でもできませんでした。\n" + reasons +
          Advice(backends);
    return nullptr;
}

}  // namespace sarvo::platform
