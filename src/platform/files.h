// Files: reading, replacing, moving and deleting.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace sarvo::platform {

// Reads the whole file. Returns false and fills `why` when it cannot; files
// larger than `limit` bytes are refused.
bool ReadWholeFile(const std::string& path, std::vector<unsigned char>& bytes,
                   std::size_t limit, std::string& why);

// Replaces `path` with `size` bytes: written to a temporary file beside it,
// then renamed over it, so readers see either the old or the new file, never
// a part. Returns false and fills `why` on failure; `path` is then unchanged.
bool WriteFileReplacing(const std::string& path, const void* data, std::size_t size,
                        std::string& why);

// The first `count` bytes of `path`, or fewer when the file is shorter;
// none when it is missing or cannot be read. Never creates the file.
std::vector<unsigned char> ReadFileHead(const std::string& path, std::size_t count);

// True when `path` names an existing ordinary file: not a folder, not
// hidden (on Windows: nor system; on Linux: a name beginning with "."), as
// a directory listing of that exact path without an attribute filter
// finds it.
bool OrdinaryFileExists(const std::string& path);

enum class MoveResult {
    Moved,
    TargetExists,  // `to` already exists; nothing was changed
    Failed,        // `why` holds the system's error text; nothing was changed
};

// Moves the file `from` to the full path `to`, in the same folder, another
// folder or another drive or file system. Nothing is ever overwritten: when
// `to` exists the move fails, also when it appears while the move runs.
// Whenever the move fails, `from` stays as it was. Across file systems the
// file is copied to a temporary name in the target's folder, renamed to
// `to`, and only then is `from` deleted; readers never see `to` half-written.
MoveResult MoveFileNoReplace(const std::string& from, const std::string& to, std::string& why);

// Deletes the file `path`. A file that is not there counts as deleted.
// Returns false and fills `why` (the system's error text) when it is there
// and could not be deleted.
bool DeleteFileIfPresent(const std::string& path, std::string& why);

// Removes the folder `folder` when it is empty. A folder that is not there,
// or that holds anything at all, is left as it is and counts as done.
// Returns false and fills `why` (the system's error text) when an empty
// folder could not be removed.
bool RemoveFolderIfEmpty(const std::string& folder, std::string& why);

}  // namespace sarvo::platform
