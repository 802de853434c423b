// The uninstaller's removals through its window's model, with real files in
// every folder where the bitmap may lie and the real registry store; the
// desktop and the message boxes come from the test-only fakes.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <sstream>

#include "core/modules/RegistKey.h"
#include "core/pure/maker.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/scripted_ui.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "platform/ui.h"
#include "support/environment.h"
#include "support/temp_dir.h"
#include "uninstaller/Form1.h"

using namespace sarvo;
using uninstaller::Form1;
namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

namespace {

const std::string S(1, platform::kPathSeparator);
constexpr const char* kGone = "\x01(absent)";
constexpr const char* kGraphic = "SarvoChangerGraphic.bmp";
constexpr const char* kOldGraphic = "SarvoCangerGraphic.bmp";

const std::pair<const char*, const char*> kTouched[] = {
    {kDesktopKey, "Wallpaper"}, {kDesktopKey, "TileWallpaper"}, {kDesktopKey, "WallpaperStyle"},
    {kRunKey, "SarvoChanger"}};

std::string Stored(const char* key, const char* name) {
    std::string value;
    return platform::RegistryReadString(key, name, value) ? value : kGone;
}

void Store(const char* key, const char* name, const std::string& value) {
    if (value == kGone) {
        platform::RegistryDeleteValue(key, name);
    } else {
        platform::RegistryCreateKey(key);
        platform::RegistryWriteString(key, name, value);
    }
}

// A file of a bitmap folder, as it was before the test.
struct SavedFile {
    fs::path path;
    std::optional<std::string> bytes;
};

class Uninstaller : public ::testing::Test {
protected:
    void SetUp() override {
        test::SetEnvironment("XDG_DATA_HOME", (home.path() / "data").string());
        test::SetEnvironment("XDG_CONFIG_HOME", (home.path() / "config").string());
        fake::ResetDesktop();
        fake::ResetScriptedUi();
        // Under Wine the store and the folders are the prefix's, which other
        // tests use too: everything touched is put back afterwards.
        for (const auto& [key, name] : kTouched) savedValues.push_back(Stored(key, name));
        folders = platform::BitmapFolders();
        ASSERT_FALSE(folders.empty());
        for (const platform::BitmapFolder& folder : folders) {
            for (const char* name : {kGraphic, kOldGraphic}) {
                const fs::path path = fs::path(folder.path) / name;
                savedFiles.push_back({path, fs::is_regular_file(path) ? ReadFile(path) : std::optional<std::string>()});
            }
            if (folder.suiteOwn && fs::exists(folder.path)) keepFolders.push_back(folder.path);
        }
    }
    void TearDown() override {
        for (std::size_t i = 0; i < std::size(kTouched); ++i)
            Store(kTouched[i].first, kTouched[i].second, savedValues[i]);
        for (const SavedFile& file : savedFiles) {
            std::error_code ignored;
            fs::remove_all(file.path, ignored);
            if (file.bytes) WriteFile(file.path, *file.bytes);
        }
        for (const std::string& folder : keepFolders) fs::create_directories(folder);
    }

    // The form as the window opens it.
    Form1& Open() {
        form = std::make_unique<Form1>(notes);
        form->Form_Load();
        return *form;
    }
    // Puts a bitmap of both versions into every folder, and the log-on entry.
    void Install() {
        for (const platform::BitmapFolder& folder : folders)
            for (const char* name : {kGraphic, kOldGraphic}) WriteFile(fs::path(folder.path) / name, "BM");
        Store(kRunKey, "SarvoChanger", "/programs/SarvoChanger");
        Store(kDesktopKey, "Wallpaper", folders.front().path + S + kGraphic);
        Store(kDesktopKey, "TileWallpaper", "1");
        Store(kDesktopKey, "WallpaperStyle", "02");
    }
    bool InEveryFolder(const char* name) {
        for (const platform::BitmapFolder& folder : folders)
            if (!fs::exists(fs::path(folder.path) / name)) return false;
        return true;
    }
    bool InNoFolder(const char* name) {
        for (const platform::BitmapFolder& folder : folders)
            if (fs::exists(fs::path(folder.path) / name)) return false;
        return true;
    }
    const std::vector<fake::ShownMessage>& Shown() { return fake::ScriptedUi().shown; }
    void Answer(std::initializer_list<int> answers) { fake::ScriptedUi().answers.assign(answers); }
    // The question, then the closing box with `text` and `style`.
    void ExpectBoxes(const std::string& version, const std::string& text, unsigned style) {
        ASSERT_EQ(Shown().size(), 2u);
        EXPECT_EQ(Shown()[0].caption, "SarvoUninstaller");
        EXPECT_EQ(Shown()[0].text, version + "をアンインストールします。\r\nよろしいですか？");
        EXPECT_EQ(Shown()[0].style, platform::kYesNo);
        EXPECT_EQ(Shown()[1].caption, "SarvoUninstaller");
        EXPECT_EQ(Shown()[1].text, text);
        EXPECT_EQ(Shown()[1].style, style);
    }

    TempDir home;
    std::vector<platform::BitmapFolder> folders;
    std::vector<std::string> savedValues, keepFolders;
    std::vector<SavedFile> savedFiles;
    std::ostringstream notes;
    std::unique_ptr<Form1> form;
};

}  // namespace

TEST_F(Uninstaller, WindowOpensOnTheCurrentVersionsButtonAndFindsTheBitmapWithoutMakingItsFolder) {
    Form1& f = Open();
    std::vector<std::string> focus;
    for (const ControlSpec* c : FocusOrder(f.Spec())) focus.push_back(c->name);
    EXPECT_EQ(focus, (std::vector<std::string>{"cmdSarvoUninst2", "Text2", "cmdSarvoUninst1"}));
    const std::string& help = f.Text2.Text();
    EXPECT_EQ(help.substr(help.size() - 2), "\r\n");
    std::size_t lines = 0;
    for (std::size_t at = help.find("\r\n"); at != std::string::npos; at = help.find("\r\n", at + 2)) ++lines;
    EXPECT_EQ(lines, 11u);
    // The folder the other programs use comes first.
    EXPECT_EQ(f.gWindowsPath, folders.front().path);
    EXPECT_EQ(f.gSarvoChangerGraphicPath, folders.front().path + S + kGraphic);
    if (keepFolders.empty()) {
        EXPECT_FALSE(fs::exists(f.gWindowsPath));
    }
    EXPECT_EQ(platform::WindowsFolder(), f.gWindowsPath);
    f.lblurl.OnClick();
    EXPECT_EQ(fake::TheDesktop().openedAddresses, std::vector<std::string>{kMakerAddress});
}

TEST_F(Uninstaller, AnsweringNoRemovesNothingAndShowsNoOtherBox) {
    Install();
    Form1& f = Open();
    for (Button* button : {&f.cmdSarvoUninst1, &f.cmdSarvoUninst2}) {
        fake::ResetScriptedUi();
        Answer({platform::kAnswerNo});
        button->OnClick();
        ASSERT_EQ(Shown().size(), 1u);
        EXPECT_EQ(Shown()[0].style, platform::kYesNo);
        EXPECT_EQ(f.gRet, platform::kAnswerNo);
    }
    EXPECT_TRUE(InEveryFolder(kGraphic) && InEveryFolder(kOldGraphic));
    EXPECT_EQ(Stored(kRunKey, "SarvoChanger"), "/programs/SarvoChanger");
    EXPECT_EQ(Stored(kDesktopKey, "Wallpaper"), folders.front().path + S + kGraphic);
    EXPECT_TRUE(fake::TheDesktop().applied.empty());
}

TEST_F(Uninstaller, NothingLeftToRemoveStillEndsWithTheCompletionText) {
    Store(kRunKey, "SarvoChanger", kGone);
    for (const SavedFile& file : savedFiles) fs::remove(file.path);
    Form1& f = Open();
    Answer({platform::kAnswerYes});
    f.cmdSarvoUninst1.OnClick();
    ExpectBoxes("Sarvo Changer Ver.1.0", "Sarvo Changer Ver.1.0をアンインストールしました。", platform::kOkOnly);
    fake::ResetScriptedUi();
    Answer({platform::kAnswerYes});
    f.cmdSarvoUninst2.OnClick();
    ExpectBoxes("Sarvo Changer Ver.2.0/3.0", "Sarvo Changer Ver.2.0/3.0をアンインストールしました。",
                platform::kOkOnly);
    EXPECT_EQ(f.gRet, platform::kAnswerYes);
}

TEST_F(Uninstaller, Version1LeavesTheCurrentBitmapAndWallpaperAlone) {
    Install();
    Form1& f = Open();
    Answer({platform::kAnswerYes});
    f.cmdSarvoUninst1.OnClick();
    ExpectBoxes("Sarvo Changer Ver.1.0", "Sarvo Changer Ver.1.0をアンインストールしました。", platform::kOkOnly);
    EXPECT_EQ(Stored(kRunKey, "SarvoChanger"), kGone);
    EXPECT_TRUE(InNoFolder(kOldGraphic));
    EXPECT_TRUE(InEveryFolder(kGraphic));
    EXPECT_EQ(Stored(kDesktopKey, "Wallpaper"), folders.front().path + S + kGraphic);
    EXPECT_TRUE(fake::TheDesktop().applied.empty());
}

TEST_F(Uninstaller, CurrentVersionRemovesTheBitmapEverywhereAndTheWallpaperButKeepsThePlacement) {
    Install();
    const platform::BitmapFolder& own = folders.front().suiteOwn ? folders.front() : folders.back();
    ASSERT_TRUE(own.suiteOwn);
    const std::vector<std::string> copies = platform::BitmapCopies(own.path + S + kGraphic);
    for (const std::string& copy : copies) WriteFile(copy, "copy");
    const fs::path mine = fs::path(own.path) / "mine.bmp";
    WriteFile(mine, "mine");
    Form1& f = Open();
    for (bool usersFile : {true, false}) {
        // A file of the user's in the suite's folder keeps it; once empty it goes.
        fake::ResetScriptedUi();
        fake::ResetDesktop();
        Answer({platform::kAnswerYes});
        f.cmdSarvoUninst2.OnClick();
        ExpectBoxes("Sarvo Changer Ver.2.0/3.0", "Sarvo Changer Ver.2.0/3.0をアンインストールしました。",
                    platform::kOkOnly);
        EXPECT_EQ(Stored(kRunKey, "SarvoChanger"), kGone);
        EXPECT_TRUE(InNoFolder(kGraphic));
        for (const std::string& copy : copies) EXPECT_FALSE(fs::exists(copy)) << copy;
        EXPECT_EQ(Stored(kDesktopKey, "Wallpaper"), "");
        EXPECT_EQ(fake::TheDesktop().applied, std::vector<std::string>{""});
        EXPECT_EQ(Stored(kDesktopKey, "TileWallpaper"), "1");
        EXPECT_EQ(Stored(kDesktopKey, "WallpaperStyle"), "02");
        if (usersFile) {
            EXPECT_EQ(ReadFile(mine), "mine");
            EXPECT_TRUE(InEveryFolder(kOldGraphic));  // version 1.0's bitmap is for its own button
            fs::remove(mine);
            fs::remove(fs::path(own.path) / kOldGraphic);
        } else {
            EXPECT_FALSE(fs::exists(own.path));
        }
    }
}

TEST_F(Uninstaller, StepsThatFailAreListedWithTheErrorIconAfterEveryOtherStepRan) {
    Install();
    // A bitmap that cannot be deleted: a folder holding a file under its name.
    const fs::path stuck = fs::path(folders.front().path) / kGraphic;
    fs::remove(stuck);
    WriteFile(stuck / "inside", "x");
    fake::TheDesktop().applySucceeds = false;
    Form1& f = Open();
    Answer({platform::kAnswerYes});
    f.cmdSarvoUninst2.OnClick();
    ASSERT_EQ(Shown().size(), 2u);
    const std::string& text = Shown()[1].text;
    EXPECT_EQ(Shown()[1].style, platform::kIconError);
    const std::string head =
        "Sarvo Changer Ver.2.0/3.0をアンインストールしました。\r\nただし、次のものは削除できませんでした。\r\n・";
    EXPECT_EQ(text.substr(0, head.size()), head);
    EXPECT_NE(text.find(stuck.string()), std::string::npos) << text;
    EXPECT_NE(text.find("\r\n・デスクトップの壁紙：" + fake::TheDesktop().applyFailure), std::string::npos) << text;
    // The other steps still ran, and their folder stays for what is left.
    EXPECT_EQ(Stored(kRunKey, "SarvoChanger"), kGone);
    EXPECT_EQ(Stored(kDesktopKey, "Wallpaper"), "");
    EXPECT_TRUE(fs::exists(folders.front().path));
    // The next removal starts with an empty list.
    fs::remove_all(stuck);
    fake::ResetScriptedUi();
    Answer({platform::kAnswerYes});
    f.cmdSarvoUninst1.OnClick();
    ExpectBoxes("Sarvo Changer Ver.1.0", "Sarvo Changer Ver.1.0をアンインストールしました。", platform::kOkOnly);
}

TEST_F(Uninstaller, StoreThatCannotBeWrittenIsListed) {
    if (platform::kPathSeparator != '/') GTEST_SKIP() << "the Linux store's files stand in for a locked registry";
    Install();
    // The autostart entry and the store's file each a folder holding a file:
    // neither can be deleted or replaced.
    const fs::path config = home.path() / "config";
    fs::remove(config / "autostart" / "SarvoChanger.desktop");
    WriteFile(config / "autostart" / "SarvoChanger.desktop" / "inside", "x");
    fs::remove(config / "sarvo-backdrop-changer" / "registry.ini");
    WriteFile(config / "sarvo-backdrop-changer" / "registry.ini" / "inside", "x");
    Form1& f = Open();
    Answer({platform::kAnswerYes});
    f.cmdSarvoUninst2.OnClick();
    ExpectBoxes("Sarvo Changer Ver.2.0/3.0",
                "Sarvo Changer Ver.2.0/3.0をアンインストールしました。\r\n"
                "ただし、次のものは削除できませんでした。\r\n"
                "・起動時の登録（SarvoChanger）：レジストリに書き込めません。\r\n"
                "・壁紙の設定（Wallpaper）：レジストリに書き込めません。",
                platform::kIconError);
    EXPECT_TRUE(InNoFolder(kGraphic));
}
