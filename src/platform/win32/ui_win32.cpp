// Message boxes with MessageBoxA, texts converted to the ANSI code page. A
// box is owned by the program's window while one is open, so that it is
// modal over it. The changer shows its boxes without a window of its own, so
// a box is brought to the foreground, where the user sees it.
#include <windows.h>

#include <cstdio>

#include "ansi_win32.h"
#include "owner_win32.h"
#include "platform/ui.h"

namespace sarvo::platform {

int ShowMessage(const std::string& caption, const std::string& text, unsigned style) {
    const std::string aCaption = win32::ToAnsiLossy(caption);
    const std::string aText = win32::ToAnsiLossy(text);
    const int answer = MessageBoxA(win32::OwnerWindow(), aText.c_str(), aCaption.c_str(),
                                   style | MB_SETFOREGROUND);
    if (answer > 0) return answer;
    // No box could be shown (no interactive desktop): the text goes where a
    // debugger or a redirected error stream finds it, and the box counts as
    // cancelled.
    const std::string line = aCaption + ": " + aText + "\r\n";
    OutputDebugStringA(line.c_str());
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
    return (style & kYesNo) ? kAnswerNo : kAnswerOk;
}

}  // namespace sarvo::platform
