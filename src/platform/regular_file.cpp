// Bounded reading of small regular files: PSE files, TCPDB.DAT.
#include "platform/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

QorFileRead qor_read_regular_file(const char* path, size_t max_bytes, std::string* content,
                                  std::string* reason, int* error)
{
    content->clear();
    *error = 0;
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        *error = errno;
        *reason = std::strerror(errno);
        return QorFileRead::not_opened;
    }
    struct stat st
    {
    };
    QorFileRead result = QorFileRead::refused;
    if (::fstat(fd, &st) != 0) {
        *error = errno;
        *reason = std::strerror(errno);
    } else if (!S_ISREG(st.st_mode)) {
        *reason = "not a regular file";
    } else {
        char buf[16384];
        for (;;) {
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                *error = errno;
                *reason = std::strerror(errno);
                break;
            }
            if (n == 0) {
                result = QorFileRead::read;
                break;
            }
            if (static_cast<size_t>(n) > max_bytes - content->size()) {
                *error = EFBIG;
                *reason = "larger than " + std::to_string(max_bytes) + " bytes";
                break;
            }
            content->append(buf, static_cast<size_t>(n));
        }
    }
    ::close(fd);
    if (result != QorFileRead::read)
        content->clear();
    return result;
}
