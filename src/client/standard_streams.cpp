// Standard streams of a program started with some of them closed.
#include "client/standard_streams.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

bool open_closed_standard_streams(void)
{
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        // The lowest free number is this one, as the ones below are open.
        const int opened = open("/dev/null", O_RDWR);
        if (opened < 0)
            return false;
        if (opened != fd) {
            const bool moved = dup2(opened, fd) == fd;
            close(opened);
            if (!moved)
                return false;
        }
    }
    return true;
}

void buffer_standard_output(void)
{
    // Each call's output is flushed when the call ends; a block of this size
    // keeps a long list from costing one write per few lines into a pipe or
    // file. A terminal keeps its line buffering.
    constexpr std::size_t kOutputBlock = 64 * 1024;
    if (isatty(STDOUT_FILENO) == 0)
        std::setvbuf(stdout, nullptr, _IOFBF, kOutputBlock);
}
