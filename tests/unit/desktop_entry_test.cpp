#include <gtest/gtest.h>

#include "core/pure/desktop_entry.h"

using namespace sarvo;

// Each line: the program path, and the Exec and TryExec lines written for it.
TEST(DesktopEntry, ProgramPathsAreQuotedThenEscapedAndReadBack) {
    const struct {
        const char *program, *exec, *tryExec;
    } cases[] = {
        {"/opt/sarvo/SarvoChanger", R"(Exec=env "/opt/sarvo/SarvoChanger")", "TryExec=/opt/sarvo/SarvoChanger"},
        {"/my pics/Sarvo", R"(Exec=env "/my pics/Sarvo")", "TryExec=/my pics/Sarvo"},
        {"/a \"b\"/c", R"(Exec=env "/a \\"b\\"/c")", R"(TryExec=/a "b"/c)"},
        {"/cost $5/x", R"(Exec=env "/cost \\$5/x")", "TryExec=/cost $5/x"},
        {"/50% off/x", R"(Exec=env "/50%% off/x")", "TryExec=/50% off/x"},
        {"/back\\slash/x", R"(Exec=env "/back\\\\slash/x")", R"(TryExec=/back\\slash/x)"},
        {"/tick`/x", R"(Exec=env "/tick\\`/x")", "TryExec=/tick`/x"},
        {"/it's ~ (a;b) & c|d <e> #f *?/x", R"(Exec=env "/it's ~ (a;b) & c|d <e> #f *?/x")",
         "TryExec=/it's ~ (a;b) & c|d <e> #f *?/x"},
        {"/写真 ü/x", R"(Exec=env "/写真 ü/x")", "TryExec=/写真 ü/x"},
    };
    for (const auto& c : cases) {
        const auto text = DesktopEntryFor("SarvoChanger", c.program);
        ASSERT_TRUE(text) << c.program;
        EXPECT_EQ(*text, std::string("[Desktop Entry]\nType=Application\nName=SarvoChanger\n") + c.exec + "\n" +
                             c.tryExec + "\nNoDisplay=true\nX-GNOME-Autostart-enabled=true\n")
            << c.program;
        EXPECT_EQ(ProgramOfDesktopEntry(*text), c.program) << *text;
    }
}

TEST(DesktopEntry, WhatAFileCannotHoldFaithfullyIsRefused) {
    for (const char* program : {"", "relative/SarvoChanger", "-i", "/line\nbreak", "/car\rriage", "/tab\there",
                                "/bell\x07", "/bad\xff utf8", "/overlong \xc0\xaf"})
        EXPECT_FALSE(DesktopEntryFor("SarvoChanger", program)) << program;
    EXPECT_FALSE(DesktopEntryFor("", "/x"));
    EXPECT_FALSE(DesktopEntryFor("two\nlines", "/x"));
}

TEST(DesktopEntry, ExecValuesOfOthersAreReadOnlyWhenTheyNameOneProgram) {
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"/usr/bin/changer", "/usr/bin/changer"},
        {"  env   \"/a b/c\"  ", "/a b/c"},
        {"\"\\\\\"", "\\"},
        {"/usr/bin/50%%", "/usr/bin/50%"},
        {"/usr/bin/changer %U", std::nullopt},  // a field code: arguments at launch
        {"/a/b%", std::nullopt},
        {"/usr/bin/changer --nokey", std::nullopt},
        {"env A=1 /x", std::nullopt},
        {"/a$b", std::nullopt},  // reserved character unquoted
        {"\"/a", std::nullopt},  // no closing quote
        {"\"/a\"b", std::nullopt},
        {"\"/a\\n\"", std::nullopt},  // an escape the format does not know
        {"\"\"", std::nullopt},
        {"env \"-i\"", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [exec, program] : cases) EXPECT_EQ(ProgramOfExecValue(exec), program) << exec;
}

TEST(DesktopEntry, OnlyAShownApplicationEntryCounts) {
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"# note\n[Desktop Entry]\r\nType = Application\r\nExec= /x/y\r\n", "/x/y"},
        {"[Desktop Entry]\nType=Application\nExec=/x\nHidden=true\n", std::nullopt},
        {"[Desktop Entry]\nType=Application\nExec=/x\nX-GNOME-Autostart-enabled=false\n", std::nullopt},
        {"[Desktop Entry]\nType=Link\nExec=/x\n", std::nullopt},
        {"[Desktop Entry]\nType=Application\n", std::nullopt},
        {"[Desktop Action a]\nExec=/x\n[Desktop Entry]\nType=Application\n", std::nullopt},
        {"[Desktop Entry]\nType=Application\nExec=/a\\qb\n", std::nullopt},  // unknown string escape
        {"[Desktop Entry]\nType=Application\nExec=/a\\\n", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [text, program] : cases) EXPECT_EQ(ProgramOfDesktopEntry(text), program) << text;
}

TEST(Utf8, WellFormedOnly) {
    for (const char* s : {"", "abc", "写真", "ü", "\xf0\x9f\x98\x80"}) EXPECT_TRUE(IsValidUtf8(s)) << s;
    for (const char* s : {"\xff", "\xc3", "\xe5\x86", "\xc0\x80", "\xed\xa0\x80", "\xf4\x90\x80\x80", "a\x80"})
        EXPECT_FALSE(IsValidUtf8(s));
}
