// The registry store's text under any edits: it answers as a map without case would, also read back.
#include <map>

#include "core/pure/profile_text.h"
#include "fuzz_check.h"

using sarvo::fuzz::Require;

namespace {

std::string Lower(std::string s) {
    for (char& c : s) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return s;
}

// A few names, told apart only by case, so that matching is exercised.
const char* const kKeys[] = {"Control Panel\\Desktop", "control panel\\desktop", "Software\\Sarvo", "SOFTWARE\\sarvo"};
const char* const kNames[] = {"Wallpaper", "WALLPAPER", "TileWallpaper", "x"};

}  // namespace

// Each edit is three bytes: what (set, set, remove or add a section), which key and name; a value; its length.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    sarvo::ProfileText store;
    std::map<std::pair<std::string, std::string>, std::string> model;
    for (std::size_t i = 0; i + 2 < size; i += 3) {
        const std::string key = kKeys[data[i] & 3];
        const std::string name = kNames[(data[i] >> 2) & 3];
        const std::string value = "v" + std::to_string(data[i + 1]) + std::string(data[i + 2] & 7, 'z');
        const auto slot = std::make_pair(Lower(key), Lower(name));
        if (data[i] >> 6 < 2) {
            store.Set(key, name, value);
            model[slot] = value;
        } else if (data[i] >> 6 == 2) {
            Require(store.Remove(key, name) == (model.erase(slot) == 1), "a removal says whether the value was there");
        } else {
            store.AddSection(key);
            Require(store.HasSection(Lower(key)), "a section added is there");
        }
    }
    const sarvo::ProfileText reread(store.Text());
    for (const char* key : kKeys)
        for (const char* name : kNames) {
            const auto it = model.find({Lower(key), Lower(name)});
            const auto found = store.Find(key, name);
            Require(found.has_value() == (it != model.end()), "a value is there when the map holds it");
            if (found) Require(*found == it->second, "a value is the map's");
            Require(reread.Find(key, name) == found, "the text read back answers the same");
        }
    return 0;
}
