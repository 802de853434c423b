// service_tool apply PATH | show CAPTION TEXT STYLE | screen | monitors: one
// Linux service by itself. apply shows the bitmap PATH ("" removes the
// wallpaper) with the store's placement, else prints why and exits 1; show
// prints the box's answer; screen prints the primary screen's "WIDTH HEIGHT",
// or "none"; monitors prints "NAME[*] X,Y WIDTHxHEIGHT;" for each monitor (*
// for the primary).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/screen.h"
#include "platform/ui.h"
#include "platform/wallpaper.h"

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    std::string why;
    int width = 0, height = 0;
    if (command == "apply" && argc == 3)
        return sarvo::platform::ApplyWallpaper(argv[2], why) ? 0 : (std::fprintf(stderr, "%s\n", why.c_str()), 1);
    if (command == "show" && argc == 5)
        return std::printf("%d\n", sarvo::platform::ShowMessage(argv[2], argv[3], static_cast<unsigned>(std::atoi(argv[4])))), 0;
    if (command == "screen" && argc == 2)
        return sarvo::platform::PrimaryScreenSize(width, height) ? (std::printf("%d %d\n", width, height), 0)
                                                                 : (std::printf("none\n"), 1);
    if (command == "monitors" && argc == 2) {
        for (const sarvo::platform::DesktopMonitor& m : sarvo::platform::DesktopMonitors())
            std::printf("%s%s %d,%d %dx%d;", m.name.c_str(), m.primary ? "*" : "", m.rect.x, m.rect.y, m.rect.width,
                        m.rect.height);
        return std::printf("\n"), 0;
    }
    std::fprintf(stderr, "usage: service_tool apply PATH | show CAPTION TEXT STYLE | screen | monitors\n");
    return 2;
}
