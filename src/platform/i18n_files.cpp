// Standard error, the start-up trace file and path tests for the I18N start-up.
#include "platform/i18n_os.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool i18n_stderr_is_open(void)
{
    return fcntl(STDERR_FILENO, F_GETFD) != -1;
}

FILE* i18n_open_trace_file(const char* name)
{
    // O_NOFOLLOW: a symbolic link planted under the trace file's name must
    // not redirect the write to another file.
    int fd = open(name, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0)
        return nullptr;
    // With standard error closed the open may get descriptor 2; the file
    // must not pose as standard error, so it moves above the standard three.
    if (fd <= STDERR_FILENO) {
        int moved = fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
        close(fd);
        if (moved < 0)
            return nullptr;
        fd = moved;
    }
    FILE* file = fdopen(fd, "w");
    if (file == nullptr)
        close(fd);
    return file;
}

bool i18n_path_exists(const char* path)
{
    struct stat info;
    return stat(path, &info) == 0;
}

int i18n_getpid(void)
{
    return static_cast<int>(getpid());
}
