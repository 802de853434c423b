// The Win32 services on real files, folders and registry keys under code page
// 932: texts cross the API as Shift-JIS, whose second bytes can equal '\'.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "ansi_win32.h"
#include "core/modules/Search.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "support/temp_dir.h"

using namespace sarvo;
namespace fs = std::filesystem;
using sarvo::test::ReadFile;
using sarvo::test::TempDir;
using sarvo::test::WriteFile;

namespace {

const std::string kHyou = "表", kHyouSjis = "\x95\x5c" /* a backslash */, kShashinSjis = "\x8e\xca\x90\x5e", kSection = "Sarvo Changer";

fs::path Utf8Path(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }
auto Entries(const fs::path& dir) { return std::distance(fs::directory_iterator(dir), fs::directory_iterator()); }

}  // namespace

TEST(AnsiText, JapaneseCrossesAsShiftJisAndWhatTheCodePageCannotHoldIsRefused) {
    ASSERT_EQ(GetACP(), 932u) << "run under LANG=ja_JP.UTF-8 with that locale generated (locale-gen)";
    std::string ansi;
    ASSERT_TRUE(win32::ToAnsi("日本語テスト", ansi));
    EXPECT_EQ(ansi, "\x93\xfa\x96\x7b\x8c\xea\x83\x65\x83\x58\x83\x67");
    EXPECT_EQ(win32::FromAnsi(ansi), "日本語テスト");
    ASSERT_TRUE(win32::ToAnsi("C:\\" + kHyou + "\\a.jpg", ansi));
    EXPECT_EQ(ansi, "C:\\" + kHyouSjis + "\\a.jpg");
    // Hangul has no Shift-JIS form, "é" only the look-alike "e"; the last is no UTF-8.
    for (const char* refused : {"사진.jpg", "café.jpg", "\xff\xfe.jpg"}) EXPECT_FALSE(win32::ToAnsi(refused, ansi));
    EXPECT_EQ(win32::ToAnsiLossy("사진.jpg"), "??.jpg");
    const std::string text = win32::SystemErrorText(ERROR_FILE_NOT_FOUND);  // the system's words, no line end
    EXPECT_NE(text, "");
    EXPECT_NE(text, "エラー 2");
    EXPECT_NE(text.back(), '\n') << text;
    EXPECT_EQ(win32::SystemErrorText(0x7fffffff), "エラー 2147483647");
}

TEST(Profile, WritesAreShiftJisInAFolderEndingInABackslashByteAndReadsStopAt255BytesOnAWholeCharacter) {
    TempDir dir;
    const std::string folder = dir.str() + "\\" + kHyou, ini = folder + "\\sarvoset.ini";
    const std::string wallPaper = "C:\\写真\\" + kHyou + "\\a.jpg";
    fs::create_directory(Utf8Path(folder));
    ASSERT_TRUE(platform::ProfileWriteString(ini, kSection, "FolderPath", "D:\\x"));
    ASSERT_TRUE(platform::ProfileWriteString(ini, kSection, "WallPaper", wallPaper));
    EXPECT_EQ(ReadFile(Utf8Path(ini)),
              "[Sarvo Changer]\r\nFolderPath=D:\\x\r\nWallPaper=C:\\" + kShashinSjis + "\\" + kHyouSjis + "\\a.jpg\r\n");
    EXPECT_FALSE(platform::ProfileWriteString(ini, kSection, "WallPaper", "사진"));  // would be written as "?"
    EXPECT_EQ(platform::ProfileReadString(ini, kSection, "WallPaper", ""), wallPaper);
    WriteFile(Utf8Path(ini), "[Sarvo Changer]\r\nLong=" + std::string(300, 'x') + "\r\n");
    EXPECT_EQ(platform::ProfileReadString(ini, kSection, "Long", ""), std::string(255, 'x'));
    // 128 two-byte characters: the 255th byte is the first half of the last.
    std::string sjis, utf8;
    for (int i = 0; i < 128; ++i) sjis += "\x82\xa0", utf8 += "あ";
    WriteFile(Utf8Path(ini), "[Sarvo Changer]\r\nLong=" + sjis + "\r\n");
    EXPECT_EQ(platform::ProfileReadString(ini, kSection, "Long", ""), utf8.substr(0, 127 * 3));
}

// A read-only settings file or bitmap stays as it is, with no copy left beside it. The temporary file
// of a writer that has ended goes at the next write however young; a running writer's stays, and so
// does another program's "sbc1A2B.tmp" however old.
TEST(Profile, ReadOnlyFilesAreKeptAndOnlyLeftoversOfEndedWritersGo) {
    TempDir dir;
    const std::string ini = dir.str() + "\\sarvoset.ini", bmp = dir.str() + "\\SarvoChangerGraphic.bmp";
    WriteFile(ini, "[Sarvo Changer]\r\nFolderPath=C:\\a\r\n");
    WriteFile(bmp, "old");
    for (const std::string& file : {ini, bmp}) ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(platform::ProfileWriteString(ini, kSection, "FolderPath", "C:\\b"));
    std::string why;
    EXPECT_FALSE(platform::WriteFileReplacing(bmp, "new", 3, why));
    EXPECT_EQ(ReadFile(ini), "[Sarvo Changer]\r\nFolderPath=C:\\a\r\n");
    EXPECT_EQ(ReadFile(bmp), "old");
    EXPECT_EQ(Entries(dir.path()), 2);
    for (const std::string& file : {ini, bmp}) SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);

    // A process that has ended; its id stays its own while the handle is held.
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string commandLine = "\"" + std::string(self) + "\" --gtest_filter=-*";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION ended{};
    ASSERT_TRUE(CreateProcessA(self, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &ended));
    ASSERT_EQ(WaitForSingleObject(ended.hProcess, 60000), WAIT_OBJECT_0);
    const fs::path foreign = dir.path() / "sbc1A2B.tmp";
    const fs::path dead = dir.path() / (".sarvo-tmp-" + std::to_string(ended.dwProcessId) + "-1");
    const fs::path alive = dir.path() / (".sarvo-tmp-" + std::to_string(GetCurrentProcessId()) + "-999");
    for (const fs::path& file : {foreign, dead, alive}) WriteFile(file, "partial");
    fs::last_write_time(foreign, fs::last_write_time(foreign) - std::chrono::minutes(5));
    ASSERT_TRUE(platform::ProfileWriteString(ini, kSection, "FolderPath", "C:\\c"));
    CloseHandle(ended.hProcess);
    CloseHandle(ended.hThread);
    EXPECT_FALSE(fs::exists(dead));
    EXPECT_TRUE(fs::exists(alive));
    EXPECT_EQ(ReadFile(foreign), "partial");
}

// Shift-JIS strings; missing values and values too long read as nothing.
TEST(Registry, TextsAreStoredAsShiftJisStringsAndReadBack) {
    const std::string root = "Software\\Sarvo Backdrop Changer Tests", key = root + "\\" + std::to_string(GetCurrentProcessId());
    EXPECT_TRUE(platform::RegistryDeleteValue(key, "SarvoChanger"));    // no key at all
    EXPECT_FALSE(platform::RegistryWriteString(key, "Wallpaper", "x"));  // no key yet
    ASSERT_TRUE(platform::RegistryCreateKey(key));
    EXPECT_TRUE(platform::RegistryCreateKey(key));  // already there
    const std::string path = "C:\\" + kHyou + "\\SarvoChanger.exe";
    ASSERT_TRUE(platform::RegistryWriteString(key, "SarvoChanger", path));
    std::string value;
    ASSERT_TRUE(platform::RegistryReadString(key, "sarvochanger", value));
    EXPECT_EQ(value, path);
    char raw[64] = {};
    DWORD size = sizeof raw, type = 0;
    ASSERT_EQ(RegGetValueA(HKEY_CURRENT_USER, key.c_str(), "SarvoChanger", RRF_RT_ANY, &type, raw, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(std::string(raw), "C:\\" + kHyouSjis + "\\SarvoChanger.exe");
    EXPECT_EQ(size, std::string(raw).size() + 1);  // the bytes and the closing NUL
    for (const std::string& text : {std::string(), std::string(255, 'x'), std::string(300, 'x')}) {
        ASSERT_TRUE(platform::RegistryWriteString(key, "Text", text));
        value = "stale";
        EXPECT_EQ(platform::RegistryReadString(key, "Text", value), text.size() < 256) << text.size();
        EXPECT_EQ(value, text.size() < 256 ? text : "") << text.size();
    }
    EXPECT_TRUE(platform::RegistryDeleteValue(key, "SarvoChanger"));
    EXPECT_TRUE(platform::RegistryDeleteValue(key, "SarvoChanger"));
    EXPECT_FALSE(platform::RegistryReadString(key, "SarvoChanger", value));
    EXPECT_FALSE(platform::RegistryReadString(key + "\\none", "Absent", value));
    RegDeleteTreeA(HKEY_CURRENT_USER, root.c_str());
}

TEST(Folders, HiddenSystemAndUnreachableEntriesAreLeftOutAndShiftJisNamesListed) {
    TempDir dir;
    const std::string folder = dir.str() + "\\" + kHyou;  // ends in the byte 5C in Shift-JIS
    // No ANSI call reaches names the code page cannot hold, or holds as a look-alike.
    for (const char* name : {"a.jpg", "hidden.jpg", "system.jpg", "사진.jpg", "café.jpg", "表\\in.jpg"})
        WriteFile(Utf8Path(dir.str() + "\\" + name), "x");
    fs::create_directory(dir.path() / "sub");
    fs::create_directory(dir.path() / "hiddensub");
    SetFileAttributesA((dir.str() + "\\hidden.jpg").c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesA((dir.str() + "\\system.jpg").c_str(), FILE_ATTRIBUTE_SYSTEM);
    SetFileAttributesA((dir.str() + "\\hiddensub").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY);

    platform::FolderListing listing, again;
    ASSERT_TRUE(platform::ListFolder(dir.str(), listing));
    std::vector<std::pair<std::string, bool>> entries;
    for (const auto& e : listing.entries) entries.emplace_back(e.name, e.isFolder);
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::pair<std::string, bool>>{{"a.jpg", false}, {"sub", true}, {kHyou, true}}));
    ASSERT_TRUE(platform::ListFolder(dir.str() + "\\", again));  // a trailing separator: the same identity
    EXPECT_EQ(again.identity, listing.identity);
    EXPECT_EQ(platform::ProbeFolder(folder), platform::FolderState::Exists);
    EXPECT_EQ(platform::ProbeFolder("\\\\nohost\\share\\pics"), platform::FolderState::CannotTell);  // no answer
    FolderWalk walk;
    std::string root = dir.str();
    walk.folders.push_back(root);
    SearchFolders(root, walk, PictureFormats::Classic);
    std::vector<std::string> files;
    SearchFiles(walk, files);
    EXPECT_EQ(files, (std::vector<std::string>{dir.str() + "\\a.jpg", folder + "\\in.jpg"}));
}

// Across file systems (Z: to the host's tmpfs): never over a file, no copy left, read-only too.
TEST(Files, MovesAcrossFileSystemsWithoutReplacingOrLeavingCopies) {
    const std::string other = "Z:\\dev\\shm\\sarvo-move-" + std::to_string(GetCurrentProcessId());
    if (!CreateDirectoryA(other.c_str(), nullptr)) GTEST_SKIP() << "no second file system at /dev/shm";
    TempDir dir;
    using platform::MoveResult;
    platform::FileError error;
    WriteFile(other + "\\a.jpg", "A");
    WriteFile(other + "\\b.jpg", "B");
    WriteFile(dir.str() + "\\taken.jpg", "T");
    ASSERT_TRUE(SetFileAttributesA((other + "\\b.jpg").c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(platform::MoveFileNoReplace(other + "\\a.jpg", dir.str() + "\\taken.jpg", error), MoveResult::TargetExists);
    EXPECT_EQ(ReadFile(dir.str() + "\\taken.jpg"), "T");
    EXPECT_EQ(platform::MoveFileNoReplace(other + "\\a.jpg", dir.str() + "\\" + kHyou + ".jpg", error), MoveResult::Moved) << error.description;
    EXPECT_EQ(platform::MoveFileNoReplace(other + "\\b.jpg", dir.str() + "\\b.jpg", error), MoveResult::Moved) << error.description;
    EXPECT_EQ(Entries(other), 0);
    EXPECT_EQ(ReadFile(Utf8Path(dir.str() + "\\" + kHyou + ".jpg")), "A");
    EXPECT_EQ(ReadFile(dir.str() + "\\b.jpg"), "B");
    EXPECT_NE(GetFileAttributesA((dir.str() + "\\b.jpg").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(Entries(dir.path()), 3);
    SetFileAttributesA((dir.str() + "\\b.jpg").c_str(), FILE_ATTRIBUTE_NORMAL);
    fs::remove_all(other);
}
