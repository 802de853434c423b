#include <gtest/gtest.h>

#include "core/pure/profile_text.h"

using sarvo::ProfileText;

TEST(ProfileText, NamesMatchWithoutCaseAndValuesLoseBlanksAndQuotes) {
    const ProfileText t("[Sarvo Changer]\r\nFolderPath = /p/a b  \r\nquoted=\"q v\"\r\n;WallPaper=no\r\n");
    EXPECT_EQ(t.Find("sarvo changer", "FOLDERPATH"), "/p/a b");
    EXPECT_EQ(t.Find("Sarvo Changer", "quoted"), "q v");
    EXPECT_FALSE(t.Find("Sarvo Changer", "WallPaper") || t.Find("Sarvo Changer", ";WallPaper"));  // a comment is no key
    EXPECT_FALSE(t.Find("Other", "FolderPath"));
    EXPECT_FALSE(t.Find("Sarvo Changer", "Folder"));
}

TEST(ProfileText, KeysBelongToTheirOwnSectionAndLfAndCrLfReadAlike) {
    for (const char* text : {"[S]\nk=v\n", "[S]\r\nk=v\r\n", "[S]\r\nk=v"})
        EXPECT_EQ(ProfileText(text).Find("S", "k"), "v") << text;
    const ProfileText t("top=1\n[A]\nk=a\n[B]\nk=b\nonly=b\n");
    EXPECT_EQ(t.Find("A", "k"), "a");
    EXPECT_EQ(t.Find("B", "k"), "b");
    EXPECT_FALSE(t.Find("A", "only"));
    EXPECT_FALSE(t.Find("A", "top"));
}

TEST(ProfileText, FirstWritesMakeTheSectionAndKeepTheirOrder) {
    ProfileText t;
    t.Set("Sarvo Changer", "FolderPath", "/pics");
    t.Set("Sarvo Changer", "WallPaper", "/pics/a.jpg");
    t.Set("sarvo changer", "folderpath", "/other");  // rewrite keeps place and spelling
    t.Set("Sarvo Changer", "StartUp", "");  // an empty value stays an empty key
    EXPECT_EQ(t.Find("Sarvo Changer", "StartUp"), "");
    EXPECT_EQ(t.Text(), "[Sarvo Changer]\r\nFolderPath=/other\r\nWallPaper=/pics/a.jpg\r\nStartUp=\r\n");
}

TEST(ProfileText, EditsKeepEveryOtherByte) {
    const std::string before = "; made by hand\n[Other]\nx = 1 \n\n[Sarvo Changer]\nFolderPath=/a\n\n[Last]\ny=2";
    ProfileText t(before);
    EXPECT_EQ(t.Text(), before);
    t.Set("Sarvo Changer", "WallPaper", "/a/b.jpg");
    EXPECT_EQ(t.Text(),
              "; made by hand\n[Other]\nx = 1 \n\n[Sarvo Changer]\nFolderPath=/a\nWallPaper=/a/b.jpg\n\n[Last]\ny=2");
    t.Set("New", "k", "v");  // appended with the text's own line end, after a final one is added
    EXPECT_EQ(t.Text(), "; made by hand\n[Other]\nx = 1 \n\n[Sarvo Changer]\nFolderPath=/a\nWallPaper=/a/b.jpg\n"
                        "\n[Last]\ny=2\n[New]\nk=v\n");
}

TEST(ProfileText, RemoveAndAddSection) {
    ProfileText t("[K]\r\na=1\r\nb=2\r\n");
    EXPECT_TRUE(t.Remove("k", "A"));
    EXPECT_FALSE(t.Remove("k", "a"));
    EXPECT_FALSE(t.Remove("none", "b"));
    t.AddSection("K");  // already there
    t.AddSection("Run");
    EXPECT_TRUE(t.HasSection("run"));
    EXPECT_EQ(t.Text(), "[K]\r\nb=2\r\n[Run]\r\n");
}

TEST(ProfileText, DamagedTextStillReadsWhatItCan) {
    const std::string damaged =
        std::string("\x00\xff", 2) + "[Sarvo Changer\n[Sarvo Changer]\n=novalue\nnoequals\nWallPaper=/x.jpg\n";
    const ProfileText t(damaged);
    EXPECT_EQ(t.Find("Sarvo Changer", "WallPaper"), "/x.jpg");
    EXPECT_EQ(t.Text(), damaged);
}
