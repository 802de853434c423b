#include "core/pure/profile_text.h"

#include <cstdint>

namespace sarvo {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

ProfileText::ProfileText(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t nl = text.find('\n', start);
        if (nl == std::string_view::npos) {
            lines_.push_back({std::string(text.substr(start)), ""});
            break;
        }
        std::size_t contentEnd = nl;
        std::string end = "\n";
        if (contentEnd > start && text[contentEnd - 1] == '\r') {
            --contentEnd;
            end = "\r\n";
        }
        lines_.push_back({std::string(text.substr(start, contentEnd - start)), end});
        start = nl + 1;
    }
}

std::optional<std::string_view> ProfileText::SectionName(const std::string& content) {
    const std::string_view s = Trim(content);
    if (s.empty() || s.front() != '[') return std::nullopt;
    const std::size_t close = s.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return Trim(s.substr(1, close - 1));
}

std::optional<ProfileText::KeyLine> ProfileText::ParseKeyLine(const std::string& content) {
    const std::string_view s = Trim(content);
    if (s.empty() || s.front() == ';' || s.front() == '[') return std::nullopt;
    const std::size_t eq = s.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return KeyLine{Trim(s.substr(0, eq)), Trim(s.substr(eq + 1))};
}

long ProfileText::FindSection(std::string_view section) const {
    const std::string_view wanted = Trim(section);
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const auto name = SectionName(lines_[i].content);
        if (name && EqualsIgnoringCase(*name, wanted)) return static_cast<long>(i);
    }
    return -1;
}

long ProfileText::FindKey(long header, std::string_view key) const {
    const std::string_view wanted = Trim(key);
    for (std::size_t i = static_cast<std::size_t>(header) + 1; i < lines_.size(); ++i) {
        if (SectionName(lines_[i].content)) break;
        const auto kl = ParseKeyLine(lines_[i].content);
        if (kl && EqualsIgnoringCase(kl->key, wanted)) return static_cast<long>(i);
    }
    return -1;
}

std::optional<std::string> ProfileText::Find(std::string_view section, std::string_view key) const {
    const long header = FindSection(section);
    if (header < 0) return std::nullopt;
    const long at = FindKey(header, key);
    if (at < 0) return std::nullopt;
    std::string_view value = ParseKeyLine(lines_[static_cast<std::size_t>(at)].content)->value;
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

bool ProfileText::HasSection(std::string_view section) const { return FindSection(section) >= 0; }

std::string ProfileText::NewLineEnd() const {
    for (const Line& line : lines_)
        if (!line.end.empty()) return line.end;
    return "\r\n";
}

void ProfileText::EnsureFinalLineEnd() {
    if (!lines_.empty() && lines_.back().end.empty()) lines_.back().end = NewLineEnd();
}

void ProfileText::AddSection(std::string_view section) {
    if (FindSection(section) >= 0) return;
    const std::string end = NewLineEnd();
    EnsureFinalLineEnd();
    lines_.push_back({"[" + std::string(Trim(section)) + "]", end});
}

void ProfileText::Set(std::string_view section, std::string_view key, std::string_view value) {
    const std::string end = NewLineEnd();
    long header = FindSection(section);
    if (header < 0) {
        AddSection(section);
        header = static_cast<long>(lines_.size()) - 1;
    }
    const long at = FindKey(header, key);
    if (at >= 0) {
        // Keep the key as it was spelt; only the value changes.
        Line& line = lines_[static_cast<std::size_t>(at)];
        const std::string spelt(ParseKeyLine(line.content)->key);
        line.content = spelt + "=" + std::string(value);
        return;
    }
    // After the last entry of the section, so that blank lines and comments
    // between sections stay where they were.
    std::size_t insertAt = static_cast<std::size_t>(header) + 1;
    for (std::size_t i = insertAt; i < lines_.size(); ++i) {
        if (SectionName(lines_[i].content)) break;
        if (ParseKeyLine(lines_[i].content)) insertAt = i + 1;
    }
    if (insertAt == lines_.size()) EnsureFinalLineEnd();
    lines_.insert(lines_.begin() + static_cast<long>(insertAt),
                  Line{std::string(Trim(key)) + "=" + std::string(value), end});
}

bool ProfileText::Remove(std::string_view section, std::string_view key) {
    const long header = FindSection(section);
    if (header < 0) return false;
    const long at = FindKey(header, key);
    if (at < 0) return false;
    lines_.erase(lines_.begin() + at);
    return true;
}

std::string ProfileText::Text() const {
    std::string out;
    for (const Line& line : lines_) {
        out += line.content;
        out += line.end;
    }
    return out;
}

long ProfileNumber(std::string_view value, long defaultValue) {
    value = Trim(value);
    if (value.empty()) return defaultValue;
    bool negative = false;
    if (value.front() == '+' || value.front() == '-') {
        negative = value.front() == '-';
        value.remove_prefix(1);
    }
    std::uint32_t base = 10;
    if (value.size() > 2 && value[0] == '0' && (value[1] == 'x' || value[1] == 'X')) {
        base = 16;
        value.remove_prefix(2);
    }
    std::uint32_t n = 0;  // unsigned, so that overflow wraps as the profile function's does
    for (char c : value) {
        std::uint32_t digit;
        if (c >= '0' && c <= '9') digit = static_cast<std::uint32_t>(c - '0');
        else if (base == 16 && c >= 'a' && c <= 'f') digit = static_cast<std::uint32_t>(c - 'a' + 10);
        else if (base == 16 && c >= 'A' && c <= 'F') digit = static_cast<std::uint32_t>(c - 'A' + 10);
        else break;
        n = n * base + digit;
    }
    if (negative) n = 0u - n;
    return static_cast<long>(static_cast<std::int32_t>(n));
}

std::string TrimTrailingBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return std::string(text);
}

std::string CutToLimit(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) return std::string(text);
    std::size_t cut = limit;
    // Step back over UTF-8 continuation bytes so no character is split.
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    return std::string(text.substr(0, cut));
}

}  // namespace sarvo
