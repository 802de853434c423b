#include "core/pure/placement.h"

#include <optional>

namespace sarvo {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The whole text as a decimal number with optional sign and surrounding
// blanks; nothing when it is anything else. Large numbers saturate: they
// only need to differ from 1 and 2.
std::optional<long> WholeNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    const std::size_t firstDigit = i;
    long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (value < 1000000) value = value * 10 + (text[i] - '0');
    }
    if (i == firstDigit) return std::nullopt;
    while (i < text.size() && IsBlank(text[i])) ++i;
    if (i != text.size()) return std::nullopt;
    return negative ? -value : value;
}

}  // namespace

Placement PlacementFromValues(std::string_view tileWallpaper, std::string_view wallpaperStyle) {
    if (WholeNumber(tileWallpaper) == 1) return Placement::Tile;
    if (WholeNumber(wallpaperStyle) == 2) return Placement::Stretch;
    return Placement::Centre;
}

std::optional<int> PlacementListIndex(std::string_view tileWallpaper, std::string_view wallpaperStyle) {
    const auto tile = WholeNumber(tileWallpaper);
    const auto style = WholeNumber(wallpaperStyle);
    if (tile == 1 && style == 0) return 1;
    if (tile == 0 && style == 0) return 0;
    if (tile == 0 && style == 2) return 2;
    return std::nullopt;
}

std::optional<std::pair<const char*, const char*>> PlacementListValues(int index) {
    switch (index) {
        case 0: return std::pair{"0", "0"};
        case 1: return std::pair{"1", "0"};
        case 2: return std::pair{"0", "2"};
        default: return std::nullopt;
    }
}

std::string_view PlacementName(Placement placement) {
    switch (placement) {
        case Placement::Centre: return "centre";
        case Placement::Tile: return "tile";
        case Placement::Stretch: return "stretch";
        case Placement::Span: return "span";
    }
    return "centre";
}

}  // namespace sarvo
