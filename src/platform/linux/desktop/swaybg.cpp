// Processes are found through /proc: their name, owner and environment.
#include "desktop/swaybg.h"

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace sarvo::platform::swaybg {

namespace {

// The value of `name` in an environment block; false when it is not there.
bool Value(std::string_view environment, std::string_view name, std::string_view& value) {
    std::size_t start = 0;
    while (start < environment.size()) {
        std::size_t end = environment.find('\0', start);
        if (end == std::string_view::npos) end = environment.size();
        const std::string_view entry = environment.substr(start, end - start);
        if (entry.size() > name.size() && entry.substr(0, name.size()) == name && entry[name.size()] == '=') {
            value = entry.substr(name.size() + 1);
            return true;
        }
        start = end + 1;
    }
    return false;
}

std::string ReadAll(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

}  // namespace

bool OnDisplay(std::string_view environment, std::string_view display, std::string_view runtimeDir) {
    std::string_view value;
    if (Value(environment, "WAYLAND_SOCKET", value)) return false;
    if (!Value(environment, "WAYLAND_DISPLAY", value) || value != display) return false;
    return Value(environment, "XDG_RUNTIME_DIR", value) && value == runtimeDir;
}

void EndOthers(int keep) {
    const char* display = std::getenv("WAYLAND_DISPLAY");
    const char* runtimeDir = std::getenv("XDG_RUNTIME_DIR");
    if (display == nullptr || *display == '\0' || runtimeDir == nullptr) return;
    DIR* processes = opendir("/proc");
    if (processes == nullptr) return;
    while (const dirent* entry = readdir(processes)) {
        const int pid = std::atoi(entry->d_name);
        if (pid <= 1 || pid == keep) continue;
        const std::string folder = std::string("/proc/") + entry->d_name;
        struct stat owner {};
        if (stat(folder.c_str(), &owner) != 0 || owner.st_uid != getuid()) continue;
        if (ReadAll(folder + "/comm") != "swaybg\n") continue;
        if (OnDisplay(ReadAll(folder + "/environ"), display, runtimeDir)) kill(pid, SIGTERM);
    }
    closedir(processes);
}

}  // namespace sarvo::platform::swaybg
