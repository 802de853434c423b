// Test-only message boxes: every box is recorded instead of shown, and
// answered from a script.
//
// In a test process, tests read ScriptedUi() directly. A test build of a
// program linked with this service also appends each box to the file named by
// the environment variable SARVO_TEST_UI_LOG (UTF-8: the caption, a line
// feed, the text with its CR LF kept, a line feed, the style in decimal, a
// line feed, then a line holding only "--"), and takes its answers, one per
// box, from the comma-separated numbers in SARVO_TEST_UI_ANSWERS (when that
// runs out: the cancel answer).
#pragma once

#include <deque>
#include <string>
#include <vector>

namespace sarvo::fake {

struct ShownMessage {
    std::string caption;
    std::string text;
    unsigned style;
};

struct UiScript {
    std::deque<int> answers;            // next answers, front first
    std::vector<ShownMessage> shown;    // every box, in order
};

UiScript& ScriptedUi();
void ResetScriptedUi();

}  // namespace sarvo::fake
