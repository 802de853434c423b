// The changer's whole run, with real files, the real settings file and the
// real picture loader; the keys, program starts, wallpaper and message boxes
// come from the test-only fakes.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "changer/Form1.h"
#include "fake_desktop.h"
#include "core/iniRead.h"
#include "core/iniWrite.h"
#include "paths.h"
#include "scripted_ui.h"
#include "ui.h"
#include "support/environment.h"
#include "support/temp_dir.h"

using namespace sarvo;
using changer::Form1;
using changer::RunEnd;
namespace fs = std::filesystem;
using sarvo::test::ReadFile;
using sarvo::test::TempDir;
using sarvo::test::WriteFile;

namespace {

const std::string S(1, platform::kPathSeparator);

// A small real picture: a 24-bit BMP file of one colour.
std::string BmpBytes(unsigned char blue, unsigned char green, unsigned char red) {
    Bitmap b;
    std::string why;
    EXPECT_TRUE(b.Allocate(3, 2, why));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            b.Row(y)[x * 3] = blue;
            b.Row(y)[x * 3 + 1] = green;
            b.Row(y)[x * 3 + 2] = red;
        }
    return std::string(reinterpret_cast<const char*>(b.FileData()), b.FileSize());
}

class ChangerRun : public ::testing::Test {
protected:
    void SetUp() override {
        fake::ResetDesktop();
        fake::ResetScriptedUi();
        test::SetEnvironment("XDG_DATA_HOME", (home.path() / "data").string());
        test::SetEnvironment("XDG_CONFIG_HOME", (home.path() / "config").string());
        programDir = program.str();
        ini = programDir + S + "sarvoset.ini";
        pictures = programDir + S + "WallPaper";
    }

    // The bitmap's folder belongs to the user (on Windows, to every test of
    // the run): leave it as a later test expects to find it.
    void TearDown() override {
        std::error_code ec;
        if (!graphic.empty() && fs::is_directory(graphic, ec)) fs::remove_all(graphic, ec);
    }

    RunEnd Run(const std::string& commandLine = "") {
        Form1 form(programDir, commandLine);
        const RunEnd end = form.Form_Load();
        graphic = form.gSarvoChangerGraphicPath;
        chosen = form.txtWallpaperFilePath.Text();
        return end;
    }

    std::string Setting(const std::string& key) { return IniReadString(ini, "Sarvo Changer", key, "<none>"); }
    const std::vector<fake::ShownMessage>& Shown() { return fake::ScriptedUi().shown; }
    fake::Desktop& Desk() { return fake::TheDesktop(); }

    TempDir home;
    TempDir program;
    std::string programDir, ini, pictures, graphic, chosen;
};

}  // namespace

TEST_F(ChangerRun, CompletedRunWritesTheBitmapAppliesItAndRecordsThePicture) {
    const std::string red = BmpBytes(0, 0, 255);
    WriteFile(fs::path(pictures) / "only.bmp", red);
    EXPECT_EQ(Run(), RunEnd::Completed);
    EXPECT_TRUE(Shown().empty());
    EXPECT_EQ(chosen, pictures + S + "only.bmp");
    EXPECT_EQ(Setting("WallPaper"), pictures + S + "only.bmp");
    ASSERT_EQ(Desk().applied, std::vector<std::string>{graphic});
    EXPECT_EQ(ReadFile(graphic), red);  // the same 24-bit picture, written anew
    EXPECT_EQ(Setting("FolderPath"), "<none>");  // the changer writes only its own key
    // The same single picture again, and the same bitmap path overwritten.
    EXPECT_EQ(Run(), RunEnd::Completed);
    EXPECT_EQ(Desk().applied, (std::vector<std::string>{graphic, graphic}));
}

TEST_F(ChangerRun, TwoPicturesAlternate) {
    WriteFile(fs::path(pictures) / "a.bmp", BmpBytes(1, 2, 3));
    WriteFile(fs::path(pictures) / "sub" / "b.jpg", BmpBytes(4, 5, 6));  // read by content, not by name
    std::string previous;
    for (int run = 0; run < 12; ++run) {
        ASSERT_EQ(Run(), RunEnd::Completed);
        EXPECT_NE(chosen, previous);
        previous = chosen;
    }
}

TEST_F(ChangerRun, EveryPictureNamedLikeThePreviousOneIsAvoided) {
    WriteFile(fs::path(pictures) / "a.jpg", BmpBytes(1, 1, 1));
    WriteFile(fs::path(pictures) / "sub" / "a.jpg", BmpBytes(2, 2, 2));
    WriteFile(fs::path(pictures) / "b.jpg", BmpBytes(3, 3, 3));
    for (int run = 0; run < 10; ++run) {
        IniWriteString(ini, "Sarvo Changer", "WallPaper", "/gone/elsewhere" + S + "a.jpg");
        ASSERT_EQ(Run(), RunEnd::Completed);
        EXPECT_EQ(chosen, pictures + S + "b.jpg");
    }
}

TEST_F(ChangerRun, TheFolderPathSettingIsSearchedAndEveryPictureCanComeUp) {
    TempDir elsewhere;
    for (const char* name : {"1.bmp", "2.bmp", "3.bmp"}) WriteFile(elsewhere.path() / name, BmpBytes(9, 9, 9));
    IniWriteString(ini, "Sarvo Changer", "FolderPath", elsewhere.str());
    std::set<std::string> seen;
    for (int run = 0; run < 60 && seen.size() < 3; ++run) {
        ASSERT_EQ(Run(), RunEnd::Completed);
        seen.insert(chosen);
    }
    EXPECT_EQ(seen.size(), 3u);
}

TEST_F(ChangerRun, AQuotedPictureIsHandedToTheSettingTool) {
    EXPECT_EQ(Run("\"/some where/Photo.JPG\""), RunEnd::HandedOver);
    ASSERT_EQ(Desk().started.size(), 1u);
    EXPECT_EQ(Desk().started[0].program, programDir + S + platform::ExecutableName("SarvoSetTool"));
    EXPECT_EQ(Desk().started[0].arguments, "/add/some where/Photo.JPG");
    EXPECT_EQ(Desk().started[0].style, platform::WindowStyle::Normal);
    EXPECT_TRUE(Desk().keysProbed.empty());
    EXPECT_FALSE(fs::exists(ini));
}

TEST_F(ChangerRun, HeldKeysAreProbedInOrderAndTheFirstWins) {
    struct Case {
        bool space, d, n;
        std::string arguments;
        platform::WindowStyle style;
    };
    for (const Case& c : {Case{true, true, true, "", platform::WindowStyle::Normal},
                          Case{false, true, true, "/delskip", platform::WindowStyle::Minimized},
                          Case{false, false, true, "/nowall", platform::WindowStyle::Minimized}}) {
        fake::ResetDesktop();
        Desk().spaceDown = c.space;
        Desk().dDown = c.d;
        Desk().nDown = c.n;
        EXPECT_EQ(Run("ignored text"), RunEnd::HandedOver);
        ASSERT_EQ(Desk().started.size(), 1u);
        EXPECT_EQ(Desk().started[0].arguments, c.arguments);
        EXPECT_EQ(Desk().started[0].style, c.style);
        EXPECT_TRUE(Desk().applied.empty());
    }
    // Space is asked first, then D, then N.
    fake::ResetDesktop();
    Desk().nDown = true;
    Run();
    EXPECT_EQ(Desk().keysProbed, (std::vector<platform::Key>{platform::Key::Space, platform::Key::D, platform::Key::N}));
}

TEST_F(ChangerRun, NoKeySkipsTheProbeOnlyWhenSpeltExactly) {
    WriteFile(fs::path(pictures) / "a.bmp", BmpBytes(1, 2, 3));
    Desk().spaceDown = true;
    EXPECT_EQ(Run("/nokey"), RunEnd::Completed);
    EXPECT_TRUE(Desk().keysProbed.empty());
    EXPECT_TRUE(Desk().started.empty());
    EXPECT_EQ(Run("/NOKEY"), RunEnd::HandedOver);
    ASSERT_EQ(Desk().started.size(), 1u);
    EXPECT_EQ(Desk().started[0].arguments, "");
}

TEST_F(ChangerRun, AMissingFolderIsReportedAndNothingWritten) {
    EXPECT_EQ(Run(), RunEnd::StoppedWithMessage);  // the default folder does not exist
    ASSERT_EQ(Shown().size(), 1u);
    EXPECT_EQ(Shown()[0].caption, "SarvoBackdropChanger");
    EXPECT_EQ(Shown()[0].text, "指定したフォルダがありません。\r\nSettingToolでもう一度指定しなおしてください。");
    EXPECT_EQ(Shown()[0].style, platform::kIconError);
    EXPECT_FALSE(fs::exists(ini));
    EXPECT_TRUE(Desk().applied.empty());
}

TEST_F(ChangerRun, AnEmptyCatalogueShowsTheFolderWithItsSeparator) {
    WriteFile(fs::path(pictures) / "notes.txt", "x");
    IniWriteString(ini, "Sarvo Changer", "WallPaper", "/old.jpg");
    EXPECT_EQ(Run(), RunEnd::StoppedWithMessage);
    ASSERT_EQ(Shown().size(), 1u);
    EXPECT_EQ(Shown()[0].text, "指定したフォルダに画像がありません。\r\n以下の指定されたフォルダをご確認ください。\r\n\r\n" +
                                   pictures + S);
    EXPECT_EQ(Setting("WallPaper"), "/old.jpg");
}

TEST_F(ChangerRun, ABrokenPictureIsNamedAndTheOldStateKept) {
    WriteFile(fs::path(pictures) / "broken.jpg", "this is no picture");
    IniWriteString(ini, "Sarvo Changer", "WallPaper", "/old.jpg");
    graphic = platform::WindowsFolder() + S + "SarvoChangerGraphic.bmp";
    WriteFile(fs::path(graphic), "previous");
    EXPECT_EQ(Run(), RunEnd::StoppedWithMessage);
    ASSERT_EQ(Shown().size(), 1u);
    EXPECT_EQ(Shown()[0].text, "以下の画像ファイルは壊れています。\r\n" + pictures + S + "broken.jpg");
    EXPECT_EQ(Setting("WallPaper"), "/old.jpg");
    EXPECT_EQ(ReadFile(graphic), "previous");
    EXPECT_TRUE(Desk().applied.empty());
}

TEST_F(ChangerRun, AFailedApplyIsReportedAndNotRecorded) {
    WriteFile(fs::path(pictures) / "a.bmp", BmpBytes(1, 2, 3));
    Desk().applySucceeds = false;
    Desk().applyFailure = "no graphical session";
    EXPECT_EQ(Run(), RunEnd::StoppedWithMessage);
    ASSERT_EQ(Shown().size(), 1u);
    EXPECT_EQ(Shown()[0].text, "壁紙を設定できませんでした。\r\nno graphical session");
    EXPECT_EQ(Setting("WallPaper"), "<none>");
}

TEST_F(ChangerRun, ABitmapThatCannotBeWrittenIsReportedAndNotApplied) {
    WriteFile(fs::path(pictures) / "a.bmp", BmpBytes(1, 2, 3));
    Run();  // learn where the bitmap goes
    fs::remove(graphic);
    fs::create_directory(graphic);  // a folder in the bitmap's place cannot be replaced
    Desk().applied.clear();
    IniWriteString(ini, "Sarvo Changer", "WallPaper", "/old.jpg");
    EXPECT_EQ(Run(), RunEnd::StoppedWithMessage);
    ASSERT_EQ(Shown().size(), 1u);
    EXPECT_EQ(Shown()[0].text.rfind("壁紙の画像ファイルを保存できませんでした。\r\n" + graphic + "\r\n", 0), 0u);
    EXPECT_TRUE(Desk().applied.empty());
    EXPECT_EQ(Setting("WallPaper"), "/old.jpg");
}

TEST_F(ChangerRun, ASettingToolThatCannotStartIsReported) {
    Desk().spaceDown = true;
    Desk().startSucceeds = false;
    EXPECT_EQ(Run(), RunEnd::StoppedWithMessage);
    ASSERT_EQ(Shown().size(), 1u);
    EXPECT_EQ(Shown()[0].text.rfind("SarvoSetToolを起動できませんでした。\r\n", 0), 0u);
}

TEST(SelectPosition, RedrawsWhileTheNameIsThePreviousOne) {
    const std::vector<std::string> files = {"p" + S + "a.jpg", "p" + S + "b.jpg", "q" + S + "a.jpg"};
    std::vector<double> draws = {0.1, 0.9, 0.5};  // a (rejected), q/a (rejected), b
    std::size_t i = 0;
    EXPECT_EQ(changer::SelectPosition(files, "old" + S + "a.jpg", [&] { return draws[i++]; }), 1u);
    EXPECT_EQ(i, 3u);
    // Another letter case or no folder part is not the same picture.
    i = 0;
    EXPECT_EQ(changer::SelectPosition(files, "old" + S + "A.jpg", [&] { return draws[i++]; }), 0u);
    i = 0;
    EXPECT_EQ(changer::SelectPosition(files, "a.jpg", [&] { return draws[i++]; }), 0u);
}

TEST(SelectPosition, OneEntryIsTakenWithoutADrawAndAnImpossibleRuleKeepsTheDraw) {
    int calls = 0;
    EXPECT_EQ(changer::SelectPosition({"p" + S + "a.jpg"}, "p" + S + "a.jpg", [&] { ++calls; return 0.5; }), 0u);
    EXPECT_EQ(calls, 0);
    const std::vector<std::string> same = {"p" + S + "a.jpg", "q" + S + "a.jpg"};
    EXPECT_EQ(changer::SelectPosition(same, "r" + S + "a.jpg", [&] { ++calls; return 0.75; }), 1u);
    EXPECT_EQ(calls, 1);
}

TEST(SelectPosition, EveryAcceptableEntryIsReachableAtTheEdges) {
    const std::vector<std::string> files = {"a", "b", "c", "d"};  // no separator: no name, nothing rejected
    EXPECT_EQ(changer::SelectPosition(files, "", [] { return 0.0; }), 0u);
    EXPECT_EQ(changer::SelectPosition(files, "", [] { return 0.999999; }), 3u);
    EXPECT_EQ(changer::SelectPosition(files, "", [] { return 0.25; }), 1u);
}
