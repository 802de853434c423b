// The command line, program starts and message boxes under Wine.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "command_line_win32.h"
#include "platform/process.h"
#include "platform/program.h"
#include "platform/ui.h"
#include "support/temp_dir.h"

using namespace sarvo;
namespace fs = std::filesystem;

TEST(ArgumentText, IsWhatFollowsTheProgramNameAndItsBlanksAsTheSystemsStartUpCodeCutsIt) {
    const std::pair<const char*, const char*> cases[] = {
        {"\"C:\\Program Files\\Sarvo\\SarvoChanger.exe\" /nokey", "/nokey"},
        {"C:\\Sarvo\\SarvoChanger.exe   \"D:\\a b\\photo.JPG\"", "\"D:\\a b\\photo.JPG\""},
        {"\"C:\\a b\\x.exe\"\t  /nokey  ", "/nokey  "},
        {"x.exe \"a\"\"b\"", "\"a\"\"b\""},
        {"", ""},
        {"SarvoChanger.exe", ""},
        {"\"C:\\a b\\x.exe\"", ""},
        {"\"C:\\a b\\x.exe\"/nokey", "/nokey"},  // stuck to the quote
        {"\"C:\\unclosed /nokey", ""},
        {"x.exe\t\t", ""},
    };
    for (const auto& [line, text] : cases) EXPECT_EQ(win32::ArgumentsAfterProgramName(line), text) << line;
}

// The stand-in settings tool, under blanks and Japanese, records each start; a failed one says why.
TEST(StartProgram, TheArgumentTextArrivesAsItIsWithTheWindowStyle) {
    test::TempDir dir;
    const std::string folder = dir.str() + "\\プログラム フォルダ", program = folder + "\\SarvoSetTool.exe";
    const auto utf8 = [](const std::string& s) { return fs::path(std::u8string(s.begin(), s.end())); };
    fs::create_directory(utf8(folder));
    fs::copy_file(utf8(platform::ProgramDirectory() + "\\sarvo_stand_in_settool.exe"), utf8(program));
    const fs::path log = utf8(folder + "\\SarvoSetTool.log");
    const auto logOnceItHolds = [&](long records) {  // or after ten seconds; the stand-in is not waited for
        std::string text;
        for (int i = 0; i < 200; ++i, Sleep(50))
            if (text = test::ReadFile(log); std::count(text.begin(), text.end(), '\n') >= 2 * records) break;
        return text;
    };
    std::string why;
    EXPECT_FALSE(platform::StartProgram(folder + "\\Missing.exe", "", platform::WindowStyle::Normal, why));
    EXPECT_NE(why.find("Missing.exe"), std::string::npos) << why;
    why.clear();
    EXPECT_FALSE(platform::StartProgram(folder + "\\a\"b.exe", "", platform::WindowStyle::Normal, why));
    EXPECT_FALSE(why.empty());
    EXPECT_FALSE(fs::exists(log));  // nothing was started

    ASSERT_TRUE(platform::StartProgram(program, "/addC:\\写真 1\\a.JPG", platform::WindowStyle::Normal, why)) << why;
    EXPECT_EQ(logOnceItHolds(1), "text=/addC:\\写真 1\\a.JPG\nshow=1\n");
    ASSERT_TRUE(platform::StartProgram(program, "/delskip", platform::WindowStyle::Minimized, why)) << why;
    ASSERT_TRUE(platform::StartProgram(program, "", platform::WindowStyle::Normal, why)) << why;
    const std::string text = logOnceItHolds(3);  // the two run side by side; either may write first
    EXPECT_NE(text.find("text=/delskip\nshow=2\n"), std::string::npos) << text;
    EXPECT_NE(text.find("text=\nshow=1\n"), std::string::npos) << text;
}

TEST(MessageBox, WithNoDesktopTheBoxCountsAsCancelled) {
    if (std::getenv("DISPLAY") != nullptr) GTEST_SKIP() << "a display is open: the box would wait for a person";
    EXPECT_EQ(platform::ShowMessage("SarvoBackdropChanger", "指定したフォルダがありません。", platform::kIconError),
              platform::kAnswerOk);
    EXPECT_EQ(platform::ShowMessage("SarvoSettingTool", "削除しますか？", platform::kYesNo), platform::kAnswerNo);
}
