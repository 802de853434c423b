#include "core/rules.h"

namespace sarvo {

namespace {

// The last `count` characters of `text` lower-cased (all of it when shorter).
std::string LowerTail(std::string_view text, std::size_t count) {
    std::string tail(text.size() > count ? text.substr(text.size() - count) : text);
    for (char& c : tail)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return tail;
}

}  // namespace

bool IsPictureFileName(std::string_view name) {
    const std::string three = LowerTail(name, 3);
    return three == "bmp" || three == "gif" || three == "jpg" || LowerTail(name, 4) == "jpeg";
}

std::optional<std::string> PictureHandOverPath(std::string_view argumentText) {
    const std::size_t length = argumentText.size();
    if (length < 5) return std::nullopt;
    // The extension is read just before the last character, which for the
    // form we expect is the closing quote.
    const std::string_view beforeLast = argumentText.substr(0, length - 1);
    if (!IsPictureFileName(beforeLast)) return std::nullopt;
    return std::string(argumentText.substr(1, length - 2));
}

std::string LastComponent(std::string_view path, char separator) {
    const std::size_t at = path.rfind(separator);
    if (at == std::string_view::npos) return {};
    return std::string(path.substr(at + 1));
}

std::string ExtensionOf(std::string_view path, char separator) {
    const std::string name = LastComponent(path, separator);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos) return {};
    return name.substr(dot + 1);
}

short ClampToInt16(long value) {
    if (value < -32768) return -32768;
    if (value > 32767) return 32767;
    return static_cast<short>(value);
}

}  // namespace sarvo
