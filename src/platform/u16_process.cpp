#include "platform/u16_process.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

int u16_is_service_process(void)
{
    const char* invocation = std::getenv("INVOCATION_ID");
    if (invocation != nullptr && *invocation != 0)
        return 1;
    FILE* status = std::fopen("/proc/self/stat", "r");
    if (status == nullptr)
        return -1;
    int pid = 0, ppid = 0;
    char state = 0;
    /* pid (comm) state ppid: comm may hold blanks, so skip to the last ')'. */
    char line[1024];
    const bool read_ok = std::fgets(line, sizeof line, status) != nullptr;
    std::fclose(status);
    if (!read_ok)
        return -1;
    const char* close = nullptr;
    for (const char* p = line; *p != 0; ++p)
        if (*p == ')')
            close = p;
    if (close == nullptr || std::sscanf(line, "%d", &pid) != 1 ||
        std::sscanf(close + 1, " %c %d", &state, &ppid) != 2)
        return -1;
    return (ppid == 1 && !isatty(STDIN_FILENO) && !isatty(STDOUT_FILENO)) ? 1 : 0;
}
