// The entry point of the Plasma module (sarvo-desktop-plasma.so), which holds
// all that the suite uses of Qt's D-Bus. Like the message box, it lies beside
// the programs and is loaded only when the Plasma backend is tried, so that
// other runs do not pay for loading Qt.
#pragma once

extern "C" {

#define SARVO_PLASMA_ENTRY "sarvo_plasma_evaluate"

// Waits up to 10 seconds for the Plasma shell on the session bus, then runs
// `script` (UTF-8) in it through org.kde.PlasmaShell.evaluateScript, which
// must answer within 5 seconds. Writes
// the shell's reply, or the reason it failed, to `text` (UTF-8, cut to fit
// `size` bytes with its NUL). Returns 1 on success, 0 on failure.
using SarvoPlasmaEvaluate = int (*)(const char* script, char* text, unsigned long size);
}
