// sarvo-bench-convert [--flushed] [--more] PICTURE BMP
//
// The changer's conversion steps and nothing else: the picture decoded
// straight into a new bitmap file beside BMP, which then replaces BMP, made
// as durable as the changer makes its bitmap, or with --flushed as durable
// as the settings file (flushed to disk before the rename), to measure what
// that costs. --more reads the formats MoreFormats=1 adds.
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/files.h"
#include "platform/picture.h"

int main(int argc, char** argv) {
    bool flushed = false;
    auto formats = sarvo::PictureFormats::Classic;
    int first = 1;
    for (; first < argc - 2; ++first) {
        if (std::strcmp(argv[first], "--flushed") == 0) flushed = true;
        else if (std::strcmp(argv[first], "--more") == 0) formats = sarvo::PictureFormats::More;
        else break;
    }
    if (argc - first != 2) {
        std::fprintf(stderr, "usage: sarvo-bench-convert [--flushed] [--more] PICTURE BMP\n");
        return 2;
    }
    using sarvo::platform::Durability;
    sarvo::platform::FileReplacement bitmap(argv[argc - 1], flushed ? Durability::Flushed : Durability::Remakable);
    std::string why, missing;
    if (!sarvo::platform::ConvertPicture(argv[argc - 2], bitmap, formats, why, missing) || !bitmap.Commit(why)) {
        std::fprintf(stderr, "sarvo-bench-convert: %s\n", why.c_str());
        return 1;
    }
    return 0;
}
