#include "io_linux.h"

#include <locale.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace sarvo::platform::linux_io {

std::string ErrorText(const std::string& what, const std::string& path) {
    return what + " " + path + ": " + std::strerror(errno);
}

std::string SystemDescription(int error) {
    // The programs themselves run in the C locale; the user's language is
    // asked for the messages only.
    static const locale_t user = newlocale(LC_MESSAGES_MASK, "", static_cast<locale_t>(nullptr));
    return user != static_cast<locale_t>(nullptr) ? strerror_l(error, user) : std::strerror(error);
}

std::string RefusalText(const std::string& path) { return path + ": " + SystemDescription(errno); }

bool WriteAll(int fd, const unsigned char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

}  // namespace sarvo::platform::linux_io
