// The controls of a program's window as a model: values that code and the
// user change alike. Setting a control to a value it does not already hold
// stores the value, lets the window redraw it, then raises the control's
// handler - the same handler whether code or the user made the change.
// Setting the value it already holds does nothing. A window of the platform
// only draws these models and forwards what the user does to them, so every
// handler runs in tests without a window system.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace sarvo {

class Control {
public:
    // Set by the platform's window while it shows the control; called after
    // the value changed and before the handler runs.
    std::function<void()> Redraw;

protected:
    void Changed(const std::function<void()>& handler) const {
        if (Redraw) Redraw();
        if (handler) handler();
    }
};

// A text box, single-line or (for help texts) multi-line.
class TextBox : public Control {
public:
    const std::string& Text() const { return text_; }
    void SetText(std::string text) {
        if (text == text_) return;
        text_ = std::move(text);
        Changed(OnChange);
    }
    std::function<void()> OnChange;    // every change of the text
    std::function<void()> OnDblClick;  // a double-click in the box

private:
    std::string text_;
};

// A check box: 0 cleared, 1 ticked.
class CheckBox : public Control {
public:
    int Value() const { return value_; }
    // Any value other than 0 ticks the box.
    void SetValue(int value) {
        const int v = value != 0 ? 1 : 0;
        if (v == value_) return;
        value_ = v;
        Changed(OnClick);
    }
    std::function<void()> OnClick;

private:
    int value_ = 0;
};

// A drop-down list to choose from, without typing. The index is 0-based;
// -1 means no item is chosen.
class ComboBox : public Control {
public:
    explicit ComboBox(std::vector<std::string> items = {}) : items_(std::move(items)) {}
    const std::vector<std::string>& Items() const { return items_; }
    int ListIndex() const { return index_; }
    // An index outside -1 .. items-1 is ignored.
    void SetListIndex(int index) {
        if (index < -1 || index >= static_cast<int>(items_.size()) || index == index_) return;
        index_ = index;
        Changed(OnClick);
    }
    std::function<void()> OnClick;

private:
    std::vector<std::string> items_;
    int index_ = -1;
};

// A label; its caption may change while the window is open.
class Label : public Control {
public:
    explicit Label(std::string caption = {}) : caption_(std::move(caption)) {}
    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption) {
        if (caption == caption_) return;
        caption_ = std::move(caption);
        if (Redraw) Redraw();
    }
    std::function<void()> OnClick;

private:
    std::string caption_;
};

// A push button, with a caption or a picture.
class Button : public Control {
public:
    std::function<void()> OnClick;
};

// A picture the user can double-click.
class Image : public Control {
public:
    std::function<void()> OnDblClick;
};

}  // namespace sarvo
