// The walk over hidden names, line breaks, links, loops, pipes and unreadable folders on Linux.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "catalogue_support.h"

using namespace sarvo;
using namespace sarvo::test;

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

// Listed on several threads, the catalogue comes out exactly in the one-thread order, links and hidden entries too.
TEST(CatalogueLinux, TheParallelWalkGivesExactlyTheSequentialOrder) {
    TempDir dir;
    const fs::path& r = dir.path();
    for (int i = 0; i < 12; ++i) {
        const fs::path d = r / ("d" + std::to_string(i));
        for (int j = 0; j < 5; ++j) {
            WriteFile(d / ("e" + std::to_string(j)) / ("p" + std::to_string(j) + ".jpg"), "x");
            WriteFile(d / ("e" + std::to_string(j)) / ".hidden" / "h.jpg", "x");
        }
        WriteFile(d / ".h.gif", "x");
        WriteFile(d / ("q" + std::to_string(i) + ".bmp"), "x");
        // Across to a later sibling (maybe met here first), back to the root, down into its own sub-folder.
        fs::create_directory_symlink(r / ("d" + std::to_string((i + 5) % 12)), d / "z-across");
        fs::create_directory_symlink(r, d / "e2" / "up");
        fs::create_directory_symlink(d / "e4", d / "a-down");
    }
    const auto reference = ReferenceWalk(dir.str());
    ASSERT_EQ(reference.folders.size(), 1u + 12u * 5u + 12u);
    for (int run = 0; run < 5; ++run) {
        const auto got = Walk(dir.str());
        EXPECT_EQ(got.folders, reference.folders);
        EXPECT_EQ(got.files, reference.files);
    }
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
