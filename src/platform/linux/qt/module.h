// The Qt module (sarvo-qt.so): everything the suite shows with Qt - message
// boxes, the programs' windows, the folder browser and the input box - in
// one shared module that lies beside the programs. The programs load it
// only when something must really be shown (qt/loader.h), so that a
// changer run that shows nothing never pays for loading Qt. Module and
// programs are built together; the table's version guards against a module
// left over from another build.
#pragma once

#include <string>
#include <vector>

#include "core/pure/form.h"
#include "platform/dialogs.h"
#include "platform/screen.h"

namespace sarvo::platform::linux_qt {

inline constexpr int kModuleVersion = 2;

// What the module offers, with the contracts of ui.h, window.h, dialogs.h
// and screen.h; the caller has made sure that a display can be reached.
struct Entries {
    int version;
    int (*showMessage)(const std::string& caption, const std::string& text, unsigned style);
    bool (*runWindow)(FormSpec& form, std::string& why);
    DialogResult (*browseForFolder)(const std::string& title, const std::string& startFolder,
                                    std::string& chosen, std::string& why);
    DialogResult (*inputBox)(const std::string& caption, const std::string& prompt, const std::string& initial,
                             std::string& answer, std::string& why);
    bool (*primaryScreenSize)(int& width, int& height);
    // Every screen at its place on the desktop, in logical pixels.
    std::vector<DesktopMonitor> (*screens)();
};

}  // namespace sarvo::platform::linux_qt

extern "C" {

// The name the module exports its entry point under.
#define SARVO_QT_ENTRY "sarvo_qt_start"

// Starts Qt on `platforms` (a Qt platform name, or several separated by ';'
// to try in turn; null to leave the choice to Qt and QT_QPA_PLATFORM) and
// returns the module's table. Returns null and fills `why` when Qt cannot
// be started there (its platform plugin is not installed).
using SarvoQtStart = const sarvo::platform::linux_qt::Entries* (*)(const char* platforms, std::string* why);
}
