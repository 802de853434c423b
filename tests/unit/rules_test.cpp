#include <gtest/gtest.h>

#include "core/profile_text.h"
#include "core/rules.h"

using namespace sarvo;

TEST(PictureFileName, ExtensionsCountInAnyCaseWithoutADot) {
    for (const char* name : {"a.bmp", "a.BMP", "b.Gif", "photo.JPEG", "photo.Jpg", "xjpg", "jpeg", "bmp"})
        EXPECT_TRUE(IsPictureFileName(name)) << name;
    for (const char* name : {"photo.jpe", "photo.png", "a.tif", "", "jp", "gi", "a.jpg.txt", "jpeg "})
        EXPECT_FALSE(IsPictureFileName(name)) << name;
}

TEST(PictureHandOver, QuotedPictureInAnyCaseIsHandedOverWithoutItsQuotes) {
    EXPECT_EQ(PictureHandOverPath("\"C:\\Pics\\Sea.JPG\""), "C:\\Pics\\Sea.JPG");
    EXPECT_EQ(PictureHandOverPath("\"/home/u/a b/x.Gif\""), "/home/u/a b/x.Gif");
    EXPECT_EQ(PictureHandOverPath("\"/p/photo.jpeg\""), "/p/photo.jpeg");
    EXPECT_EQ(PictureHandOverPath("\"/p/c.BMP\""), "/p/c.BMP");
}

TEST(PictureHandOver, OtherTextsAreNoPicture) {
    EXPECT_FALSE(PictureHandOverPath("/p/photo.jpg"));       // unquoted: last char is part of the extension
    EXPECT_FALSE(PictureHandOverPath("\"/p/notes.txt\""));   // not a picture
    EXPECT_FALSE(PictureHandOverPath("\"/p/a.jpg\" extra"));
    EXPECT_FALSE(PictureHandOverPath("/nokey"));
    EXPECT_FALSE(PictureHandOverPath(""));
    // Shorter than five characters: never looked at, even when it ends like one.
    EXPECT_FALSE(PictureHandOverPath("jpg\""));
    EXPECT_FALSE(PictureHandOverPath("x"));
    EXPECT_EQ(PictureHandOverPath("\"jpg\""), "jpg");  // the shortest text that passes
}

TEST(PathHelpers, LastComponentAndExtension) {
    EXPECT_EQ(LastComponent("C:\\a.jpg", '\\'), "a.jpg");
    EXPECT_EQ(LastComponent("C:\\Pictures\\sea.jpg", '\\'), "sea.jpg");
    EXPECT_EQ(LastComponent("a.jpg", '\\'), "");
    EXPECT_EQ(LastComponent("C:\\Pictures\\", '\\'), "");
    EXPECT_EQ(LastComponent("/home/u/sea.jpg", '/'), "sea.jpg");
    EXPECT_EQ(LastComponent("C:\\dir/x.jpg", '/'), "x.jpg");

    EXPECT_EQ(ExtensionOf("C:\\Pictures\\photo.JPG", '\\'), "JPG");
    EXPECT_EQ(ExtensionOf("C:\\Pictures\\archive.tar.gz", '\\'), "gz");
    EXPECT_EQ(ExtensionOf("C:\\Pictures.old\\readme", '\\'), "");
    EXPECT_EQ(ExtensionOf("photo.jpg", '\\'), "");
    EXPECT_EQ(ExtensionOf("C:\\Pictures\\name.", '\\'), "");
    EXPECT_EQ(ExtensionOf("/p.d/q/photo.jpeg", '/'), "jpeg");
}

TEST(Numbers, ClampToSixteenBits) {
    EXPECT_EQ(ClampToInt16(1), 1);
    EXPECT_EQ(ClampToInt16(-32768), -32768);
    EXPECT_EQ(ClampToInt16(70000), 32767);
    EXPECT_EQ(ClampToInt16(-70000), -32768);
}

TEST(Numbers, ProfileNumbersReadAsTheProfileFunctionReadsThem) {
    EXPECT_EQ(ProfileNumber("abc", -7), 0);
    EXPECT_EQ(ProfileNumber("12abc", -7), 12);
    EXPECT_EQ(ProfileNumber("70000", -7), 70000);
    EXPECT_EQ(ProfileNumber("-5", -7), -5);
    EXPECT_EQ(ProfileNumber("0x10", -7), 16);
    EXPECT_EQ(ProfileNumber("  42  ", -7), 42);
    EXPECT_EQ(ProfileNumber("5000000000", -7), 705032704);  // wraps at 32 bits
    EXPECT_EQ(ProfileNumber("", -7), -7);
    EXPECT_EQ(ProfileNumber("1", 0), 1);
}

TEST(Texts, DefaultsLoseTrailingBlanksAndCutsKeepCharactersWhole) {
    EXPECT_EQ(TrimTrailingBlanks("DEF  "), "DEF");
    EXPECT_EQ(TrimTrailingBlanks("  DEF"), "  DEF");
    EXPECT_EQ(CutToLimit("abcdef", 4), "abcd");
    EXPECT_EQ(CutToLimit("ab", 4), "ab");
    // "日" is three bytes: a cut inside it drops the whole character.
    EXPECT_EQ(CutToLimit("a日本", 3), "a");
    EXPECT_EQ(CutToLimit("a日本", 4), "a日");
}
