// The Linux services behind the seam on real files; the walk over hidden names, links, loops, pipes, closed folders.
#include <gtest/gtest.h>
#include <atomic>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "catalogue_support.h"
#include "changer/Form1.h"
#include "core/modules/iniRead.h"
#include "core/modules/iniWrite.h"
#include "platform/fake/desktop_fake.h"
#include "platform/fake/ui_scripted.h"
#include "platform/files.h"
#include "platform/program.h"
#include "platform/registry.h"
#include "io_linux.h"
#include "xdg_linux.h"

using namespace sarvo;
using namespace sarvo::test;
namespace fs = std::filesystem;

// Points the user's XDG folders into a temporary folder for one test.
class PrivateXdg : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("XDG_DATA_HOME", (home.path() / "data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home.path() / "config").c_str(), 1);
    }
    TempDir home;
    const std::string desktop = "Control Panel\\Desktop";
    const std::string run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    const fs::path autostart = home.path() / "config" / "autostart";
    const std::string program = "/opt/my \"sarvo\" $HOME 50%/SarvoChanger";
    std::string value;
};

TEST(XdgFolders, AnUnsetEmptyOrRelativeValueFallsBackToTheHomeFolder) {
    using platform::linux_xdg::ResolveBaseDir;
    for (const char* value : {static_cast<const char*>(nullptr), "", "rel/dir"})
        EXPECT_EQ(ResolveBaseDir(value, "/home/u", ".config"), "/home/u/.config");
}

TEST_F(PrivateXdg, TheBitmapFolderIsTheUsersAlone) {
    const std::string bitmaps = platform::WindowsFolder();
    EXPECT_EQ(bitmaps, (home.path() / "data" / "sarvo-backdrop-changer").string());
    EXPECT_EQ(fs::status(bitmaps).permissions() & fs::perms::all, fs::perms::owner_all);
}

// Until it is written, the placement reads as a new profile's, centred, and the wallpaper as none.
TEST_F(PrivateXdg, TheStoreReadsAsANewProfileUntilWritten) {
    for (const char* name : {"TileWallpaper", "wallpaperstyle"}) {
        ASSERT_TRUE(platform::RegistryReadString(desktop, name, value)) << name;
        EXPECT_EQ(value, "0") << name;
    }
    EXPECT_FALSE(platform::RegistryReadString(desktop, "Wallpaper", value));
}

// The log-on list is the autostart folder, one entry file per value.
TEST_F(PrivateXdg, ALogOnValueIsAnAutostartEntry) {
    ASSERT_TRUE(platform::RegistryCreateKey(run));
    EXPECT_FALSE(platform::RegistryReadString(run, "SarvoChanger", value));
    ASSERT_TRUE(platform::RegistryWriteString(run, "SarvoChanger", program));
    EXPECT_TRUE(fs::is_regular_file(autostart / "SarvoChanger.desktop"));
    ASSERT_TRUE(platform::RegistryReadString(run, "sarvochanger", value));
    EXPECT_EQ(value, program);
    ASSERT_TRUE(platform::RegistryDeleteValue(run, "SARVOCHANGER"));
    EXPECT_FALSE(fs::exists(autostart / "SarvoChanger.desktop"));
    EXPECT_TRUE(platform::RegistryDeleteValue(run, "SarvoChanger"));
}

// A folder test that cannot tell (a parent not searchable) is no verdict: the walk finds nothing.
TEST(FolderTest, WhenItCannotTellTheRunGoesOn) {
    TempDir dir;
    const fs::path locked = dir.path() / "locked";
    fs::create_directories(locked / "pictures");
    fs::permissions(locked, fs::perms::none);
    fs::permissions(dir.path(), fs::perms::all);  // the unprivileged run writes its files here
    const std::string pictures = (locked / "pictures").string();
    // Run in a child turned "nobody" when the test runs as root: each fact is checked in a run of its own.
    const auto load = [&] {
        setenv("XDG_DATA_HOME", (dir.path() / "data").c_str(), 1);
        fake::ResetDesktop();
        fake::ResetScriptedUi();
        IniWriteString(dir.str() + "/sarvoset.ini", "Sarvo Changer", "FolderPath", pictures);
        changer::Form1 form(dir.str(), "");
        return form.Form_Load();
    };
    const auto& shown = fake::ScriptedUi().shown;
    EXPECT_TRUE(RunWithoutPrivileges([&] { return platform::ProbeFolder(pictures) == platform::FolderState::CannotTell; }));
    EXPECT_TRUE(RunWithoutPrivileges([&] { return load() == changer::RunEnd::StoppedWithMessage; }));
    EXPECT_TRUE(RunWithoutPrivileges([&] {
        load();
        return shown.size() == 1;
    })) << "one box";
    EXPECT_TRUE(RunWithoutPrivileges([&] {
        load();
        return shown.at(0).text.rfind("指定したフォルダに画像がありません。", 0) == 0;
    })) << "the box says the folder holds no picture";
}

// A killed writer's temporary file (marked, unlocked) goes at the next write however young; a live
// writer's (locked) stays, and so does every file without the mark, however old and however named.
TEST(Files, ReplacingClearsKilledWritersLeftoversOnly) {
    TempDir dir;
    const std::string path = (dir.path() / "sarvoset.ini").string();
    const fs::path dead = dir.path() / ".sarvo-tmp-a1B2c3";
    const fs::path alive = dir.path() / ".sarvo-tmp-Zz9Yy8";
    for (const fs::path& p : {dead, alive}) WriteFile(p, "partial");
    const std::string users[] = {path + ".backup", path + ".240501", path + ".old", (dir.path() / ".directory").string()};
    for (const fs::path p : users) {
        WriteFile(p, "mine");
        fs::last_write_time(p, fs::file_time_type::clock::now() - std::chrono::minutes(5));
    }
    const int held = open(alive.c_str(), O_RDONLY);
    ASSERT_EQ(flock(held, LOCK_EX), 0);
    std::string why;
    ASSERT_TRUE(platform::WriteFileReplacing(path, "first", 5, why)) << why;
    close(held);
    EXPECT_FALSE(fs::exists(dead));
    EXPECT_TRUE(fs::exists(alive));
    for (const std::string& user : users) EXPECT_EQ(ReadFile(user), "mine") << user;
}

// A new file takes the umask's mode; a replaced one keeps its own.
TEST(Files, ANewFileFollowsTheUmaskAndAReplacedOneKeepsItsMode) {
    TempDir dir;
    const std::string path = (dir.path() / "sarvoset.ini").string();
    std::string why;
    const mode_t saved = umask(027);
    ASSERT_TRUE(platform::WriteFileReplacing(path, "first", 5, why)) << why;
    umask(saved);
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_TRUE(platform::WriteFileReplacing(path, "second", 6, why)) << why;
    EXPECT_EQ(ReadFile(path), "second");
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
}

// A read-only file is kept, also for root.
TEST(Files, AReadOnlyFileIsNotReplaced) {
    TempDir dir;
    const std::string path = (dir.path() / "sarvoset.ini").string();
    WriteFile(path, "kept");
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read);
    std::string why;
    EXPECT_FALSE(platform::WriteFileReplacing(path, "third", 5, why));
    EXPECT_EQ(why, "読み取り専用のファイルです：" + path);
    EXPECT_EQ(ReadFile(path), "kept");
}

TEST(Files, ALinkIsKeptAndTheFileItNamesReplaced) {
    TempDir dir;
    const fs::path real = dir.path() / "real.ini", link = dir.path() / "link.ini";
    fs::create_symlink("real.ini", link);
    std::string why;
    ASSERT_TRUE(platform::WriteFileReplacing(link.string(), "via link", 8, why)) << why;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadFile(real), "via link");
}

// Reading one could block forever.
TEST(Files, APipeIsNeitherReadNorReplaced) {
    TempDir dir;
    const std::string pipe = (dir.path() / "p").string();
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    std::vector<unsigned char> bytes;
    std::string why;
    EXPECT_FALSE(platform::ReadWholeFile(pipe, bytes, 100, why));
    EXPECT_FALSE(platform::WriteFileReplacing(pipe, "x", 1, why));
}

TEST(SettingsFileLinux, AFileThatCannotBeReadIsKept) {
    TempDir dir;
    const std::string ini = (dir.path() / "sarvoset.ini").string();
    WriteFile(ini, "[Sarvo Changer]\nFolderPath=/pics\n");
    fs::permissions(ini, fs::perms::owner_write | fs::perms::others_write);
    fs::permissions(dir.path(), fs::perms::all);
    EXPECT_TRUE(RunWithoutPrivileges([&] { return !IniWriteString(ini, "Sarvo Changer", "WallPaper", "/a.jpg"); }));
    EXPECT_EQ(ReadFile(ini), "[Sarvo Changer]\nFolderPath=/pics\n");
}

TEST(SettingsFileLinux, AHiddenFileIsNone) {
    TempDir dir;
    WriteFile(dir.path() / ".hidden.jpg", "x");
    EXPECT_FALSE(platform::OrdinaryFileExists((dir.path() / ".hidden.jpg").string()));
}

// A file we may write in a folder we may not is written in place.
TEST(SettingsFileLinux, AFileInAClosedFolderIsWrittenInPlace) {
    TempDir dir;
    const fs::path folder = dir.path() / "locked";
    const std::string path = (folder / "sarvoset.ini").string();
    WriteFile(path, "old, longer content");
    fs::permissions(path, fs::perms::all);
    fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::others_exec | fs::perms::group_exec);
    fs::permissions(folder, fs::perms::owner_all | fs::perms::others_exec | fs::perms::others_read);
    std::string why;
    EXPECT_TRUE(RunWithoutPrivileges([&] { return platform::WriteFileReplacing(path, "new", 3, why); }));
    EXPECT_EQ(ReadFile(path), "new");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

// A relative picture path reaches the settings tool quoted and absolute; what names no file stays.
TEST(ArgumentText, AnExistingFileBecomesAQuotedAbsolutePath) {
    TempDir dir;
    WriteFile(dir.path() / "写真 $x.jpg", "x");
    const fs::path cwd = fs::current_path();
    fs::current_path(dir.path());
    std::string prog = "SarvoChanger", a1 = "./写真 $x.jpg", a2 = "/nokey", a3 = "missing.jpg";
    char* argv[] = {prog.data(), a1.data(), a2.data(), a3.data(), nullptr};
    EXPECT_EQ(platform::ArgumentText(4, argv), "\"" + fs::current_path().string() + "/写真 $x.jpg\" /nokey missing.jpg");
    EXPECT_EQ(platform::ArgumentText(1, argv), "");
    fs::current_path(cwd);
}

// A move to another file system copies beside the target, then removes the source; never replaces.
TEST(Moves, AcrossFileSystemsAMoveNeverReplacesAndLeavesNoTemporaryFile) {
    if (!fs::is_directory("/dev/shm")) GTEST_SKIP() << "no second file system (/dev/shm) here";
    TempDir disk;
    const fs::path memory = fs::path("/dev/shm") / ("sarvo-move-" + std::to_string(getpid()));
    const std::string source = (disk.path() / "p.jpg").string();
    platform::FileError error;
    WriteFile(source, "picture");
    WriteFile(memory / "taken.jpg", "other");
    WriteFile(memory / ".sarvo-tmp-a1B2c3", "the copy of a move that was killed");
    EXPECT_EQ(platform::MoveFileNoReplace(source, (memory / "taken.jpg").string(), error), platform::MoveResult::TargetExists);
    EXPECT_EQ(platform::MoveFileNoReplace(source, (memory / "p.jpg").string(), error), platform::MoveResult::Moved) << error.description;
    EXPECT_EQ(ReadFile(memory / "p.jpg"), "picture");
    EXPECT_EQ(ReadFile(memory / "taken.jpg"), "other");
    EXPECT_FALSE(fs::exists(source));
    EXPECT_EQ(std::distance(fs::directory_iterator(memory), fs::directory_iterator()), 2) << "a temporary file is left";
    fs::remove_all(memory);
}

// A wait for a folder another process keeps locked ends in time and says why; the lock goes with its holder.
TEST(FolderLock, AWaitForAFolderAnotherProcessHoldsIsBoundedAndTheLockGoesWithItsHolder) {
    TempDir dir;
    using platform::linux_io::FolderLock;
    int held[2], release[2];
    ASSERT_EQ(pipe(held), 0);
    ASSERT_EQ(pipe(release), 0);
    const pid_t holder = fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        FolderLock lock;
        std::string why;
        const bool ok = lock.Acquire(dir.str(), std::chrono::milliseconds(0), why) == FolderLock::Outcome::Held;
        char byte = ok ? 'y' : 'n';
        (void)!write(held[1], &byte, 1);
        (void)!read(release[0], &byte, 1);
        _exit(0);
    }
    char answer = 0;
    ASSERT_EQ(read(held[0], &answer, 1), 1);
    ASSERT_EQ(answer, 'y');
    FolderLock waiter, next;
    std::string why;
    EXPECT_EQ(waiter.Acquire(dir.str(), std::chrono::milliseconds(50), why), FolderLock::Outcome::Busy);
    EXPECT_EQ(why, "ほかの実行がフォルダを50ミリ秒のあいだロックしたままでした：" + dir.str());
    ASSERT_EQ(write(release[1], "x", 1), 1);
    int status = 0;
    ASSERT_EQ(waitpid(holder, &status, 0), holder);
    EXPECT_EQ(next.Acquire(dir.str(), std::chrono::milliseconds(0), why), FolderLock::Outcome::Held) << why;
    for (const int fd : {held[0], held[1], release[0], release[1]}) close(fd);
}

// Within one process the lock is shared: a second holder of the same folder never waits for the first.
TEST(FolderLock, ASecondHolderInTheSameProcessSharesTheLock) {
    TempDir dir;
    using platform::linux_io::FolderLock;
    FolderLock first, second;
    std::string why;
    ASSERT_EQ(first.Acquire(dir.str(), std::chrono::milliseconds(0), why), FolderLock::Outcome::Held);
    EXPECT_EQ(second.Acquire(dir.str(), std::chrono::milliseconds(0), why), FolderLock::Outcome::Held) << why;
}

// Writes 60 names in a child and here at once; how many `read` misses afterwards.
int Lost(const std::function<bool(const std::string&)>& write, const std::function<bool(const std::string&)>& read) {
    const pid_t child = fork();
    if (child < 0) return -1;
    bool ok = true;
    for (int i = 0; i < 60; ++i) ok = write((child == 0 ? "child" : "parent") + std::to_string(i)) && ok;
    if (child == 0) _exit(ok ? 0 : 1);
    int status = 0, lost = 0;
    if (waitpid(child, &status, 0) != child || !ok || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
    for (const std::string who : {"child", "parent"})
        for (int i = 0; i < 60; ++i) lost += !read(who + std::to_string(i));
    return lost;
}

// Two programs changing different values of the settings file or the store at once: none is lost.
TEST_F(PrivateXdg, TwoWritersAtOnceLoseNoChange) {
    const std::string ini = (home.path() / "sarvoset.ini").string();
    EXPECT_EQ(Lost([&](const std::string& name) { return IniWriteString(ini, "Sarvo Changer", name, "x"); },
                   [&](const std::string& name) { return IniReadString(ini, "Sarvo Changer", name, "") == "x"; }),
              0) << "in the settings file";
    EXPECT_EQ(Lost([&](const std::string& name) { return platform::RegistryWriteString(desktop, name, "x"); },
                   [&](const std::string& name) { return platform::RegistryReadString(desktop, name, value) && value == "x"; }),
              0) << "in the registry store";
}

TEST(CatalogueLinux, HiddenEntriesLineBreaksAndPipesAreLeftOutLinksFollowedAndLoopsEnteredOnce) {
    TempDir dir, other;
    const std::string r = dir.str();
    for (const char* name : {".hidden.jpg", ".cache/in.jpg", "A/a.jpg", "elsewhere/e.jpg", "line\nbreak.jpg",
                             "line\rbreak/in.jpg"})
        WriteFile(dir.path() / name, "x");
    WriteFile(other.path() / "deep" / "o.gif", "x");
    fs::create_directory_symlink(dir.path(), dir.path() / "A" / "back-to-root");
    fs::create_directory_symlink(dir.path() / "A", dir.path() / "A" / "self");
    fs::create_directory_symlink(other.path(), dir.path() / "more");           // a folder outside the tree
    fs::create_symlink(dir.path() / "A" / "a.jpg", dir.path() / "link.jpg");  // a link to a picture is a picture
    fs::create_symlink(dir.path() / "nowhere.jpg", dir.path() / "dangling.jpg");
    ASSERT_EQ(mkfifo((dir.path() / "pipe.jpg").c_str(), 0600), 0);  // reading one could block forever
    const auto got = Walk(r);
    // Every real folder once, whatever the listing order.
    EXPECT_EQ(Sorted(got.folders), Sorted({r, r + "/A", r + "/elsewhere", r + "/more", r + "/more/deep"}));
    EXPECT_EQ(Sorted(got.files),
              Sorted({r + "/A/a.jpg", r + "/elsewhere/e.jpg", r + "/link.jpg", r + "/more/deep/o.gif"}));
}

// Armed with a size, an allocation of exactly that many bytes fails, as it would with no memory left.
static std::atomic<std::size_t> failingSize{0};

// A listing of a sub-folder that runs out of memory ends the walk with the failure, never with part of the tree.
TEST(CatalogueLinux, AListingThatRunsOutOfMemoryEndsTheWalkWithTheFailure) {
    TempDir dir;
    const std::string name = std::string(200, 'n') + ".jpg";  // its copy in the listing takes 205 bytes
    WriteFile(dir.path() / "sub" / name, "x");
    failingSize = name.size() + 1;
    EXPECT_THROW(Walk(dir.str()), std::bad_alloc);
    failingSize = 0;
}

// A user at their limit of processes gets no thread for the walk: this one lists the whole tree.
TEST(CatalogueLinux, AWalkWithoutThreadsToSpareListsTheWholeTree) {
    TempDir dir;
    WriteFile(dir.path() / "a" / "1.jpg", "x");
    WriteFile(dir.path() / "a" / "b" / "2.jpg", "x");
    const auto readable = fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec;
    for (const fs::path& folder : {dir.path(), dir.path() / "a", dir.path() / "a" / "b"})
        fs::permissions(folder, readable);
    const std::vector<std::string> expected{dir.str() + "/a/1.jpg", dir.str() + "/a/b/2.jpg"};
    EXPECT_TRUE(RunWithoutPrivileges([&] {
        rlimit saved{};
        getrlimit(RLIMIT_NPROC, &saved);
        const rlimit none{1, saved.rlim_max};
        setrlimit(RLIMIT_NPROC, &none);
        const bool whole = Walk(dir.str()).files == expected;
        setrlimit(RLIMIT_NPROC, &saved);
        return whole;
    }));
}

TEST(CatalogueLinux, AFolderThatCannotBeReadIsSkipped) {
    TempDir dir;
    WriteFile(dir.path() / "locked" / "l.jpg", "x");
    WriteFile(dir.path() / "open" / "o.jpg", "x");
    const auto readable = fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec;
    fs::permissions(dir.path(), readable);
    fs::permissions(dir.path() / "open", readable);
    fs::permissions(dir.path() / "locked", fs::perms::none);
    const std::vector<std::string> expected{dir.str() + "/open/o.jpg"};
    EXPECT_TRUE(RunWithoutPrivileges([&] { return Walk(dir.str()).files == expected; }));
}

// The allocator of this test program: malloc, but for the size a test arms.
void* operator new(std::size_t size) {
    if (size != 0 && size == failingSize.load()) throw std::bad_alloc();
    if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
    throw std::bad_alloc();
}
// Its blocks are malloc's, so free is their match, whatever the compiler assumes of operator new's.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
#pragma GCC diagnostic pop
