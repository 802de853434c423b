// sarvo-bench-convert PICTURE BMP
//
// The changer's conversion steps and nothing else: the picture decoded
// straight into a new bitmap file beside BMP, which then replaces BMP.
#include <cstdio>
#include <string>

#include "platform/files.h"
#include "platform/picture.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: sarvo-bench-convert PICTURE BMP\n");
        return 2;
    }
    sarvo::platform::FileReplacement bitmap(argv[2], sarvo::platform::Durability::Remakable);
    std::string why;
    if (!sarvo::platform::ConvertPicture(argv[1], bitmap, why) || !bitmap.Commit(why)) {
        std::fprintf(stderr, "sarvo-bench-convert: %s\n", why.c_str());
        return 1;
    }
    return 0;
}
