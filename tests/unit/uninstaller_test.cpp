// The uninstaller's removals through its window's model, with real files in every bitmap folder.
#include <sstream>

#include "platform/files.h"
#include "platform/wallpaper.h"
#include "program_test.h"
#include "uninstaller/Form1.h"

using namespace sarvo;
using namespace sarvo::test;
using uninstaller::Form1;
namespace fs = std::filesystem;

namespace {

constexpr const char *kGraphic = "SarvoChangerGraphic.bmp", *kOldGraphic = "SarvoCangerGraphic.bmp";
constexpr const char *kV1 = "Sarvo Changer Ver.1.0", *kV2 = "Sarvo Changer Ver.2.0/3.0";

class Uninstaller : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        folders = platform::BitmapFolders();
        ASSERT_FALSE(folders.empty());
        for (const platform::BitmapFolder& folder : folders)
            if (folder.suiteOwn && fs::exists(folder.path)) keepFolders.push_back(folder.path);
    }
    void TearDown() override {
        for (const std::string& folder : keepFolders) fs::create_directories(folder);
        ProgramTest::TearDown();
    }
    Form1& Open() {
        form = std::make_unique<Form1>(notes);
        form->Form_Load();
        return *form;
    }
    void Install() {  // puts a bitmap of both versions into every folder, and the log-on entry
        for (const platform::BitmapFolder& folder : folders)
            for (const char* name : {kGraphic, kOldGraphic}) WriteFile(fs::path(folder.path) / name, "BM");
        for (const auto& [key, name, value] : {std::tuple{kRunKey, "SarvoChanger", "/programs/SarvoChanger"},
                                               {kDesktopKey, "TileWallpaper", "1"}, {kDesktopKey, "WallpaperStyle", "02"}})
            Store(key, name, value);
        Store(kDesktopKey, "Wallpaper", folders.front().path + S + kGraphic);
    }
    std::size_t FoldersWith(const char* name) {
        return std::count_if(folders.begin(), folders.end(), [&](const auto& f) { return fs::exists(fs::path(f.path) / name); });
    }
    // Clicks with `answer` to the question, which is checked; returns every box shown.
    const std::vector<fake::ShownMessage>& Click(Button& button, const std::string& version, int answer) {
        fake::ResetScriptedUi();
        fake::ScriptedUi().answers = {answer};
        button.OnClick();
        const auto& shown = fake::ScriptedUi().shown;
        for (const fake::ShownMessage& box : shown) EXPECT_EQ(box.caption, "SarvoUninstaller");
        EXPECT_EQ(shown.empty() ? "none" : shown[0].text, version + "をアンインストールします。\r\nよろしいですか？");
        EXPECT_EQ(shown.empty() ? ~0u : shown[0].style, platform::kYesNo);
        return shown;
    }
    void ExpectDone(Button& button, const std::string& version) {  // with Yes: the closing box is the completion text alone
        const auto& shown = Click(button, version, platform::kAnswerYes);
        ASSERT_EQ(shown.size(), 2u);
        EXPECT_EQ(shown[1].text, version + "をアンインストールしました。");
        EXPECT_EQ(shown[1].style, platform::kOkOnly);
    }

    std::vector<platform::BitmapFolder> folders;
    std::vector<std::string> keepFolders;
    std::ostringstream notes;
    std::unique_ptr<Form1> form;
};

}  // namespace

TEST_F(Uninstaller, AnsweringNoRemovesNothing) {
    Install();
    Form1& f = Open();
    EXPECT_EQ(Click(f.cmdSarvoUninst1, kV1, platform::kAnswerNo).size(), 1u);
    EXPECT_EQ(Click(f.cmdSarvoUninst2, kV2, platform::kAnswerNo).size(), 1u);
    EXPECT_EQ(f.gRet, platform::kAnswerNo);
    EXPECT_TRUE(fake::TheDesktop().menuRemoved.empty());
    EXPECT_EQ(FoldersWith(kGraphic), folders.size());
    EXPECT_EQ(FoldersWith(kOldGraphic), folders.size());
    EXPECT_EQ(Stored(kRunKey, "SarvoChanger"), "/programs/SarvoChanger");
}

// Its bitmaps with their copies and leftovers, the log-on entry, the menu entries and the wallpaper; the placement
// and the files of others stay.
TEST_F(Uninstaller, Version2RemovesItsOwnAndNoMore) {
    Install();
    const platform::BitmapFolder& own = folders.front().suiteOwn ? folders.front() : folders.back();
    ASSERT_TRUE(own.suiteOwn);
    std::vector<std::string> copies = platform::BitmapCopies(own.path + S + kGraphic);
    copies.push_back(own.path + S + kGraphic + ".previous");
    copies.push_back(own.path + S + "SarvoChangerMonitors.txt");  // the changer's record of each monitor's picture
    copies.push_back(own.path + S + ".sarvo-tmp-1001-1");  // a killed writer's: unlocked, of a process id no Windows process has
    for (const std::string& copy : copies) WriteFile(copy, "copy");
    const fs::path mine = fs::path(own.path) / "mine.bmp";
    WriteFile(mine, "mine");
    ExpectDone(Open().cmdSarvoUninst2, kV2);
    EXPECT_EQ(Stored(kRunKey, "SarvoChanger"), kGone);
    EXPECT_EQ(FoldersWith(kGraphic), 0u);
    EXPECT_EQ(fake::TheDesktop().menuRemoved, (std::vector<std::string>{"sarvo-backdrop-changer", "sarvo-setting-tool"}));
    for (const std::string& copy : copies) EXPECT_FALSE(fs::exists(copy)) << copy;
    EXPECT_EQ(Stored(kDesktopKey, "Wallpaper"), "");
    EXPECT_EQ(Stored(kDesktopKey, "TileWallpaper"), "1");
    EXPECT_EQ(Stored(kDesktopKey, "WallpaperStyle"), "02");
    EXPECT_EQ(fake::TheDesktop().applied, std::vector<std::string>{""});
    EXPECT_EQ(ReadFile(mine), "mine");
    EXPECT_EQ(FoldersWith(kOldGraphic), folders.size());
    fs::remove(mine);  // under Wine the folder is every test's
}

TEST_F(Uninstaller, TheSuitesOwnFolderGoesOnceEmptied) {
    Install();
    const platform::BitmapFolder& own = folders.front().suiteOwn ? folders.front() : folders.back();
    ASSERT_TRUE(own.suiteOwn);
    fs::remove(fs::path(own.path) / kOldGraphic);
    ExpectDone(Open().cmdSarvoUninst2, kV2);
    EXPECT_FALSE(fs::exists(own.path));
}

// Only its bitmaps of the old name and the log-on entry; the menu and the wallpaper are version 2's.
TEST_F(Uninstaller, Version1RemovesItsOwnAndNoMore) {
    Install();
    ExpectDone(Open().cmdSarvoUninst1, kV1);
    EXPECT_TRUE(fake::TheDesktop().menuRemoved.empty());
    EXPECT_EQ(Stored(kRunKey, "SarvoChanger"), kGone);
    EXPECT_EQ(FoldersWith(kOldGraphic), 0u);
    EXPECT_EQ(FoldersWith(kGraphic), folders.size());
    EXPECT_TRUE(fake::TheDesktop().applied.empty());
    EXPECT_EQ(Stored(kDesktopKey, "Wallpaper"), folders.front().path + S + kGraphic);
}

// Opening the window makes no folder either.
TEST_F(Uninstaller, NothingThereToRemoveCountsAsDone) {
    Store(kRunKey, "SarvoChanger", kGone);
    for (const auto& file : savedFiles) fs::remove(file.first);
    std::error_code ignored;
    for (const std::string& folder : keepFolders) fs::remove(folder, ignored);
    const bool hadFolder = fs::exists(folders.front().path);
    Form1& f = Open();
    EXPECT_EQ(fs::exists(f.gWindowsPath), hadFolder);  // opening the window makes none
    ExpectDone(f.cmdSarvoUninst1, kV1);
    ExpectDone(f.cmdSarvoUninst2, kV2);
    EXPECT_EQ(f.gRet, platform::kAnswerYes);
}

TEST_F(Uninstaller, StepsThatFailAreListedAfterEveryOtherStepRan) {
    Install();
    // A bitmap that cannot be deleted: a folder holding a file, under its name.
    const fs::path stuck = fs::path(folders.front().path) / kGraphic;
    fs::remove(stuck);
    WriteFile(stuck / "inside", "x");
    std::string why;
    ASSERT_FALSE(platform::DeleteFileIfPresent(stuck.string(), why));
    fake::TheDesktop().applySucceeds = false;
    fake::TheDesktop().menuLeft = {"cannot delete /apps/sarvo.desktop: busy"};
    // On Linux a folder in place of the autostart entry and the key file stands in for a refusing registry.
    const bool storeRefuses = platform::kPathSeparator == '/';
    const fs::path blocked[] = {user / "config" / "autostart" / "SarvoChanger.desktop",
                                user / "config" / "sarvo-backdrop-changer" / "registry.ini"};
    for (const fs::path& file : blocked) {
        if (!storeRefuses) continue;
        fs::remove(file);
        WriteFile(file / "inside", "x");
    }
    std::string entry;  // the log-on entry is named as what it is: on Linux a file
    platform::DeleteFileIfPresent(blocked[0].string(), entry);
    Open();
    const auto& shown = Click(form->cmdSarvoUninst2, kV2, platform::kAnswerYes);
    ASSERT_EQ(shown.size(), 2u);
    const std::string refused = "：レジストリに書き込めません。";
    EXPECT_EQ(shown[1].text, std::string(kV2) + "をアンインストールしました。\r\nただし、次のものは削除できませんでした。" +
                                 (storeRefuses ? "\r\n・起動時の登録（SarvoChanger）：" + entry : "") + "\r\n・" + why +
                                 (storeRefuses ? "\r\n・壁紙の設定（Wallpaper）" + refused : "") +
                                 "\r\n・デスクトップの壁紙：" + fake::TheDesktop().applyFailure +
                                 "\r\n・cannot delete /apps/sarvo.desktop: busy");
    EXPECT_EQ(shown[1].style, platform::kIconError);
    EXPECT_EQ(FoldersWith(kGraphic), 1u);  // every other step still ran
    if (!storeRefuses) {
        EXPECT_EQ(Stored(kRunKey, "SarvoChanger"), kGone);
        EXPECT_EQ(Stored(kDesktopKey, "Wallpaper"), "");
    }
    for (const fs::path& file : blocked) fs::remove_all(file);  // the next removal starts with an empty list
    ExpectDone(form->cmdSarvoUninst1, kV1);
}
