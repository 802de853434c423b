// Reading a picture file whole, for the decoders whose libraries want their
// input in one piece.
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "picture_decoders_linux.h"

namespace sarvo::platform {

bool ReadWholeFile(int fd, std::size_t size, std::vector<unsigned char>& bytes, std::string& why) {
    bytes.resize(size);
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = pread(fd, bytes.data() + got, size - got, static_cast<off_t>(got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            why = std::string("cannot read the file: ") + std::strerror(errno);
            return false;
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    // A file cut short by another program meanwhile is read as it now is.
    bytes.resize(got);
    return true;
}

}  // namespace sarvo::platform
