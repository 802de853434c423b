// The picture catalogue and the folder test on real folder trees.
#include <gtest/gtest.h>

#include "catalogue_support.h"

using namespace sarvo;
using namespace sarvo::test;
const char S = platform::kPathSeparator;

TEST(Catalogue, FoldersComeInPreOrderAndFilesFolderByFolderAsInTheTwoPassWalk) {
    TempDir dir;
    const auto& root = dir.path();
    for (const char* name : {"r1.jpg", "notes.txt", "A/a.GIF", "A/A1/x.jpeg", "B/b.bmp"}) WriteFile(root / name, "x");
    const std::string r = dir.str();
    const Catalogue got = Walk(r), reference = ReferenceWalk(r);
    // The same two lists as the two-pass walk over the same listings.
    EXPECT_EQ(got.folders, reference.folders);
    EXPECT_EQ(got.files, reference.files);
    // Whatever the listing order: the root first, A1 right after A, each file under its folder.
    ASSERT_EQ(got.folders.size(), 4u);
    EXPECT_EQ(got.folders[0], r);
    const auto a = std::find(got.folders.begin(), got.folders.end(), r + S + "A");
    EXPECT_TRUE(a < got.folders.end() - 1 && a[1] == r + S + "A" + S + "A1");
    EXPECT_EQ(Sorted(got.files), (std::vector<std::string>{r + S + "A" + S + "A1" + S + "x.jpeg", r + S + "A" + S + "a.GIF",
                                                          r + S + "B" + S + "b.bmp", r + S + "r1.jpg"}));
    EXPECT_EQ(got.files[0], r + S + "r1.jpg");  // the root's files come first
    EXPECT_EQ(got.searchedPath, r + S);         // the search path gains its separator
}

// A trailing separator is kept once; folder names, folders without pictures and a missing root give none.
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
    EXPECT_TRUE(got.files.empty() && got.folders.size() == 4u);
    got = Walk(withSeparator + "gone");
    EXPECT_TRUE(got.files.empty() && got.folders == std::vector<std::string>{withSeparator + "gone"});
}

TEST(ProbeFolder, OnlyAnExistingFolderExists) {
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
