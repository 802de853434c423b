// The settings tool's start-up, switches and every handler of its window.
#include <sstream>

#include "core/pure/bytes.h"
#include "core/pure/setting_texts.h"
#include "platform/program.h"
#include "platform/wallpaper.h"
#include "program_test.h"
#include "settings_tool/Form1.h"

using namespace sarvo;
using namespace sarvo::test;
using settings_tool::Form1;
using settings_tool::LoadEnd;
namespace fs = std::filesystem;
using platform::DialogResult;

namespace {

std::tm FixedTime() {
    std::tm t{};
    t.tm_year = 105;
    t.tm_mon = 10;
    t.tm_mday = 11;
    t.tm_hour = 14;
    t.tm_min = 38;
    t.tm_sec = 26;
    return t;
}

class SettingTool : public ProgramTest {
protected:
    Form1& Start(const std::string& commandLine, LoadEnd expected) {
        form = std::make_unique<Form1>(dir, commandLine, FixedTime, notes);
        EXPECT_EQ(form->Form_Load(), expected) << commandLine;
        return *form;
    }
    void ExpectOneError(const std::string& text) {
        ASSERT_EQ(Shown().size(), 1u);
        EXPECT_EQ(Shown()[0].caption, "SarvoSettingTool");
        EXPECT_EQ(Shown()[0].text.substr(0, text.size()), text);
        EXPECT_EQ(Shown()[0].style, platform::kIconError);
    }
    std::string StoredPlacement() { return Stored(kDesktopKey, "TileWallpaper") + " " + Stored(kDesktopKey, "WallpaperStyle"); }

    std::ostringstream notes;
    std::unique_ptr<Form1> form;
};

}  // namespace

// The log-on entry is written anew for this program; the placement is only read ("02" written would be "2").
TEST_F(SettingTool, TheWindowsStartFillsTheControlsAndWritesOnlyTheFolderAndTheLogOnEntry) {
    Set("StartUp", "1");
    Store(kRunKey, "SarvoChanger", "/moved/away/SarvoChanger");
    Store(kDesktopKey, "TileWallpaper", "0");
    Store(kDesktopKey, "WallpaperStyle", "02");
    Desk().screenWidth = 1280;
    Desk().screenHeight = 1024;
    Form1& f = Start("", LoadEnd::OpenWindow);
    EXPECT_EQ(Setting("FolderPath"), dir + S + "WallPaper");
    EXPECT_EQ(f.chkStartup.Value(), 1);
    EXPECT_EQ(f.cboWallpaperStyle.ListIndex(), 2);
    EXPECT_EQ(f.lblscreensize.Caption(), "1280 x 1024 ピクセル");
    EXPECT_EQ(Stored(kRunKey, "SarvoChanger"), StartUpEntry(f.gExeFilePath, platform::kPathSeparator));
    EXPECT_EQ(Stored(kDesktopKey, "WallpaperStyle"), "02");
    EXPECT_TRUE(Desk().applied.empty());
    EXPECT_TRUE(Shown().empty());
}

TEST_F(SettingTool, TheProgramRunsTheWindowUntilItIsClosedOrSaysWhyThereIsNone) {
    fake::ScriptedUi().user = [](FormSpec& spec) { ASSERT_TRUE(fake::ActInWindow(spec, "click chkStartup")); };
    std::ostringstream errors;
    Form1 shown(dir, ""), none(dir, "");
    EXPECT_EQ(settings_tool::RunSettingTool(shown, errors), 0);
    EXPECT_EQ(Setting("StartUp"), "1");
    fake::ScriptedUi().windowShows = false;
    EXPECT_EQ(settings_tool::RunSettingTool(none, errors), 1);
    EXPECT_EQ(errors.str(), "SarvoSetTool: 設定のウィンドウを表示できませんでした。\n" + fake::ScriptedUi().windowFailure + "\n");
}

// The copies are found by the bitmap's path, though the store holds the empty one by then.
TEST_F(SettingTool, NoWallClearsTheStoredWallpaperAndTheDesktopsCopies) {
    Store(kDesktopKey, "Wallpaper", graphic);
    const std::string copy = platform::BitmapCopies(graphic).at(0);
    WriteFile(copy, "handed to the desktop");
    Start("/nowall", LoadEnd::Done);
    EXPECT_EQ(Stored(kDesktopKey, "Wallpaper"), "");
    EXPECT_EQ(Desk().applied, std::vector<std::string>{""});
    EXPECT_FALSE(fs::exists(copy));
    EXPECT_EQ(Setting("StartUp"), kGone);
    EXPECT_EQ(Setting("FolderPath"), dir + S + "WallPaper");  // stored again at every start
}

// The stored wallpaper is applied again, the empty one through the "no wallpaper" box; nothing once it is ticked.
TEST_F(SettingTool, AChosenPlacementIsWrittenAndTheWallpaperAppliedAgain) {
    Store(kDesktopKey, "TileWallpaper", "1");  // no item chosen at the start
    Store(kDesktopKey, "WallpaperStyle", "2");
    Form1& f = Start("", LoadEnd::OpenWindow);
    // Index, the stored wallpaper, the pair written, whether "no wallpaper" is ticked.
    const std::tuple<int, const char*, const char*, bool> cases[] = {
        {2, "/w/a.bmp", "0 2", false}, {1, "/w/b.bmp", "1 0", false}, {0, "", "0 0", true}, {1, "", "1 0", true}};
    for (const auto& [index, wallpaper, pair, ticked] : cases) {
        SCOPED_TRACE(index);
        if (!ticked || index == 0) Store(kDesktopKey, "Wallpaper", wallpaper);
        Desk().applied.clear();
        f.cboWallpaperStyle.SetListIndex(index);
        EXPECT_EQ(StoredPlacement(), pair);
        EXPECT_EQ(Desk().applied, index == 0 || !ticked ? std::vector<std::string>{wallpaper} : std::vector<std::string>{});
        EXPECT_EQ(f.chkWallpaperNothing.Value(), ticked ? 1 : 0);
    }
}

// Whole (stored top-down); cut inside the width; missing (the changer never ran: nothing is made).
TEST_F(SettingTool, TheWallpaperSizeIsReadFromTheBitmapsHeaderOnEveryClick) {
    Form1& f = Start("", LoadEnd::OpenWindow);
    std::vector<unsigned char> header(54, 0);
    PutLe32(&header[18], 1280);
    PutLe32(&header[22], static_cast<std::uint32_t>(-1024));
    for (const auto& [size, caption] : {std::pair{54, "1280 x 1024 ピクセル"}, {19, "   0 x    0 ピクセル"},
                                        {-1, "   0 x    0 ピクセル"}}) {
        if (size < 0) fs::remove(graphic);
        else WriteFile(graphic, std::vector<unsigned char>(header.begin(), header.begin() + size));
        f.lblWallpaperSize.OnClick();
        EXPECT_EQ(f.lblWallpaperSize.Caption(), caption);
    }
    EXPECT_FALSE(fs::exists(graphic));
}

TEST_F(SettingTool, OnlyTheWindowsStartPutsBothProgramsIntoTheMenu) {
    Start("/nowall", LoadEnd::Done);
    EXPECT_TRUE(Desk().menu.empty());
    Form1& f = Start("", LoadEnd::OpenWindow);
    ASSERT_EQ(Desk().menu.size(), 2u);
    EXPECT_EQ(Desk().menu[0].program, f.gExeFilePath);
    EXPECT_EQ(Desk().menu[1].program, dir + S + platform::ExecutableName("SarvoSetTool"));
}

namespace {

class DeleteSkip : public SettingTool {
protected:
    std::string trash = dir + S + "TrashBox" + S, pics = program.str() + S + "pics" + S;
};

}  // namespace

// Without a TrashBox the system's number and words are told, with the path it refused; the switch ends with status 1.
TEST_F(DeleteSkip, AMissingPictureOrARefusedMoveIsToldAndThePictureStays) {
    WriteFile(pics + "a.jpg", "a");
    for (const std::string& recorded : {std::string("/no/such/picture.jpg"), std::string(), pics + "a.jpg"}) {
        SCOPED_TRACE(recorded);
        fake::ResetScriptedUi();
        Set("WallPaper", recorded);
        Start("/delskip", LoadEnd::NotDone);
        ExpectOneError(recorded == pics + "a.jpg" ? "実行時エラー '" : "設定している壁紙は既に削除されています。");
    }
    const std::string& refused = Shown()[0].text;
    EXPECT_EQ(refused.substr(refused.rfind("\r\n") + 2), trash + "a.jpg");
    EXPECT_EQ(ReadFile(pics + "a.jpg"), "a");
}

TEST_F(DeleteSkip, TheButtonAsksFirstAndAnsweredNoMovesNothing) {
    WriteFile(pics + "a.jpg", "a");
    Form1& f = Start("", LoadEnd::OpenWindow);
    Set("WallPaper", pics + "a.jpg");
    f.cmdDeleteSkip.OnClick();
    ASSERT_EQ(Shown().size(), 1u);
    EXPECT_EQ(Shown()[0].text, "デリートスキップを実行します");
    EXPECT_EQ(Shown()[0].style, platform::kYesNo);
    EXPECT_EQ(ReadFile(pics + "a.jpg"), "a");
    EXPECT_TRUE(Desk().started.empty());
}

// Answered Yes: the picture goes into TrashBox under the first free numbered name, and the changer starts.
TEST_F(DeleteSkip, ThePictureMovesUnderAFreeNameAndTheChangerStarts) {
    fs::create_directories(trash);
    Form1& f = Start("", LoadEnd::OpenWindow);
    for (const char* name : {"sea.jpg", "sea (2).jpg", "README"}) WriteFile(trash + name, std::string("older ") + name);
    for (const auto& [name, landsAs] : {std::pair{"a.jpg", "a.jpg"}, {"sea.jpg", "sea (3).jpg"}, {"README", "README (2)"}}) {
        SCOPED_TRACE(name);
        WriteFile(pics + name, name);
        Set("WallPaper", pics + name);
        fake::ScriptedUi().answers = {platform::kAnswerYes};
        Desk().started.clear();
        f.cmdDeleteSkip.OnClick();
        EXPECT_FALSE(fs::exists(pics + name));
        EXPECT_EQ(ReadFile(trash + landsAs), name);
        ASSERT_EQ(Desk().started.size(), 1u);
        EXPECT_EQ(Desk().started[0].program, f.gExeFilePath);
        EXPECT_EQ(Desk().started[0].arguments, "/nokey");
        EXPECT_EQ(Desk().started[0].style, platform::WindowStyle::Minimized);
    }
    EXPECT_EQ(ReadFile(trash + "sea.jpg"), "older sea.jpg");
    EXPECT_EQ(ReadFile(trash + "sea (2).jpg"), "older sea (2).jpg");
}

TEST_F(DeleteSkip, AChangerThatCannotStartIsToldAfterTheMove) {
    fs::create_directories(trash);
    WriteFile(pics + "b.jpg", "b");
    Set("WallPaper", pics + "b.jpg");
    Desk().startSucceeds = false;
    Start("/delskip", LoadEnd::NotDone);
    ExpectOneError("SarvoChangerを起動できませんでした。\r\n" + form->gExeFilePath + "\r\n");
    EXPECT_EQ(ReadFile(trash + "b.jpg"), "b");
}

TEST_F(SettingTool, AddMovesThePictureInAndAsksANewNameOnlyWhenItsOwnIsTaken) {
    const std::string pictures = dir + S + "WallPaper" + S, source = program.str() + S + "in" + S + "sea.jpg";
    // The answers (none: the name is free), the end, where the picture lands (nullptr: it stays), the message.
    const std::tuple<std::vector<fake::DialogAnswer>, LoadEnd, const char*, const char*> cases[] = {
        {{}, LoadEnd::Done, "sea.jpg", nullptr},
        {{{DialogResult::Ok, "Wallpaper20051111143826"}}, LoadEnd::Done, "Wallpaper20051111143826.jpg", nullptr},
        {{{DialogResult::Ok, "beach.jpg"}}, LoadEnd::Done, "beach.jpg.jpg", nullptr},
        {{{DialogResult::Cancel, ""}}, LoadEnd::NotDone, nullptr, nullptr},
        {{{DialogResult::Ok, ""}}, LoadEnd::NotDone, nullptr, nullptr},
        {{{DialogResult::Ok, "other"}}, LoadEnd::NotDone, nullptr, "同じ名前のファイルは既に存在します\r\n"},
        {{{DialogResult::Error, "no display"}}, LoadEnd::NotDone, nullptr, "no display"},
    };
    for (const auto& [answers, end, landsAs, message] : cases) {
        SCOPED_TRACE(answers.empty() ? "free" : answers[0].text);
        const bool taken = !answers.empty();
        fs::remove_all(pictures);
        fake::ResetScriptedUi();
        WriteFile(source, "new sea");
        WriteFile(pictures + "other.jpg", "other");
        if (taken) WriteFile(pictures + "sea.jpg", "old sea");
        fake::ScriptedUi().dialogAnswers.assign(answers.begin(), answers.end());
        Start("/add" + source, end);
        EXPECT_EQ(ReadFile(landsAs ? pictures + landsAs : source), "new sea");
        EXPECT_EQ(fs::exists(source), landsAs == nullptr);
        EXPECT_EQ(ReadFile(pictures + "other.jpg"), "other");
        EXPECT_EQ(ReadFile(pictures + "sea.jpg"), taken ? "old sea" : "new sea");
        if (message) ExpectOneError(message);
        else EXPECT_TRUE(Shown().empty());
    }
    const fake::ShownDialog& box = fake::ScriptedUi().dialogs.at(0);  // the question, proposing the time
    EXPECT_EQ(box.caption, "同じ名前のファイルは既に存在します");
    EXPECT_EQ(box.prompt, "新しいファイル名を入力してください。拡張子は不要です");
    EXPECT_EQ(box.initial, "Wallpaper20051111143826");
}

using RegistKey = ProgramTest;  // the store of a temporary user

TEST_F(RegistKey, AKeyOpenedForReadingIsNotWrittenAndAClosedOneNotRead) {
    std::string value;
    EXPECT_TRUE(RegistOpenRead(kDesktopKey));
    EXPECT_FALSE(RegistWriteString("Wallpaper", "x"));
    EXPECT_TRUE(RegistClose());
    EXPECT_FALSE(RegistReadString("Wallpaper", value));
    EXPECT_FALSE(RegistClose());
}
