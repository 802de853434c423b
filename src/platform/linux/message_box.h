// The entry point of the message-box module (sarvo-message-box.so), which
// holds all that the suite uses of Qt for message boxes. The module lies
// beside the programs and is loaded only when a box must really be shown, so
// that a run that shows none does not pay for loading Qt.
#pragma once

extern "C" {

// The name the module exports its entry point under.
#define SARVO_MESSAGE_BOX_ENTRY "sarvo_show_message_box"

// Shows a modal box with `text` (UTF-8, lines joined by "\n") under `caption`
// and returns the answer, with the style and answer values of ui.h. The
// caller has made sure that an X display can be reached.
using SarvoShowMessageBox = int (*)(const char* caption, const char* text, unsigned style);

}
