// The Windows profile (INI) text format, parsed and edited in memory.
//
// A file is a sequence of lines; "[name]" starts a section and "key=value"
// lines belong to the section above them. Section and key names match
// without regard to (ASCII) case; blanks around names and values do not
// count; a value wrapped in one pair of double quotes loses them on reading;
// lines starting with ';' are comments. CR LF and LF line ends read alike.
//
// Edits touch only the lines they must: every other byte of the text is kept
// as it was, so comments, odd lines and other programs' sections survive.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sarvo {

class ProfileText {
public:
    ProfileText() = default;
    explicit ProfileText(std::string_view text);

    // The value of `key` in the first section named `section`, or nothing.
    std::optional<std::string> Find(std::string_view section, std::string_view key) const;

    bool HasSection(std::string_view section) const;

    // Sets the value: an existing key keeps its line, place and spelling; a
    // new key goes after the last entry of its section; a new section goes
    // at the end of the text. New lines take the text's own line end (CR LF
    // for a new text).
    void Set(std::string_view section, std::string_view key, std::string_view value);

    // Removes the key's line. Returns false when there was none.
    bool Remove(std::string_view section, std::string_view key);

    // Adds an empty section at the end when there is none of that name.
    void AddSection(std::string_view section);

    // The whole text, ready to be written back.
    std::string Text() const;

private:
    struct Line {
        std::string content;  // without its line end
        std::string end;      // "\r\n", "\n" or "" (the last line of a text without a final end)
    };
    struct KeyLine {
        std::string_view key;
        std::string_view value;
    };

    static std::optional<std::string_view> SectionName(const std::string& content);
    static std::optional<KeyLine> ParseKeyLine(const std::string& content);
    // Index of the header line of the first section named `section`, or -1.
    long FindSection(std::string_view section) const;
    // Index of the key's line in the section whose header is at `header`, or -1.
    long FindKey(long header, std::string_view key) const;
    std::string NewLineEnd() const;
    void EnsureFinalLineEnd();

    std::vector<Line> lines_;
};

// Whether two names are equal without regard to ASCII letter case.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

// The number in a profile value, read as the Windows profile functions read
// it: an empty value gives `defaultValue`; otherwise optional blanks and a
// sign, then "0x" and hexadecimal digits or decimal digits, as far as they
// go; no digits at all give 0. The result wraps to 32 bits.
long ProfileNumber(std::string_view value, long defaultValue);

// A default text as the profile functions hand it back: without trailing blanks.
std::string TrimTrailingBlanks(std::string_view text);

// Cuts `text` to at most `limit` bytes without splitting a UTF-8 character.
std::string CutToLimit(std::string_view text, std::size_t limit);

}  // namespace sarvo
