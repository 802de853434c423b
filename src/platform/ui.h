// Modal message boxes.
#pragma once

#include <string>

namespace sarvo::platform {

// Box styles and answers, with the values Windows gives them.
inline constexpr unsigned kOkOnly = 0;
inline constexpr unsigned kYesNo = 4;
inline constexpr unsigned kIconError = 16;
inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;

// Shows `text` (lines joined with CR LF) under `caption` and waits for the
// user. Returns the answer; where no one can be asked, the cancel answer
// (kAnswerNo for kYesNo, otherwise kAnswerOk) after the text has been
// written where the user can find it.
int ShowMessage(const std::string& caption, const std::string& text, unsigned style);

}  // namespace sarvo::platform
