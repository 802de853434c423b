// Loading the further formats' decoders from their modules beside the
// program, once each (format_module_linux.h).
#include <malloc.h>

#include <iterator>
#include <mutex>
#include <string>

#include "format_module_linux.h"
#include "module_linux.h"

namespace sarvo::platform {
namespace {

struct Place {
    PictureFormat format;
    const char* fileName;
    const char* entry;
};
constexpr Place kPlaces[] = {
    {PictureFormat::WebP, "sarvo-webp.so", SARVO_WEBP_ENTRY},
    {PictureFormat::Avif, "sarvo-avif.so", SARVO_AVIF_ENTRY},
    {PictureFormat::Heif, "sarvo-heif.so", SARVO_HEIF_ENTRY},
    {PictureFormat::JpegXl, "sarvo-jxl.so", SARVO_JXL_ENTRY},
};

struct Loaded {
    bool tried = false;
    FormatDecoder decode = nullptr;
    std::string why;
};

void Load(const Place& place, Loaded& loaded) {
    // These libraries allocate blocks as large as the picture and free them
    // in turn (libde265's frames, then libheif's planes). glibc raises its
    // threshold for mapping a block to the largest block freed, after which
    // such blocks come from its heap and stay with the process when freed:
    // a 24-megapixel HEIC photograph peaked 42 MB higher for it. A fixed
    // threshold (glibc's default, 128 KiB) keeps each large block mapped
    // and gives it back when it is freed.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    auto entry = reinterpret_cast<SarvoFormatModule>(linux_module::LoadEntry(place.fileName, place.entry, loaded.why));
    if (entry == nullptr) return;
    const linux_formats::Module* module = entry();
    if (module == nullptr || module->version != linux_formats::kModuleVersion) {
        loaded.why = std::string(place.fileName) + " belongs to another build of the suite";
        return;
    }
    loaded.decode = module->decode;
}

}  // namespace

FormatDecoder LoadFormatDecoder(PictureFormat format, std::string& why) {
    static std::mutex mutex;
    static Loaded loaded[std::size(kPlaces)];
    const std::lock_guard lock(mutex);
    for (std::size_t i = 0; i < std::size(kPlaces); ++i) {
        if (kPlaces[i].format != format) continue;
        if (!loaded[i].tried) {
            Load(kPlaces[i], loaded[i]);
            loaded[i].tried = true;
        }
        if (loaded[i].decode == nullptr)
            why = std::string("the ") + PictureFormatName(format) + " decoder cannot be loaded: " + loaded[i].why;
        return loaded[i].decode;
    }
    why = std::string("no module decodes ") + PictureFormatName(format);
    return nullptr;
}

}  // namespace sarvo::platform
