#include "platform/fake/scripted_ui.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/ui.h"

namespace sarvo::fake {

namespace {

// The answers named by SARVO_TEST_UI_ANSWERS, read once per process.
void LoadAnswersFromEnvironment(UiScript& script) {
    const char* text = std::getenv("SARVO_TEST_UI_ANSWERS");
    if (text == nullptr) return;
    std::string item;
    for (const char* p = text;; ++p) {
        if (*p == ',' || *p == '\0') {
            if (!item.empty()) script.answers.push_back(std::atoi(item.c_str()));
            item.clear();
            if (*p == '\0') break;
        } else {
            item += *p;
        }
    }
}

void AppendToLog(const ShownMessage& message) {
    const char* log = std::getenv("SARVO_TEST_UI_LOG");
    if (log == nullptr || *log == '\0') return;
    std::FILE* f = std::fopen(log, "ab");
    if (f == nullptr) return;
    const std::string record = message.caption + "\n" + message.text + "\n" +
                               std::to_string(message.style) + "\n--\n";
    std::fwrite(record.data(), 1, record.size(), f);
    std::fclose(f);
}

}  // namespace

UiScript& ScriptedUi() {
    static UiScript script = [] {
        UiScript s;
        LoadAnswersFromEnvironment(s);
        return s;
    }();
    return script;
}

void ResetScriptedUi() { ScriptedUi() = UiScript{}; }

}  // namespace sarvo::fake

namespace sarvo::platform {

int ShowMessage(const std::string& caption, const std::string& text, unsigned style) {
    auto& script = fake::ScriptedUi();
    const fake::ShownMessage message{caption, text, style};
    script.shown.push_back(message);
    fake::AppendToLog(message);
    if (!script.answers.empty()) {
        const int answer = script.answers.front();
        script.answers.pop_front();
        return answer;
    }
    return (style & kYesNo) ? kAnswerNo : kAnswerOk;
}

}  // namespace sarvo::platform
