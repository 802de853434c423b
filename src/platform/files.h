// Files: reading, replacing, moving and deleting.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/pure/row_sink.h"

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

// How well a replaced file must survive a power cut once it has its name.
enum class Durability {
    // On the disk before it takes the name: the settings file, the registry
    // store, whatever holds the user's choices.
    Flushed,
    // Made again from its source when lost: flushed only where the file
    // system could otherwise leave an empty or partial file under the name
    // after a power cut (the bitmap).
    Remakable,
};

// A file that replaces `path` when it is committed, written piece by piece
// meanwhile into a temporary file beside `path` (a symbolic link at `path`
// is kept: its target is replaced). Readers of `path` see the old file until
// the commit and the whole new one after it, never a part. A failure while
// writing is kept and reported by Commit. An object not committed removes
// its temporary file.
class FileReplacement : public ByteSink {
public:
    FileReplacement(const std::string& path, Durability durability);
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;
    ~FileReplacement() override;

    void Reserve(std::size_t size) override;
    void WriteAt(std::size_t offset, const unsigned char* data, std::size_t size) override;

    // Gives the written file the name `path`. Returns false and fills `why`
    // when anything failed since the object was made; `path` is then as it
    // was. Only the first call does anything.
    bool Commit(std::string& why);

private:
    struct State;
    std::unique_ptr<State> state_;
};

// Keeps the file at `path` also under the name `keep`, replacing whatever
// `keep` held: a second link to the same file where the file system has
// them, a copy otherwise. `path` is never touched. Returns false and fills
// `why` when it cannot; `keep` is then gone.
bool KeepFileAs(const std::string& path, const std::string& keep, std::string& why);

// Renames the file `from` to `to` in one step, replacing what `to` held
// (`to` names its old file or the new one at every moment, never nothing).
// A symbolic link at `to` is kept: its target is replaced. Returns false and
// fills `why` on failure; both are then as they were.
bool RenameReplacing(const std::string& from, const std::string& to, std::string& why);

// The first `count` bytes of `path`, or fewer when the file is shorter;
// none when it is missing or cannot be read. Never creates the file.
std::vector<unsigned char> ReadFileHead(const std::string& path, std::size_t count);

// Up to `count` bytes of `path` from `offset`, or fewer when the file ends
// first; none when it is missing, no ordinary file, or cannot be read.
std::vector<unsigned char> ReadFilePart(const std::string& path, std::uint64_t offset, std::size_t count);

// True when `path` names an existing ordinary file: not a folder, not
// hidden (on Windows: nor system; on Linux: a name beginning with "."), as
// a directory listing of that exact path without an attribute filter
// finds it.
bool OrdinaryFileExists(const std::string& path);

// What the system said when it refused an operation on a file.
struct FileError {
    int number = 0;           // the system's error number (errno; on Windows, GetLastError's)
    std::string description;  // the system's own description of it
    std::string path;         // the path it refused
};

enum class MoveResult {
    Moved,
    TargetExists,  // `to` already exists; nothing was changed
    Failed,        // `error` says what the system refused; nothing was changed
};

// Moves the file `from` to the full path `to`, in the same folder, another
// folder or another drive or file system. Nothing is ever overwritten: when
// `to` exists the move fails, also when it appears while the move runs.
// Whenever the move fails, `from` stays as it was. Across file systems the
// file is copied to a temporary name in the target's folder, renamed to
// `to`, and only then is `from` deleted; readers never see `to` half-written.
// A failure names the path the system refused: `from` when the file cannot
// be read or removed, `to` when its folder is missing or cannot take it.
MoveResult MoveFileNoReplace(const std::string& from, const std::string& to, FileError& error);

// Deletes the file `path`. A file that is not there counts as deleted.
// Returns false and fills `why` (the system's error text) when it is there
// and could not be deleted.
bool DeleteFileIfPresent(const std::string& path, std::string& why);

// Removes from `folder` the temporary files the suite's writers left there
// when they were killed (they carry the suite's mark in their names; see
// docs/decisions.md). A live writer's are never touched, nor any file
// without the mark.
void RemoveTemporaryLeftovers(const std::string& folder);

// Removes the folder `folder` when it is empty. A folder that is not there,
// or that holds anything at all, is left as it is and counts as done.
// Returns false and fills `why` (the system's error text) when an empty
// folder could not be removed.
bool RemoveFolderIfEmpty(const std::string& folder, std::string& why);

}  // namespace sarvo::platform
