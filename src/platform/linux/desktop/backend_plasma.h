// KDE Plasma: a script run in the Plasma shell over D-Bus sets the picture
// and its fill mode on every desktop.
#pragma once

#include <string>
#include <string_view>

#include "desktop/backend.h"

namespace sarvo::platform {

extern const DesktopBackend kPlasmaBackend;

// `text` as a JavaScript string literal in single quotes.
std::string JsQuoted(std::string_view text);

// The script that shows the picture at `uri` on every desktop with the
// wallpaper plugin `plugin`, and with `fillMode` unless it is empty.
std::string PlasmaPictureScript(std::string_view uri, std::string_view plugin, std::string_view fillMode);

// The script that leaves every desktop a plain colour.
std::string PlasmaClearScript();

}  // namespace sarvo::platform
