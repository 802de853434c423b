// Test-only message boxes, dialogs and window: every box and dialog is
// recorded instead of shown and answered from a script; the window runs the
// script's user actions on the form's models, then closes.
//
// In a test process, tests read and set ScriptedUi() directly. A test build
// of a program linked with this service is scripted through the environment:
//   SARVO_TEST_UI_ANSWERS  the message boxes' answers, one per box, as
//                          comma-separated numbers (when they run out: the
//                          cancel answer);
//   SARVO_TEST_UI_DIALOGS  the dialogs' answers, one line per dialog: "ok
//                          TEXT" (the folder chosen or the text typed),
//                          "cancel", or "error WHY" (when they run out:
//                          cancel);
//   SARVO_TEST_UI_WINDOW   what the user does in the window, one line per
//                          action, before closing it: "text NAME VALUE",
//                          "click NAME" (a check box toggles), "dblclick
//                          NAME", "choose NAME INDEX";
//   SARVO_TEST_UI_LOG      a file that gets one record per box, dialog and
//                          window (UTF-8): the caption, a line feed, the text
//                          with its CR LF kept, a line feed, the kind, a line
//                          feed, then a line holding only "--". The kind is a
//                          message box's style in decimal, "folder" (the text
//                          is the start folder), "input" (the text is the
//                          prompt, CR LF, the pre-filled answer) or "window".
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "core/pure/form.h"
#include "platform/dialogs.h"

namespace sarvo::fake {

struct ShownMessage {
    std::string caption;
    std::string text;
    unsigned style;
};

enum class DialogKind { FolderBrowser, InputBox };

struct ShownDialog {
    DialogKind kind;
    std::string caption;  // the browser's title, or the input box's caption
    std::string prompt;   // the input box's prompt; empty for the browser
    std::string initial;  // the browser's start folder, or the pre-filled answer
};

struct DialogAnswer {
    platform::DialogResult result;
    std::string text;  // Ok: the folder or the answer; Error: why
};

struct UiScript {
    std::deque<int> answers;               // next message-box answers, front first
    std::vector<ShownMessage> shown;       // every box, in order
    std::deque<DialogAnswer> dialogAnswers;  // next dialog answers, front first
    std::vector<ShownDialog> dialogs;      // every dialog, in order

    // The window: when `windowShows` is false it cannot be shown, for
    // `windowFailure`. Otherwise `user` acts on the form, then it closes.
    bool windowShows = true;
    std::string windowFailure = "no display";
    std::function<void(FormSpec&)> user;
    std::vector<std::string> windows;      // caption of every window run
};

UiScript& ScriptedUi();
void ResetScriptedUi();

// Carries out one user action, written as in SARVO_TEST_UI_WINDOW, on the
// form's models. False when the action or the control is not known.
bool ActInWindow(FormSpec& form, const std::string& action);

}  // namespace sarvo::fake
