// GSettings backends. The desktops watch their settings and the picture
// file; dconf drops a write of an unchanged value without telling anyone, so
// the picture is handed under a new name each time (presenter.h), which also
// keeps the old picture on screen until the new one is stored.
//
// GSettings reports success even when no session bus could take the write,
// so the bus is checked first (gio::SessionBus), and the values are flushed
// with g_settings_sync before the run ends.
#include "desktop/backend_gsettings.h"

#include <vector>

#include "desktop/gio_library.h"
#include "desktop/presenter.h"

namespace sarvo::platform {

namespace {

struct Schema {
    const char* id;
    const char* fileKey;   // the picture
    bool fileKeyIsUri;     // a file:// URI, or else a plain path
    const char* darkKey;   // the picture for the dark style, where the schema has one
    bool clearsByFile;     // no "none" placement: an empty picture removes it
};

constexpr Schema kGnome{"org.gnome.desktop.background", "picture-uri", true, "picture-uri-dark", false};
constexpr Schema kCinnamon{"org.cinnamon.desktop.background", "picture-uri", true, nullptr, false};
constexpr Schema kMate{"org.mate.background", "picture-filename", false, nullptr, true};

// The schema's settings, and whether it has the dark key. nullptr with `why`
// when GIO, the bus or the schema is missing, or the key is locked.
GSettings* Open(const Schema& schema, bool& hasDarkKey, std::string& why) {
    if (gio::SessionBus(why) == nullptr) return nullptr;
    const gio::Library& gio = *gio::Load(why);
    GSettingsSchemaSource* source = gio.settings_schema_source_get_default();
    GSettingsSchema* found = source != nullptr ? gio.settings_schema_source_lookup(source, schema.id, TRUE) : nullptr;
    if (found == nullptr) {
        // g_settings_new would end the whole program over a missing schema.
        why = std::string("設定のスキーマ ") + schema.id + " がインストールされていません。";
        return nullptr;
    }
    hasDarkKey = schema.darkKey != nullptr && gio.settings_schema_has_key(found, schema.darkKey);
    GSettings* settings = gio.settings_new_full(found, nullptr, nullptr);
    gio.settings_schema_unref(found);
    if (!gio.settings_is_writable(settings, schema.fileKey)) {
        why = std::string("壁紙の設定 ") + schema.id + " " + schema.fileKey + " は管理者がロックしています。";
        gio.object_unref(settings);
        return nullptr;
    }
    return settings;
}

using Values = std::vector<std::pair<const char*, std::string>>;

// Sets the keys in order, then flushes them to the settings store. The
// values they had are added to `earlier` as each is set, so that a caller
// can put them back.
bool Store(GSettings* settings, const Values& values, const Schema& schema, Values& earlier, std::string& why) {
    const gio::Library& gio = *gio::Load(why);
    bool stored = true;
    for (const auto& [key, value] : values) {
        if (key == nullptr) continue;
        gchar* old = gio.settings_get_string(settings, key);
        const std::string was = old != nullptr ? old : "";
        gio.free(old);
        if (!gio.settings_set_string(settings, key, value.c_str())) {
            why = std::string("GSettings が設定を受け付けませんでした：") + schema.id + " " + key + " = \"" + value + "\"";
            stored = false;
            break;
        }
        earlier.emplace_back(key, was);
    }
    gio.settings_sync();
    return stored;
}

// After a key was refused: gives the keys set before it their earlier values
// back, so that the desktop does not go on naming a picture that is then
// removed. False when one of them cannot be put back either.
bool PutBack(GSettings* settings, const Values& earlier, const Schema& schema) {
    std::string ignored;
    Values unused;
    return Store(settings, Values(earlier.rbegin(), earlier.rend()), schema, unused, ignored);
}

bool Connect(const Schema& schema, std::string& why) {
    bool dark = false;
    GSettings* settings = Open(schema, dark, why);
    if (settings == nullptr) return false;
    gio::Load(why)->object_unref(settings);
    return true;
}

bool Apply(const Schema& schema, const std::string& bitmap, Placement placement, std::string& why) {
    bool dark = false;
    GSettings* settings = Open(schema, dark, why);
    if (settings == nullptr) return false;
    presenter::Handed handed;
    bool stored = presenter::Prepare(bitmap, placement, DesktopMode::GSettings, presenter::Format::Png, handed, why);
    if (stored) {
        const std::string picture = schema.fileKeyIsUri ? presenter::FileUri(handed.path) : handed.path;
        Values earlier;
        stored = Store(settings,
                       {{schema.fileKey, picture}, {dark ? schema.darkKey : nullptr, picture},
                        {"picture-options", handed.mode}},
                       schema, earlier, why);
        if (stored) presenter::Keep(bitmap, handed);
        // Should the earlier values not go back, the desktop may be left
        // naming the new picture, which then stays.
        else if (PutBack(settings, earlier, schema)) presenter::Discard(handed);
    }
    gio::Load(why)->object_unref(settings);
    return stored;
}

bool Clear(const Schema& schema, std::string& why) {
    bool dark = false;
    GSettings* settings = Open(schema, dark, why);
    if (settings == nullptr) return false;
    Values earlier;
    const bool stored = schema.clearsByFile ? Store(settings, {{schema.fileKey, ""}}, schema, earlier, why)
                                            : Store(settings, {{"picture-options", "none"}}, schema, earlier, why);
    gio::Load(why)->object_unref(settings);
    return stored;
}

bool DetectGnome(const Environment& e) {
    return NamesAny(e, {"gnome", "gnome-classic", "gnome-flashback", "ubuntu", "unity", "budgie", "budgie-desktop",
                        "pantheon", "pop", "zorin"}) ||
           AnySet(e, {"GNOME_DESKTOP_SESSION_ID"});
}
bool DetectCinnamon(const Environment& e) { return NamesAny(e, {"x-cinnamon", "cinnamon"}); }
bool DetectMate(const Environment& e) { return NamesAny(e, {"mate"}) || AnySet(e, {"MATE_DESKTOP_SESSION_ID"}); }

}  // namespace

const DesktopBackend kGnomeBackend{
    "gnome", DetectGnome, [](std::string& why) { return Connect(kGnome, why); },
    [](const std::string& b, Placement p, std::string& why) { return Apply(kGnome, b, p, why); },
    [](std::string& why) { return Clear(kGnome, why); }};

const DesktopBackend kCinnamonBackend{
    "cinnamon", DetectCinnamon, [](std::string& why) { return Connect(kCinnamon, why); },
    [](const std::string& b, Placement p, std::string& why) { return Apply(kCinnamon, b, p, why); },
    [](std::string& why) { return Clear(kCinnamon, why); }};

const DesktopBackend kMateBackend{
    "mate", DetectMate, [](std::string& why) { return Connect(kMate, why); },
    [](const std::string& b, Placement p, std::string& why) { return Apply(kMate, b, p, why); },
    [](std::string& why) { return Clear(kMate, why); }};

}  // namespace sarvo::platform
