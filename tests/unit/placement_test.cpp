#include <gtest/gtest.h>

#include "core/placement.h"

using sarvo::Placement;
using sarvo::PlacementFromValues;

TEST(PlacementFromValues, ThePairsTheSettingsToolWrites) {
    EXPECT_EQ(PlacementFromValues("0", "0"), Placement::Centre);
    EXPECT_EQ(PlacementFromValues("1", "0"), Placement::Tile);
    EXPECT_EQ(PlacementFromValues("0", "2"), Placement::Stretch);
}

TEST(PlacementFromValues, ValuesAreReadAsNumbers) {
    EXPECT_EQ(PlacementFromValues("01", "0"), Placement::Tile);
    EXPECT_EQ(PlacementFromValues(" 1 ", "0"), Placement::Tile);
    EXPECT_EQ(PlacementFromValues("0", "+02"), Placement::Stretch);
    EXPECT_EQ(PlacementFromValues("00", "\t2"), Placement::Stretch);
    // Text after the digits makes the value no number.
    EXPECT_EQ(PlacementFromValues("1x", "0"), Placement::Centre);
    EXPECT_EQ(PlacementFromValues("0", "2 px"), Placement::Centre);
    EXPECT_EQ(PlacementFromValues("11", "0"), Placement::Centre);
    EXPECT_EQ(PlacementFromValues("-1", "0"), Placement::Centre);
}

TEST(PlacementFromValues, OtherPairsTileFirstThenStretchElseCentre) {
    EXPECT_EQ(PlacementFromValues("1", "2"), Placement::Tile);
    EXPECT_EQ(PlacementFromValues("", ""), Placement::Centre);   // nothing stored yet
    EXPECT_EQ(PlacementFromValues("", "2"), Placement::Stretch);
    EXPECT_EQ(PlacementFromValues("1", ""), Placement::Tile);
    EXPECT_EQ(PlacementFromValues("0", "6"), Placement::Centre);   // fit, fill, span: not ours
    EXPECT_EQ(PlacementFromValues("0", "10"), Placement::Centre);
    EXPECT_EQ(PlacementFromValues("yes", "stretch"), Placement::Centre);
    EXPECT_EQ(PlacementFromValues("99999999999999999999", "2"), Placement::Stretch);
}
