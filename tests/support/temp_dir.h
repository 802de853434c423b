// Test helpers: a fresh temporary folder removed with all its contents when
// the object goes out of scope, small file helpers, and platform helpers.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace sarvo::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The folder as the suite writes paths: a string without a trailing separator.
    std::string str() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

// Writes `bytes` to `path`, making its parent folders.
void WriteFile(const std::filesystem::path& path, const std::string& bytes);
void WriteFile(const std::filesystem::path& path, const std::vector<unsigned char>& bytes);
// The whole file, or an empty text when it does not exist.
std::string ReadFile(const std::filesystem::path& path);

void SetEnvironment(const std::string& name, const std::string& value);

// POSIX only: runs `check` as it is when not root; as root, in a child that
// has become "nobody" (uid and gid 65534), so that tests of files a user may
// not read mean the same. False also when the child cannot be made.
bool RunWithoutPrivileges(const std::function<bool()>& check);

}  // namespace sarvo::test
