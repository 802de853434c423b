// Prints the primary screen's size as the suite's screen service sees it,
// for the integration tests: "WIDTH HEIGHT", or "none" (exit 1).
#include <cstdio>

#include "platform/screen.h"

int main() {
    int width = 0, height = 0;
    if (!sarvo::platform::PrimaryScreenSize(width, height)) {
        std::printf("none\n");
        return 1;
    }
    std::printf("%d %d\n", width, height);
    return 0;
}
