// The real desktop backends (chosen from the session, their pure rules), the files desktops are handed, program starts, waits on the desktop.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <png.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "desktop/backend_plasma.h"
#include "desktop/backend_sway.h"
#include "desktop/backend_wlroots.h"
#include "desktop/backends.h"
#include "core/pure/desktop_entry.h"
#include "picture_test_support.h"
#include "platform/menu.h"
#include "platform/process.h"
#include "deadline_linux.h"
#include "platform/program.h"
#include "desktop/presenter.h"
#include "spawn_linux.h"
#include "support/temp_dir.h"

using sarvo::platform::linux_spawn::RunAndWait;

using namespace sarvo;
using namespace sarvo::platform;
using namespace sarvo::test;
namespace fs = std::filesystem;

namespace {

// The names of the candidates, joined by blanks; or "-" and the reason.
std::string Candidates(const Environment& environment) {
    std::string why, names;
    for (const DesktopBackend* backend : CandidateBackends(environment, DesktopBackends(), why))
        names += (names.empty() ? "" : " ") + std::string(backend->name);
    return names.empty() ? "- " + why : names;
}

}  // namespace

TEST(DesktopDetection, TheSessionsOwnNamesAndMarksDecideInListOrder) {
    const std::pair<Environment, const char*> cases[] = {  // the session, its candidates
        {{{"DISPLAY", ":0"}, {"XDG_CURRENT_DESKTOP", "ubuntu:GNOME"}}, "gnome"},
        {{{"WAYLAND_DISPLAY", "wayland-0"}, {"XDG_CURRENT_DESKTOP", "Budgie:GNOME"}}, "gnome portal"},
        {{{"DISPLAY", ":0"}, {"XDG_CURRENT_DESKTOP", "X-Cinnamon"}}, "cinnamon"}, {{{"DISPLAY", ":0"}, {"XDG_CURRENT_DESKTOP", "MATE"}}, "mate"},
        {{{"DISPLAY", ":0"}, {"XDG_CURRENT_DESKTOP", "KDE"}}, "plasma"}, {{{"WAYLAND_DISPLAY", "w"}, {"KDE_FULL_SESSION", "true"}}, "plasma portal"},
        {{{"DISPLAY", ":0"}, {"XDG_CURRENT_DESKTOP", "XFCE"}}, "xfce"}, {{{"DISPLAY", ":0"}, {"XDG_CURRENT_DESKTOP", "LXQt"}}, "lxqt"},
        {{{"WAYLAND_DISPLAY", "w"}, {"XDG_CURRENT_DESKTOP", "sway:wlroots"}}, "sway wlroots portal"},
        {{{"WAYLAND_DISPLAY", "w"}, {"HYPRLAND_INSTANCE_SIGNATURE", "abc"}}, "hyprland portal"},
        // Started from a text console: only the socket tells.
        {{{"WAYLAND_DISPLAY", "w"}, {"XDG_CURRENT_DESKTOP", ""}, {"SWAYSOCK", "/run/sway.sock"}}, "sway portal"},
        {{{"WAYLAND_DISPLAY", "w"}}, "wlroots portal"},
        // The session file's name stands in for a missing desktop name.
        {{{"DISPLAY", ":0"}, {"DESKTOP_SESSION", "plasma"}}, "plasma"},
        {{{"DISPLAY", ":0"}, {"XDG_CURRENT_DESKTOP", "i3"}, {"DESKTOP_SESSION", "gnome"}}, "x11"}, {{{"DISPLAY", ":0"}}, "x11"},
        // Xwayland gives DISPLAY too, but its root window is never seen.
        {{{"WAYLAND_DISPLAY", "w"}, {"DISPLAY", ":0"}, {"XDG_CURRENT_DESKTOP", "GNOME"}}, "gnome portal"},
        {{{"DISPLAY", ":0"}, {"XDG_CURRENT_DESKTOP", "Deepin"}},
         "- デスクトップ「Deepin」の壁紙を設定する方法がありません。\n方法を自分で選ぶには、SARVO_DESKTOP_BACKEND "
         "に次のどれかを設定してください：gnome, cinnamon, mate, plasma, xfce, lxde, lxqt, sway, hyprland, wlroots, "
         "portal, x11（例：SARVO_DESKTOP_BACKEND=x11）"},
        {{}, "- グラフィカルなセッションではありません（DISPLAY も WAYLAND_DISPLAY も設定されていません）。"},
        {{{"DISPLAY", ""}, {"SARVO_DESKTOP_BACKEND", "x11"}},
         "- グラフィカルなセッションではありません（DISPLAY も WAYLAND_DISPLAY も設定されていません）。"},
        // The override names one backend, in any case, whatever the session.
        {{{"DISPLAY", ":0"}, {"XDG_CURRENT_DESKTOP", "GNOME"}, {"SARVO_DESKTOP_BACKEND", "X11"}}, "x11"},
        {{{"WAYLAND_DISPLAY", "w"}, {"SARVO_DESKTOP_BACKEND", "sway"}}, "sway"},
        {{{"DISPLAY", ":0"}, {"SARVO_DESKTOP_BACKEND", "kde"}},
         "- SARVO_DESKTOP_BACKEND のバックエンド「kde」はありません（あるもの：gnome, cinnamon, mate, plasma, xfce, "
         "lxde, lxqt, sway, hyprland, wlroots, portal, x11）。"},
    };
    for (const auto& [environment, candidates] : cases) EXPECT_EQ(Candidates(environment), candidates);
}

// sway expands a path as a shell word: every byte but letters, digits and "/ . - _" escaped.
TEST(SwayQuoting, EveryByteButLettersDigitsAndPathPunctuationIsEscaped) {
    for (const auto& [path, quoted] : {std::pair{"/Az09/a-b_c.png", "\"/Az09/a-b_c.png\""},
                                       {"a \"b\" 'c' \\d $H `e`", R"("a\ \"b\"\ \'c\'\ \\d\ \$H\ \`e\`")"},
                                       {"(o) & {x}; <y> |*?[~#", R"("\(o\)\ \&\ \{x\}\;\ \<y\>\ \|\*\?\[\~\#")"},
                                       {"写", "\"\\\xe5\\\x86\\\x99\""}, {"a\nb", ""}})
        EXPECT_EQ(SwayQuoted(path), quoted) << path;
}

// Plasma's image plugin tiles up to 6.5; a version it does not tell is taken to have none.
TEST(PlasmaScripts, TheImagePluginTilesUpToVersion6Point5) {
    for (const auto& [version, tiles] : {std::pair{"5.27.5", true}, {"6.5.90", true}, {"6.6.0", false}, {"6.10", false},
                                         {"7.0", false}, {"", false}, {"6", false}, {"-5.1", false}, {"5.-1", false}})
        EXPECT_EQ(PlasmaImagePluginTiles(version), tiles) << version;
}

// Only the time in steps counts, and steps nest: the budget ends in the step that overdraws it.
TEST(DesktopWaits, TheDesktopStepsShareOneBudget) {
    using linux_deadline::Step;
    EXPECT_EXIT(
        {
            linux_deadline::SetBudget(std::chrono::milliseconds(300));
            {
                const Step a("a");
                poll(nullptr, 0, 100);
            }
            poll(nullptr, 0, 400);
            {
                const Step b("b");
                const Step c("c");
                poll(nullptr, 0, 250);
            }
            std::exit(0);
        },
        testing::ExitedWithCode(1), "^デスクトップが0.3秒以内に応答しなかったので、終了します（b、c）。\n$");
}

// The message names the step whole or cut before the character that does not fit.
TEST(DesktopWaits, ALongStepIsCutBetweenCharacters) {
    std::string step, shown;
    for (int i = 0; i < 50; ++i) step += "あ";
    for (int i = 0; i < 39; ++i) shown += "あ";
    EXPECT_EXIT(
        {
            linux_deadline::SetBudget(std::chrono::milliseconds(50));
            const linux_deadline::Step a(step);
            poll(nullptr, 0, 200);
            std::exit(0);
        },
        testing::ExitedWithCode(1), "（" + shown + "）。\n$");
}

TEST(DesktopWaits, AWindowsTimeIsTheUsers) {
    EXPECT_EXIT(
        {
            linux_deadline::SetBudget(std::chrono::milliseconds(50));
            const linux_deadline::Interactive window;
            const linux_deadline::Step a("a");
            poll(nullptr, 0, 200);
            std::exit(0);
        },
        testing::ExitedWithCode(0), "");
}

namespace {

void Save(const Bitmap& bitmap, const fs::path& path) { test::WriteFile(path, test::FileOf(bitmap)); }

// The PNG's pixels as 0xRRGGBB, rows from the top; its size in `width`/`height`.
test::Colours ReadPng(const std::string& path, int& width, int& height) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
    image.format = PNG_FORMAT_RGB;
    std::vector<unsigned char> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return {};
    width = static_cast<int>(image.width);
    height = static_cast<int>(image.height);
    test::Colours colours;
    for (std::size_t i = 0; i + 2 < rgb.size(); i += 3)
        colours.push_back(std::uint32_t{rgb[i]} << 16 | std::uint32_t{rgb[i + 1]} << 8 | rgb[i + 2]);
    return colours;
}


std::string Script(const TempDir& dir, const std::string& name, const std::string& body) {
    const std::string path = (dir.path() / name).string();
    WriteFile(path, "#!/bin/sh\n" + body);
    fs::permissions(path, fs::perms::owner_all);
    return path;
}

// Waits for the file a started program writes by renaming it into place.
bool AppearsWithin(const fs::path& path, std::chrono::seconds limit) {
    for (const auto end = std::chrono::steady_clock::now() + limit; !fs::exists(path); std::this_thread::sleep_for(std::chrono::milliseconds(10)))
        if (std::chrono::steady_clock::now() > end) return false;
    return true;
}

}  // namespace

// The presenter's own files are those of its names: the stem, a time stamp (or an earlier letter), an output's
// number, an extension.
TEST(Presenter, OnlyTheNamesItGivesAreItsOwn) {
    for (const auto& [name, own] : {std::pair{"SarvoChangerGraphic-0123456789abcdef.png", true},
                                    {"SarvoChangerGraphic-0123456789abcdef.bmp", true},
                                    {"SarvoChangerGraphic-0123456789abcdef-12.png", true},
                                    {"SarvoChangerGraphic-b.png", true},
                                    {"SarvoChangerGraphic-a2.png", true},
                                    {"SarvoChangerGraphic-0123456789abcdef-02.png", false},
                                    {"SarvoChangerGraphic-0123456789abcdef-.png", false},
                                    {"SarvoChangerGraphic-0123456789abcdef-1.bmp", false},
                                    {"SarvoChangerGraphic-c1.png", false},
                                    {"SarvoChangerGraphic-0123456789ABCDEF.png", false},
                                    {"SarvoChangerGraphic-0123456789abcde.png", false},
                                    {"SarvoChangerGraphic-0123456789abcdeg.png", false},
                                    {"SarvoChangerGraphic-0123456789abcdef.jpg", false},
                                    {"SarvoChangerGraphic-0123456789abcdef.png.tmp", false},
                                    {"SarvoChangerGraphic.png", false},
                                    {"Other-0123456789abcdef.png", false}})
        EXPECT_EQ(presenter::IsHandedName("SarvoChangerGraphic", name), own) << name;
}

// Each output's part is handed under a name no file had, and goes as any handed file: it stays through the next
// hand-over, which the desktop may still be loading, and is removed by the one after.
TEST(Presenter, EachOutputsPartGetsANewNameAndStaysOneHandOverLonger) {
    test::TempDir dir;
    const std::string bitmap = (dir.path() / "SarvoChangerGraphic.bmp").string();
    Save(test::BitmapOf(3, 2, {0x010101, 0x020202, 0x030303, 0x040404, 0x050505, 0x060606}), bitmap);
    const std::vector<DesktopMonitor> monitors = {{{0, 0, 2, 2}, true, "left"}, {{2, 0, 1, 2}, false, "right"}};
    std::string why;
    std::vector<presenter::HandedPart> first;
    std::vector<presenter::HandedPart> second;
    ASSERT_TRUE(presenter::PrepareParts(bitmap, DesktopMode::Sway, monitors, first, why)) << why;
    presenter::KeepParts(bitmap, first);
    int width = 0;
    int height = 0;
    EXPECT_EQ(ReadPng(first[1].handed.path, width, height), (test::Colours{0x030303, 0x060606}));
    for (const presenter::HandedPart& part : first)
        EXPECT_TRUE(presenter::IsHandedName("SarvoChangerGraphic", fs::path(part.handed.path).filename().string()));
    ASSERT_TRUE(presenter::PrepareParts(bitmap, DesktopMode::Sway, monitors, second, why)) << why;
    EXPECT_NE(second[1].handed.path, first[1].handed.path);
    presenter::KeepParts(bitmap, second);
    EXPECT_TRUE(fs::exists(first[1].handed.path));
    presenter::Handed third;
    ASSERT_TRUE(presenter::Prepare(bitmap, Placement::Centre, DesktopMode::Sway, presenter::Format::Png, third, why));
    presenter::Keep(bitmap, third);
    EXPECT_FALSE(fs::exists(first[1].handed.path));
    EXPECT_TRUE(fs::exists(second[1].handed.path));
    EXPECT_EQ(presenter::HandedFiles(bitmap).size(), 3u);  // the uninstaller's list: second's two and third
}

// A folder for the bitmap the presenter hands over.
class HandedCopies : public ::testing::Test {
protected:
    test::TempDir dir;
    const std::string bitmap = (dir.path() / "SarvoChangerGraphic.bmp").string();
    presenter::Handed handed;
    std::string why;
    int width = 0;
    int height = 0;
};

// hyprpaper has no centred mode: a 2 x 2 picture centred on a 4 x 2 canvas, handed over stretched.
TEST_F(HandedCopies, APlacementTheDesktopLacksIsLaidOutOnTheCanvas) {
    Save(test::BitmapOf(2, 2, {0x111111, 0x222222, 0x333333, 0x444444}), bitmap);
    ASSERT_TRUE(presenter::Prepare(bitmap, Placement::Centre, DesktopMode::Hyprpaper, presenter::Format::Png, handed, why, 4, 2)) << why;
    EXPECT_EQ(handed.mode, "stretch");
    EXPECT_EQ(ReadPng(handed.path, width, height), (test::Colours{0, 0x111111, 0x222222, 0, 0, 0x333333, 0x444444, 0}));
}

// Too many pixels to encode quickly: laid out on the canvas as asked, and handed over stretched.
TEST_F(HandedCopies, AHugePictureIsLaidOutOnTheCanvasAndHandedOverStretched) {
    const int big = 3000;  // 9 megapixels
    Save(test::BitmapOf(big, big, test::Colours(static_cast<std::size_t>(big) * big, 0xabcdef)), bitmap);
    ASSERT_TRUE(presenter::Prepare(bitmap, Placement::Tile, DesktopMode::GSettings, presenter::Format::Png, handed, why, 8, 6)) << why;
    EXPECT_EQ(handed.mode, "stretched");
    EXPECT_EQ(ReadPng(handed.path, width, height), test::Colours(48, 0xabcdef));
    EXPECT_EQ(width, 8);
    EXPECT_EQ(height, 6);
}

// A folder for the programs the tests start.
class ProgramStarts : public ::testing::Test {
protected:
    test::TempDir dir;
    platform::linux_spawn::RunResult result;
    std::string why;
};

TEST_F(ProgramStarts, TheArgumentTextReachesTheProgramAsOneArgument) {
    const std::string script = Script(dir, "record me.sh",
                                      "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$0.tmp\"\n"
                                      "mv \"$0.tmp\" \"$0.out\"\n");
    const std::string text = "/add/p/a b \"$HOME\" `x`;.jpg";
    ASSERT_TRUE(platform::StartProgram(script, text, platform::WindowStyle::Normal, why)) << why;
    ASSERT_TRUE(AppearsWithin(script + ".out", std::chrono::seconds(10)));
    EXPECT_EQ(ReadFile(script + ".out"), text + "\n");
}

// Helpers inherit no descriptor but the standard three (not the starter's own, nor a log's).
TEST_F(ProgramStarts, HelpersHoldOnlyTheStandardDescriptors) {
    const int stray = open("/dev/null", O_RDONLY);  // as a library may leave one open on exec
    ASSERT_GE(stray, 3);
    ASSERT_TRUE(RunAndWait({"/bin/sh", "-c", "ls /proc/$$/fd; :"}, 10000, result, why)) << why;
    EXPECT_EQ(result.output, "0\n1\n2\n");
    const std::string log = dir.str() + "/log", done = dir.str() + "/done";
    ASSERT_TRUE(platform::linux_spawn::SpawnDetached({"/bin/sh", "-c", "ls /proc/$$/fd; : >\"$0\"", done}, why,
                                                     nullptr, log.c_str())) << why;
    ASSERT_TRUE(AppearsWithin(done, std::chrono::seconds(10)));
    EXPECT_EQ(ReadFile(log), "0\n1\n2\n");
    close(stray);
}

// A daemon left behind with the output pipe open does not hold the wait.
TEST_F(ProgramStarts, ADaemonLeftBehindDoesNotHoldTheWait) {
    ASSERT_TRUE(RunAndWait({Script(dir, "daemon.sh", "sleep 30 &\necho $! >\"$0.pid\"\nexit 0\n")}, 10000, result, why)) << why;
    EXPECT_EQ(result.exitStatus, 0);
    kill(std::stoi(ReadFile(dir.path() / "daemon.sh.pid")), SIGKILL);  // the daemon is the test's to end
}

TEST_F(ProgramStarts, AProgramThatOverstaysIsEndedAndReaped) {
    EXPECT_FALSE(RunAndWait({Script(dir, "slow.sh", "exec sleep 30\n")}, 100, result, why));
    EXPECT_EQ(why, "100ミリ秒以内に終了しませんでした：" + (dir.path() / "slow.sh").string());
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1) << "the overstaying program was not reaped";
}

namespace {

// Whether the process `pid` has ended (a zombie left to a reaper counts).
bool Ended(int pid) {
    const std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
    const std::size_t close = stat.rfind(')');
    return close == std::string::npos || stat.compare(close + 2, 1, "Z") == 0;
}

}  // namespace

// A swaybg the record cannot take is ended again and the apply fails saying why, so none piles up.
TEST(Swaybg, ANewOneThatCannotBeRecordedIsEndedAndTheApplyFails) {
    test::TempDir dir;
    const std::string bin = dir.str() + "/bin", state = dir.str() + "/state";
    const std::string stand_in = Script(dir, "bin/swaybg", "echo $$ >\"$0.pid\"\nexec sleep 30\n");
    WriteFile(state + "/sarvo-backdrop-changer/swaybg-sarvo-test.pid/in the way", "x");
    SetEnvironment("PATH", bin + ":" + std::getenv("PATH"));
    SetEnvironment("WAYLAND_DISPLAY", "sarvo-test");
    SetEnvironment("XDG_STATE_HOME", state);
    const std::string bitmap = dir.str() + "/SarvoChangerGraphic.bmp";
    Save(test::BitmapOf(2, 1, {0xff0000, 0x00ff00}), bitmap);
    std::string why;
    EXPECT_FALSE(kWlrootsBackend.apply(bitmap, Placement::Centre, why));
    EXPECT_EQ(why.find("新しい swaybg を記録できませんでした"), 0u) << why;
    const int pid = std::stoi(ReadFile(stand_in + ".pid"));
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!Ended(pid) && std::chrono::steady_clock::now() < end) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(Ended(pid)) << "the unrecorded swaybg still runs";
}

// The menu's folders in a private XDG_DATA_HOME, and the suite's entries for programs in /a.
class MenuFiles : public ::testing::Test {
protected:
    void SetUp() override { setenv("XDG_DATA_HOME", home.str().c_str(), 1); }
    test::TempDir home;
    const fs::path apps = home.path() / "applications";
    const fs::path icons = home.path() / "icons" / "hicolor";
    const fs::path changerEntry = apps / "sarvo-backdrop-changer.desktop";
    const fs::path toolEntry = apps / "sarvo-setting-tool.desktop";
    const fs::path changerIcon = icons / "16x16" / "apps" / "sarvo-backdrop-changer.png";
    const fs::path toolIcon = icons / "48x48" / "apps" / "sarvo-setting-tool.png";
    const std::vector<MenuEntry> entries = SuiteMenuEntries("/a/SarvoChanger", "/a/SarvoSetTool");
    const std::string others = "[Desktop Entry]\nType=Application\nName=Other\nExec=other\n";
    std::vector<std::string> left;
    std::string why;
};

TEST_F(MenuFiles, OurEntriesAndIconsAreWrittenWhole) {
    ASSERT_EQ(PutIntoMenu(entries, why), MenuResult::Written) << why;
    EXPECT_EQ(ReadFile(changerEntry), MenuEntryFileFor(entries[0]));
    EXPECT_EQ(ReadFile(toolIcon), ReadFile(fs::path(SARVO_RESOURCES) / "setting_tool-48.png"));
    EXPECT_EQ(ReadFile(changerIcon), ReadFile(fs::path(SARVO_RESOURCES) / "changer-16.png"));
    EXPECT_TRUE(fs::exists(apps / "mimeinfo.cache")) << "the desktop's cache of the folder made again";
}

// Under an ignored SIGCHLD the refresh's exit status is lost to the system; the refresh has ended all the same.
TEST_F(MenuFiles, ARefreshWhoseStatusWasLostCountsAsDone) {
    signal(SIGCHLD, SIG_IGN);
    const MenuResult result = PutIntoMenu(entries, why);
    signal(SIGCHLD, SIG_DFL);
    EXPECT_EQ(result, MenuResult::Written) << why;
}

// Programs moved elsewhere: ours are written again; another's file under our name stays, and is named.
TEST_F(MenuFiles, OursAreReplacedWhenTheProgramsMoveAndAnothersFileUnderOurNameStays) {
    ASSERT_EQ(PutIntoMenu(entries, why), MenuResult::Written) << why;
    WriteFile(toolEntry, others);
    WriteFile(changerIcon, "another picture");
    const std::vector<MenuEntry> moved = SuiteMenuEntries("/b/SarvoChanger", "/b/SarvoSetTool");
    EXPECT_EQ(PutIntoMenu(moved, why), MenuResult::Failed);
    EXPECT_NE(why.find(toolEntry.string()), std::string::npos) << why;
    EXPECT_EQ(ReadFile(changerEntry), MenuEntryFileFor(moved[0]));
    EXPECT_EQ(ReadFile(toolEntry), others);
    EXPECT_EQ(ReadFile(changerIcon), "another picture");
}

TEST_F(MenuFiles, RemovingTakesOursAndLeavesOthers) {
    ASSERT_EQ(PutIntoMenu(entries, why), MenuResult::Written) << why;
    WriteFile(toolEntry, others);
    WriteFile(changerIcon, "another picture");
    WriteFile(apps / "neighbour.desktop", others);
    RemoveFromMenu(entries, left);
    EXPECT_TRUE(left.empty());
    EXPECT_FALSE(fs::exists(changerEntry));
    EXPECT_FALSE(fs::exists(toolIcon));
    EXPECT_EQ(ReadFile(toolEntry), others);
    EXPECT_EQ(ReadFile(changerIcon), "another picture");
    EXPECT_EQ(ReadFile(apps / "neighbour.desktop"), others);
}
