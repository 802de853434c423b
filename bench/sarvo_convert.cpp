// sarvo-bench-convert [--flushed] PICTURE BMP
//
// The changer's conversion steps and nothing else: the picture decoded
// straight into a new bitmap file beside BMP, which then replaces BMP, made
// as durable as the changer makes its bitmap, or with --flushed as durable
// as the settings file (flushed to disk before the rename), to measure what
// that costs.
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/files.h"
#include "platform/picture.h"

int main(int argc, char** argv) {
    const bool flushed = argc == 4 && std::strcmp(argv[1], "--flushed") == 0;
    if (argc != 3 && !flushed) {
        std::fprintf(stderr, "usage: sarvo-bench-convert [--flushed] PICTURE BMP\n");
        return 2;
    }
    using sarvo::platform::Durability;
    sarvo::platform::FileReplacement bitmap(argv[argc - 1], flushed ? Durability::Flushed : Durability::Remakable);
    std::string why;
    if (!sarvo::platform::ConvertPicture(argv[argc - 2], bitmap, why) || !bitmap.Commit(why)) {
        std::fprintf(stderr, "sarvo-bench-convert: %s\n", why.c_str());
        return 1;
    }
    return 0;
}
