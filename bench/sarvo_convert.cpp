// sarvo-bench-convert PICTURE BMP
//
// The changer's conversion steps and nothing else: load the picture into
// the in-memory bitmap, then replace the BMP file with it.
#include <cstdio>
#include <string>

#include "core/pure/bitmap.h"
#include "platform/files.h"
#include "platform/picture.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: sarvo-bench-convert PICTURE BMP\n");
        return 2;
    }
    sarvo::Bitmap picture;
    std::string why;
    if (!sarvo::platform::LoadPicture(argv[1], picture, why) ||
        !sarvo::platform::WriteFileReplacing(argv[2], picture.FileData(), picture.FileSize(), why)) {
        std::fprintf(stderr, "sarvo-bench-convert: %s\n", why.c_str());
        return 1;
    }
    return 0;
}
