// Runs the Linux wallpaper service by itself, for the integration tests:
//   apply_wallpaper PATH   shows the bitmap file (the empty text removes the
//                          wallpaper) with the placement in the registry store
// Prints the reason and exits 1 when the desktop does not take it.
#include <cstdio>

#include "platform/wallpaper.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: apply_wallpaper PATH\n");
        return 2;
    }
    std::string why;
    if (!sarvo::platform::ApplyWallpaper(argv[1], why)) {
        std::fprintf(stderr, "%s\n", why.c_str());
        return 1;
    }
    return 0;
}
