// Small POSIX helpers shared by the file services.
#pragma once

#include <cstddef>
#include <string>

namespace sarvo::platform::linux_io {

// "`what` `path`: " and the description of the current errno.
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

}  // namespace sarvo::platform::linux_io
