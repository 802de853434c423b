// The compositors' lists of monitors, read from literal replies.
#include <gtest/gtest.h>

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

TEST(CompositorMonitors, HyprlandsModesAreScaledAndTurnedIntoItsLayout) {
    const char* reply = R"([{"id":0,"name":"DP-1","width":3840,"height":2160,"x":0,"y":0,"scale":2.00,"transform":0},
        {"id":1,"name":"DP-2","width":1920,"height":1080,"x":1920,"y":0,"scale":1.0,"transform":1,"focused":true},
        {"id":2,"name":"DP-3","width":1920,"height":1080,"x":0,"y":0,"scale":1,"transform":0,"disabled":true}])";
    EXPECT_EQ(Listed(linux_monitors::FromHyprlandMonitors(reply)), "DP-1* 0,0 1920x1080;DP-2 1920,0 1080x1920;");
}
