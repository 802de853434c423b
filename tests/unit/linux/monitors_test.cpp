// The compositors' lists of monitors, read from literal replies.
#include <gtest/gtest.h>

#include "desktop/backend_plasma.h"
#include "monitors_linux.h"

using namespace sarvo;
using namespace sarvo::platform;

namespace {

std::string Listed(const std::vector<DesktopMonitor>& monitors) {
    std::string text;
    for (const DesktopMonitor& m : monitors)
        text += m.name + (m.primary ? "*" : "") + " " + std::to_string(m.rect.x) + "," + std::to_string(m.rect.y) +
                " " + std::to_string(m.rect.width) + "x" + std::to_string(m.rect.height) + ";";
    return text;
}

}  // namespace

TEST(CompositorMonitors, SwayListsItsActiveOutputsAtTheirLogicalPlaces) {
    const char* reply = R"([{"name":"HEADLESS-1","active":true,"primary":false,"rect":{"x":0,"y":0,"width":1920,"height":1080}},
        {"name":"HEADLESS-2","active":true,"rect":{"x":1920,"y":-200,"width":1080,"height":1920}},
        {"name":"HDMI-A-1","active":false,"rect":{"x":0,"y":0,"width":0,"height":0}}])";
    // The reply, what is listed.
    const std::pair<const char*, const char*> cases[] = {
        {reply, "HEADLESS-1* 0,0 1920x1080;HEADLESS-2 1920,-200 1080x1920;"},
        {"{\"error\":\"no\"}", ""},
        {"not json", ""},
    };
    for (const auto& [json, listed] : cases) EXPECT_EQ(Listed(linux_monitors::FromSwayOutputs(json)), listed) << json;
}

TEST(CompositorMonitors, HyprlandsModesAreScaledAndTurnedIntoItsLayout) {
    const char* reply = R"([{"id":0,"name":"DP-1","width":3840,"height":2160,"x":0,"y":0,"scale":2.00,"transform":0},
        {"id":1,"name":"DP-2","width":1920,"height":1080,"x":1920,"y":0,"scale":1.0,"transform":1,"focused":true},
        {"id":2,"name":"DP-3","width":1920,"height":1080,"x":0,"y":0,"scale":1,"transform":0,"disabled":true}])";
    EXPECT_EQ(Listed(linux_monitors::FromHyprlandMonitors(reply)), "DP-1* 0,0 1920x1080;DP-2 1920,0 1080x1920;");
}

TEST(PlasmaScreens, EachDesktopTakesThePictureOfTheScreenAtItsPlace) {
    EXPECT_EQ(PlasmaScreensScript({{0, 0, "file:///a-1.png"}, {-1080, 200, "file:///it's.png"}}, "0"),
              "var pictures = [[0, 0, 'file:///a-1.png'], [-1080, 200, 'file:///it\\'s.png']];\n"
              "var all = desktops();\n"
              "for (var i = 0; i < all.length; i++) {\n"
              "    var d = all[i];\n"
              "    var g = screenGeometry(d.screen);\n"
              "    for (var j = 0; j < pictures.length; j++) {\n"
              "        if (pictures[j][0] != g.x || pictures[j][1] != g.y) continue;\n"
              "        d.wallpaperPlugin = 'org.kde.image';\n"
              "        d.currentConfigGroup = ['Wallpaper', 'org.kde.image', 'General'];\n"
              "        d.writeConfig('Image', pictures[j][2]);\n"
              "        d.writeConfig('FillMode', 0);\n"
              "    }\n"
              "}\n");
}
