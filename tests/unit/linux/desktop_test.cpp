// The real desktop backends (chosen from the session, handing over, their pure rules), the files desktops are handed, program starts, waits on the desktop.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <png.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <thread>

#include "desktop/backend_plasma.h"
#include "desktop/backend_sway.h"
#include "desktop/backend_wlroots.h"
#include "desktop/backend_xfce.h"
#include "desktop/swaybg.h"
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
#include "x11_linux.h"

using sarvo::platform::linux_spawn::RunAndWait;

using namespace sarvo;
using namespace sarvo::platform;
using namespace sarvo::test;
namespace fs = std::filesystem;

namespace {

// The names of the candidates, joined by blanks; or "-" and the reason.
std::string Candidates(const Environment& environment, std::string_view stored = {}) {
    std::string why, names;
    for (const DesktopBackend* backend : CandidateBackends(environment, DesktopBackends(), why, stored))
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

TEST(DesktopDetection, TheStoredChoiceServesUnlessTheEnvironmentNamesAnother) {
    const Environment gnome = {{"DISPLAY", ":0"}, {"XDG_CURRENT_DESKTOP", "GNOME"}};
    EXPECT_EQ(Candidates(gnome, "X11"), "x11");
    Environment overridden = gnome;
    overridden["SARVO_DESKTOP_BACKEND"] = "xfce";
    EXPECT_EQ(Candidates(overridden, "x11"), "xfce");
    EXPECT_EQ(Candidates(gnome, "nonesuch").substr(0, 103),
              "- レジストリの Software\\Sarvo Backdrop Changer\\DesktopBackend のバックエンド「nonesuch」");
}

namespace {

// Rows that decline, fail or serve on request, recording what was asked.
std::string gCalls;
bool Refuses(std::string& why) {
    gCalls += "connect-refused ";
    why = "not here";
    return false;
}
bool Connects(std::string&) {
    gCalls += "connect ";
    return true;
}
bool Fails(const std::string&, Placement, std::string& why) {
    gCalls += "fail ";
    why = "refused the picture";
    return false;
}
bool Shows(const std::string&, Placement, std::string&) {
    gCalls += "show ";
    return true;
}
bool Any(const Environment&) { return true; }
bool Never(const Environment&) { return false; }
bool NoClear(std::string&) { return false; }

// A list of four rows: one declining, one failing, one that does not fit the session, one serving.
class HandOver : public ::testing::Test {
protected:
    const DesktopBackend* Serve(const std::vector<const DesktopBackend*>& candidates) {
        const auto apply = [](const DesktopBackend& b, std::string& reason) { return b.apply("/p", Placement::Tile, reason); };
        gCalls.clear();
        return ServeWith(candidates, environment, list, apply, why);
    }
    const DesktopBackend declining{"declining", Any, Refuses, Shows, NoClear};
    const DesktopBackend failing{"failing", Any, Connects, Fails, NoClear};
    const DesktopBackend unfit{"unfit", Never, Connects, Shows, NoClear};
    const DesktopBackend serving{"serving", Any, Connects, Shows, NoClear};
    const DesktopBackend* list[4] = {&declining, &failing, &unfit, &serving};
    const Environment environment{{"DISPLAY", ":0"}, {"XDG_CURRENT_DESKTOP", "Test"}};
    std::string why;
};

}  // namespace

TEST_F(HandOver, ADecliningOrFailingBackendHandsOverToTheNextThatFits) {
    const DesktopBackend* served = Serve(CandidateBackends(environment, list, why));
    EXPECT_EQ(served == nullptr ? "none" : served->name, "serving");
    EXPECT_EQ(gCalls, "connect-refused connect fail connect show ");
}

TEST_F(HandOver, WhenNoneServesTheReasonNamesEachRowsAndTheWayToChoose) {
    EXPECT_EQ(Serve({&declining, &failing}), nullptr);
    EXPECT_EQ(why, "デスクトップ「Test」では、どの方法でもできませんでした。\ndeclining：not here\nfailing：refused the "
                   "picture\n方法を自分で選ぶには、SARVO_DESKTOP_BACKEND に次のどれかを設定してください：declining, "
                   "failing, unfit, serving（例：SARVO_DESKTOP_BACKEND=x11）");
}

// sway expands a path as a shell word: every byte but letters, digits and "/ . - _" escaped.
TEST(SwayQuoting, EveryByteButLettersDigitsAndPathPunctuationIsEscaped) {
    for (const auto& [path, quoted] : {std::pair{"/Az09/a-b_c.png", "\"/Az09/a-b_c.png\""},
                                       {"a \"b\" 'c' \\d $H `e`", R"("a\ \"b\"\ \'c\'\ \\d\ \$H\ \`e\`")"},
                                       {"(o) & {x}; <y> |*?[~#", R"("\(o\)\ \&\ \{x\}\;\ \<y\>\ \|\*\?\[\~\#")"},
                                       {"写", "\"\\\xe5\\\x86\\\x99\""}, {"a\nb", ""}})
        EXPECT_EQ(SwayQuoted(path), quoted) << path;
}

TEST(SwayReply, EverySuccessMustBeTrue) {
    std::string why;
    EXPECT_TRUE(SwayReplySucceeded("[ { \"success\": true } ]", why));
    EXPECT_TRUE(SwayReplySucceeded("[{\"success\":true},{\"success\":true}]", why));
}

TEST(SwayReply, TheFirstErrorIsTold) {
    for (const auto& [reply, told] : {std::pair{"[{\"success\":true},{\"success\":false,\"parse_error\":true,"
                                                "\"error\":\"Unknown \\\"bg\\\" mode\"}]", "Unknown \"bg\" mode"},
                                      {"", "予期しない応答です："}}) {
        std::string why;
        EXPECT_FALSE(SwayReplySucceeded(reply, why)) << reply;
        EXPECT_EQ(why, told) << reply;
    }
}

TEST(PlasmaScripts, TextsAreQuotedAsJavaScriptStrings) { EXPECT_EQ(JsQuoted("a'b\"c\\d\n写"), "'a\\'b\\\"c\\\\d\\x0a写'"); }

// Plasma's image plugin tiles up to 6.5; a version it does not tell is taken to have none.
TEST(PlasmaScripts, TheImagePluginTilesUpToVersion6Point5) {
    for (const auto& [version, tiles] : {std::pair{"5.27.5", true}, {"6.5.90", true}, {"6.6.0", false}, {"6.10", false},
                                         {"7.0", false}, {"", false}, {"6", false}, {"-5.1", false}, {"5.-1", false}})
        EXPECT_EQ(PlasmaImagePluginTiles(version), tiles) << version;
}

// Xfce names a monitor by its output without blanks; a name xfconf would refuse is none.
TEST(XfceChannel, AMonitorIsNamedByItsOutputWithoutBlanks) {
    for (const auto& [output, name] : {std::pair{"HDMI-1", "monitorHDMI-1"}, {"Builtin Display", "monitorBuiltinDisplay"},
                                       {"DP-2\t\n", "monitorDP-2"}, {"Dell U2415 (DP-1)", ""}, {" ", ""}, {"", ""}})
        EXPECT_EQ(XfceMonitorName(output), name) << output;
}

// The swaybg of a session: its display and runtime folder, not one the compositor gave a socket of its own.
TEST(Swaybg, OnlyOneOfTheSessionsDisplayAndRuntimeFolderIsOurs) {
    using namespace std::string_view_literals;
    for (const auto& [block, ours] : {std::pair{"A=1\0WAYLAND_DISPLAY=wayland-1\0XDG_RUNTIME_DIR=/run/u\0"sv, true},
                                      {"WAYLAND_DISPLAY=wayland-1\0XDG_RUNTIME_DIR=/run/u"sv, true},
                                      {"WAYLAND_DISPLAY=wayland-2\0XDG_RUNTIME_DIR=/run/u\0"sv, false},
                                      {"WAYLAND_DISPLAY=wayland-1\0XDG_RUNTIME_DIR=/run/v\0"sv, false},
                                      {"XDG_RUNTIME_DIR=/run/u\0WAYLAND_DISPLAY=wayland-1\0WAYLAND_SOCKET=19\0"sv, false},
                                      {"WAYLAND_DISPLAY=wayland-10\0XDG_RUNTIME_DIR=/run/u\0"sv, false},
                                      {"XDG_RUNTIME_DIR=/run/u\0"sv, false}})
        EXPECT_EQ(swaybg::OnDisplay(block, "wayland-1", "/run/u"), ours) << block;
}

TEST(Presenter, AFileUriEscapesEveryByteOutsideThePathAlphabet) {
    EXPECT_EQ(presenter::FileUri("/home/u/a \"b\" 'c' \\d $HOME `e` 写真.png"),
              "file:///home/u/a%20%22b%22%20%27c%27%20%5Cd%20%24HOME%20%60e%60%20%E5%86%99%E7%9C%9F.png");
}

namespace {

// Where a display name leads: the sockets, or host:port, or "-".
std::string AddressOf(std::string_view name) {
    x11::DisplayAddress address;
    if (!x11::ParseDisplayName(name, address)) return "-";
    std::string text;
    for (const std::string& socket : address.sockets) text += socket + " ";
    return text + address.host + ":" + std::to_string(address.port);
}

}  // namespace

// The X server is asked first where Xlib would go: the abstract socket, then the file; or the host's port.
TEST(DesktopWaits, TheXServerIsAskedWhereXlibGoes) {
    const std::pair<const char*, const char*> names[] = {
        {":0", "@/tmp/.X11-unix/X0 /tmp/.X11-unix/X0 :0"}, {"unix:12.1", "@/tmp/.X11-unix/X12 /tmp/.X11-unix/X12 :0"},
        {"localhost:10.0", "localhost:6010"}, {"tcp/example.org:2", "example.org:6002"},
        {":sarvo-none", "-"}, {"/tmp/launch-x/org.x:0", "-"}, {"node::0", "-"}, {"", "-"}};
    for (const auto& [name, address] : names) EXPECT_EQ(AddressOf(name), address) << name;
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
                                    {"SarvoChangerGraphic-a123456789abcdef.png", true},
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
                                    {"SarvoChangerGraphic-c.png", false},
                                    {"SarvoChangerGraphic.png", false},
                                    {"Other-0123456789abcdef.png", false}})
        EXPECT_EQ(presenter::IsHandedName("SarvoChangerGraphic", name), own) << name;
}

// A folder with the bitmap (3 x 2, six colours) the presenter hands copies of.
class HandedCopies : public ::testing::Test {
protected:
    void SetUp() override { Save(test::BitmapOf(3, 2, colours), bitmap); }
    // A copy prepared for MODE in FORMAT and taken (kept); its path.
    std::string Taken(DesktopMode mode, presenter::Format format) {
        presenter::Handed copy;
        EXPECT_TRUE(presenter::Prepare(bitmap, Placement::Centre, mode, format, copy, why)) << why;
        presenter::Keep(bitmap, copy);
        return copy.path;
    }
    test::TempDir dir;
    const std::string bitmap = (dir.path() / "SarvoChangerGraphic.bmp").string();
    const test::Colours colours{0xff0000, 0x00ff00, 0x0000ff, 0x123456, 0xffffff, 0x000001};
    presenter::Handed handed;
    std::string why;
    int width = 0;
    int height = 0;
};

TEST_F(HandedCopies, APngCopyHoldsTheBitmapsPixelsUnderANameOfThePresentersOwn) {
    ASSERT_TRUE(presenter::Prepare(bitmap, Placement::Tile, DesktopMode::Xfce, presenter::Format::Png, handed, why)) << why;
    EXPECT_TRUE(presenter::IsHandedName("SarvoChangerGraphic", fs::path(handed.path).filename().string())) << handed.path;
    EXPECT_EQ(fs::path(handed.path).extension(), ".png");
    EXPECT_EQ(handed.mode, "2");
    EXPECT_EQ(ReadPng(handed.path, width, height), colours);
    EXPECT_EQ(width, 3);
    EXPECT_EQ(height, 2);
}

TEST_F(HandedCopies, TheUninstallerFindsEveryCopy) {
    ASSERT_TRUE(presenter::Prepare(bitmap, Placement::Tile, DesktopMode::Xfce, presenter::Format::Png, handed, why)) << why;
    const std::vector<std::string> names = presenter::HandedFiles(bitmap);
    EXPECT_NE(std::find(names.begin(), names.end(), handed.path), names.end());
}

TEST_F(HandedCopies, ABitmapCopyIsALinkToTheBitmap) {
    ASSERT_TRUE(presenter::Prepare(bitmap, Placement::Centre, DesktopMode::Plasma, presenter::Format::Bitmap, handed, why));
    EXPECT_EQ(fs::path(handed.path).extension(), ".bmp");
    EXPECT_EQ(handed.mode, "6");
    EXPECT_TRUE(fs::equivalent(handed.path, bitmap));
}

// The desktop may still be reading the one before: the next one taken removes all but that.
TEST_F(HandedCopies, EachCopyTakenRemovesAllButTheOneBeforeIt) {
    const std::string first = Taken(DesktopMode::Xfce, presenter::Format::Png);
    const std::string second = Taken(DesktopMode::Sway, presenter::Format::Png);
    EXPECT_NE(second, first);
    EXPECT_TRUE(fs::exists(first));
    Taken(DesktopMode::Sway, presenter::Format::Png);
    EXPECT_FALSE(fs::exists(first));
    EXPECT_TRUE(fs::exists(second));
}

TEST_F(HandedCopies, AFileOfTheUsersUnderALikeNameStays) {
    const std::string usersOwn = (dir.path() / "SarvoChangerGraphic-mine.png").string();
    test::WriteFile(usersOwn, "not ours");
    Taken(DesktopMode::Sway, presenter::Format::Png);
    Taken(DesktopMode::Sway, presenter::Format::Png);
    presenter::RemoveHanded(bitmap);
    EXPECT_EQ(ReadFile(usersOwn), "not ours");
}

TEST_F(HandedCopies, ARefusedCopyGoesAndTheOneShownStays) {
    const std::string shown = Taken(DesktopMode::Sway, presenter::Format::Png);
    ASSERT_TRUE(presenter::Prepare(bitmap, Placement::Centre, DesktopMode::Sway, presenter::Format::Png, handed, why));
    presenter::Discard(handed);
    EXPECT_FALSE(fs::exists(handed.path));
    EXPECT_TRUE(fs::exists(shown));
}

TEST_F(HandedCopies, RemovingTheCopiesKeepsTheBitmap) {
    const std::string shown = Taken(DesktopMode::Sway, presenter::Format::Png);
    presenter::RemoveHanded(bitmap);
    EXPECT_FALSE(fs::exists(shown));
    EXPECT_TRUE(fs::exists(bitmap));
}

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

TEST_F(HandedCopies, ABrokenBitmapIsRefusedWithItsName) {
    test::WriteFile(bitmap, "BM broken");
    EXPECT_FALSE(presenter::Prepare(bitmap, Placement::Tile, DesktopMode::Xfce, presenter::Format::Png, handed, why));
    EXPECT_NE(why.find(bitmap), std::string::npos) << why;
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

// The starter keeps no child of its own: nothing is left to reap.
TEST_F(ProgramStarts, AStartedProgramIsNoChildOfTheStarter) {
    ASSERT_TRUE(platform::StartProgram(Script(dir, "quick.sh", "exit 0\n"), "", platform::WindowStyle::Normal, why)) << why;
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

TEST_F(ProgramStarts, AMissingProgramIsNamed) {
    EXPECT_FALSE(platform::StartProgram((dir.path() / "missing").string(), "", platform::WindowStyle::Normal, why));
    EXPECT_NE(why.find("missing"), std::string::npos) << why;
}

TEST_F(ProgramStarts, AWaitGivesTheExitStatusAndTheOutput) {
    ASSERT_TRUE(RunAndWait({Script(dir, "three.sh", "echo out; echo err >&2; exit 3\n"), "a b"}, 10000, result, why)) << why;
    EXPECT_EQ(result.exitStatus, 3);
    EXPECT_EQ(result.output, "out\nerr\n");
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

TEST_F(ProgramStarts, AWaitForAMissingProgramSaysItIsNotFound) {
    EXPECT_FALSE(RunAndWait({"sarvo-no-such-program"}, 1000, result, why));
    EXPECT_EQ(why, "PATH の中にプログラムが見つかりません：sarvo-no-such-program");
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

// A starter that ignored SIGCHLD has the program reaped unasked: its end is seen all the same, and
// once the process is prepared as every program starts, its status too.
TEST_F(ProgramStarts, HelpersEndAlsoUnderAnIgnoredSigchld) {
    signal(SIGCHLD, SIG_IGN);
    const std::string three = Script(dir, "three.sh", "exit 3\n");
    EXPECT_TRUE(RunAndWait({three}, 10000, result, why)) << why;
    platform::PrepareProcess();
    ASSERT_TRUE(RunAndWait({three}, 10000, result, why)) << why;
    EXPECT_EQ(result.exitStatus, 3);
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

// A folder no entry can name gets nothing at all.
TEST_F(MenuFiles, AnUnfitProgramFolderGetsNothing) {
    EXPECT_EQ(PutIntoMenu(SuiteMenuEntries("/a\xff/SarvoChanger", "/a\xff/SarvoSetTool"), why), MenuResult::Unfit);
    EXPECT_FALSE(fs::exists(apps));
    EXPECT_FALSE(fs::exists(home.path() / "icons"));
}

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

TEST_F(MenuFiles, EntriesAsTheyAreAreNotWrittenAgain) {
    ASSERT_EQ(PutIntoMenu(entries, why), MenuResult::Written) << why;
    EXPECT_EQ(PutIntoMenu(entries, why), MenuResult::Unchanged) << why;
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

// What cannot be read may be ours: it is named as left.
TEST_F(MenuFiles, AnEntryThatCannotBeReadIsNamedAsLeft) {
    fs::create_directories(changerEntry);
    RemoveFromMenu(entries, left);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_NE(left[0].find(changerEntry.string()), std::string::npos) << left[0];
}
