// The parts of the Qt module, each in a file of its own; module.cpp puts
// them into the table the programs call (qt/module.h).
#pragma once

#include <QWidget>

#include <string>
#include <vector>

#include "core/pure/form.h"
#include "platform/dialogs.h"
#include "platform/screen.h"

namespace sarvo::platform::linux_qt {

int ShowMessageBox(const std::string& caption, const std::string& text, unsigned style);

bool RunFormWindow(FormSpec& form, std::string& why);

// The program's window while RunFormWindow shows it, else null: the parent
// that makes boxes and dialogs modal over it.
QWidget* OpenWindow();

DialogResult BrowseFolderDialog(const std::string& title, const std::string& startFolder, std::string& chosen,
                                std::string& why);

DialogResult InputDialog(const std::string& caption, const std::string& prompt, const std::string& initial,
                         std::string& answer, std::string& why);

bool QtPrimaryScreenSize(int& width, int& height);

// A monitor of a Wayland session as its compositor reports it: its name
// (where the compositor gives one), its place, and its current mode in the
// monitor's own pixels, as the monitor is turned.
struct WaylandMode {
    std::string name;
    int x = 0, y = 0;
    int width = 0, height = 0;
};

// Every monitor's mode, in the compositor's order; none when the compositor
// (WAYLAND_DISPLAY) cannot be reached or does not answer within 2 seconds.
std::vector<WaylandMode> WaylandModes();

std::vector<DesktopMonitor> QtScreens();

}  // namespace sarvo::platform::linux_qt
