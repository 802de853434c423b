// LXDE and LXQt: their desktops are drawn by pcmanfm and pcmanfm-qt, which
// take a new wallpaper from a second instance of themselves.
#pragma once

#include "desktop/backend.h"

namespace sarvo::platform {

extern const DesktopBackend kLxdeBackend;
extern const DesktopBackend kLxqtBackend;

}  // namespace sarvo::platform
