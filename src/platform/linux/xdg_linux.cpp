#include "xdg_linux.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace sarvo::platform::linux_xdg {

std::string ResolveBaseDir(const char* value, const std::string& home, const std::string& fallback) {
    if (value != nullptr && value[0] == '/') return value;
    return home + "/" + fallback;
}

std::string HomeDir() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') return home;
    // Started without HOME (some log-on paths): ask the password database.
    if (const passwd* pw = getpwuid(getuid()); pw != nullptr && pw->pw_dir != nullptr) return pw->pw_dir;
    return "/";
}

std::string DataHome() { return ResolveBaseDir(std::getenv("XDG_DATA_HOME"), HomeDir(), ".local/share"); }

std::string StateHome() { return ResolveBaseDir(std::getenv("XDG_STATE_HOME"), HomeDir(), ".local/state"); }

std::string ConfigHome() { return ResolveBaseDir(std::getenv("XDG_CONFIG_HOME"), HomeDir(), ".config"); }

bool MakeFolders(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    const std::size_t slash = path.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !MakeFolders(path.substr(0, slash))) return false;
    if (mkdir(path.c_str(), 0700) == 0 || errno == EEXIST) return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    return false;
}

}  // namespace sarvo::platform::linux_xdg
