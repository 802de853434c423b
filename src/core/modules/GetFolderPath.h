// Splitting the paths the suite forms, with the platform's separator.
#pragma once

#include <string>

namespace sarvo {

// The last component of a path (C:\Pictures\sea.jpg gives sea.jpg); the
// empty text when the path holds no separator or ends with one.
std::string GetFileBaseName(const std::string& path);

// The extension of the last component without its dot, in its own letter
// case; the empty text when there is none. A dot in a folder name never
// counts.
std::string GetFileExtension(const std::string& path);

}  // namespace sarvo
