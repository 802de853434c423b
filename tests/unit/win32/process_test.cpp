// The command line and program starts under Wine.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "command_line_win32.h"
#include "platform/process.h"
#include "platform/program.h"
#include "support/temp_dir.h"

using namespace sarvo;
namespace fs = std::filesystem;

namespace {

fs::path Utf8Path(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

// The stand-in settings tool (it records each start in SarvoSetTool.log) in a folder named with blanks and
// Japanese.
class StartProgram : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(Utf8Path(folder));
        fs::copy_file(Utf8Path(platform::ProgramDirectory() + "\\sarvo_stand_in_settool.exe"), Utf8Path(program));
    }
    bool Start(const std::string& path, const std::string& text, platform::WindowStyle style) {
        return platform::StartProgram(path, text, style, why);
    }
    // The log once it holds `records` starts, or as it is after 10 s: the stand-in is not waited for.
    std::string Records(long records) const {
        const DWORD start = GetTickCount();
        std::string text = test::ReadFile(log);
        while (std::count(text.begin(), text.end(), '\n') < 2 * records && GetTickCount() - start < 10000) {
            Sleep(50);
            text = test::ReadFile(log);
        }
        return text;
    }
    test::TempDir dir;
    const std::string folder = dir.str() + "\\プログラム フォルダ";
    const std::string program = folder + "\\SarvoSetTool.exe";
    const fs::path log = Utf8Path(folder + "\\SarvoSetTool.log");
    std::string why;
};

}  // namespace

TEST(ArgumentText, IsWhatFollowsTheProgramNameAndItsBlanksAsTheSystemsStartUpCodeCutsIt) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\Sarvo\\SarvoChanger.exe   \"D:\\a b\\photo.JPG\"", "\"D:\\a b\\photo.JPG\""},
        {"\"C:\\a b\\x.exe\"\t  /nokey  ", "/nokey  "},
        {"", ""},
        {"SarvoChanger.exe", ""},
        {"\"C:\\a b\\x.exe\"/nokey", "/nokey"},  // stuck to the quote
        {"\"C:\\unclosed /nokey", ""},
    };
    for (const auto& [line, text] : cases) EXPECT_EQ(win32::ArgumentsAfterProgramName(line), text) << line;
}

TEST_F(StartProgram, ANameNoCommandLineCanQuoteIsRefusedWithAReason) {
    EXPECT_FALSE(Start(folder + "\\a\"b.exe", "", platform::WindowStyle::Normal));
    EXPECT_NE(why, "");
}

TEST_F(StartProgram, TheArgumentTextArrivesAsItIsWithTheWindowStyle) {
    const struct {
        const char* text;
        platform::WindowStyle style;
        const char* record;
    } rows[] = {
        {"/addC:\\写真 1\\a.JPG", platform::WindowStyle::Normal, "text=/addC:\\写真 1\\a.JPG\nshow=1\n"},
        {"/delskip", platform::WindowStyle::Minimized, "text=/delskip\nshow=2\n"},
        {"", platform::WindowStyle::Normal, "text=\nshow=1\n"},
    };
    std::string records;  // each start's record follows the one before
    for (long started = 1; const auto& row : rows) {
        ASSERT_TRUE(Start(program, row.text, row.style)) << why;
        records += row.record;
        EXPECT_EQ(Records(started++), records);
    }
}
