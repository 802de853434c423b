// Choosing the desktop backend from the session, handing over to the next, and the backends' pure rules.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "backend_plasma.h"
#include "backend_sway.h"
#include "desktop_backends.h"
#include "presenter.h"

using namespace sarvo;
using namespace sarvo::platform;

namespace {

// The names of the candidates, joined by blanks; or "-" and the reason.
std::string Candidates(const Environment& environment, std::string_view stored = {}) {
    std::string why, names;
    for (const DesktopBackend* backend : CandidateBackends(environment, DesktopBackends(), why, stored))
        names += (names.empty() ? "" : " ") + std::string(backend->name);
    return names.empty() ? "- " + why : names;
}

}  // namespace

TEST(DesktopDetection, TheSessionsOwnNamesAndMarksDecideInListOrderThenTheStoredChoice) {
    const std::pair<Environment, const char*> cases[] = {  // the session, its candidates
        {{{"DISPLAY", ":0"}, {"XDG_CURRENT_DESKTOP", "ubuntu:GNOME"}}, "gnome"},
        {{{"WAYLAND_DISPLAY", "wayland-0"}, {"XDG_CURRENT_DESKTOP", "Budgie:GNOME"}}, "gnome portal"},
        {{{"DISPLAY", ":0"}, {"XDG_CURRENT_DESKTOP", "X-Cinnamon"}}, "cinnamon"}, {{{"DISPLAY", ":0"}, {"XDG_CURRENT_DESKTOP", "MATE"}}, "mate"},
        {{{"DISPLAY", ":0"}, {"XDG_CURRENT_DESKTOP", "KDE"}}, "plasma"}, {{{"WAYLAND_DISPLAY", "w"}, {"KDE_FULL_SESSION", "true"}}, "plasma portal"},
        {{{"DISPLAY", ":0"}, {"XDG_CURRENT_DESKTOP", "XFCE"}}, "xfce"}, {{{"DISPLAY", ":0"}, {"XDG_CURRENT_DESKTOP", "LXQt"}}, "lxqt"},
        {{{"WAYLAND_DISPLAY", "w"}, {"XDG_CURRENT_DESKTOP", "sway:wlroots"}}, "sway wlroots portal"},
        {{{"WAYLAND_DISPLAY", "w"}, {"HYPRLAND_INSTANCE_SIGNATURE", "abc"}}, "hyprland portal"},
        // Started from a text console: only the socket tells.
        {{{"WAYLAND_DISPLAY", "w"}, {"XDG_CURRENT_DESKTOP", ""}, {"SWAYSOCK", "/run/sway.sock"}}, "sway portal"},
        {{{"WAYLAND_DISPLAY", "w"}}, "wlroots portal"},
        // The session file's name stands in for a missing desktop name.
        {{{"DISPLAY", ":0"}, {"DESKTOP_SESSION", "plasma"}}, "plasma"},
        {{{"DISPLAY", ":0"}, {"XDG_CURRENT_DESKTOP", "i3"}, {"DESKTOP_SESSION", "gnome"}}, "x11"}, {{{"DISPLAY", ":0"}}, "x11"},
        // Xwayland gives DISPLAY too, but its root window is never seen.
        {{{"WAYLAND_DISPLAY", "w"}, {"DISPLAY", ":0"}, {"XDG_CURRENT_DESKTOP", "GNOME"}}, "gnome portal"},
        {{{"DISPLAY", ":0"}, {"XDG_CURRENT_DESKTOP", "Deepin"}},
         "- no wallpaper backend for the desktop \"Deepin\". To choose the way yourself, set "
         "SARVO_DESKTOP_BACKEND to one of: gnome, cinnamon, mate, plasma, xfce, lxde, lxqt, sway, hyprland, "
         "wlroots, portal, x11 (for example SARVO_DESKTOP_BACKEND=x11)."},
        {{}, "- no graphical session (neither DISPLAY nor WAYLAND_DISPLAY is set)"},
        {{{"DISPLAY", ""}, {"SARVO_DESKTOP_BACKEND", "x11"}}, "- no graphical session (neither DISPLAY nor WAYLAND_DISPLAY is set)"},
        // The override names one backend, in any case, whatever the session.
        {{{"DISPLAY", ":0"}, {"XDG_CURRENT_DESKTOP", "GNOME"}, {"SARVO_DESKTOP_BACKEND", "X11"}}, "x11"},
        {{{"WAYLAND_DISPLAY", "w"}, {"SARVO_DESKTOP_BACKEND", "sway"}}, "sway"},
        {{{"DISPLAY", ":0"}, {"SARVO_DESKTOP_BACKEND", "kde"}},
         "- unknown desktop backend \"kde\" in SARVO_DESKTOP_BACKEND (known: gnome, cinnamon, mate, plasma, xfce, "
         "lxde, lxqt, sway, hyprland, wlroots, portal, x11)"},
    };
    for (const auto& [environment, candidates] : cases) EXPECT_EQ(Candidates(environment), candidates);
    // The stored choice serves unless the environment names another.
    const Environment gnome = {{"DISPLAY", ":0"}, {"XDG_CURRENT_DESKTOP", "GNOME"}};
    EXPECT_EQ(Candidates(gnome, "X11"), "x11");
    Environment overridden = gnome;
    overridden["SARVO_DESKTOP_BACKEND"] = "xfce";
    EXPECT_EQ(Candidates(overridden, "x11"), "xfce");
    EXPECT_EQ(Candidates(gnome, "nonesuch").substr(0, 102),
              "- unknown desktop backend \"nonesuch\" in the registry store (Software\\Sarvo Backdrop Changer, "
              "DesktopBa");
}

namespace {

// Rows that decline, fail or serve on request, recording what was asked.
std::string gCalls;
bool Refuses(std::string& why) { return gCalls += "connect-refused ", why = "not here", false; }
bool Connects(std::string&) { return gCalls += "connect ", true; }
bool Fails(const std::string&, Placement, std::string& why) { return gCalls += "fail ", why = "refused the picture", false; }
bool Shows(const std::string&, Placement, std::string&) { return gCalls += "show ", true; }
bool Any(const Environment&) { return true; }
bool Never(const Environment&) { return false; }
bool NoClear(std::string&) { return false; }

}  // namespace

TEST(DesktopHandOver, ADecliningOrFailingBackendHandsOverToTheNextThatFits) {
    const DesktopBackend declining{"declining", Any, Refuses, Shows, NoClear};
    const DesktopBackend failing{"failing", Any, Connects, Fails, NoClear};
    const DesktopBackend unfit{"unfit", Never, Connects, Shows, NoClear};
    const DesktopBackend serving{"serving", Any, Connects, Shows, NoClear};
    const DesktopBackend* list[] = {&declining, &failing, &unfit, &serving};
    const Environment environment{{"DISPLAY", ":0"}, {"XDG_CURRENT_DESKTOP", "Test"}};
    std::string why;
    const auto candidates = CandidateBackends(environment, list, why);
    const auto apply = [](const DesktopBackend& b, std::string& reason) { return b.apply("/p", Placement::Tile, reason); };
    gCalls.clear();
    const DesktopBackend* served = ServeWith(candidates, environment, list, apply, why);
    EXPECT_EQ(served == nullptr ? "none" : served->name, "serving");
    EXPECT_EQ(gCalls, "connect-refused connect fail connect show ");

    const std::vector<const DesktopBackend*> failingOnly{&declining, &failing};
    EXPECT_EQ(ServeWith(failingOnly, environment, list, apply, why), nullptr);
    EXPECT_EQ(why, "the desktop \"Test\" could not be reached: declining: not here; failing: refused the picture. "
                   "To choose the way yourself, set SARVO_DESKTOP_BACKEND to one of: declining, failing, unfit, "
                   "serving (for example SARVO_DESKTOP_BACKEND=x11).");
}

TEST(DesktopQuoting, PathsReachEachDesktopAsOneLiteralString) {
    const std::string odd = "/home/u/a \"b\" 'c' \\d $HOME `e` 写真.png";
    EXPECT_EQ(SwayQuoted(odd), "\"/home/u/a \\\"b\\\" \\'c\\' \\\\d \\$HOME \\`e\\` 写真.png\"");
    EXPECT_EQ(JsQuoted("a'b\"c\\d\n写"), "'a\\'b\\\"c\\\\d\\x0a写'");
    EXPECT_EQ(presenter::FileUri(odd),
              "file:///home/u/a%20%22b%22%20%27c%27%20%5Cd%20%24HOME%20%60e%60%20%E5%86%99%E7%9C%9F.png");
}

TEST(SwayReply, EverySuccessMustBeTrueAndTheFirstErrorIsTold) {
    std::string why;
    EXPECT_TRUE(SwayReplySucceeded("[ { \"success\": true } ]", why));
    EXPECT_TRUE(SwayReplySucceeded("[{\"success\":true},{\"success\":true}]", why));
    for (const auto& [reply, told] : {std::pair{"[{\"success\":true},{\"success\":false,\"parse_error\":true,"
                                                "\"error\":\"Unknown \\\"bg\\\" mode\"}]", "Unknown \"bg\" mode"},
                                      {"", "an unexpected reply: "}}) {
        EXPECT_FALSE(SwayReplySucceeded(reply, why));
        EXPECT_EQ(why, told);
    }
}
