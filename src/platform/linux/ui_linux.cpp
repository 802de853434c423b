// Message boxes on Linux: a Qt box from the Qt module when a display can be
// reached; otherwise (a run from cron or a text console) the message goes
// to standard error and a question gets its cancel answer.
#include "platform/ui.h"

#include <cstdio>
#include <string>

#include "qt/loader.h"

namespace sarvo::platform {

namespace {

std::string WithLineFeeds(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out += text[i];
    }
    return out;
}

int CancelAnswer(unsigned style) { return (style & kYesNo) == kYesNo ? kAnswerNo : kAnswerOk; }

}  // namespace

int ShowMessage(const std::string& caption, const std::string& text, unsigned style) {
    const std::string lines = WithLineFeeds(text);
    std::string why;
    if (const linux_qt::Entries* qt = linux_qt::QtModule(why)) return qt->showMessage(caption, lines, style);
    std::fprintf(stderr, "%s\n%s\n", caption.c_str(), lines.c_str());
    if (why != linux_qt::kNoDisplay) std::fprintf(stderr, "（メッセージ ボックスを表示できません：%s）\n", why.c_str());
    std::fflush(stderr);
    return CancelAnswer(style);
}

}  // namespace sarvo::platform
