// What the tests of the three programs share: real files in a temporary
// program folder, private user folders named as oddly as a user's may be,
// the fakes reset, and the store values a test touches put back afterwards
// (under Wine the store is the prefix's registry, which other tests share).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>

#include "core/modules/RegistKey.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/scripted_ui.h"
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
    } else {
        platform::RegistryCreateKey(key);
        platform::RegistryWriteString(key, name, value);
    }
}

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetEnvironment("XDG_DATA_HOME", (user / "data").string());
        SetEnvironment("XDG_CONFIG_HOME", (user / "config").string());
        fake::ResetDesktop();
        fake::ResetScriptedUi();
        for (const auto& [key, name] : kTouched) saved.push_back(Stored(key, name));
        dir = program.str() + S + "Sarvo Dir $x `y` 50% 'q'";
        std::filesystem::create_directories(dir);
        ini = dir + S + "sarvoset.ini";
    }
    void TearDown() override {
        for (std::size_t i = 0; i < std::size(kTouched); ++i) Store(kTouched[i].first, kTouched[i].second, saved[i]);
    }
    const std::vector<fake::ShownMessage>& Shown() { return fake::ScriptedUi().shown; }
    fake::Desktop& Desk() { return fake::TheDesktop(); }

    static constexpr std::pair<const char*, const char*> kTouched[] = {{kDesktopKey, "Wallpaper"},
                                                                       {kDesktopKey, "TileWallpaper"},
                                                                       {kDesktopKey, "WallpaperStyle"},
                                                                       {kRunKey, "SarvoChanger"}};
    TempDir home, program;
    const std::filesystem::path user = home.path() / "user $HOME `x` 50% 'q'";  // the XDG folders (Linux)
    std::string dir, ini;  // the program folder and its settings file
    std::vector<std::string> saved;
};

}  // namespace sarvo::test
