// Opening and bounded reading of small regular files: PSE files, TCPDB.DAT,
// the logon file.
#include "platform/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

void (*g_open_hook)(const char*) = nullptr;

int not_opened(bool* refused, std::string* reason, int* error)
{
    *refused = false;
    *error = errno;
    *reason = std::strerror(errno);
    return -1;
}

int refuse(bool* refused, std::string* reason, int* error, const char* why)
{
    *refused = true;
    *error = 0;
    *reason = why;
    return -1;
}

} // namespace

int qor_open_regular_file(const char* path, bool* refused, std::string* reason, int* error)
{
    *refused = false;
    *error = 0;
    reason->clear();
    struct stat judged
    {
    };
    if (::lstat(path, &judged) != 0)
        return not_opened(refused, reason, error);
    int flags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    if (S_ISLNK(judged.st_mode)) {
        // A link may name the file: what it leads to is judged instead.
        if (::stat(path, &judged) != 0)
            return not_opened(refused, reason, error);
    } else {
        // Judged as no link, it must not become one before the open.
        flags |= O_NOFOLLOW;
    }
    // Opening anything else can act by itself: a FIFO releases its writer.
    if (!S_ISREG(judged.st_mode))
        return refuse(refused, reason, error, "not a regular file");
    if (g_open_hook != nullptr)
        g_open_hook(path);
    const int fd = ::open(path, flags);
    if (fd < 0) {
        if (errno == ELOOP && (flags & O_NOFOLLOW) != 0)
            return refuse(refused, reason, error, "changed while it was opened");
        return not_opened(refused, reason, error);
    }
    struct stat opened
    {
    };
    if (::fstat(fd, &opened) != 0) {
        const int saved = errno;
        ::close(fd);
        *refused = true;
        *error = saved;
        *reason = std::strerror(saved);
        return -1;
    }
    if (!S_ISREG(opened.st_mode) || opened.st_dev != judged.st_dev ||
        opened.st_ino != judged.st_ino) {
        ::close(fd);
        return refuse(refused, reason, error, "changed while it was opened");
    }
    return fd;
}

void qor_regular_file_set_open_hook(void (*hook)(const char* path))
{
    g_open_hook = hook;
}

QorFileRead qor_read_regular_file(const char* path, size_t max_bytes, std::string* content,
                                  std::string* reason, int* error)
{
    content->clear();
    bool refused = false;
    const int fd = qor_open_regular_file(path, &refused, reason, error);
    if (fd < 0)
        return refused ? QorFileRead::refused : QorFileRead::not_opened;
    QorFileRead result = QorFileRead::refused;
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
    ::close(fd);
    if (result != QorFileRead::read)
        content->clear();
    return result;
}
