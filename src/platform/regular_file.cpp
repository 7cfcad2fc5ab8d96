// Opening and bounded reading of small regular files: PSE files, TCPDB.DAT,
// the logon file.
#include "platform/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
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

// Whether what a descriptor holds is the regular file that was looked at.
bool is_judged_file(const struct stat& held, const struct stat& judged)
{
    return S_ISREG(held.st_mode) && held.st_dev == judged.st_dev && held.st_ino == judged.st_ino;
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
    int path_flags = O_PATH | O_CLOEXEC;
    if (S_ISLNK(judged.st_mode)) {
        // A link may name the file: what it leads to is judged instead.
        if (::stat(path, &judged) != 0)
            return not_opened(refused, reason, error);
    } else {
        // Judged as no link, it must not become one before the open.
        path_flags |= O_NOFOLLOW;
    }
    // Opening anything else can act by itself: a FIFO releases its writer.
    if (!S_ISREG(judged.st_mode))
        return refuse(refused, reason, error, "not a regular file");
    if (g_open_hook != nullptr)
        g_open_hook(path);
    // The name may hold something else by now, so it is first opened only
    // as a place, which acts on nothing, and looked at again.
    const int place = ::open(path, path_flags);
    if (place < 0)
        return not_opened(refused, reason, error);
    struct stat seen
    {
    };
    if (::fstat(place, &seen) != 0 || !is_judged_file(seen, judged)) {
        ::close(place);
        return refuse(refused, reason, error, "changed while it was opened");
    }
    // Then that very file is opened for reading through its descriptor, with
    // no further lookup of the name. Without /proc there is no such way, and
    // the name is not opened again: that would reopen the gap.
    char reopen[40];
    std::snprintf(reopen, sizeof reopen, "/proc/self/fd/%d", place);
    const int fd = ::open(reopen, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    const int saved = errno;
    ::close(place);
    if (fd < 0) {
        errno = saved;
        if (saved == ENOENT)
            return refuse(refused, reason, error, "cannot be opened safely without /proc");
        return not_opened(refused, reason, error);
    }
    struct stat opened
    {
    };
    if (::fstat(fd, &opened) != 0) {
        const int failed = errno;
        ::close(fd);
        *refused = true;
        *error = failed;
        *reason = std::strerror(failed);
        return -1;
    }
    if (!is_judged_file(opened, judged)) {
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
