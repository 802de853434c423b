// KDE Plasma: a script run in the Plasma shell over D-Bus sets the picture
// and its fill mode on every desktop.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "desktop/backend.h"

namespace sarvo::platform {

extern const DesktopBackend kPlasmaBackend;

// `text` as a JavaScript string literal in single quotes.
std::string JsQuoted(std::string_view text);

// The script that shows the picture at `uri` on every desktop with the
// wallpaper plugin `plugin`, and with `fillMode` unless it is empty.
std::string PlasmaPictureScript(std::string_view uri, std::string_view plugin, std::string_view fillMode);

// One screen's picture: the screen at (x, y) on the desktop shows `uri`.
struct PlasmaScreenPicture {
    int x = 0;
    int y = 0;
    std::string uri;
};

// The script that gives each desktop the picture of the screen it lies on
// (found by the screen's place), shown by the image plugin with `fillMode`.
std::string PlasmaScreensScript(const std::vector<PlasmaScreenPicture>& pictures, std::string_view fillMode);

// The script that leaves every desktop a plain colour.
std::string PlasmaClearScript();

}  // namespace sarvo::platform
