// Runs the real sample maker and reads back what it wrote with the changer's
// own picture loader.
#include <map>
#include <set>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

#include <gtest/gtest.h>

#include "platform/picture.h"
#include "support/temp_dir.h"

extern char** environ;

namespace {

int RunTool(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

TEST(SampleMaker, WritesDistinctPicturesOfEveryKindThatLoad) {
    sarvo::test::TempDir dir;
    const auto folder = dir.path() / "sample pictures";
    ASSERT_EQ(RunTool({SARVO_MAKE_SAMPLES, folder.string()}), 0);

    std::map<std::string, int> kinds;
    std::set<std::vector<unsigned char>> looks;
    int inSubFolders = 0, files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        SCOPED_TRACE(entry.path().string());
        sarvo::Bitmap bitmap;
        std::string why;
        ASSERT_TRUE(sarvo::platform::LoadPicture(entry.path().string(), bitmap, why)) << why;
        EXPECT_EQ(bitmap.Width(), 640);
        EXPECT_EQ(bitmap.Height(), 480);
        ++files;
        ++kinds[entry.path().extension().string()];
        if (entry.path().parent_path() != folder) ++inSubFolders;
        // A few points of each picture tell them apart.
        std::vector<unsigned char> look;
        for (int y = 40; y < 480; y += 100)
            for (int x = 40; x < 640; x += 100)
                look.insert(look.end(), bitmap.Row(y) + x * 3, bitmap.Row(y) + x * 3 + 3);
        looks.insert(look);
    }
    EXPECT_GE(kinds[".jpg"], 1);
    EXPECT_GE(kinds[".gif"], 1);
    EXPECT_GE(kinds[".bmp"], 1);
    EXPECT_GE(inSubFolders, 1);
    EXPECT_EQ(static_cast<int>(looks.size()), files);
}

TEST(SampleMaker, WithoutAFolderItExplainsItsUse) {
    EXPECT_EQ(RunTool({SARVO_MAKE_SAMPLES}), 2);
}

}  // namespace
