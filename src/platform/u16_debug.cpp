#include "platform/u16_debug.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

/* The TracerPid line of /proc/self/status names an attached debugger. */
bool tracer_attached()
{
    FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr)
        return false;
    char line[256];
    bool attached = false;
    while (std::fgets(line, sizeof line, status) != nullptr) {
        if (std::strncmp(line, "TracerPid:", 10) == 0) {
            attached = std::strtol(line + 10, nullptr, 10) != 0;
            break;
        }
    }
    std::fclose(status);
    return attached;
}

} // namespace

void u16_debug_break(void)
{
    if (tracer_attached())
        std::raise(SIGTRAP);
}

bool u16_env_is_zero(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && std::strcmp(value, "0") == 0;
}
