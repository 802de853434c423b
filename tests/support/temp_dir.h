// Test helpers: a temporary folder removed with its contents, small file helpers, platform helpers.
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
    std::string str() const { return path_.string(); }  // as the suite writes paths: no trailing separator

private:
    std::filesystem::path path_;
};

// Writes `bytes` to `path`, making its parent folders.
void WriteFile(const std::filesystem::path& path, const std::string& bytes);
void WriteFile(const std::filesystem::path& path, const std::vector<unsigned char>& bytes);
// The whole file, or an empty text when it does not exist.
std::string ReadFile(const std::filesystem::path& path);

void SetEnvironment(const std::string& name, const std::string& value);

// POSIX only: `check` as it is, or as root in a child turned "nobody" (65534); false if none is made.
bool RunWithoutPrivileges(const std::function<bool()>& check);

}  // namespace sarvo::test
