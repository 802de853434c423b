#include "core/pure/form.h"

#include <algorithm>

namespace sarvo {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// The length of the well-formed UTF-8 character at the start of `s`, or 0
// when its first byte starts none (RFC 3629: no overlong forms, no
// surrogates, nothing above U+10FFFF).
std::size_t CharacterLength(std::string_view s) {
    const auto byte = [&s](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) return 1;
    const std::size_t length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                               : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
    // The second byte's range also rules out overlong forms, surrogates and
    // what lies beyond U+10FFFF.
    const unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
    const unsigned char high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
    if (length == 0 || s.size() < length || byte(1) < low || byte(1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
    return length;
}

// A character as shown, and where its bytes lie in the text.
struct Shown {
    std::string_view text;
    std::size_t begin;
};

std::vector<Shown> Characters(std::string_view bytes) {
    std::vector<Shown> characters;
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t length = CharacterLength(bytes.substr(i));
        characters.push_back({length > 0 ? bytes.substr(i, length) : kReplacement, i});
        i += length > 0 ? length : 1;
    }
    return characters;
}

}  // namespace

std::vector<const ControlSpec*> FocusOrder(const FormSpec& form) {
    std::vector<const ControlSpec*> order;
    for (const ControlSpec& c : form.controls)
        if (TakesFocus(c)) order.push_back(&c);
    std::stable_sort(order.begin(), order.end(),
                     [](const ControlSpec* a, const ControlSpec* b) { return a->tabIndex < b->tabIndex; });
    return order;
}

std::vector<int> PictureSizes(Picture picture) {
    switch (picture) {
        case Picture::None: return {};
        case Picture::Folder: return {12, 16, 24, 32, 48, 64, 128};
        case Picture::SettingToolIcon:
        case Picture::TrashBox:
        case Picture::UninstallerIcon: break;
    }
    return {16, 24, 32, 48, 64, 128};
}

int PictureSizeFor(Picture picture, int room) {
    const std::vector<int> sizes = PictureSizes(picture);
    if (sizes.empty()) return 0;
    int fitting = sizes.front();
    for (int size : sizes)
        if (size <= room) fitting = size;
    return fitting;
}


std::string ShownText(std::string_view bytes) {
    std::string shown;
    for (const Shown& c : Characters(bytes)) shown += c.text;
    return shown;
}

std::optional<std::string> EditedBytes(std::string_view bytes, std::string_view edited) {
    const std::vector<Shown> before = Characters(bytes), after = Characters(edited);
    // What the edit left alone at either end keeps its bytes.
    std::size_t head = 0, tail = 0;
    while (head < before.size() && head < after.size() && before[head].text == after[head].text) ++head;
    while (tail < before.size() - head && tail < after.size() - head &&
           before[before.size() - 1 - tail].text == after[after.size() - 1 - tail].text)
        ++tail;
    const std::size_t typedBegin = head < after.size() ? after[head].begin : edited.size();
    const std::size_t typedEnd = tail > 0 ? after[after.size() - tail].begin : edited.size();
    const std::string_view typed = edited.substr(typedBegin, typedEnd - typedBegin);
    if (typed.find(kReplacement) != std::string_view::npos) return std::nullopt;
    const std::size_t keptHead = head < before.size() ? before[head].begin : bytes.size();
    const std::size_t keptTail = tail > 0 ? before[before.size() - tail].begin : bytes.size();
    return std::string(bytes.substr(0, keptHead)) + std::string(typed) + std::string(bytes.substr(keptTail));
}

}  // namespace sarvo
