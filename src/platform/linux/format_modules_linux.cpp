// Loading the further formats' decoders from their modules beside the
// program, once each (format_module_linux.h).
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
