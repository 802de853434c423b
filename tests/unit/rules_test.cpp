#include <gtest/gtest.h>

#include "core/pure/profile_text.h"
#include "core/pure/rules.h"

using namespace sarvo;

TEST(PictureFileName, ExtensionsCountInAnyCaseWithoutADot) {
    for (const char* name : {"a.bmp", "a.BMP", "b.Gif", "photo.JPEG", "photo.Jpg", "xjpg", "jpeg", "bmp"})
        EXPECT_TRUE(IsPictureFileName(name)) << name;
    for (const char* name : {"photo.jpe", "photo.png", "a.tif", "", "jp", "gi", "a.jpg.txt", "jpeg "})
        EXPECT_FALSE(IsPictureFileName(name)) << name;
}

TEST(PictureHandOver, OnlyAQuotedPictureIsHandedOverWithoutItsQuotes) {
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"\"C:\\Pics\\Sea.JPG\"", "C:\\Pics\\Sea.JPG"}, {"\"/home/u/a b/x.Gif\"", "/home/u/a b/x.Gif"},
        {"\"/p/photo.jpeg\"", "/p/photo.jpeg"},         {"\"/p/c.BMP\"", "/p/c.BMP"},
        {"\"jpg\"", "jpg"},  // the shortest text that passes
        {"/p/photo.jpg", std::nullopt},  // unquoted: the last character is part of the extension
        {"\"/p/notes.txt\"", std::nullopt}, {"\"/p/a.jpg\" extra", std::nullopt}, {"/nokey", std::nullopt},
        {"", std::nullopt}, {"jpg\"", std::nullopt}, {"x", std::nullopt},  // shorter than five: never looked at
    };
    for (const auto& [text, path] : cases) EXPECT_EQ(PictureHandOverPath(text), path) << text;
}

TEST(PathHelpers, LastComponentAndExtension) {
    const struct {
        const char* path;
        char separator;
        const char *last, *extension;
    } cases[] = {
        {"C:\\Pictures\\sea.jpg", '\\', "sea.jpg", "jpg"},
        {"a.jpg", '\\', "", ""},
        {"C:\\Pictures\\", '\\', "", ""},
        {"/home/u/sea.JPG", '/', "sea.JPG", "JPG"},
        {"C:\\dir/x.jpg", '/', "x.jpg", "jpg"},
        {"C:\\Pictures\\archive.tar.gz", '\\', "archive.tar.gz", "gz"},
        {"C:\\Pictures\\name.", '\\', "name.", ""},
        {"C:\\Pictures.old\\readme", '\\', "readme", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LastComponent(c.path, c.separator), c.last) << c.path;
        EXPECT_EQ(ExtensionOf(c.path, c.separator), c.extension) << c.path;
    }
}

TEST(Numbers, ProfileNumbersReadAsTheProfileFunctionReadsThemAndClampToSixteenBits) {
    const std::pair<const char*, long> numbers[] = {
        {"abc", 0}, {"12abc", 12}, {"70000", 70000}, {"-5", -5}, {"0x10", 16}, {"  42  ", 42},
        {"5000000000", 705032704},  // wraps at 32 bits
        {"", -7},
    };
    for (const auto& [text, value] : numbers) EXPECT_EQ(ProfileNumber(text, -7), value) << text;
    for (const auto& [value, clamped] : {std::pair{1L, 1}, {-32768L, -32768}, {70000L, 32767}, {-70000L, -32768}})
        EXPECT_EQ(ClampToInt16(value), clamped) << value;
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
