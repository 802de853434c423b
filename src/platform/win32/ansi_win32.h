// Texts at the boundary of the ANSI Windows API. Inside the suite every text
// is UTF-8; the A functions take and give texts in the system's ANSI code
// page (Shift-JIS on a Japanese system). Every win32 file converts here, and
// only here, so no code ever scans Shift-JIS bytes, whose trail bytes can
// equal '\'.
#pragma once

#include <string>
#include <string_view>

namespace sarvo::win32 {

// `utf8` in the ANSI code page. Returns false when the text is no valid
// UTF-8 or holds a character the code page cannot represent: such a text
// would name another file or show other words, so callers refuse it. `ansi`
// then holds the nearest form (unrepresentable characters as '?').
bool ToAnsi(std::string_view utf8, std::string& ansi);

// `utf8` in the ANSI code page, with '?' for what the code page lacks; for
// texts that are only shown.
std::string ToAnsiLossy(std::string_view utf8);

// UTF-8 and UTF-16, for the few calls that must see names as the file
// system keeps them.
std::wstring ToUtf16(std::string_view utf8);
std::string FromUtf16(const std::wstring& wide);

// `ansi` (text in the ANSI code page) as UTF-8.
std::string FromAnsi(std::string_view ansi);

// The system's own description of an error code (FormatMessageA), in UTF-8,
// without the trailing line end; "エラー N" when the system has none.
std::string SystemErrorText(unsigned long error);

}  // namespace sarvo::win32
