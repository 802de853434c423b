// Starting programs, with the real Linux service.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "program.h"
#include "support/temp_dir.h"

using namespace sarvo;
namespace fs = std::filesystem;
using sarvo::test::ReadFile;
using sarvo::test::TempDir;
using sarvo::test::WriteFile;

TEST(StartProgram, TheArgumentTextArrivesAsOneArgumentWithoutAShell) {
    TempDir dir;
    const std::string script = (dir.path() / "record me.sh").string();
    // A stand-in program that writes its arguments, one per line.
    WriteFile(script, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$0.out\"\n");
    fs::permissions(script, fs::perms::owner_all);
    std::string why;
    const std::string text = "/add/p/a b \"$HOME\" `x`;.jpg";
    ASSERT_TRUE(platform::StartProgram(script, text, platform::WindowStyle::Normal, why)) << why;
    for (int i = 0; i < 100 && !fs::exists(script + ".out"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(ReadFile(script + ".out"), text + "\n");

    EXPECT_FALSE(platform::StartProgram((dir.path() / "missing").string(), "", platform::WindowStyle::Normal, why));
    EXPECT_FALSE(why.empty());
}
