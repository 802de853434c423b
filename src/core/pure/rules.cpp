#include "core/pure/rules.h"

namespace sarvo {

namespace {

// Whether `text` ends with `lowerTail` (given in lower case), ignoring the
// letter case of `text`. Compared in place: the catalogue walk asks this of
// every file name in the tree.
bool EndsWithLower(std::string_view text, std::string_view lowerTail) {
    if (text.size() < lowerTail.size()) return false;
    const std::string_view end = text.substr(text.size() - lowerTail.size());
    for (std::size_t i = 0; i < end.size(); ++i) {
        const char c = end[i];
        const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        if (lower != lowerTail[i]) return false;
    }
    return true;
}

}  // namespace

bool IsPictureFileName(std::string_view name, PictureFormats formats) {
    if (EndsWithLower(name, "jpg") || EndsWithLower(name, "bmp") || EndsWithLower(name, "gif") ||
        EndsWithLower(name, "jpeg"))
        return true;
    // Asked only of the names the classic endings leave, so that a walk
    // without the key costs what it did.
    return formats == PictureFormats::More &&
           (EndsWithLower(name, "png") || EndsWithLower(name, "webp") || EndsWithLower(name, "avif") ||
            EndsWithLower(name, "heic") || EndsWithLower(name, "heif") || EndsWithLower(name, "jxl"));
}

std::optional<std::string> PictureHandOverPath(std::string_view argumentText, PictureFormats formats) {
    const std::size_t length = argumentText.size();
    if (length < 5) return std::nullopt;
    // The extension is read just before the last character, which for the
    // form we expect is the closing quote.
    const std::string_view beforeLast = argumentText.substr(0, length - 1);
    if (!IsPictureFileName(beforeLast, formats)) return std::nullopt;
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
