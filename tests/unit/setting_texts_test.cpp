#include <gtest/gtest.h>

#include <climits>

#include "core/pure/placement.h"
#include "core/pure/setting_texts.h"

using namespace sarvo;

TEST(SettingTexts, SizeCaptionsPadTheWallpaperNumbersToFourAndShowATopDownHeightAsItsSize) {
    EXPECT_EQ(ScreenSizeCaption(1024, 768), "1024 x 768 ピクセル");
    EXPECT_EQ(ScreenSizeCaption(0, 0), "0 x 0 ピクセル");
    const struct {
        std::int32_t width, height;
        const char* caption;
    } cases[] = {
        {800, 600, " 800 x  600 ピクセル"},        {1024, 768, "1024 x  768 ピクセル"},
        {0, 0, "   0 x    0 ピクセル"},            {12345, 1024, "12345 x 1024 ピクセル"},
        {1280, -1024, "1280 x 1024 ピクセル"},     {7, INT32_MIN, "   7 x 2147483648 ピクセル"},
    };
    for (const auto& c : cases) EXPECT_EQ(WallpaperSizeCaption(c.width, c.height), c.caption);
}

TEST(SettingTexts, ProposedNameIsTheDateAndTimeWithLeadingZeros) {
    std::tm when{};
    when.tm_year = 105, when.tm_mon = 10, when.tm_mday = 11, when.tm_hour = 14, when.tm_min = 38, when.tm_sec = 26;
    EXPECT_EQ(ProposedWallpaperName(when), "Wallpaper20051111143826");
    when.tm_year = 126, when.tm_mon = 0, when.tm_mday = 2, when.tm_hour = 3, when.tm_min = 4, when.tm_sec = 5;
    EXPECT_EQ(ProposedWallpaperName(when), "Wallpaper20260102030405");
}

TEST(SettingTexts, NumberedNamesGoBeforeTheLastExtension) {
    const struct {
        const char* name;
        int number;
        const char* numbered;
    } cases[] = {
        {"sea.jpg", 2, "sea (2).jpg"}, {"README", 3, "README (3)"},      {"a.tar.gz", 2, "a.tar (2).gz"},
        {".hidden", 2, ".hidden (2)"}, {"name.", 12, "name (12)."},      {"IMG 0001.JPG", 2, "IMG 0001 (2).JPG"},
    };
    for (const auto& c : cases) EXPECT_EQ(NumberedName(c.name, c.number), c.numbered);
}

TEST(SettingTexts, StartUpEntryIsQuotedOnlyWhereItIsACommandLine) {
    EXPECT_EQ(StartUpEntry("C:\\Program Files\\Sarvo\\SarvoChanger.exe", '\\'),
              "\"C:\\Program Files\\Sarvo\\SarvoChanger.exe\"");
    EXPECT_EQ(StartUpEntry("/opt/sarvo dir/SarvoChanger", '/'), "/opt/sarvo dir/SarvoChanger");
}

TEST(PlacementList, OnlyTheThreeRowsMatchReadAsNumbers) {
    const struct {
        const char *tile, *style;
        int index;  // -1: no row
    } cases[] = {
        {"0", "0", 0}, {"1", "0", 1}, {"0", "2", 2}, {"01", "0", 1}, {" 0", "02", 2},
        {"1", "2", -1}, {"", "", -1}, {"0", "", -1}, {"2", "0", -1}, {"0", "6", -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PlacementListIndex(c.tile, c.style).value_or(-1), c.index) << c.tile << "/" << c.style;
    for (int index = 0; index < 3; ++index) {
        const auto values = PlacementListValues(index);
        ASSERT_TRUE(values);
        EXPECT_EQ(PlacementListIndex(values->first, values->second), index);
    }
    EXPECT_FALSE(PlacementListValues(-1));
    EXPECT_FALSE(PlacementListValues(3));
}
