#include <gtest/gtest.h>

#include "core/pure/placement.h"

using sarvo::Placement;

TEST(PlacementFromValues, NumbersOfTheStoredPairTileFirstThenStretchElseCentre) {
    const struct {
        const char *tile, *style;
        Placement expected;
    } cases[] = {
        // The pairs the settings tool writes, and nothing stored yet.
        {"0", "0", Placement::Centre}, {"1", "0", Placement::Tile}, {"0", "2", Placement::Stretch},
        {"", "", Placement::Centre},
        // Values are read as numbers; text after the digits makes one no number.
        {"01", "0", Placement::Tile}, {" 1 ", "0", Placement::Tile}, {"0", "+02", Placement::Stretch},
        {"00", "\t2", Placement::Stretch}, {"1x", "0", Placement::Centre}, {"0", "2 px", Placement::Centre},
        {"11", "0", Placement::Centre}, {"-1", "0", Placement::Centre},
        // Other pairs: tile first, then stretch, else centre (fit, fill, span are not ours).
        {"1", "2", Placement::Tile}, {"", "2", Placement::Stretch}, {"1", "", Placement::Tile},
        {"0", "6", Placement::Centre}, {"0", "10", Placement::Centre}, {"yes", "stretch", Placement::Centre},
        {"99999999999999999999", "2", Placement::Stretch},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sarvo::PlacementFromValues(c.tile, c.style), c.expected) << "[" << c.tile << "] [" << c.style << "]";
}
