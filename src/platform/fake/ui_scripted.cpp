#include "platform/fake/ui_scripted.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include "platform/dialogs.h"
#include "platform/ui.h"
#include "platform/window.h"

namespace sarvo::fake {

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        if (end > start) lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// The answers the environment scripts, read once per process.
void LoadScriptFromEnvironment(UiScript& script) {
    std::string item;
    const std::string answers = Environment("SARVO_TEST_UI_ANSWERS");
    for (std::size_t i = 0; i <= answers.size(); ++i) {
        if (i == answers.size() || answers[i] == ',') {
            if (!item.empty()) script.answers.push_back(std::atoi(item.c_str()));
            item.clear();
        } else {
            item += answers[i];
        }
    }
    for (const std::string& line : Lines(Environment("SARVO_TEST_UI_DIALOGS"))) {
        if (line.rfind("ok ", 0) == 0) script.dialogAnswers.push_back({platform::DialogResult::Ok, line.substr(3)});
        else if (line.rfind("error ", 0) == 0)
            script.dialogAnswers.push_back({platform::DialogResult::Error, line.substr(6)});
        else script.dialogAnswers.push_back({platform::DialogResult::Cancel, ""});
    }
    const std::vector<std::string> actions = Lines(Environment("SARVO_TEST_UI_WINDOW"));
    if (!actions.empty()) {
        script.user = [actions](FormSpec& form) {
            for (const std::string& action : actions)
                if (!ActInWindow(form, action)) std::cerr << "scripted window: cannot do \"" << action << "\"\n";
        };
    }
}

void AppendToLog(const std::string& caption, const std::string& text, const std::string& kind) {
    const std::string log = Environment("SARVO_TEST_UI_LOG");
    if (log.empty()) return;
    std::FILE* f = std::fopen(log.c_str(), "ab");
    if (f == nullptr) return;
    const std::string record = caption + "\n" + text + "\n" + kind + "\n--\n";
    std::fwrite(record.data(), 1, record.size(), f);
    std::fclose(f);
}

platform::DialogResult Answer(const ShownDialog& dialog, std::string& text, std::string& why) {
    auto& script = ScriptedUi();
    script.dialogs.push_back(dialog);
    AppendToLog(dialog.caption, dialog.kind == DialogKind::InputBox ? dialog.prompt + "\r\n" + dialog.initial : dialog.initial,
                dialog.kind == DialogKind::InputBox ? "input" : "folder");
    if (script.dialogAnswers.empty()) return platform::DialogResult::Cancel;
    const DialogAnswer answer = script.dialogAnswers.front();
    script.dialogAnswers.pop_front();
    if (answer.result == platform::DialogResult::Ok) text = answer.text;
    if (answer.result == platform::DialogResult::Error) why = answer.text;
    return answer.result;
}

}  // namespace

UiScript& ScriptedUi() {
    static UiScript script = [] {
        UiScript s;
        LoadScriptFromEnvironment(s);
        return s;
    }();
    return script;
}

void ResetScriptedUi() { ScriptedUi() = UiScript{}; }

bool ActInWindow(FormSpec& form, const std::string& action) {
    const std::size_t verbEnd = action.find(' ');
    if (verbEnd == std::string::npos) return false;
    const std::string verb = action.substr(0, verbEnd);
    const std::size_t nameEnd = action.find(' ', verbEnd + 1);
    const std::string name = action.substr(verbEnd + 1, nameEnd == std::string::npos ? std::string::npos : nameEnd - verbEnd - 1);
    const std::string value = nameEnd == std::string::npos ? "" : action.substr(nameEnd + 1);
    for (ControlSpec& c : form.controls) {
        if (c.name != name || c.model == nullptr) continue;
        const bool text = c.kind == ControlKind::TextBox || c.kind == ControlKind::HelpText;
        auto fire = [](const std::function<void()>& handler) {
            if (handler) handler();
            return true;
        };
        if (verb == "text" && text) {
            static_cast<TextBox*>(c.model)->SetText(value);
            return true;
        }
        if (verb == "choose" && c.kind == ControlKind::DropDownList) {
            static_cast<ComboBox*>(c.model)->SetListIndex(std::atoi(value.c_str()));
            return true;
        }
        if (verb == "click") {
            switch (c.kind) {
                case ControlKind::CheckBox: {
                    auto* box = static_cast<CheckBox*>(c.model);
                    box->SetValue(box->Value() == 0 ? 1 : 0);
                    return true;
                }
                case ControlKind::Button: return fire(static_cast<Button*>(c.model)->OnClick);
                case ControlKind::Label: return fire(static_cast<Label*>(c.model)->OnClick);
                default: return false;
            }
        }
        if (verb == "dblclick" && text) return fire(static_cast<TextBox*>(c.model)->OnDblClick);
        if (verb == "dblclick" && c.kind == ControlKind::Image) return fire(static_cast<Image*>(c.model)->OnDblClick);
        return false;
    }
    return false;
}

}  // namespace sarvo::fake

namespace sarvo::platform {

int ShowMessage(const std::string& caption, const std::string& text, unsigned style) {
    auto& script = fake::ScriptedUi();
    script.shown.push_back(fake::ShownMessage{caption, text, style});
    fake::AppendToLog(caption, text, std::to_string(style));
    if (!script.answers.empty()) {
        const int answer = script.answers.front();
        script.answers.pop_front();
        return answer;
    }
    return (style & kYesNo) ? kAnswerNo : kAnswerOk;
}

DialogResult BrowseForFolder(const std::string& title, const std::string& startFolder, std::string& chosen,
                             std::string& why) {
    return fake::Answer({fake::DialogKind::FolderBrowser, title, "", startFolder}, chosen, why);
}

DialogResult InputBox(const std::string& caption, const std::string& prompt, const std::string& initial,
                      std::string& answer, std::string& why) {
    return fake::Answer({fake::DialogKind::InputBox, caption, prompt, initial}, answer, why);
}

bool RunWindow(FormSpec& form, std::string& why) {
    auto& script = fake::ScriptedUi();
    if (!script.windowShows) {
        why = script.windowFailure;
        return false;
    }
    script.windows.push_back(form.caption);
    fake::AppendToLog(form.caption, "", "window");
    if (script.user) script.user(form);
    if (form.onUnload) form.onUnload();
    return true;
}

}  // namespace sarvo::platform
