// The picture catalogue on real folder trees.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "catalogue_support.h"

using namespace sarvo;
using sarvo::test::TempDir;
using sarvo::test::WriteFile;

TEST(Catalogue, ExampleTreeGivesFoldersInPreOrderAndFilesFolderByFolder) {
    TempDir dir;
    const auto& root = dir.path();
    WriteFile(root / "r1.jpg", "x");
    WriteFile(root / "notes.txt", "x");
    WriteFile(root / "A" / "a.GIF", "x");
    WriteFile(root / "A" / "A1" / "x.jpeg", "x");
    WriteFile(root / "B" / "b.bmp", "x");
    const std::string r = dir.str();
    const char s = platform::kPathSeparator;

    const test::Catalogue got = test::Walk(r);
    // The same two lists as the two-pass walk over the same listings.
    const test::Catalogue reference = test::ReferenceWalk(r);
    EXPECT_EQ(got.folders, reference.folders);
    EXPECT_EQ(got.files, reference.files);

    // And, whatever order the file system lists in, the shape the user
    // expects: the root first, A1 right after A, each file under its folder.
    ASSERT_EQ(got.folders.size(), 4u);
    EXPECT_EQ(got.folders[0], r);
    const auto a = std::find(got.folders.begin(), got.folders.end(), r + s + "A");
    ASSERT_NE(a, got.folders.end());
    EXPECT_EQ(*(a + 1), r + s + "A" + s + "A1");
    EXPECT_NE(std::find(got.folders.begin(), got.folders.end(), r + s + "B"), got.folders.end());
    std::vector<std::string> files = got.files;
    std::sort(files.begin(), files.end());
    const std::vector<std::string> expected = {r + s + "A" + s + "A1" + s + "x.jpeg", r + s + "A" + s + "a.GIF",
                                               r + s + "B" + s + "b.bmp", r + s + "r1.jpg"};
    EXPECT_EQ(files, expected);
    EXPECT_EQ(got.files[0], r + s + "r1.jpg");  // the root's files come first
    EXPECT_EQ(got.searchedPath, r + s);         // the search path gains its separator
}

TEST(Catalogue, ABroadTreeMatchesTheTwoPassWalk) {
    TempDir dir;
    for (int i = 0; i < 6; ++i)
        for (int j = 0; j < 4; ++j) {
            const auto sub = dir.path() / ("d" + std::to_string(i)) / ("e" + std::to_string(j));
            WriteFile(sub / ("p" + std::to_string(j) + ".jpg"), "x");
            WriteFile(sub / "f" / "deep.bmp", "x");
            WriteFile(dir.path() / ("d" + std::to_string(i)) / ("q" + std::to_string(j) + ".Gif"), "x");
        }
    const test::Catalogue got = test::Walk(dir.str());
    const test::Catalogue reference = test::ReferenceWalk(dir.str());
    EXPECT_EQ(got.folders, reference.folders);
    EXPECT_EQ(got.files, reference.files);
    EXPECT_EQ(got.files.size(), 6u * 4u * 3u);
}

TEST(Catalogue, ATrailingSeparatorIsKeptOnceAndFolderNamesAreNoPictures) {
    TempDir dir;
    const char s = platform::kPathSeparator;
    WriteFile(dir.path() / "holiday.jpg" / "in.jpg", "x");
    const std::string withSeparator = dir.str() + s;
    const test::Catalogue got = test::Walk(withSeparator);
    ASSERT_EQ(got.folders.size(), 2u);
    EXPECT_EQ(got.folders[0], withSeparator);
    EXPECT_EQ(got.folders[1], withSeparator + "holiday.jpg");
    EXPECT_EQ(got.files, std::vector<std::string>{withSeparator + "holiday.jpg" + s + "in.jpg"});
}

TEST(Catalogue, FoldersWithoutPicturesGiveAnEmptyCatalogue) {
    TempDir dir;
    WriteFile(dir.path() / "a" / "b" / "readme.txt", "x");
    WriteFile(dir.path() / "photo.png", "x");
    WriteFile(dir.path() / "photo.jpe", "x");
    const test::Catalogue got = test::Walk(dir.str());
    EXPECT_TRUE(got.files.empty());
    EXPECT_EQ(got.folders.size(), 3u);
}

TEST(Catalogue, AMissingRootGivesNothingButItself) {
    TempDir dir;
    const std::string missing = dir.str() + platform::kPathSeparator + "gone";
    const test::Catalogue got = test::Walk(missing);
    EXPECT_EQ(got.folders, std::vector<std::string>{missing});
    EXPECT_TRUE(got.files.empty());
}
