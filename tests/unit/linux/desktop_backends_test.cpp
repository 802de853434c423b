#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "desktop_backends.h"

using namespace sarvo::platform;

namespace {

std::string Choose(const Environment& environment, std::string* why = nullptr) {
    std::string reason;
    const DesktopBackend* backend = ChooseDesktopBackend(environment, DesktopBackends(), reason);
    if (why != nullptr) *why = reason;
    if (backend == nullptr) {
        EXPECT_FALSE(reason.empty());
        return "";
    }
    return std::string(backend->name);
}

}  // namespace

TEST(ChooseDesktopBackend, WithoutAnyDisplayThereIsNoGraphicalSession) {
    std::string why;
    EXPECT_EQ(Choose({}, &why), "");
    EXPECT_EQ(why, "no graphical session");
    EXPECT_EQ(Choose({{"DISPLAY", ""}, {"XDG_CURRENT_DESKTOP", "i3"}}, &why), "");
    EXPECT_EQ(why, "no graphical session");
    // The override cannot conjure a display either.
    EXPECT_EQ(Choose({{"SARVO_DESKTOP_BACKEND", "x11"}}, &why), "");
    EXPECT_EQ(why, "no graphical session");
}

TEST(ChooseDesktopBackend, PlainX11SessionsUseTheRootWindow) {
    EXPECT_EQ(Choose({{"DISPLAY", ":0"}}), "x11");
    EXPECT_EQ(Choose({{"DISPLAY", ":0"}, {"XDG_SESSION_TYPE", "x11"}, {"XDG_CURRENT_DESKTOP", "i3"}}),
              "x11");
    EXPECT_EQ(Choose({{"DISPLAY", ":1"}, {"XDG_CURRENT_DESKTOP", "openbox:XFWM-like"}}), "x11");
}

TEST(ChooseDesktopBackend, DesktopsThatCoverTheRootAreNotServedByIt) {
    std::string why;
    for (const char* desktop : {"GNOME", "ubuntu:GNOME", "Budgie:GNOME", "KDE", "XFCE", "X-Cinnamon",
                                "MATE", "LXQt", "lxde", "Unity:Unity7:ubuntu"}) {
        EXPECT_EQ(Choose({{"DISPLAY", ":0"}, {"XDG_CURRENT_DESKTOP", desktop}}, &why), "") << desktop;
        EXPECT_EQ(why, std::string("no wallpaper backend for the desktop \"") + desktop + "\"");
    }
}

TEST(ChooseDesktopBackend, WaylandSessionsAreNotServedByTheRootWindow) {
    std::string why;
    EXPECT_EQ(Choose({{"WAYLAND_DISPLAY", "wayland-0"}}, &why), "");
    EXPECT_EQ(why, "no wallpaper backend for this Wayland session");
    // Xwayland gives DISPLAY too, but its root window is never seen.
    EXPECT_EQ(Choose({{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":0"}}), "");
    EXPECT_EQ(Choose({{"DISPLAY", ":0"}, {"XDG_SESSION_TYPE", "Wayland"}}), "");
}

TEST(ChooseDesktopBackend, OverrideNamesTheBackendInAnyCase) {
    std::string why;
    EXPECT_EQ(Choose({{"DISPLAY", ":0"}, {"XDG_CURRENT_DESKTOP", "GNOME"}, {"SARVO_DESKTOP_BACKEND", "X11"}}),
              "x11");
    EXPECT_EQ(Choose({{"WAYLAND_DISPLAY", "w"}, {"SARVO_DESKTOP_BACKEND", "x11"}}), "x11");
    EXPECT_EQ(Choose({{"DISPLAY", ":0"}, {"SARVO_DESKTOP_BACKEND", "gnome"}}, &why), "");
    EXPECT_EQ(why, "unknown desktop backend \"gnome\" in SARVO_DESKTOP_BACKEND (known: x11)");
}

TEST(ChooseDesktopBackend, FirstDetectingBackendOfTheTableWins) {
    const DesktopBackend table[] = {
        {"special", [](const Environment& e) { return e.count("SPECIAL") != 0; }, nullptr, nullptr},
        {"x11", DetectX11Root, nullptr, nullptr},
    };
    std::string why;
    const DesktopBackend* chosen =
        ChooseDesktopBackend({{"DISPLAY", ":0"}, {"SPECIAL", "1"}}, table, why);
    ASSERT_NE(chosen, nullptr);
    EXPECT_EQ(chosen->name, "special");
    chosen = ChooseDesktopBackend({{"DISPLAY", ":0"}}, table, why);
    ASSERT_NE(chosen, nullptr);
    EXPECT_EQ(chosen->name, "x11");
    chosen = ChooseDesktopBackend({{"DISPLAY", ":0"}, {"SPECIAL", "1"}, {"SARVO_DESKTOP_BACKEND", "x11"}},
                                  table, why);
    ASSERT_NE(chosen, nullptr);
    EXPECT_EQ(chosen->name, "x11");
}

TEST(ProcessEnvironment, HoldsThisProcesssVariablesWithEqualsSignsInValues) {
    ASSERT_EQ(setenv("SARVO_TEST_VARIABLE", "a=b c", 1), 0);
    const Environment environment = ProcessEnvironment();
    ASSERT_EQ(environment.count("SARVO_TEST_VARIABLE"), 1u);
    EXPECT_EQ(environment.at("SARVO_TEST_VARIABLE"), "a=b c");
    unsetenv("SARVO_TEST_VARIABLE");
}
