// The settings file: a Windows profile (INI) file read and written one value
// at a time.
//
// Rules every implementation keeps: section and key names match without
// regard to case; a missing file, section or key yields the default; the
// first write of a key creates the file, the section and the key, appending
// new keys at the end of their section so the order of lines is the order of
// first writes; a rewrite keeps the key's place and spelling; lines that are
// not ours stay as they are. Reads return at most the platform's read limit
// in bytes.
#pragma once

#include <string>

namespace sarvo::platform {

// The value of `key` in `section`, or `defaultText` (without trailing blanks)
// when there is none; cut to the platform's read limit.
std::string ProfileReadString(const std::string& file, const std::string& section,
                              const std::string& key, const std::string& defaultText);

// The value read as the Windows profile function reads numbers: optional
// blanks and sign, then leading digits ("0x" for hexadecimal); text that is no
// number is 0; an absent or empty value is `defaultValue`. Wraps to 32 bits.
long ProfileReadInt(const std::string& file, const std::string& section,
                    const std::string& key, long defaultValue);

// Sets `key` in `section` to `value`. Returns false when the file could not
// be written; the file is then left as it was.
bool ProfileWriteString(const std::string& file, const std::string& section,
                        const std::string& key, const std::string& value);

}  // namespace sarvo::platform
