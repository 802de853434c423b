// The registry store's text under any edits: it answers as a map without case would, also read back.
#include <cstdlib>
#include <map>

#include "core/pure/profile_text.h"

static std::string Lower(std::string s) {
    for (char& c : s) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return s;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A few names, told apart only by case, so that matching is exercised.
    static const char* const kKeys[] = {"Control Panel\\Desktop", "control panel\\desktop", "Software\\Sarvo",
                                        "SOFTWARE\\sarvo"};
    static const char* const kNames[] = {"Wallpaper", "WALLPAPER", "TileWallpaper", "x"};
    sarvo::ProfileText store;
    std::map<std::pair<std::string, std::string>, std::string> model;
    for (std::size_t i = 0; i + 2 < size; i += 3) {
        const std::string key = kKeys[data[i] & 3], name = kNames[(data[i] >> 2) & 3];
        const std::string value = "v" + std::to_string(data[i + 1]) + std::string(data[i + 2] & 7, 'z');
        const auto slot = std::make_pair(Lower(key), Lower(name));
        switch (data[i] >> 6) {
            case 0: case 1: store.Set(key, name, value), model[slot] = value; break;
            case 2: if (store.Remove(key, name) != (model.erase(slot) == 1)) std::abort(); break;
            default: store.AddSection(key); if (!store.HasSection(Lower(key))) std::abort();
        }
    }
    const sarvo::ProfileText reread(store.Text());
    for (const char* key : kKeys)
        for (const char* name : kNames) {
            const auto it = model.find({Lower(key), Lower(name)});
            const auto found = store.Find(key, name), again = reread.Find(key, name);
            if (found != again || (it == model.end()) != !found || (found && *found != it->second)) std::abort();
        }
    return 0;
}
