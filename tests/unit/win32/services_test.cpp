// The Win32 services on real files and folders under code page 932: texts
// cross the API as Shift-JIS, whose second bytes can equal '\'.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "core/modules/Search.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/profile.h"
#include "support/temp_dir.h"

using namespace sarvo;
namespace fs = std::filesystem;
using sarvo::test::ReadFile;
using sarvo::test::TempDir;
using sarvo::test::WriteFile;

namespace {

const std::string kHyou = "表";  // in Shift-JIS its second byte is a backslash
const std::string kSection = "Sarvo Changer";

fs::path Utf8Path(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }
auto Entries(const fs::path& dir) { return std::distance(fs::directory_iterator(dir), fs::directory_iterator()); }

// A settings file in a folder whose Shift-JIS name ends in the byte '\'.
class ProfileFile : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directory(Utf8Path(folder)); }
    TempDir dir;
    const std::string folder = dir.str() + "\\" + kHyou;
    const std::string ini = folder + "\\sarvoset.ini";
};

}  // namespace

TEST_F(ProfileFile, RefusesAValueTheCodePageCannotHold) {  // it would be written as "?"
    EXPECT_FALSE(platform::ProfileWriteString(ini, kSection, "WallPaper", "사진"));
}

// A read-only settings file or bitmap stays as it is, with no copy left beside it.
TEST(ReadOnlyFiles, AreKeptAsTheyAre) {
    TempDir dir;
    const std::string ini = dir.str() + "\\sarvoset.ini";
    const std::string bmp = dir.str() + "\\SarvoChangerGraphic.bmp";
    WriteFile(ini, "[Sarvo Changer]\r\nFolderPath=C:\\a\r\n");
    WriteFile(bmp, "old");
    for (const std::string& file : {ini, bmp}) ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));
    std::string why;
    EXPECT_FALSE(platform::ProfileWriteString(ini, kSection, "FolderPath", "C:\\b"));
    EXPECT_FALSE(platform::WriteFileReplacing(bmp, "new", 3, why));
    EXPECT_EQ(ReadFile(ini), "[Sarvo Changer]\r\nFolderPath=C:\\a\r\n");
    EXPECT_EQ(ReadFile(bmp), "old");
    EXPECT_EQ(Entries(dir.path()), 2);
    for (const std::string& file : {ini, bmp}) SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// The temporary file of a writer that has ended goes at the next write however young; a running writer's
// stays, and so does another program's "sbc1A2B.tmp" however old.
TEST(ReplacedFiles, OnlyLeftoversOfEndedWritersGo) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string commandLine = "\"" + std::string(self) + "\" --gtest_filter=-*";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION ended{};  // its id stays its own while the handle is held
    ASSERT_TRUE(CreateProcessA(self, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &ended));
    ASSERT_EQ(WaitForSingleObject(ended.hProcess, 60000), WAIT_OBJECT_0);
    TempDir dir;
    const fs::path foreign = dir.path() / "sbc1A2B.tmp";
    const fs::path dead = dir.path() / (".sarvo-tmp-" + std::to_string(ended.dwProcessId) + "-1");
    const fs::path alive = dir.path() / (".sarvo-tmp-" + std::to_string(GetCurrentProcessId()) + "-999");
    for (const fs::path& file : {foreign, dead, alive}) WriteFile(file, "partial");
    fs::last_write_time(foreign, fs::last_write_time(foreign) - std::chrono::minutes(5));
    ASSERT_TRUE(platform::ProfileWriteString(dir.str() + "\\sarvoset.ini", kSection, "FolderPath", "C:\\c"));
    CloseHandle(ended.hProcess);
    CloseHandle(ended.hThread);
    EXPECT_FALSE(fs::exists(dead));
    EXPECT_TRUE(fs::exists(alive));
    EXPECT_EQ(ReadFile(foreign), "partial");
}

TEST(ProbeFolder, AFolderEndingInABackslashByteExists) {
    TempDir dir;
    fs::create_directory(Utf8Path(dir.str() + "\\" + kHyou));
    EXPECT_EQ(platform::ProbeFolder(dir.str() + "\\" + kHyou), platform::FolderState::Exists);
}

TEST(Catalogue, WalksIntoAFolderEndingInABackslashByte) {
    TempDir dir;
    WriteFile(Utf8Path(dir.str() + "\\" + kHyou + "\\in.jpg"), "x");
    std::string root = dir.str();
    FolderWalk walk;
    walk.folders.push_back(root);
    SearchFolders(root, walk, PictureFormats::Classic);
    std::vector<std::string> files;
    SearchFiles(walk, files);
    EXPECT_EQ(files, std::vector<std::string>{dir.str() + "\\" + kHyou + "\\in.jpg"});
}

// Across file systems (Z: to the host's tmpfs) a move is a copy: no copy is left behind, read-only or not.
class MoveAcross : public ::testing::Test {
protected:
    void SetUp() override {
        if (!CreateDirectoryA(other.c_str(), nullptr)) GTEST_SKIP() << "no second file system at /dev/shm";
    }
    void TearDown() override { fs::remove_all(other); }
    platform::MoveResult Move(const std::string& from, const std::string& to) {
        platform::FileError error;
        const platform::MoveResult result = platform::MoveFileNoReplace(other + "\\" + from, dir.str() + "\\" + to, error);
        EXPECT_EQ(error.description, "");
        return result;
    }
    const std::string other = "Z:\\dev\\shm\\sarvo-move-" + std::to_string(GetCurrentProcessId());
    TempDir dir;
};

TEST_F(MoveAcross, KeepsAReadOnlyFileReadOnly) {
    WriteFile(other + "\\b.jpg", "B");
    ASSERT_TRUE(SetFileAttributesA((other + "\\b.jpg").c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(Move("b.jpg", "b.jpg"), platform::MoveResult::Moved);
    EXPECT_NE(GetFileAttributesA((dir.str() + "\\b.jpg").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(Entries(other), 0);
    SetFileAttributesA((dir.str() + "\\b.jpg").c_str(), FILE_ATTRIBUTE_NORMAL);
}

