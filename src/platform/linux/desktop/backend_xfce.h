// Xfce: xfdesktop's settings in xfconf, over D-Bus.
#pragma once

#include "desktop/backend.h"

namespace sarvo::platform {

extern const DesktopBackend kXfceBackend;

}  // namespace sarvo::platform
