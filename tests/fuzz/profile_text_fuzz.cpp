// The settings-file text on any bytes: kept byte for byte; a value set is found, also after a new parse.
#include "core/pure/profile_text.h"
#include "fuzz_check.h"

using sarvo::fuzz::Require;

namespace {

bool Blank(char c) { return c == ' ' || c == '\t'; }

// A name or value the settings code may pass: one line, unquoted, no blanks around; names without []=; .
bool Plain(std::string_view s, bool name) {
    if (s.empty()) return !name;
    if (Blank(s.front()) || Blank(s.back())) return false;
    if (s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos) return false;
    if (!name) return s.size() < 2 || s.front() != '"' || s.back() != '"';
    return s.find_first_of("[]=") == std::string_view::npos && s.front() != ';';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input = sarvo::fuzz::Text(data, size);
    // The input: a text, then (after the last 0x01 byte) "section\x02key\x02value".
    const std::size_t cut = input.rfind('\x01');
    const std::string_view text = input.substr(0, cut);
    sarvo::ProfileText profile(text);
    Require(profile.Text() == text, "the text is kept byte for byte");
    if (cut == std::string_view::npos) return 0;
    const std::string_view edit = input.substr(cut + 1);
    const std::size_t a = edit.find('\x02');
    const std::size_t b = a == std::string_view::npos ? a : edit.find('\x02', a + 1);
    if (b == std::string_view::npos) return 0;
    const std::string_view section = edit.substr(0, a);
    const std::string_view key = edit.substr(a + 1, b - a - 1);
    const std::string_view value = edit.substr(b + 1);
    if (!Plain(section, true) || !Plain(key, true) || !Plain(value, false)) return 0;
    profile.Set(section, key, value);
    Require(profile.Find(section, key) == value, "a value set is found");
    Require(sarvo::ProfileText(profile.Text()).Find(section, key) == value, "a value set is found after a new parse");
    return 0;
}
