#include "core/pure/desktop_entry.h"

#include <vector>

namespace sarvo {

namespace {

constexpr std::string_view kGroup = "Desktop Entry";

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7f; }

bool HasControl(std::string_view text) {
    for (const char c : text)
        if (IsControl(static_cast<unsigned char>(c))) return true;
    return false;
}

// Characters that an unquoted argument of an Exec line may not hold.
bool IsReserved(char c) {
    return std::string_view(" \t\n\"'\\><~|&;$*?#()`").find(c) != std::string_view::npos;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// Undoes the string escapes of a value: \s \n \t \r \\. Any other escape,
// or a backslash at the end, makes the value invalid, as GLib reads it.
std::optional<std::string> UnescapeString(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\') {
            out += value[i];
            continue;
        }
        if (++i == value.size()) return std::nullopt;
        switch (value[i]) {
            case 's': out += ' '; break;
            case 'n': out += '\n'; break;
            case 't': out += '\t'; break;
            case 'r': out += '\r'; break;
            case '\\': out += '\\'; break;
            default: return std::nullopt;
        }
    }
    return out;
}

// Splits an Exec value into its arguments, with quoting undone and "%%"
// turned into '%'. Any other field code, an unquoted reserved character, a
// quote that does not span a whole argument or an unknown escape gives
// nothing: such a line is not one we can turn back into plain arguments.
std::optional<std::vector<std::string>> SplitExec(std::string_view exec) {
    std::vector<std::string> arguments;
    std::size_t i = 0;
    const std::size_t n = exec.size();
    const auto percent = [&](std::string& into) {
        if (i + 1 >= n || exec[i + 1] != '%') return false;
        into += '%';
        i += 2;
        return true;
    };
    while (true) {
        while (i < n && IsBlank(exec[i])) ++i;
        if (i == n) break;
        std::string argument;
        if (exec[i] == '"') {
            ++i;
            while (true) {
                if (i == n) return std::nullopt;  // no closing quote
                const char c = exec[i];
                if (c == '"') {
                    ++i;
                    break;
                }
                if (c == '%') {
                    if (!percent(argument)) return std::nullopt;
                    continue;
                }
                if (c == '\\') {
                    if (i + 1 == n || std::string_view("\"`$\\").find(exec[i + 1]) == std::string_view::npos)
                        return std::nullopt;
                    argument += exec[i + 1];
                    i += 2;
                    continue;
                }
                argument += c;
                ++i;
            }
            if (i < n && !IsBlank(exec[i])) return std::nullopt;  // "a"b
        } else {
            while (i < n && !IsBlank(exec[i])) {
                const char c = exec[i];
                if (c == '%') {
                    if (!percent(argument)) return std::nullopt;
                    continue;
                }
                if (IsReserved(c)) return std::nullopt;
                argument += c;
                ++i;
            }
        }
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

// Calls `take` with each key and value of the [Desktop Entry] group, blanks
// around both trimmed, string escapes left as they are.
template <typename Take>
void ForEachEntryKey(std::string_view fileText, Take take) {
    bool inGroup = false;
    while (!fileText.empty()) {
        const std::size_t end = fileText.find('\n');
        std::string_view line = fileText.substr(0, end);
        fileText.remove_prefix(end == std::string_view::npos ? fileText.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '[') {
            inGroup = line == "[" + std::string(kGroup) + "]";
            continue;
        }
        if (!inGroup) continue;
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        take(Trim(line.substr(0, equals)), Trim(line.substr(equals + 1)));
    }
}

// The key whose value "true" marks a menu entry as the suite's own.
constexpr std::string_view kSuiteMark = "X-Sarvo-Backdrop-Changer";

bool FitsText(std::string_view text) { return !text.empty() && !HasControl(text) && IsValidUtf8(text); }

bool FitsProgram(std::string_view program) { return FitsText(program) && program.front() == '/'; }

// An id of an entry or action: the characters the format allows in an
// action's name, which are safe in a file name too.
bool FitsId(std::string_view id) {
    if (id.empty()) return false;
    for (const char c : id)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-')) return false;
    return true;
}

// The Exec value that starts `program` with `argument` (none when empty),
// before the string escape.
std::string ExecLine(std::string_view program, std::string_view argument) {
    std::string line = "env " + QuoteExecArgument(program);
    if (!argument.empty()) line += " " + QuoteExecArgument(argument);
    return line;
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t length;
        unsigned long code;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xe0) == 0xc0) {
            length = 2;
            code = c & 0x1fu;
        } else if ((c & 0xf0) == 0xe0) {
            length = 3;
            code = c & 0x0fu;
        } else if ((c & 0xf8) == 0xf0) {
            length = 4;
            code = c & 0x07u;
        } else {
            return false;
        }
        if (n - i < length) return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto d = static_cast<unsigned char>(text[i + k]);
            if ((d & 0xc0) != 0x80) return false;
            code = (code << 6) | (d & 0x3fu);
        }
        // No overlong forms, no surrogates, nothing beyond U+10FFFF.
        static constexpr unsigned long kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < kSmallest[length] || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff)) return false;
        i += length;
    }
    return true;
}

std::string QuoteExecArgument(std::string_view argument) {
    std::string out = "\"";
    for (const char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') out += '\\';
        if (c == '%') out += '%';
        out += c;
    }
    out += '"';
    return out;
}

std::string EscapeDesktopString(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\')
            out += "\\\\";
        else if (i == 0 && text[i] == ' ')
            out += "\\s";  // a leading blank would be taken for layout
        else
            out += text[i];
    }
    return out;
}

std::optional<std::string> DesktopEntryFor(std::string_view name, std::string_view program) {
    if (name.empty() || program.empty() || program.front() != '/') return std::nullopt;
    if (HasControl(name) || HasControl(program) || !IsValidUtf8(name) || !IsValidUtf8(program))
        return std::nullopt;
    std::string text = "[Desktop Entry]\n";
    text += "Type=Application\n";
    text += "Name=" + EscapeDesktopString(name) + "\n";
    text += "Exec=" + EscapeDesktopString("env " + QuoteExecArgument(program)) + "\n";
    text += "TryExec=" + EscapeDesktopString(program) + "\n";
    text += "NoDisplay=true\n";
    text += "X-GNOME-Autostart-enabled=true\n";
    return text;
}

std::optional<std::string> MenuEntryFileFor(const MenuEntry& entry) {
    if (!FitsId(entry.id) || !FitsText(entry.name) || !FitsProgram(entry.program)) return std::nullopt;
    if (!entry.comment.empty() && !FitsText(entry.comment)) return std::nullopt;
    std::string actions;
    for (const MenuAction& action : entry.actions) {
        if (!FitsId(action.id) || !FitsText(action.name) || !FitsProgram(action.program)) return std::nullopt;
        if (!action.argument.empty() && !FitsText(action.argument)) return std::nullopt;
        actions += action.id + ";";
    }
    std::string text = "[Desktop Entry]\n";
    text += "Type=Application\n";
    text += "Version=1.4\n";
    text += "Name=" + EscapeDesktopString(entry.name) + "\n";
    if (!entry.comment.empty()) text += "Comment=" + EscapeDesktopString(entry.comment) + "\n";
    text += "Icon=" + entry.id + "\n";
    text += "Exec=" + EscapeDesktopString(ExecLine(entry.program, "")) + "\n";
    text += "TryExec=" + EscapeDesktopString(entry.program) + "\n";
    text += "Terminal=false\n";
    text += "Categories=Settings;DesktopSettings;\n";
    if (!actions.empty()) text += "Actions=" + actions + "\n";
    text += std::string(kSuiteMark) + "=true\n";
    for (const MenuAction& action : entry.actions) {
        text += "\n[Desktop Action " + action.id + "]\n";
        text += "Name=" + EscapeDesktopString(action.name) + "\n";
        text += "Exec=" + EscapeDesktopString(ExecLine(action.program, action.argument)) + "\n";
    }
    return text;
}

bool IsSuiteMenuEntry(std::string_view fileText) {
    bool marked = false;
    ForEachEntryKey(fileText, [&](std::string_view key, std::string_view value) {
        if (key == kSuiteMark) marked = value == "true";
    });
    return marked;
}

std::optional<std::string> ProgramOfExecValue(std::string_view exec) {
    const auto arguments = SplitExec(exec);
    if (!arguments) return std::nullopt;
    const std::vector<std::string>& a = *arguments;
    std::optional<std::string> program;
    if (a.size() == 1)
        program = a[0];
    else if (a.size() == 2 && a[0] == "env")
        program = a[1];
    if (!program || program->empty() || program->front() == '-') return std::nullopt;
    return program;
}

std::optional<std::string> ProgramOfDesktopEntry(std::string_view fileText) {
    std::optional<std::string_view> exec, type;
    bool hidden = false, disabled = false;
    ForEachEntryKey(fileText, [&](std::string_view key, std::string_view value) {
        if (key == "Exec")
            exec = value;
        else if (key == "Type")
            type = value;
        else if (key == "Hidden")
            hidden = value == "true";
        else if (key == "X-GNOME-Autostart-enabled")
            disabled = value == "false";
    });
    if (!exec || hidden || disabled || type != std::string_view("Application")) return std::nullopt;
    const auto unescaped = UnescapeString(*exec);
    if (!unescaped) return std::nullopt;
    return ProgramOfExecValue(*unescaped);
}

}  // namespace sarvo
