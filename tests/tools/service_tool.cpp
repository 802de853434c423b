// Runs one of the suite's Linux services by itself, for the integration tests:
//   service_tool apply PATH                 shows the bitmap file (the empty
//       text removes the wallpaper) with the placement in the registry
//       store; prints the reason and exits 1 when the desktop does not take it
//   service_tool show CAPTION TEXT STYLE    shows a message box and prints the
//       answer; "\r\n" in TEXT may be written as backslash-r backslash-n
//   service_tool screen                     prints the primary screen's size,
//       "WIDTH HEIGHT", or "none" (exit 1)
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/screen.h"
#include "platform/ui.h"
#include "platform/wallpaper.h"

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "apply" && argc == 3) {
        std::string why;
        if (sarvo::platform::ApplyWallpaper(argv[2], why)) return 0;
        std::fprintf(stderr, "%s\n", why.c_str());
        return 1;
    }
    if (command == "show" && argc == 5) {
        std::string text = argv[3];
        for (std::size_t at; (at = text.find("\\r\\n")) != std::string::npos;) text.replace(at, 4, "\r\n");
        std::printf("%d\n", sarvo::platform::ShowMessage(argv[2], text, static_cast<unsigned>(std::atoi(argv[4]))));
        return 0;
    }
    if (command == "screen" && argc == 2) {
        int width = 0, height = 0;
        if (!sarvo::platform::PrimaryScreenSize(width, height)) return std::printf("none\n"), 1;
        std::printf("%d %d\n", width, height);
        return 0;
    }
    std::fprintf(stderr, "usage: service_tool apply PATH | show CAPTION TEXT STYLE | screen\n");
    return 2;
}
