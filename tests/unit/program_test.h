// The programs' tests share: temporary folders named oddly, the fakes reset, the store and bitmaps put back.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>

#include "core/modules/RegistKey.h"
#include "core/modules/iniRead.h"
#include "core/modules/iniWrite.h"
#include "platform/fake/desktop_fake.h"
#include "platform/fake/ui_scripted.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "platform/ui.h"
#include "support/temp_dir.h"

namespace sarvo::test {

inline const std::string S(1, platform::kPathSeparator);
inline constexpr const char* kGone = "\x01(absent)";

inline std::string Stored(const char* key, const char* name) {
    std::string value;
    return platform::RegistryReadString(key, name, value) ? value : kGone;
}

inline void Store(const char* key, const char* name, const std::string& value) {
    if (value == kGone) {
        platform::RegistryDeleteValue(key, name);
        return;
    }
    platform::RegistryCreateKey(key);
    platform::RegistryWriteString(key, name, value);
}

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetEnvironment("XDG_DATA_HOME", (user / "data").string());
        SetEnvironment("XDG_CONFIG_HOME", (user / "config").string());
        fake::ResetDesktop();
        fake::ResetScriptedUi();
        for (const auto& [key, name] : kTouched) saved.push_back(Stored(key, name));
        std::filesystem::create_directories(dir);
        graphic = platform::WindowsFolder() + S + "SarvoChangerGraphic.bmp";
        for (const platform::BitmapFolder& folder : platform::BitmapFolders())
            for (const char* name : {"SarvoChangerGraphic.bmp", "SarvoCangerGraphic.bmp", "SarvoChangerMonitors.txt"}) {
                const std::string path = folder.path + S + name;
                savedFiles.emplace_back(path, std::filesystem::is_regular_file(path) ? ReadFile(path) : kGone);
            }
    }
    void TearDown() override {
        for (std::size_t i = 0; i < std::size(kTouched); ++i) Store(kTouched[i].first, kTouched[i].second, saved[i]);
        std::error_code ignored;
        for (const auto& [path, bytes] : savedFiles) {
            std::filesystem::remove_all(path, ignored);
            if (bytes != kGone) WriteFile(path, bytes);
        }
    }
    const std::vector<fake::ShownMessage>& Shown() { return fake::ScriptedUi().shown; }
    std::string Setting(const std::string& key) { return IniReadString(ini, "Sarvo Changer", key, kGone); }
    void Set(const std::string& key, const std::string& value) { IniWriteString(ini, "Sarvo Changer", key, value); }
    fake::Desktop& Desk() { return fake::TheDesktop(); }

    static constexpr std::pair<const char*, const char*> kTouched[] = {
        {kDesktopKey, "Wallpaper"}, {kDesktopKey, "TileWallpaper"}, {kDesktopKey, "WallpaperStyle"}, {kRunKey, "SarvoChanger"}};
    TempDir home, program;
    const std::filesystem::path user = home.path() / "user $HOME `x` 50% 'q'";  // the XDG folders (Linux)
    const std::string dir = program.str() + S + "Sarvo Dir $x `y` 50% 'q'", ini = dir + S + "sarvoset.ini";
    std::string graphic;  // the changer's bitmap
    std::vector<std::string> saved;
    std::vector<std::pair<std::string, std::string>> savedFiles;  // the bitmaps (and the record of monitors) in every folder, or kGone
};

}  // namespace sarvo::test
