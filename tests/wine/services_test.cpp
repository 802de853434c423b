// The Win32 services on real files, folders and registry keys, run under
// Wine with the Japanese code page (932): texts cross the API as Shift-JIS,
// whose second bytes can equal '\'.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "ansi_win32.h"
#include "core/Search.h"
#include "files.h"
#include "folders.h"
#include "paths.h"
#include "profile.h"
#include "registry.h"
#include "support/temp_dir.h"

using namespace sarvo;
namespace fs = std::filesystem;
using sarvo::test::ReadFile;
using sarvo::test::TempDir;
using sarvo::test::WriteFile;

namespace {

// "表" is 95 5C in Shift-JIS: its second byte is a backslash.
const std::string kHyou = "表";
const std::string kHyouSjis = "\x95\x5c";
const std::string kShashinSjis = "\x8e\xca\x90\x5e";  // 写真

fs::path Utf8Path(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::vector<std::string> NamesIn(const TempDir& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir.path())) {
        const std::u8string name = e.path().filename().u8string();
        names.emplace_back(name.begin(), name.end());
    }
    return names;
}

}  // namespace

TEST(AnsiText, TheCodePageIsJapanese) {
    ASSERT_EQ(GetACP(), 932u) << "run under LANG=ja_JP.UTF-8 with that locale generated (locale-gen)";
}

TEST(AnsiText, JapaneseCrossesAsShiftJisAndBack) {
    std::string ansi;
    ASSERT_TRUE(win32::ToAnsi("日本語テスト", ansi));
    EXPECT_EQ(ansi, "\x93\xfa\x96\x7b\x8c\xea\x83\x65\x83\x58\x83\x67");
    EXPECT_EQ(win32::FromAnsi(ansi), "日本語テスト");
    ASSERT_TRUE(win32::ToAnsi("C:\\" + kHyou + "\\a.jpg", ansi));
    EXPECT_EQ(ansi, "C:\\" + kHyouSjis + "\\a.jpg");
}

TEST(AnsiText, TextTheCodePageCannotHoldIsRefused) {
    std::string ansi;
    EXPECT_FALSE(win32::ToAnsi("사진.jpg", ansi));     // Hangul has no Shift-JIS form
    EXPECT_FALSE(win32::ToAnsi("\xff\xfe.jpg", ansi));  // not UTF-8 at all
    EXPECT_EQ(win32::ToAnsiLossy("사진.jpg"), "??.jpg");
}

TEST(AnsiText, SystemErrorTextIsTheSystemsOwnWords) {
    const std::string text = win32::SystemErrorText(ERROR_FILE_NOT_FOUND);
    EXPECT_NE(text, "error 2");
    EXPECT_FALSE(text.empty());
    EXPECT_NE(text.back(), '\n');
    EXPECT_EQ(win32::SystemErrorText(0x7fffffff), "error 2147483647");
}

class Profile : public ::testing::Test {
protected:
    TempDir dir;
    const std::string ini = dir.str() + "\\sarvoset.ini";
    const std::string kSection = "Sarvo Changer";
};

TEST_F(Profile, WritesAreCrlfShiftJisInFirstWriteOrder) {
    const std::string folder = "C:\\写真\\" + kHyou;
    ASSERT_TRUE(platform::ProfileWriteString(ini, kSection, "FolderPath", folder));
    ASSERT_TRUE(platform::ProfileWriteString(ini, kSection, "WallPaper", folder + "\\a.jpg"));
    ASSERT_TRUE(platform::ProfileWriteString(ini, kSection, "FolderPath", "D:\\x"));
    EXPECT_EQ(ReadFile(ini), "[Sarvo Changer]\r\nFolderPath=D:\\x\r\nWallPaper=C:\\" + kShashinSjis +
                                 "\\" + kHyouSjis + "\\a.jpg\r\n");
    EXPECT_EQ(platform::ProfileReadString(ini, kSection, "WallPaper", ""), folder + "\\a.jpg");
    // Nothing but the settings file is left behind by the writes.
    EXPECT_EQ(NamesIn(dir), std::vector<std::string>{"sarvoset.ini"});
}

TEST_F(Profile, NamesMatchWithoutCaseAndARewriteKeepsPlaceAndSpelling) {
    WriteFile(ini, "[sarvo changer]\r\nfolderpath=a\r\nOther=b\r\n[Mine]\r\nx=1\r\n");
    ASSERT_TRUE(platform::ProfileWriteString(ini, kSection, "FolderPath", "c"));
    ASSERT_TRUE(platform::ProfileWriteString(ini, kSection, "WallPaper", "w"));
    EXPECT_EQ(ReadFile(ini), "[sarvo changer]\r\nfolderpath=c\r\nOther=b\r\nWallPaper=w\r\n[Mine]\r\nx=1\r\n");
    EXPECT_EQ(platform::ProfileReadString(ini, "SARVO CHANGER", "FOLDERPATH", "d"), "c");
}

TEST_F(Profile, MissingFileSectionOrKeyGivesTheDefaultWithoutTrailingBlanks) {
    EXPECT_EQ(platform::ProfileReadString(ini, kSection, "FolderPath", "C:\\" + kHyou + "  "), "C:\\" + kHyou);
    WriteFile(ini, "[Other]\r\nFolderPath=x\r\n");
    EXPECT_EQ(platform::ProfileReadString(ini, kSection, "FolderPath", "d"), "d");
    EXPECT_EQ(platform::ProfileReadInt(ini, kSection, "StartUp", -7), -7);
    EXPECT_EQ(ReadFile(ini), "[Other]\r\nFolderPath=x\r\n");  // reads never write
}

TEST_F(Profile, ReadsStopAt255BytesAndNeverSplitACharacter) {
    WriteFile(ini, "[Sarvo Changer]\r\nLong=" + std::string(300, 'x') + "\r\n");
    EXPECT_EQ(platform::ProfileReadString(ini, kSection, "Long", ""), std::string(300, 'x').substr(0, 255));
    // 128 two-byte characters: the 255th byte is the first half of the last.
    std::string sjis, utf8;
    for (int i = 0; i < 128; ++i) sjis += "\x82\xa0", utf8 += "あ";
    WriteFile(ini, "[Sarvo Changer]\r\nLong=" + sjis + "\r\n");
    EXPECT_EQ(platform::ProfileReadString(ini, kSection, "Long", ""), utf8.substr(0, 127 * 3));
}

TEST_F(Profile, NumbersAreReadAsWindowsReadsThem) {
    WriteFile(ini, "[Sarvo Changer]\r\nA=-5\r\nB=0x10\r\nC=yes\r\nD=5000000000\r\nE=\r\n");
    EXPECT_EQ(platform::ProfileReadInt(ini, kSection, "A", 9), -5);
    EXPECT_EQ(platform::ProfileReadInt(ini, kSection, "B", 9), 16);
    EXPECT_EQ(platform::ProfileReadInt(ini, kSection, "C", 9), 0);
    EXPECT_EQ(platform::ProfileReadInt(ini, kSection, "D", 9), 705032704);  // wraps to 32 bits
    EXPECT_EQ(platform::ProfileReadInt(ini, kSection, "E", 9), 9);
}

TEST_F(Profile, AFileInAShiftJisFolderIsReadAndWritten) {
    const std::string folder = dir.str() + "\\" + kHyou;
    fs::create_directory(Utf8Path(folder));
    const std::string file = folder + "\\sarvoset.ini";
    ASSERT_TRUE(platform::ProfileWriteString(file, kSection, "FolderPath", folder));
    EXPECT_EQ(platform::ProfileReadString(file, kSection, "FolderPath", ""), folder);
    EXPECT_TRUE(fs::exists(Utf8Path(file)));
}

TEST_F(Profile, AWriteThatCannotBeMadeChangesNothing) {
    WriteFile(ini, "[Sarvo Changer]\r\nWallPaper=old\r\n");
    const std::string before = ReadFile(ini);
    EXPECT_FALSE(platform::ProfileWriteString(ini, kSection, "WallPaper", "a\r\nStartUp=1"));
    EXPECT_FALSE(platform::ProfileWriteString(ini, kSection, "Wall=Paper", "x"));
    EXPECT_FALSE(platform::ProfileWriteString(ini, kSection, "WallPaper", "사진"));
    EXPECT_EQ(ReadFile(ini), before);
    EXPECT_FALSE(platform::ProfileWriteString(dir.str() + "\\missing\\s.ini", kSection, "k", "v"));
    EXPECT_FALSE(fs::exists(dir.path() / "missing"));
    EXPECT_EQ(NamesIn(dir), std::vector<std::string>{"sarvoset.ini"});
}

class Registry : public ::testing::Test {
protected:
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, kRoot.c_str()); }
    const std::string kRoot = "Software\\Sarvo Backdrop Changer Tests";
    const std::string key = kRoot + "\\" + std::to_string(GetCurrentProcessId());
};

TEST_F(Registry, TextsAreStoredAsShiftJisStringsAndReadBack) {
    EXPECT_FALSE(platform::RegistryWriteString(key, "Wallpaper", "x"));  // no key yet
    ASSERT_TRUE(platform::RegistryCreateKey(key));
    const std::string path = "C:\\" + kHyou + "\\SarvoChanger.exe";
    ASSERT_TRUE(platform::RegistryWriteString(key, "SarvoChanger", path));
    std::string value;
    ASSERT_TRUE(platform::RegistryReadString(key, "sarvochanger", value));
    EXPECT_EQ(value, path);

    char raw[64] = {};
    DWORD size = sizeof raw, type = 0;
    ASSERT_EQ(RegGetValueA(HKEY_CURRENT_USER, key.c_str(), "SarvoChanger", RRF_RT_ANY, &type, raw, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(std::string(raw), "C:\\" + kHyouSjis + "\\SarvoChanger.exe");
    EXPECT_EQ(size, std::string(raw).size() + 1);  // the bytes and the closing NUL

    ASSERT_TRUE(platform::RegistryWriteString(key, "Empty", ""));
    ASSERT_TRUE(platform::RegistryReadString(key, "Empty", value));
    EXPECT_EQ(value, "");
}

TEST_F(Registry, MissingValuesAndValuesTooLongReadAsNothing) {
    ASSERT_TRUE(platform::RegistryCreateKey(key));
    std::string value = "stale";
    EXPECT_FALSE(platform::RegistryReadString(key, "Absent", value));
    EXPECT_EQ(value, "");
    EXPECT_FALSE(platform::RegistryReadString(key + "\\none", "Absent", value));
    ASSERT_TRUE(platform::RegistryWriteString(key, "Long", std::string(300, 'x')));
    EXPECT_FALSE(platform::RegistryReadString(key, "Long", value));
    ASSERT_TRUE(platform::RegistryWriteString(key, "Fits", std::string(255, 'x')));
    EXPECT_TRUE(platform::RegistryReadString(key, "Fits", value));
    EXPECT_EQ(value, std::string(255, 'x'));
}

TEST_F(Registry, RemovingWhatIsNotThereSucceeds) {
    EXPECT_TRUE(platform::RegistryDeleteValue(key, "SarvoChanger"));  // no key at all
    ASSERT_TRUE(platform::RegistryCreateKey(key));
    EXPECT_TRUE(platform::RegistryCreateKey(key));  // already there
    EXPECT_TRUE(platform::RegistryDeleteValue(key, "SarvoChanger"));
    ASSERT_TRUE(platform::RegistryWriteString(key, "SarvoChanger", "x"));
    EXPECT_TRUE(platform::RegistryDeleteValue(key, "SarvoChanger"));
    std::string value;
    EXPECT_FALSE(platform::RegistryReadString(key, "SarvoChanger", value));
}

TEST(Folders, HiddenAndSystemEntriesAreLeftOut) {
    TempDir dir;
    WriteFile(dir.path() / "a.jpg", "x");
    WriteFile(dir.path() / "hidden.jpg", "x");
    WriteFile(dir.path() / "system.jpg", "x");
    fs::create_directory(dir.path() / "sub");
    fs::create_directory(dir.path() / "hiddensub");
    fs::create_directory(Utf8Path(dir.str() + "\\" + kHyou));
    SetFileAttributesA((dir.str() + "\\hidden.jpg").c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesA((dir.str() + "\\system.jpg").c_str(), FILE_ATTRIBUTE_SYSTEM);
    SetFileAttributesA((dir.str() + "\\hiddensub").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY);

    platform::FolderListing listing;
    ASSERT_TRUE(platform::ListFolder(dir.str(), listing));
    std::vector<std::pair<std::string, bool>> entries;
    for (const auto& e : listing.entries) entries.emplace_back(e.name, e.isFolder);
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::pair<std::string, bool>>{{"a.jpg", false}, {"sub", true}, {kHyou, true}}));

    // The same listing with a trailing separator, and the same identity.
    platform::FolderListing again;
    ASSERT_TRUE(platform::ListFolder(dir.str() + "\\", again));
    EXPECT_EQ(again.entries.size(), listing.entries.size());
    EXPECT_EQ(again.identity, listing.identity);
}

TEST(Folders, AFolderWhoseNameEndsInABackslashByteIsListed) {
    TempDir dir;
    const std::string folder = dir.str() + "\\" + kHyou;  // ends in the byte 5C in Shift-JIS
    fs::create_directory(Utf8Path(folder));
    WriteFile(Utf8Path(folder + "\\in.jpg"), "x");
    EXPECT_TRUE(platform::FolderExists(folder));
    platform::FolderListing listing;
    ASSERT_TRUE(platform::ListFolder(folder, listing));
    ASSERT_EQ(listing.entries.size(), 1u);
    EXPECT_EQ(listing.entries[0].name, "in.jpg");

    FolderWalk walk;
    std::string root = dir.str();
    walk.folders.push_back(root);
    SearchFolders(root, walk);
    std::vector<std::string> files;
    SearchFiles(walk, files);
    EXPECT_EQ(files, std::vector<std::string>{folder + "\\in.jpg"});
}

TEST(Folders, DistinctFoldersHaveDistinctIdentities) {
    TempDir dir;
    fs::create_directory(dir.path() / "a");
    fs::create_directory(dir.path() / "b");
    platform::FolderListing a, b;
    ASSERT_TRUE(platform::ListFolder(dir.str() + "\\a", a));
    ASSERT_TRUE(platform::ListFolder(dir.str() + "\\b", b));
    EXPECT_NE(a.identity, b.identity);
}

TEST(Folders, MissingFoldersAndFilesAreNoFolders) {
    TempDir dir;
    WriteFile(dir.path() / "file.jpg", "x");
    platform::FolderListing listing;
    EXPECT_FALSE(platform::ListFolder(dir.str() + "\\missing", listing));
    EXPECT_TRUE(listing.entries.empty());
    EXPECT_FALSE(platform::FolderExists(dir.str() + "\\missing"));
    EXPECT_FALSE(platform::FolderExists(dir.str() + "\\file.jpg"));
    EXPECT_TRUE(platform::FolderExists(dir.str()));
    EXPECT_TRUE(platform::FolderExists(dir.str() + "\\"));
}

TEST(Files, ReplacingWritesTheWholeFileAndLeavesNothingElse) {
    TempDir dir;
    const std::string file = dir.str() + "\\" + kHyou + ".bmp";
    std::string why;
    ASSERT_TRUE(platform::WriteFileReplacing(file, "first", 5, why)) << why;
    ASSERT_TRUE(platform::WriteFileReplacing(file, "2nd", 3, why)) << why;
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(platform::ReadWholeFile(file, bytes, 100, why)) << why;
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "2nd");
    EXPECT_EQ(NamesIn(dir), std::vector<std::string>{kHyou + ".bmp"});
}

TEST(Files, AFailedReplaceSaysWhyAndKeepsWhatWasThere) {
    TempDir dir;
    const std::string folder = dir.str() + "\\SarvoChangerGraphic.bmp";
    fs::create_directory(folder);
    WriteFile(fs::path(folder) / "keep", "k");
    std::string why;
    EXPECT_FALSE(platform::WriteFileReplacing(folder, "x", 1, why));
    EXPECT_NE(why.find(folder), std::string::npos) << why;
    EXPECT_EQ(ReadFile(fs::path(folder) / "keep"), "k");
    EXPECT_EQ(NamesIn(dir), std::vector<std::string>{"SarvoChangerGraphic.bmp"});

    why.clear();
    EXPECT_FALSE(platform::WriteFileReplacing(dir.str() + "\\missing\\x.bmp", "x", 1, why));
    EXPECT_FALSE(why.empty());
}

TEST(Files, ReadingRefusesMissingAndOversizedFiles) {
    TempDir dir;
    WriteFile(dir.path() / "ten", std::string(10, 'x'));
    std::vector<unsigned char> bytes;
    std::string why;
    EXPECT_FALSE(platform::ReadWholeFile(dir.str() + "\\ten", bytes, 9, why));
    EXPECT_TRUE(bytes.empty());
    EXPECT_NE(why.find("too large"), std::string::npos) << why;
    EXPECT_TRUE(platform::ReadWholeFile(dir.str() + "\\ten", bytes, 10, why));
    EXPECT_EQ(bytes.size(), 10u);
    why.clear();
    EXPECT_FALSE(platform::ReadWholeFile(dir.str() + "\\missing", bytes, 10, why));
    EXPECT_NE(why, "");
}

TEST(WindowsFolder, IsAFolderTheUserCanWriteTheBitmapTo) {
    const std::string folder = platform::WindowsFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), '\\');
    EXPECT_TRUE(platform::FolderExists(folder));
    const std::string probe = folder + "\\sarvo-test-" + std::to_string(GetCurrentProcessId()) + ".bmp";
    std::string why;
    ASSERT_TRUE(platform::WriteFileReplacing(probe, "x", 1, why)) << why;
    DeleteFileA(probe.c_str());
    EXPECT_EQ(platform::WindowsFolder(), folder);  // the same answer every time
}
