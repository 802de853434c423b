// Files in the profile format that the Linux build keeps itself: the
// settings file and the registry store.
#pragma once

#include <cstddef>
#include <functional>
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

// Loads `path`, lets `change` edit the text, and saves it when `change`
// returns true, all under an exclusive lock on the folder that holds `path`,
// so that two programs changing different values at the same moment never
// undo each other's change. (The file itself cannot carry the lock: each
// save replaces it by a new one.) Where the folder cannot be opened, the
// update goes on without the lock.
// Returns false when the file could not be read or written; `change`
// returning false (nothing to change) is no failure.
bool Update(const std::string& path, const std::function<bool(ProfileText&)>& change);

// Whether a name or value can stand in a line of its own: a line break would
// end the line and leave the rest as a line of its own.
bool FitsOnOneLine(const std::string& text);

}  // namespace sarvo::platform::linux_keyfile
