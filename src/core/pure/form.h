// A program's window as data: its caption and size, and each control's kind,
// place, texts and model. The platform's window service (platform/window.h)
// draws a FormSpec and forwards the user's actions to the models; the
// programs describe their windows with it and never see a window system.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/pure/controls.h"

namespace sarvo {

enum class ControlKind {
    Label,          // Label model
    TextBox,        // TextBox model, one line, editable
    HelpText,       // TextBox model, several lines, read-only, vertical scroll bar
    CheckBox,       // CheckBox model; the caption is ControlSpec::caption
    DropDownList,   // ComboBox model
    Button,         // Button model; shows the caption, or the picture when it has one
    Image,          // Image model showing ControlSpec::picture
};

// Pictures of the suite, drawn by our own generator (resources/) at each of
// PictureSizes.
enum class Picture {
    None,
    SettingToolIcon,   // a dark screen frame with a light-blue circular arrow
    Folder,            // a yellow folder
    TrashBox,          // a light-blue waste bin bearing green circular arrows
    UninstallerIcon,   // the uninstaller's window icon
};

// The square sizes in pixels, smallest first, that `picture` is drawn at:
// 16, 24, 32, 48, 64 and 128, and for the folder, drawn on a grid of 12,
// also 12, the size its button has at 96 DPI. None for Picture::None.
std::vector<int> PictureSizes(Picture picture);

// The largest of PictureSizes that is no larger than `room` pixels (the
// smallest when none is): a size the picture shows at unscaled.
int PictureSizeFor(Picture picture, int room);

enum class TextColour {
    Default,    // the system's text colour
    Highlight,  // the system's highlight colour
    Blue,       // pure blue (0, 0, 255), for web addresses
};

enum class Alignment { Left, Centre };

// A place in twips (1/1440 inch) from the client area's top-left corner.
struct TwipRect {
    int left = 0, top = 0, width = 0, height = 0;
};

struct FontSpec {
    std::string face;       // as the system names it, UTF-8 ("ＭＳ Ｐゴシック")
    int points = 9;
    bool bold = false;
    bool underline = false;
    bool japanese = false;  // the Japanese character set (Shift-JIS, 128)
};

struct ControlSpec {
    std::string name;                // "txtWallpaperFolder"
    ControlKind kind = ControlKind::Label;
    TwipRect place;
    int tabIndex = -1;               // place in the focus order; labels and images take no focus
    std::string caption;             // check boxes and buttons; labels take the Label model's caption
    std::string toolTip;
    TextColour colour = TextColour::Default;
    Alignment alignment = Alignment::Left;
    std::optional<FontSpec> font;    // none: the window's font (FormSpec::font)
    Picture picture = Picture::None;
    Control* model = nullptr;        // the model of the kind's type, owned by the program's Form1
};

struct FormSpec {
    std::string caption;
    int clientWidth = 0;             // twips
    int clientHeight = 0;            // twips
    bool minimizeBox = false;
    bool maximizeBox = false;
    Picture icon = Picture::None;
    // The font of every control that names none of its own: the default font
    // of the Japanese system the windows are laid out for.
    FontSpec font{"ＭＳ Ｐゴシック", 9, false, false, true};
    std::vector<ControlSpec> controls;  // creation order, which is also stacking order
    // The user closes the window (Form_Unload). The window closes afterwards
    // whatever this does.
    std::function<void()> onUnload;

    // Appends a control (after those already there, in creation order) and
    // gives it back for its other settings.
    ControlSpec& Add(std::string name, ControlKind kind, TwipRect place, int tabIndex, Control& model) {
        ControlSpec c;
        c.name = std::move(name);
        c.kind = kind;
        c.place = place;
        c.tabIndex = tabIndex;
        c.model = &model;
        controls.push_back(std::move(c));
        return controls.back();
    }
};

// Twips to pixels at `dotsPerInch` (15 twips to a pixel at 96), rounded to
// the nearest pixel.
inline int TwipsToPixels(int twips, int dotsPerInch) {
    const long scaled = static_cast<long>(twips) * dotsPerInch;
    return static_cast<int>((scaled >= 0 ? scaled + 720 : scaled - 720) / 1440);
}

inline bool TakesFocus(const ControlSpec& control) {
    return control.tabIndex >= 0 && control.kind != ControlKind::Label && control.kind != ControlKind::Image;
}

// The controls that take the focus, in focus order (by tab index).
std::vector<const ControlSpec*> FocusOrder(const FormSpec& form);

// A text box's bytes as a window shows them: UTF-8, in which each byte that
// belongs to no well-formed UTF-8 character (a Linux file name may hold
// such) shows as U+FFFD.
std::string ShownText(std::string_view bytes);

// The bytes a text box holds once the user has edited ShownText(bytes) into
// `edited` (UTF-8). What the edit left as it was keeps its own bytes, so an
// edit that ends where it began gives back `bytes`; what the user typed is
// taken as typed. None when what the user changed holds U+FFFD: it may stand
// for bytes the edit moved, which can no longer be told, and the edit must
// be refused rather than store a name nobody chose.
std::optional<std::string> EditedBytes(std::string_view bytes, std::string_view edited);

}  // namespace sarvo
