#include "platform/program.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <vector>

namespace sarvo::platform {

void PrepareProcess() {
    struct sigaction action {};
    if (sigaction(SIGCHLD, nullptr, &action) == 0 && action.sa_handler == SIG_IGN) signal(SIGCHLD, SIG_DFL);
}

std::string ProgramDirectory() {
    std::vector<char> buffer(PATH_MAX + 1);
    for (;;) {
        const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0) return {};
        if (static_cast<std::size_t>(n) < buffer.size()) {
            const std::string exe(buffer.data(), static_cast<std::size_t>(n));
            const std::size_t slash = exe.find_last_of('/');
            if (slash == std::string::npos) return {};
            return slash == 0 ? std::string("/") : exe.substr(0, slash);
        }
        buffer.resize(buffer.size() * 2);
    }
}

namespace {

// The absolute form of `path`, without resolving links: the folder a picture
// was found under is the one the user named.
std::string Absolute(const std::string& path) {
    if (!path.empty() && path[0] == '/') return path;
    std::vector<char> cwd(PATH_MAX + 1);
    while (getcwd(cwd.data(), cwd.size()) == nullptr) {
        if (errno != ERANGE) return path;
        cwd.resize(cwd.size() * 2);
    }
    std::string relative = path;
    while (relative.rfind("./", 0) == 0) relative.erase(0, 2);
    std::string base = cwd.data();
    if (base != "/") base += '/';
    return base + relative;
}

bool NamesExistingFile(const std::string& argument) {
    struct stat st {};
    return !argument.empty() && stat(argument.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

}  // namespace

// The programs expect their argument text as Windows hands it over: a file
// opened with a program arrives as its full path in double quotes.
std::string ArgumentText(int argc, char** argv) {
    std::string text;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (i > 1) text += ' ';
        text += NamesExistingFile(argument) ? "\"" + Absolute(argument) + "\"" : argument;
    }
    return text;
}

std::string ExecutableName(const std::string& name) { return name; }

}  // namespace sarvo::platform
