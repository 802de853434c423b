#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "desktop_backends.h"

using namespace sarvo::platform;

TEST(ChooseDesktopBackend, TheSessionDecidesAndTheOverrideNamesABackendInAnyCase) {
    const std::string noSession = "no graphical session", wayland = "no wallpaper backend for this Wayland session";
    const struct {
        Environment environment;
        const char* backend;  // or "" with the reason
        std::string why;
    } cases[] = {
        {{}, "", noSession},
        {{{"DISPLAY", ""}, {"XDG_CURRENT_DESKTOP", "i3"}}, "", noSession},
        {{{"SARVO_DESKTOP_BACKEND", "x11"}}, "", noSession},  // the override cannot conjure a display
        {{{"DISPLAY", ":0"}}, "x11", ""},
        {{{"DISPLAY", ":0"}, {"XDG_SESSION_TYPE", "x11"}, {"XDG_CURRENT_DESKTOP", "i3"}}, "x11", ""},
        {{{"DISPLAY", ":1"}, {"XDG_CURRENT_DESKTOP", "openbox:XFWM-like"}}, "x11", ""},
        {{{"WAYLAND_DISPLAY", "wayland-0"}}, "", wayland},
        // Xwayland gives DISPLAY too, but its root window is never seen.
        {{{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":0"}}, "", wayland},
        {{{"DISPLAY", ":0"}, {"XDG_SESSION_TYPE", "Wayland"}}, "", "no wallpaper backend for this session"},
        {{{"DISPLAY", ":0"}, {"XDG_CURRENT_DESKTOP", "GNOME"}, {"SARVO_DESKTOP_BACKEND", "X11"}}, "x11", ""},
        {{{"WAYLAND_DISPLAY", "w"}, {"SARVO_DESKTOP_BACKEND", "x11"}}, "x11", ""},
        {{{"DISPLAY", ":0"}, {"SARVO_DESKTOP_BACKEND", "gnome"}}, "",
         "unknown desktop backend \"gnome\" in SARVO_DESKTOP_BACKEND (known: x11)"},
    };
    for (const auto& c : cases) {
        std::string why;
        const DesktopBackend* backend = ChooseDesktopBackend(c.environment, DesktopBackends(), why);
        EXPECT_EQ(backend != nullptr ? std::string(backend->name) : "", c.backend) << c.why;
        EXPECT_EQ(backend == nullptr ? why : "", c.why);
    }
    // Desktops that cover the root window are not served by it.
    for (const char* desktop : {"GNOME", "ubuntu:GNOME", "Budgie:GNOME", "KDE", "XFCE", "X-Cinnamon", "MATE", "LXQt",
                                "lxde", "Unity:Unity7:ubuntu"}) {
        std::string why;
        EXPECT_EQ(ChooseDesktopBackend({{"DISPLAY", ":0"}, {"XDG_CURRENT_DESKTOP", desktop}}, DesktopBackends(), why),
                  nullptr) << desktop;
        EXPECT_EQ(why, std::string("no wallpaper backend for the desktop \"") + desktop + "\"");
    }
}

TEST(ChooseDesktopBackend, AStoredChoiceServesWhereTheEnvironmentNamesNone) {
    const Environment gnome = {{"DISPLAY", ":0"}, {"XDG_CURRENT_DESKTOP", "GNOME"}};
    std::string why;
    const DesktopBackend* chosen = ChooseDesktopBackend(gnome, DesktopBackends(), why, "X11");
    ASSERT_NE(chosen, nullptr) << why;
    EXPECT_EQ(chosen->name, "x11");
    Environment overridden = gnome;
    overridden["SARVO_DESKTOP_BACKEND"] = "nonesuch";  // the environment wins over the store
    EXPECT_EQ(ChooseDesktopBackend(overridden, DesktopBackends(), why, "x11"), nullptr);
    EXPECT_EQ(why, "unknown desktop backend \"nonesuch\" in SARVO_DESKTOP_BACKEND (known: x11)");
    EXPECT_EQ(ChooseDesktopBackend(gnome, DesktopBackends(), why, "kde"), nullptr);
    EXPECT_EQ(why, "unknown desktop backend \"kde\" in the registry store "
                   "(Software\\Sarvo Backdrop Changer, DesktopBackend) (known: x11)");
}

TEST(ChooseDesktopBackend, FirstDetectingBackendOfTheTableWins) {
    const DesktopBackend table[] = {
        {"special", [](const Environment& e) { return e.count("SPECIAL") != 0; }, nullptr, nullptr},
        {"x11", DetectX11Root, nullptr, nullptr},
    };
    const std::pair<Environment, std::string> cases[] = {
        {{{"DISPLAY", ":0"}, {"SPECIAL", "1"}}, "special"},
        {{{"DISPLAY", ":0"}}, "x11"},
        {{{"DISPLAY", ":0"}, {"SPECIAL", "1"}, {"SARVO_DESKTOP_BACKEND", "x11"}}, "x11"},
    };
    for (const auto& [environment, name] : cases) {
        std::string why;
        const DesktopBackend* chosen = ChooseDesktopBackend(environment, table, why);
        ASSERT_NE(chosen, nullptr) << name;
        EXPECT_EQ(chosen->name, name);
    }
}

TEST(ProcessEnvironment, HoldsThisProcesssVariablesWithEqualsSignsInValues) {
    ASSERT_EQ(setenv("SARVO_TEST_VARIABLE", "a=b c", 1), 0);
    const Environment environment = ProcessEnvironment();
    ASSERT_EQ(environment.count("SARVO_TEST_VARIABLE"), 1u);
    EXPECT_EQ(environment.at("SARVO_TEST_VARIABLE"), "a=b c");
    unsetenv("SARVO_TEST_VARIABLE");
}
