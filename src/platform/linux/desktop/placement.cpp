#include "desktop/placement.h"

#include <array>

namespace sarvo::platform {

namespace {

struct Row {
    DesktopMode desktop;
    std::string_view centre, tile, stretch;
};

// Plasma 6.6 moved tiling out of the image plugin: its tile is handled by
// the Plasma backend (another plugin, or a picture laid out beforehand).
constexpr std::array<Row, 8> kTable{{
    {DesktopMode::GSettings, "centered", "wallpaper", "stretched"},
    {DesktopMode::Plasma, "6", "", "0"},
    {DesktopMode::Xfce, "1", "2", "3"},
    {DesktopMode::Pcmanfm, "center", "tile", "stretch"},
    {DesktopMode::Sway, "center", "tile", "stretch"},
    {DesktopMode::Swaybg, "center", "tile", "stretch"},
    {DesktopMode::Hyprpaper, "", "tile", "stretch"},
    {DesktopMode::Portal, "", "", ""},
}};

const Row& RowOf(DesktopMode desktop) {
    for (const Row& row : kTable)
        if (row.desktop == desktop) return row;
    return kTable.back();
}

}  // namespace

// The desktops that span one picture across their monitors themselves; the
// others are handed each output's part (presenter::PrepareOutputs).
std::string_view SpannedValue(DesktopMode desktop) {
    switch (desktop) {
        case DesktopMode::GSettings: return "spanned";
        case DesktopMode::Xfce: return "6";
        case DesktopMode::Pcmanfm: return "screen";
        default: return "";
    }
}

std::string_view ModeValue(DesktopMode desktop, Placement placement) {
    const Row& row = RowOf(desktop);
    switch (placement) {
        case Placement::Centre: return row.centre;
        case Placement::Tile: return row.tile;
        case Placement::Stretch: return row.stretch;
        case Placement::Span: return SpannedValue(desktop);
    }
    return row.centre;
}

std::string_view StretchedValue(DesktopMode desktop) { return RowOf(desktop).stretch; }

}  // namespace sarvo::platform
