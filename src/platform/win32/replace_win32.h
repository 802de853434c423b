// Replacing a file as a whole: the new content goes into a temporary file in
// the same folder, which is then moved over the old file in one step. A
// crash or a second writer at the same moment leaves either the old or the
// new file, never a part of one.
#pragma once

#include <string>

namespace sarvo::win32 {

// Whether the file `ansiPath` exists with the read-only attribute. Such a
// file is never replaced: the user protected it.
bool IsReadOnlyFile(const std::string& ansiPath);

// Creates an empty, uniquely named temporary file in the folder of
// `utf8Target`, carrying the suite's mark and the writer's process id, and
// gives its name in the ANSI code page; the leftovers of killed writers in
// that folder are removed first. Returns false and fills `why` when the
// folder cannot take it.
bool CreateTempBeside(const std::string& utf8Target, std::string& ansiTemp, std::string& why);

// Removes the temporary files of writers that have ended from the folder
// `ansiFolder`, named with its final separator.
void RemoveLeftovers(const std::string& ansiFolder);

// Moves `ansiTemp` over `ansiTarget` (replacing it, written through to the
// disk). On failure the temporary file is removed, `ansiTarget` is left as
// it was, and `why` says what the system reported.
bool MoveOver(const std::string& ansiTemp, const std::string& ansiTarget, std::string& why);

}  // namespace sarvo::win32
