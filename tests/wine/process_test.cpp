// The program's command line, program starts and message boxes, with the
// real Win32 services under Wine. (The wallpaper's registry value is checked
// by the programs' scenarios.)
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "command_line_win32.h"
#include "platform/program.h"
#include "support/temp_dir.h"
#include "platform/ui.h"

using namespace sarvo;
namespace fs = std::filesystem;
using sarvo::test::ReadFile;
using sarvo::test::TempDir;

namespace {

fs::path Utf8Path(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

// The stand-in's log once it holds `records` whole records (it is not
// waited for), or what it holds after ten seconds.
std::string WaitForLog(const fs::path& log, std::size_t records) {
    std::string text;
    for (int i = 0; i < 200; ++i) {
        text = ReadFile(log);
        if (std::count(text.begin(), text.end(), '\n') >= static_cast<long>(2 * records)) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return text;
}

}  // namespace

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

class StartProgram : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(Utf8Path(folder));
        fs::copy_file(Utf8Path(platform::ProgramDirectory() + "\\sarvo_stand_in_settool.exe"),
                      Utf8Path(program));
    }
    TempDir dir;
    // Blanks and Japanese in the program's own path.
    const std::string folder = dir.str() + "\\プログラム フォルダ";
    const std::string program = folder + "\\SarvoSetTool.exe";
    const fs::path log = Utf8Path(folder + "\\SarvoSetTool.log");
};

TEST_F(StartProgram, TheArgumentTextArrivesAsItIsWithTheWindowStyle) {
    std::string why;
    ASSERT_TRUE(platform::StartProgram(program, "/addC:\\写真 1\\a.JPG", platform::WindowStyle::Normal, why))
        << why;
    EXPECT_EQ(WaitForLog(log, 1), "text=/addC:\\写真 1\\a.JPG\nshow=1\n");
    ASSERT_TRUE(platform::StartProgram(program, "/delskip", platform::WindowStyle::Minimized, why)) << why;
    ASSERT_TRUE(platform::StartProgram(program, "", platform::WindowStyle::Normal, why)) << why;
    const std::string text = WaitForLog(log, 3);
    // The two later starts run side by side; either may write first.
    EXPECT_NE(text.find("text=/delskip\nshow=2\n"), std::string::npos) << text;
    EXPECT_NE(text.find("text=\nshow=1\n"), std::string::npos) << text;
}

TEST_F(StartProgram, AProgramThatCannotBeStartedSaysWhy) {
    std::string why;
    EXPECT_FALSE(platform::StartProgram(folder + "\\Missing.exe", "", platform::WindowStyle::Normal, why));
    EXPECT_NE(why.find("Missing.exe"), std::string::npos) << why;
    why.clear();
    EXPECT_FALSE(platform::StartProgram(folder + "\\a\"b.exe", "", platform::WindowStyle::Normal, why));
    EXPECT_FALSE(why.empty());
    EXPECT_FALSE(fs::exists(log));  // nothing was started
}

TEST(MessageBox, WithNoDesktopTheBoxCountsAsCancelled) {
    if (std::getenv("DISPLAY") != nullptr) GTEST_SKIP() << "a display is open: the box would wait for a person";
    EXPECT_EQ(platform::ShowMessage("SarvoBackdropChanger", "指定したフォルダがありません。", platform::kIconError),
              platform::kAnswerOk);
    EXPECT_EQ(platform::ShowMessage("SarvoSettingTool", "削除しますか？", platform::kYesNo), platform::kAnswerNo);
}
