// Small POSIX helpers shared by the file services.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

namespace sarvo::platform::linux_io {

// "`what`：`path`（the system's description of the current errno）", the
// description in the user's language: `what` says in Japanese what could
// not be done, as every text a user may see does.
std::string ErrorText(const std::string& what, const std::string& path);

// The system's description of the error number `error`, in the language of
// the user's session where the system has its texts.
std::string SystemDescription(int error);

// "`path`: " and the system's description of the current errno, in the
// user's language: what a user is shown of a file the system refused.
std::string RefusalText(const std::string& path);

// Writes all `size` bytes to `fd`, carrying on after interruptions. False
// with errno set when a write fails.
bool WriteAll(int fd, const unsigned char* data, std::size_t size);

// The folder part of `path`: "." for a bare name, "/" for a name in the root.
std::string FolderOf(const std::string& path);

// What the user's umask leaves of 0666: the mode of a new file of any
// program.
mode_t CreationMode();

// The mark every temporary file of the suite's name begins with (hidden, as
// every name beginning with "." is). Only files so named are ever removed as
// leftovers.
inline constexpr std::string_view kTemporaryMark = ".sarvo-tmp-";

// Makes a new temporary file in `folder` with permissions `mode`, open for
// writing, and returns its descriptor, `path` naming it. The descriptor
// holds an exclusive lock (flock) on the file from before its name is
// seen until it is closed, which is what tells a live writer's file from the
// leftover of a killed one. The folder's leftovers are removed first.
// Returns -1 with errno set when the folder takes no new file.
int CreateTemporary(const std::string& folder, mode_t mode, std::string& path);

// Removes from `folder` the temporary files that writers left when they were
// killed: regular files whose name begins with kTemporaryMark and that no
// one holds locked, whatever their age. Nothing else is ever touched.
void RemoveLeftovers(const std::string& folder);

// An exclusive lock on a folder (flock on the folder itself, so that there
// is no lock file to leave behind), released when the object goes. Within
// one process the lock is shared: a second FolderLock on a folder the
// process holds already takes it at once, and the folder is let go when the
// last of them goes. So a run that holds the wallpaper's lock can still
// write the registry store, whose lock is the same folder where the data
// and configuration homes are one.
class FolderLock {
public:
    FolderLock() = default;
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    ~FolderLock();

    enum class Outcome {
        Held,      // the lock is ours (or the file system cannot lock folders at all)
        Busy,      // another holder kept it all the time waited
        NoFolder,  // the folder cannot be opened
    };

    // Waits up to `wait` for the lock; `why` says why not when not Held.
    Outcome Acquire(const std::string& folder, std::chrono::milliseconds wait, std::string& why);

private:
    dev_t device_ = 0;
    ino_t inode_ = 0;
    bool held_ = false;
};

}  // namespace sarvo::platform::linux_io
