// The walk over what Linux folder trees hold besides folders and files:
// hidden names, links, loops, pipes and folders that cannot be read.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "catalogue_support.h"
#include "support/as_user.h"

using namespace sarvo;
namespace fs = std::filesystem;
using sarvo::test::TempDir;
using sarvo::test::WriteFile;

namespace {
bool Has(const std::vector<std::string>& v, const std::string& s) {
    return std::find(v.begin(), v.end(), s) != v.end();
}
}  // namespace

TEST(CatalogueLinux, HiddenEntriesAreLeftOut) {
    TempDir dir;
    const std::string r = dir.str();
    WriteFile(dir.path() / ".hidden.jpg", "x");
    WriteFile(dir.path() / ".cache" / "in.jpg", "x");
    WriteFile(dir.path() / "shown.jpg", "x");
    const auto got = test::Walk(r);
    EXPECT_EQ(got.files, std::vector<std::string>{r + "/shown.jpg"});
    EXPECT_EQ(got.folders, std::vector<std::string>{r});
}

TEST(CatalogueLinux, LinkLoopsAreEnteredOnceAndLinkedFoldersFollowed) {
    TempDir dir;
    const std::string r = dir.str();
    WriteFile(dir.path() / "A" / "a.jpg", "x");
    WriteFile(dir.path() / "elsewhere" / "e.jpg", "x");
    fs::create_directory_symlink(dir.path(), dir.path() / "A" / "back-to-root");
    fs::create_directory_symlink(dir.path() / "A", dir.path() / "A" / "self");
    fs::create_symlink(dir.path() / "A" / "a.jpg", dir.path() / "link.jpg");
    fs::create_symlink(dir.path() / "nowhere.jpg", dir.path() / "dangling.jpg");
    const auto got = test::Walk(r);
    // Every real folder once, whatever the listing order.
    EXPECT_EQ(got.folders.size(), 3u);
    EXPECT_TRUE(Has(got.folders, r + "/A"));
    EXPECT_TRUE(Has(got.folders, r + "/elsewhere"));
    EXPECT_EQ(got.files.size(), 3u);
    EXPECT_TRUE(Has(got.files, r + "/A/a.jpg"));
    EXPECT_TRUE(Has(got.files, r + "/link.jpg"));  // a link to a picture is a picture
    EXPECT_FALSE(Has(got.files, r + "/dangling.jpg"));
}

TEST(CatalogueLinux, ALinkToAFolderOutsideTheTreeIsFollowed) {
    TempDir pictures, other;
    WriteFile(other.path() / "deep" / "o.gif", "x");
    fs::create_directory_symlink(other.path(), pictures.path() / "more");
    const auto got = test::Walk(pictures.str());
    EXPECT_EQ(got.files, std::vector<std::string>{pictures.str() + "/more/deep/o.gif"});
}

TEST(CatalogueLinux, PipesNamedLikePicturesAreNeverListed) {
    TempDir dir;
    ASSERT_EQ(mkfifo((dir.path() / "pipe.jpg").c_str(), 0600), 0);
    WriteFile(dir.path() / "real.jpg", "x");
    const auto got = test::Walk(dir.str());
    EXPECT_EQ(got.files, std::vector<std::string>{dir.str() + "/real.jpg"});
}

TEST(CatalogueLinux, AFolderThatCannotBeReadIsSkipped) {
    TempDir dir;
    WriteFile(dir.path() / "locked" / "l.jpg", "x");
    WriteFile(dir.path() / "open" / "o.jpg", "x");
    fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(dir.path() / "open", fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(dir.path() / "locked", fs::perms::none);
    const std::vector<std::string> expected{dir.str() + "/open/o.jpg"};
    EXPECT_TRUE(test::RunWithoutPrivileges([&] { return test::Walk(dir.str()).files == expected; }));
}
