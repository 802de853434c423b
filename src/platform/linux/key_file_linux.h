// Files in the profile format that the Linux build keeps itself: the
// settings file and the registry store.
#pragma once

#include <cstddef>
#include <string>

#include "core/pure/profile_text.h"

namespace sarvo::platform::linux_keyfile {

// Values are read up to this many bytes: long enough for any path.
inline constexpr std::size_t kReadLimit = 4095;

// Loads `path` into `text`; a missing file gives an empty text. Returns false
// only when the file exists but cannot be read (or is far too large to be
// ours), so that callers never replace it by a file holding only their key.
bool Load(const std::string& path, ProfileText& text);

// Replaces `path` with `text`, atomically.
bool Save(const std::string& path, const ProfileText& text);

// Whether a name or value can stand in a line of its own: a line break would
// end the line and leave the rest as a line of its own.
bool FitsOnOneLine(const std::string& text);

}  // namespace sarvo::platform::linux_keyfile
