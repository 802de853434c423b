// Xfce: xfdesktop's settings in xfconf, over D-Bus.
#pragma once

#include <string>
#include <string_view>

#include "desktop/backend.h"

namespace sarvo::platform {

extern const DesktopBackend kXfceBackend;

// The name xfdesktop gives a monitor in its properties: "monitor" and the
// output's name without blanks, which recent Xfce releases put in (they
// name monitors by connector and model). Empty when a character is left
// that xfconf refuses in a property's name, or none at all.
std::string XfceMonitorName(std::string_view outputName);

}  // namespace sarvo::platform
