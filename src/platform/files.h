// Whole-file reading and writing.
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

}  // namespace sarvo::platform
