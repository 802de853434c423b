// On real files: the settings file, the file service beneath it, the picture catalogue and the folder test.
#include <gtest/gtest.h>

#include "catalogue_support.h"
#include "core/modules/iniRead.h"
#include "core/modules/iniWrite.h"
#include "platform/files.h"

using namespace sarvo;
using namespace sarvo::test;
namespace fs = std::filesystem;

namespace {

const std::string kSection = "Sarvo Changer";
const char S = platform::kPathSeparator;

class SettingsFile : public ::testing::Test {
protected:
    std::string In(const std::string& name) const { return dir.str() + S + name; }
    std::vector<std::string> Names() const {  // in UTF-8
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir.path())) {
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

// A key written again keeps its place; nothing but the file is left.
TEST_F(SettingsFile, WritesMakeTheFileWithCrLfLineEnds) {
    for (const auto& [key, value] : {std::pair{"FolderPath", "P1"}, {"WallPaper", "W1"}, {"FolderPath", "P2"}, {"StartUp", "1"}})
        ASSERT_TRUE(IniWriteString(ini, kSection, key, value));
    EXPECT_EQ(ReadFile(ini), "[Sarvo Changer]\r\nFolderPath=P2\r\nWallPaper=W1\r\nStartUp=1\r\n");
    EXPECT_EQ(IniReadInt(ini, kSection, "StartUp", 0), 1);
    EXPECT_EQ(Names(), std::vector<std::string>{"sarvoset.ini"});
}

TEST_F(SettingsFile, WritesKeepTheSpellingOfNamesAndEveryOtherLine) {
    WriteFile(ini, "[sarvo changer]\r\nfolderpath=a\r\nOther=b\r\n[Mine]\r\nx=1\r\n");
    EXPECT_EQ(IniReadString(ini, "Other", "FolderPath", "d"), "d");
    ASSERT_TRUE(IniWriteString(ini, kSection, "FolderPath", "c"));
    ASSERT_TRUE(IniWriteString(ini, kSection, "WallPaper", "w"));
    EXPECT_EQ(ReadFile(ini), "[sarvo changer]\r\nfolderpath=c\r\nOther=b\r\nWallPaper=w\r\n[Mine]\r\nx=1\r\n");
    EXPECT_EQ(IniReadString(ini, "SARVO CHANGER", "FOLDERPATH", "d"), "c");
}

// A line break in a value or "=" in a name would make another key; a missing folder has no file to write.
TEST_F(SettingsFile, AWriteThatCannotBeMadeChangesNothing) {
    ASSERT_TRUE(IniWriteString(ini, kSection, "WallPaper", "/p/a.jpg"));
    const std::string before = ReadFile(ini);
    for (const auto& [key, value] : {std::pair{"WallPaper", "/p/x\nStartUp=1.jpg"}, {"WallPaper", "a\rStartUp=1"}, {"Wall=Paper", "x"}})
        EXPECT_FALSE(IniWriteString(ini, kSection, key, value)) << value;
    EXPECT_EQ(ReadFile(ini), before);
    EXPECT_FALSE(IniWriteString(In("no such folder") + S + "sarvoset.ini", kSection, "WallPaper", "x"));
    EXPECT_EQ(Names(), std::vector<std::string>{"sarvoset.ini"});
}

// Missing files, folders and files over the limit are refused; a file of exactly the limit is read.
TEST_F(Files, ReadingAWholeFileKeepsToItsLimit) {
    WriteFile(dir.path() / "ten", "0123456789");
    std::vector<unsigned char> bytes;
    std::string why;
    EXPECT_FALSE(platform::ReadWholeFile(In("ten"), bytes, 9, why));
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(why.find("ファイルが大きすぎます"), 0u) << why;
    EXPECT_TRUE(platform::ReadWholeFile(In("ten"), bytes, 10, why)) << why;
    EXPECT_EQ(bytes.size(), 10u);
    for (const std::string& path : {In("missing"), dir.str()}) {
        why.clear();
        EXPECT_FALSE(platform::ReadWholeFile(path, bytes, 10, why)) << path;
        EXPECT_FALSE(why.empty()) << path;
    }
}

// The previous bitmap is kept under a second name, and put back over the new one.
TEST_F(Files, AReplacementTakesTheNameOnlyWhenCommittedAndAnUncommittedOneLeavesNothing) {
    const std::string bitmap = In("SarvoChangerGraphic.bmp"), kept = bitmap + ".previous";
    WriteFile(bitmap, "old");
    const auto bytes = [](const char* text) { return reinterpret_cast<const unsigned char*>(text); };
    std::string why;
    for (const bool commit : {false, true}) {
        platform::FileReplacement replacement(bitmap, platform::Durability::Remakable);
        replacement.Reserve(6);
        replacement.WriteAt(3, bytes("def"), 3);
        replacement.WriteAt(0, bytes("abc"), 3);
        EXPECT_EQ(ReadFile(bitmap), "old");
        if (commit) {
            EXPECT_TRUE(replacement.Commit(why)) << why;
        }
    }
    EXPECT_EQ(ReadFile(bitmap), "abcdef");
    WriteFile(kept, "stale");
    ASSERT_TRUE(platform::KeepFileAs(bitmap, kept, why)) << why;
    EXPECT_EQ(ReadFile(bitmap), "abcdef");
    EXPECT_EQ(ReadFile(kept), "abcdef");
    ASSERT_TRUE(platform::WriteFileReplacing(bitmap, "new", 3, why)) << why;
    ASSERT_TRUE(platform::RenameReplacing(kept, bitmap, why)) << why;
    EXPECT_EQ(ReadFile(bitmap), "abcdef");
    EXPECT_EQ(Names(), std::vector<std::string>{"SarvoChangerGraphic.bmp"});
    EXPECT_FALSE(platform::KeepFileAs(In("missing.bmp"), kept, why));
    EXPECT_FALSE(platform::RenameReplacing(In("missing.bmp"), bitmap, why));
    EXPECT_EQ(ReadFile(bitmap), "abcdef");
}

// A refusal names what was refused, with the system's words: the missing folder's target, the missing picture.
TEST_F(Files, AMoveNeverOverwritesAndARefusalNamesWhatWasRefused) {
    using platform::MoveResult;
    platform::FileError error;
    WriteFile(In("a.jpg"), "A");
    WriteFile(In("taken.jpg"), "T");
    fs::create_directories(In("sub"));
    EXPECT_EQ(platform::MoveFileNoReplace(In("a.jpg"), In("taken.jpg"), error), MoveResult::TargetExists);
    EXPECT_EQ(platform::MoveFileNoReplace(In("a.jpg"), In("a.jpg"), error), MoveResult::TargetExists);
    EXPECT_EQ(platform::MoveFileNoReplace(In("a.jpg"), In("no folder") + S + "a.jpg", error), MoveResult::Failed);
    EXPECT_EQ(error.path, In("no folder") + S + "a.jpg");
    EXPECT_NE(error.number, 0);
    EXPECT_FALSE(error.description.empty());
    EXPECT_EQ(platform::MoveFileNoReplace(In("gone.jpg"), In("b.jpg"), error), MoveResult::Failed);
    EXPECT_EQ(error.path, In("gone.jpg"));
    EXPECT_EQ(ReadFile(In("a.jpg")), "A");
    EXPECT_EQ(ReadFile(In("taken.jpg")), "T");
    ASSERT_EQ(platform::MoveFileNoReplace(In("a.jpg"), In("sub") + S + "b.jpg", error), MoveResult::Moved) << error.description;
    EXPECT_FALSE(fs::exists(In("a.jpg")));
    EXPECT_EQ(ReadFile(In("sub") + S + "b.jpg"), "A");
}

TEST(Catalogue, FoldersComeInPreOrderAndFilesFolderByFolderAsInTheTwoPassWalk) {
    TempDir dir;
    const auto& root = dir.path();
    for (const char* name : {"r1.jpg", "notes.txt", "A/a.GIF", "A/A1/x.jpeg", "B/b.bmp"}) WriteFile(root / name, "x");
    const std::string r = dir.str();
    const Catalogue got = Walk(r), reference = ReferenceWalk(r);
    EXPECT_EQ(got.folders, reference.folders);  // the same two lists as the two-pass walk over the same listings
    EXPECT_EQ(got.files, reference.files);
    // Whatever the listing order: the root first, A1 right after A, each file under its folder.
    ASSERT_EQ(got.folders.size(), 4u);
    EXPECT_EQ(got.folders[0], r);
    const auto a = std::find(got.folders.begin(), got.folders.end(), r + S + "A");
    ASSERT_LT(a, got.folders.end() - 1);
    EXPECT_EQ(a[1], r + S + "A" + S + "A1");
    EXPECT_EQ(Sorted(got.files), (std::vector<std::string>{r + S + "A" + S + "A1" + S + "x.jpeg", r + S + "A" + S + "a.GIF",
                                                          r + S + "B" + S + "b.bmp", r + S + "r1.jpg"}));
    EXPECT_EQ(got.files[0], r + S + "r1.jpg");  // the root's files come first
    EXPECT_EQ(got.searchedPath, r + S);         // the search path gains its separator
}

// Folder names, folders without pictures and a missing root give none.
TEST(Catalogue, ATrailingSeparatorIsKeptOnceAndWhatHoldsNoPictureGivesNone) {
    TempDir dir;
    WriteFile(dir.path() / "holiday.jpg" / "in.jpg", "x");
    const std::string withSeparator = dir.str() + S;
    Catalogue got = Walk(withSeparator);
    EXPECT_EQ(got.folders, (std::vector<std::string>{withSeparator, withSeparator + "holiday.jpg"}));
    EXPECT_EQ(got.files, std::vector<std::string>{withSeparator + "holiday.jpg" + S + "in.jpg"});
    for (const char* name : {"a/b/readme.txt", "photo.png", "photo.jpe"}) WriteFile(dir.path() / "holiday.jpg" / name, "x");
    fs::remove(dir.path() / "holiday.jpg" / "in.jpg");
    got = Walk(dir.str());
    EXPECT_TRUE(got.files.empty());
    EXPECT_EQ(got.folders.size(), 4u);
    got = Walk(withSeparator + "gone");
    EXPECT_TRUE(got.files.empty());
    EXPECT_EQ(got.folders, std::vector<std::string>{withSeparator + "gone"});
}

TEST(FolderTest, OnlyAnExistingFolderExists) {
    TempDir dir;
    WriteFile(dir.path() / "file.jpg", "x");
    using platform::FolderState;
    const std::pair<std::string, FolderState> cases[] = {
        {dir.str(), FolderState::Exists},          {dir.str() + S, FolderState::Exists},
        {dir.str() + S + "missing", FolderState::Missing}, {dir.str() + S + "file.jpg", FolderState::Missing},
        {dir.str() + S + "file.jpg" + S + "sub", FolderState::Missing}, {"", FolderState::Missing},
    };
    for (const auto& [path, state] : cases) EXPECT_EQ(platform::ProbeFolder(path), state) << path;
    platform::FolderListing listing;
    EXPECT_FALSE(platform::ListFolder(dir.str() + S + "missing", listing));
    EXPECT_TRUE(listing.entries.empty());
}
