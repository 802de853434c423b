// The settings file through the suite's own reading and writing functions,
// and the file service beneath it, the bitmap and the moved pictures, on
// real files.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/modules/iniRead.h"
#include "core/modules/iniWrite.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "support/temp_dir.h"

using namespace sarvo;
using sarvo::test::ReadFile;
using sarvo::test::TempDir;
using sarvo::test::WriteFile;

namespace {

const std::string kSection = "Sarvo Changer";

class SettingsFile : public ::testing::Test {
protected:
    std::string In(const std::string& name) const { return dir.str() + platform::kPathSeparator + name; }
    // The names in the folder, in UTF-8.
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
            const std::u8string name = e.path().filename().u8string();
            names.emplace_back(name.begin(), name.end());
        }
        return names;
    }
    TempDir dir;
    const std::string ini = In("sarvoset.ini");
};
using Files = SettingsFile;

}  // namespace

TEST_F(SettingsFile, MissingFileGivesDefaultsAndFirstWritesCreateItInTheirOrder) {
    EXPECT_EQ(IniReadString(ini, kSection, "FolderPath", "C:\\表  "), "C:\\表");  // without trailing blanks
    EXPECT_EQ(IniReadString(ini, kSection, "WallPaper", ""), "");
    EXPECT_EQ(IniReadInt(ini, kSection, "StartUp", 0), 0);
    EXPECT_FALSE(std::filesystem::exists(ini));  // reading never creates the file

    ASSERT_TRUE(IniWriteString(ini, kSection, "FolderPath", "P1"));
    ASSERT_TRUE(IniWriteString(ini, kSection, "WallPaper", "W1"));
    ASSERT_TRUE(IniWriteString(ini, kSection, "FolderPath", "P2"));
    ASSERT_TRUE(IniWriteString(ini, kSection, "StartUp", "1"));
    EXPECT_EQ(ReadFile(ini), "[Sarvo Changer]\r\nFolderPath=P2\r\nWallPaper=W1\r\nStartUp=1\r\n");
    EXPECT_EQ(IniReadString(ini, "SARVO CHANGER", "folderpath", "dflt"), "P2");
    EXPECT_EQ(IniReadInt(ini, kSection, "StartUp", 0), 1);
    EXPECT_EQ(Names(), std::vector<std::string>{"sarvoset.ini"});  // nothing but the file is left
}

TEST_F(SettingsFile, ARewriteKeepsPlaceAndSpellingAndOtherLines) {
    WriteFile(ini, "[sarvo changer]\r\nfolderpath=a\r\nOther=b\r\n[Mine]\r\nx=1\r\n");
    EXPECT_EQ(IniReadString(ini, "Other", "FolderPath", "d"), "d");
    ASSERT_TRUE(IniWriteString(ini, kSection, "FolderPath", "c"));
    ASSERT_TRUE(IniWriteString(ini, kSection, "WallPaper", "w"));
    EXPECT_EQ(ReadFile(ini), "[sarvo changer]\r\nfolderpath=c\r\nOther=b\r\nWallPaper=w\r\n[Mine]\r\nx=1\r\n");
    EXPECT_EQ(IniReadString(ini, "SARVO CHANGER", "FOLDERPATH", "d"), "c");
}

// The number rules themselves are in rules_test.cpp; an empty or absent key gives the default.
TEST_F(SettingsFile, NumbersAreReadLenientlyAndClampedToSixteenBits) {
    WriteFile(ini, "[Sarvo Changer]\r\nA=yes\r\nB=70000\r\nD=\r\nF=0x10\r\n");
    for (const auto& [key, value] : {std::pair{"A", 0}, {"B", 32767}, {"D", 5}, {"Absent", 5}, {"F", 16}})
        EXPECT_EQ(IniReadInt(ini, kSection, key, 5), value) << key;
}

TEST_F(SettingsFile, JapaneseAndOddTextsRoundTrip) {
    for (const std::string value : {"/写真/海 の 絵.jpg", "/p/$HOME \"q\" 'a'.jpg", "C:\\a\\b.jpg", ""}) {
        ASSERT_TRUE(IniWriteString(ini, kSection, "WallPaper", value));
        EXPECT_EQ(IniReadString(ini, kSection, "WallPaper", "dflt"), value);
    }
}

TEST_F(SettingsFile, AWriteThatCannotBeMadeChangesNothing) {
    ASSERT_TRUE(IniWriteString(ini, kSection, "WallPaper", "/p/a.jpg"));
    const std::string before = ReadFile(ini);
    EXPECT_FALSE(IniWriteString(ini, kSection, "WallPaper", "/p/x\nStartUp=1.jpg"));  // a line break
    EXPECT_FALSE(IniWriteString(ini, kSection, "WallPaper", "a\rStartUp=1"));
    EXPECT_FALSE(IniWriteString(ini, kSection, "Wall=Paper", "x"));
    EXPECT_EQ(ReadFile(ini), before);
    const std::string elsewhere = In("no such folder") + platform::kPathSeparator + "sarvoset.ini";
    EXPECT_FALSE(IniWriteString(elsewhere, kSection, "WallPaper", "x"));
    EXPECT_EQ(Names(), std::vector<std::string>{"sarvoset.ini"});
}

TEST_F(Files, AFailedReplaceSaysWhyAndKeepsWhatWasThere) {
    const std::string folder = In("SarvoChangerGraphic.bmp");
    WriteFile(std::filesystem::path(folder) / "keep", "k");
    std::string why;
    EXPECT_FALSE(platform::WriteFileReplacing(folder, "x", 1, why));
    EXPECT_NE(why.find(folder), std::string::npos) << why;
    EXPECT_EQ(ReadFile(std::filesystem::path(folder) / "keep"), "k");
    EXPECT_EQ(Names(), std::vector<std::string>{"SarvoChangerGraphic.bmp"});
    why.clear();
    EXPECT_FALSE(platform::WriteFileReplacing(In("missing") + platform::kPathSeparator + "x.bmp", "x", 1, why));
    EXPECT_FALSE(why.empty());
}

TEST_F(Files, AReplacementWrittenInPiecesTakesTheNameOnlyWhenCommitted) {
    const std::string file = In("b.bmp");
    WriteFile(file, "old");
    const auto bytes = [](const char* text) { return reinterpret_cast<const unsigned char*>(text); };
    std::string why;
    for (const bool commit : {false, true}) {
        platform::FileReplacement replacement(file, platform::Durability::Remakable);
        replacement.Reserve(6);
        replacement.WriteAt(3, bytes("def"), 3);
        replacement.WriteAt(0, bytes("abc"), 3);
        EXPECT_EQ(ReadFile(file), "old");
        if (commit) {
            ASSERT_TRUE(replacement.Commit(why)) << why;
        }
    }
    EXPECT_EQ(ReadFile(file), "abcdef");
    EXPECT_EQ(Names(), std::vector<std::string>{"b.bmp"});  // the uncommitted one left nothing
}

// The changer keeps the previous bitmap under a second name while the
// desktop takes the new one, and puts it back over the new one in one step.
TEST_F(Files, AKeptFileStaysAsItWasAndGoesBackInOneStep) {
    const std::string bitmap = In("SarvoChangerGraphic.bmp"), kept = bitmap + ".previous";
    WriteFile(bitmap, "old");
    WriteFile(kept, "stale");
    std::string why;
    ASSERT_TRUE(platform::KeepFileAs(bitmap, kept, why)) << why;
    EXPECT_EQ(ReadFile(bitmap), "old");
    EXPECT_EQ(ReadFile(kept), "old");
    ASSERT_TRUE(platform::WriteFileReplacing(bitmap, "new", 3, why)) << why;
    EXPECT_EQ(ReadFile(kept), "old");
    ASSERT_TRUE(platform::RenameReplacing(kept, bitmap, why)) << why;
    EXPECT_EQ(ReadFile(bitmap), "old");
    EXPECT_EQ(Names(), std::vector<std::string>{"SarvoChangerGraphic.bmp"});
    EXPECT_FALSE(platform::KeepFileAs(In("missing.bmp"), kept, why) || platform::RenameReplacing(In("missing.bmp"), bitmap, why));
    EXPECT_EQ(ReadFile(bitmap), "old");
}

TEST_F(Files, ReadingRefusesMissingFilesFoldersAndFilesOverTheLimit) {
    WriteFile(dir.path() / "ten", std::string(10, 'x'));
    std::vector<unsigned char> bytes;
    std::string why;
    EXPECT_FALSE(platform::ReadWholeFile(In("ten"), bytes, 9, why));
    EXPECT_TRUE(bytes.empty());
    EXPECT_NE(why.find("large"), std::string::npos) << why;
    EXPECT_TRUE(platform::ReadWholeFile(In("ten"), bytes, 10, why));
    EXPECT_EQ(bytes.size(), 10u);
    for (const std::string& path : {In("missing"), dir.str()}) {
        why.clear();
        EXPECT_FALSE(platform::ReadWholeFile(path, bytes, 10, why)) << path;
        EXPECT_NE(why, "") << path;
    }
}

TEST_F(Files, MoveNeverOverwritesAndLeavesTheSourceWheneverItFails) {
    std::string why;
    namespace fs = std::filesystem;
    using platform::MoveResult;
    WriteFile(In("a.jpg"), "A");
    WriteFile(In("taken.jpg"), "T");
    fs::create_directories(In("sub"));

    EXPECT_EQ(platform::MoveFileNoReplace(In("a.jpg"), In("taken.jpg"), why), MoveResult::TargetExists);
    EXPECT_EQ(platform::MoveFileNoReplace(In("a.jpg"), In("a.jpg"), why), MoveResult::TargetExists);
    EXPECT_EQ(platform::MoveFileNoReplace(In("a.jpg"), In("no folder") + platform::kPathSeparator + "a.jpg", why),
              MoveResult::Failed);
    EXPECT_FALSE(why.empty());
    EXPECT_EQ(platform::MoveFileNoReplace(In("gone.jpg"), In("b.jpg"), why), MoveResult::Failed);
    EXPECT_EQ(ReadFile(In("a.jpg")), "A");
    EXPECT_EQ(ReadFile(In("taken.jpg")), "T");

    ASSERT_EQ(platform::MoveFileNoReplace(In("a.jpg"), In("sub") + platform::kPathSeparator + "b.jpg", why),
              MoveResult::Moved)
        << why;
    EXPECT_FALSE(fs::exists(In("a.jpg")));
    EXPECT_EQ(ReadFile(In("sub") + platform::kPathSeparator + "b.jpg"), "A");
}

TEST_F(Files, ProbesDeletesAndReadsTheHead) {
    std::string why;
    WriteFile(In("f.bmp"), "0123456789");
    std::filesystem::create_directories(In("folder.bmp"));
    EXPECT_TRUE(platform::OrdinaryFileExists(In("f.bmp")));
    for (const std::string& path : {In("folder.bmp"), In("missing.bmp"), std::string()})
        EXPECT_FALSE(platform::OrdinaryFileExists(path)) << path;
    EXPECT_EQ(platform::ReadFileHead(In("f.bmp"), 4), (std::vector<unsigned char>{'0', '1', '2', '3'}));
    EXPECT_EQ(platform::ReadFileHead(In("f.bmp"), 54).size(), 10u);
    EXPECT_TRUE(platform::ReadFileHead(In("missing.bmp"), 54).empty());
    EXPECT_TRUE(platform::DeleteFileIfPresent(In("f.bmp"), why)) << why;
    EXPECT_TRUE(platform::DeleteFileIfPresent(In("f.bmp"), why)) << why;
    EXPECT_EQ(Names(), std::vector<std::string>{"folder.bmp"});
}
