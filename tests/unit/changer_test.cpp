// The changer's whole run, with real files, the real settings file and the
// real picture loader; the keys, program starts, wallpaper and message boxes
// come from the test-only fakes.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>

#include "changer/Form1.h"
#include "platform/fake/fake_desktop.h"
#include "core/modules/iniRead.h"
#include "core/modules/iniWrite.h"
#include "platform/paths.h"
#include "picture_test_support.h"
#include "platform/fake/scripted_ui.h"
#include "platform/ui.h"
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
std::string BmpBytes(std::uint32_t colour) {
    const Bitmap b = test::BitmapOf(3, 2, test::Colours(6, colour));
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
    const std::string red = BmpBytes(0xFF0000);
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

TEST_F(ChangerRun, EveryPictureNamedLikeThePreviousOneIsAvoided) {
    // All three are BMP files: the kind is read from the content, not the name.
    WriteFile(fs::path(pictures) / "a.jpg", BmpBytes(0x010101));
    WriteFile(fs::path(pictures) / "sub" / "a.jpg", BmpBytes(0x020202));
    WriteFile(fs::path(pictures) / "b.jpg", BmpBytes(0x030303));
    for (int run = 0; run < 10; ++run) {
        IniWriteString(ini, "Sarvo Changer", "WallPaper", "/gone/elsewhere" + S + "a.jpg");
        ASSERT_EQ(Run(), RunEnd::Completed);
        EXPECT_EQ(chosen, pictures + S + "b.jpg");
    }
}

TEST_F(ChangerRun, TheFolderPathSettingIsSearchedAndEveryPictureCanComeUp) {
    TempDir elsewhere;
    for (const char* name : {"1.bmp", "2.bmp", "3.bmp"}) WriteFile(elsewhere.path() / name, BmpBytes(0x090909));
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
    const struct {
        bool space, d, n;
        const char* arguments;
        platform::WindowStyle style;
    } cases[] = {{true, true, true, "", platform::WindowStyle::Normal},
                 {false, true, true, "/delskip", platform::WindowStyle::Minimized},
                 {false, false, true, "/nowall", platform::WindowStyle::Minimized}};
    for (const auto& c : cases) {
        fake::ResetDesktop();
        Desk().spaceDown = c.space, Desk().dDown = c.d, Desk().nDown = c.n;
        EXPECT_EQ(Run("ignored text"), RunEnd::HandedOver);
        ASSERT_EQ(Desk().started.size(), 1u);
        EXPECT_EQ(Desk().started[0].arguments, c.arguments);
        EXPECT_EQ(Desk().started[0].style, c.style);
        EXPECT_TRUE(Desk().applied.empty());
    }
    // Space is asked first, then D, then N.
    const std::vector<platform::Key> order = {platform::Key::Space, platform::Key::D, platform::Key::N};
    EXPECT_EQ(Desk().keysProbed, order);
}

TEST_F(ChangerRun, NoKeySkipsTheProbeOnlyWhenSpeltExactly) {
    WriteFile(fs::path(pictures) / "a.bmp", BmpBytes(0x030201));
    Desk().spaceDown = true;
    EXPECT_EQ(Run("/nokey"), RunEnd::Completed);
    EXPECT_TRUE(Desk().keysProbed.empty());
    EXPECT_TRUE(Desk().started.empty());
    EXPECT_EQ(Run("/NOKEY"), RunEnd::HandedOver);
    ASSERT_EQ(Desk().started.size(), 1u);
    EXPECT_EQ(Desk().started[0].arguments, "");
}

// Every step that can fail before the wallpaper changes tells why in an error
// box and leaves the settings file, the bitmap and the wallpaper as they were.
TEST_F(ChangerRun, EveryStopShowsItsMessageAndKeepsWhatWasThere) {
    const std::string picture = pictures + S + "a.bmp";
    const std::string bitmap = platform::WindowsFolder() + S + "SarvoChangerGraphic.bmp";
    const struct {
        const char* what;
        std::function<void()> arrange;
        std::function<std::string()> text;  // known after the run, which tells where the bitmap goes
        bool whole;                         // else the system's reason follows the text
        bool bitmapKept;
    } stops[] = {
        {"the folder is missing", [] {},
         [] { return "指定したフォルダがありません。\r\nSettingToolでもう一度指定しなおしてください。"; }, true, true},
        {"the catalogue is empty", [&] { WriteFile(fs::path(pictures) / "notes.txt", "x"); },
         [&] {
             return "指定したフォルダに画像がありません。\r\n以下の指定されたフォルダをご確認ください。\r\n\r\n" +
                    pictures + S;
         },
         true, true},
        {"the picture is broken", [&] { WriteFile(fs::path(pictures) / "broken.jpg", "this is no picture"); },
         [&] { return "以下の画像ファイルは壊れています。\r\n" + pictures + S + "broken.jpg"; }, true, true},
        {"the wallpaper cannot be applied",
         [&] {
             WriteFile(picture, BmpBytes(0x030201));
             Desk().applySucceeds = false, Desk().applyFailure = "no session";
         },
         [] { return "壁紙を設定できませんでした。\r\nno session"; }, true, true},
        {"no desktop can show the wallpaper",
         [&] {
             WriteFile(picture, BmpBytes(0x030201));
             Desk().available = false, Desk().unavailable = "no backend; install swaybg";
         },
         [] { return "壁紙を設定できませんでした。\r\nno backend; install swaybg"; }, true, true},
        {"the bitmap cannot be written",
         [&] {
             WriteFile(picture, BmpBytes(0x030201));
             Run();  // puts the bitmap in its place; a folder there cannot be replaced
             fs::remove(graphic), fs::create_directory(graphic), Desk().applied.clear();
         },
         [&] { return "壁紙の画像ファイルを保存できませんでした。\r\n" + graphic + "\r\n"; }, false, false},
        {"the settings tool cannot start", [&] { Desk().spaceDown = true, Desk().startSucceeds = false; },
         [] { return "SarvoSetToolを起動できませんでした。\r\n"; }, false, true},
    };
    for (const auto& stop : stops) {
        SCOPED_TRACE(stop.what);
        fake::ResetDesktop();
        fake::ResetScriptedUi();
        for (const auto& entry : fs::directory_iterator(program.path())) fs::remove_all(entry);
        fs::remove_all(bitmap);
        WriteFile(bitmap, "previous");
        stop.arrange();
        IniWriteString(ini, "Sarvo Changer", "WallPaper", "/old.jpg");
        const std::string settings = ReadFile(ini);
        EXPECT_EQ(Run(), RunEnd::StoppedWithMessage);
        ASSERT_EQ(Shown().size(), 1u);
        EXPECT_EQ(Shown()[0].caption, "SarvoBackdropChanger");
        EXPECT_EQ(Shown()[0].style, platform::kIconError);
        const std::string& shown = Shown()[0].text;
        EXPECT_EQ(stop.whole ? shown : shown.substr(0, stop.text().size()), stop.text());
        EXPECT_EQ(ReadFile(ini), settings);
        EXPECT_TRUE(Desk().applied.empty());
        if (stop.bitmapKept) {
            EXPECT_EQ(ReadFile(bitmap), "previous");
        }
        EXPECT_FALSE(fs::exists(bitmap + ".previous"));
    }
}

TEST_F(ChangerRun, APictureShownButNotRecordedIsToldOnceAndStillRecorded) {
    WriteFile(pictures + S + "a.bmp", BmpBytes(0x030201));
    Desk().applyNote = "the wallpaper is shown, but it could not be recorded";
    EXPECT_EQ(Run(), RunEnd::Completed);
    ASSERT_EQ(Shown().size(), 1u);
    EXPECT_EQ(Shown()[0].text, "壁紙は設定しましたが、記録できませんでした。\r\n" + Desk().applyNote);
    EXPECT_EQ(Setting("WallPaper"), pictures + S + "a.bmp");
    EXPECT_EQ(ReadFile(graphic), BmpBytes(0x030201));
}

TEST(SelectPosition, DrawsAgainWhileTheNameIsThePreviousOne) {
    const std::string a = "p" + S + "a.jpg", b = "p" + S + "b.jpg", qa = "q" + S + "a.jpg";
    const std::vector<std::string> letters = {"a", "b", "c", "d"};  // no separator: no name, nothing rejected
    const struct {
        std::vector<std::string> files;
        std::string old;
        std::vector<double> draws;
        std::size_t position, drawn;
    } cases[] = {
        {{a, b, qa}, "old" + S + "a.jpg", {0.1, 0.9, 0.5}, 1, 3},  // a and q/a are refused
        {{a, b, qa}, "old" + S + "A.jpg", {0.1}, 0, 1},            // another letter case is another picture
        {{a, b, qa}, "a.jpg", {0.1}, 0, 1},                        // so is a name without a folder part
        {{a}, a, {}, 0, 0},                                        // a lone entry is taken without a draw
        {{a, qa}, "r" + S + "a.jpg", {0.75}, 1, 1},                // no entry can pass: the first draw stands
        {letters, "", {0.0}, 0, 1},
        {letters, "", {0.999999}, 3, 1},
        {letters, "", {0.25}, 1, 1},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        std::size_t drawn = 0;
        const auto next = [&] { return cases[i].draws.at(drawn++); };
        EXPECT_EQ(changer::SelectPosition(cases[i].files, cases[i].old, next), cases[i].position) << "case " << i;
        EXPECT_EQ(drawn, cases[i].drawn) << "case " << i;
    }
}
