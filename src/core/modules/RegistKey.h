// The registry module: one open key at a time below the user's own store
// (HKEY_CURRENT_USER on Windows), shared by the programs that change the
// desktop's values and the log-on entry.
//
// Each use is one open (RegistOpenRead, RegistOpenWrite or RegistCreate),
// any number of value operations that fit the access asked for, and one
// RegistClose, all within one procedure of the caller. A second open replaces
// the first. Every procedure returns whether it did its work; callers that
// have nothing to tell the user may ignore it. A key that cannot be opened
// makes the value operations after it fail, without touching the store.
#pragma once

#include <string>

namespace sarvo {

// The key paths the suite uses ('\' between their parts on every platform).
inline constexpr const char* kDesktopKey = "Control Panel\\Desktop";
inline constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// Opens an existing key for writing and deleting values. A missing key is
// found out by the first write, which then fails.
bool RegistOpenWrite(const std::string& subKey);

// Opens a key for reading values. A missing key reads as empty.
bool RegistOpenRead(const std::string& subKey);

// Opens a key for writing values, creating it when it is missing. Returns
// false when it cannot be created; the key then counts as not open.
bool RegistCreate(const std::string& subKey);

// The text of the value `name` of the open key, up to its first NUL; empty
// (and false) when there is no such value, no key open for reading, or it
// cannot be read.
bool RegistReadString(const std::string& name, std::string& value);

// Stores `value` as the text value `name` of the open key; the empty text is
// stored as an empty value, not removed. False when no key is open for
// writing or the store refuses.
bool RegistWriteString(const std::string& name, const std::string& value);
// As above; on failure `why` holds the store's reason, where it gave one.
bool RegistWriteString(const std::string& name, const std::string& value, std::string& why);

// Removes the value `name` of the open key. A value that is not there counts
// as removed. False when no key is open for writing or the store refuses;
// `why` then says what refused and why.
bool RegistDeleteValue(const std::string& name, std::string& why);
inline bool RegistDeleteValue(const std::string& name) {
    std::string why;
    return RegistDeleteValue(name, why);
}

// Closes the open key. False when none was open.
bool RegistClose();

}  // namespace sarvo
