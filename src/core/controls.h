// The controls of a program's window as a model: values that code and the
// user change alike, each change raising the control's handler. A window of
// the platform only draws them and forwards what the user does.
#pragma once

#include <functional>
#include <string>
#include <utility>

namespace sarvo {

// A single-line text box. Setting a different text raises OnChange, as a
// keystroke would.
class TextBox {
public:
    const std::string& Text() const { return text_; }
    void SetText(std::string text) {
        if (text == text_) return;
        text_ = std::move(text);
        if (OnChange) OnChange();
    }
    std::function<void()> OnChange;

private:
    std::string text_;
};

}  // namespace sarvo
