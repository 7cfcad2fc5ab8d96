// A library that leaves the file qor_mark_loaded in the working directory
// as soon as it is loaded: tests plant it where the program must never load
// it from.
#include <fcntl.h>
#include <unistd.h>

__attribute__((constructor)) static void leave_mark()
{
    const int fd = open("qor_mark_loaded", O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd >= 0)
        close(fd);
}
