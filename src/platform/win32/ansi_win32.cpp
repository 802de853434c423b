// Conversions go through UTF-16, the only form both code pages convert to
// and from without loss of what they can represent.
#include "ansi_win32.h"

#include <windows.h>

namespace sarvo::win32 {

namespace {

bool ToWide(unsigned codePage, DWORD flags, std::string_view text, std::wstring& wide) {
    wide.clear();
    if (text.empty()) return true;
    const int length = static_cast<int>(text.size());
    const int count = MultiByteToWideChar(codePage, flags, text.data(), length, nullptr, 0);
    if (count <= 0) return false;
    wide.resize(static_cast<std::size_t>(count));
    return MultiByteToWideChar(codePage, flags, text.data(), length, wide.data(), count) == count;
}

// `wide` in `codePage`; `lossless` tells whether every character had a form
// there (only asked for code pages that support the question). A look-alike
// ("e" for "é") counts as no form: it would name another file.
std::string FromWide(unsigned codePage, const std::wstring& wide, bool* lossless) {
    if (lossless != nullptr) *lossless = true;
    if (wide.empty()) return {};
    const int length = static_cast<int>(wide.size());
    BOOL usedDefault = FALSE;
    BOOL* used = lossless != nullptr ? &usedDefault : nullptr;
    const DWORD flags = lossless != nullptr ? WC_NO_BEST_FIT_CHARS : 0;
    const int count =
        WideCharToMultiByte(codePage, flags, wide.data(), length, nullptr, 0, nullptr, used);
    if (count <= 0) {
        if (lossless != nullptr) *lossless = false;
        return {};
    }
    std::string out(static_cast<std::size_t>(count), '\0');
    WideCharToMultiByte(codePage, flags, wide.data(), length, out.data(), count, nullptr, used);
    if (lossless != nullptr && usedDefault) *lossless = false;
    return out;
}

}  // namespace

bool ToAnsi(std::string_view utf8, std::string& ansi) {
    std::wstring wide;
    if (!ToWide(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, wide)) {
        ToWide(CP_UTF8, 0, utf8, wide);
        ansi = FromWide(CP_ACP, wide, nullptr);
        return false;
    }
    bool lossless = true;
    ansi = FromWide(CP_ACP, wide, &lossless);
    return lossless;
}

std::string ToAnsiLossy(std::string_view utf8) {
    std::string ansi;
    ToAnsi(utf8, ansi);
    return ansi;
}

std::wstring ToUtf16(std::string_view utf8) {
    std::wstring wide;
    ToWide(CP_UTF8, 0, utf8, wide);
    return wide;
}

std::string FromUtf16(const std::wstring& wide) { return FromWide(CP_UTF8, wide, nullptr); }

std::string FromAnsi(std::string_view ansi) {
    std::wstring wide;
    ToWide(CP_ACP, 0, ansi, wide);
    return FromWide(CP_UTF8, wide, nullptr);
}

std::string SystemErrorText(unsigned long error) {
    char* buffer = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text;
    if (length > 0 && buffer != nullptr) text.assign(buffer, length);
    if (buffer != nullptr) LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    if (text.empty()) return "エラー " + std::to_string(error);
    return FromAnsi(text);
}

}  // namespace sarvo::win32
