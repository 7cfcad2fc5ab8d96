#include "platform/u16_debug.h"

#include <csignal>
#include <cstdlib>
#include <cstring>

void u16_debug_break(void)
{
    /* An attached debugger stops at the trap and may continue the program;
     * without one the default action ends the process. A disposition or
     * mask inherited from the parent must not swallow the break. */
    std::signal(SIGTRAP, SIG_DFL);
    sigset_t trap;
    sigemptyset(&trap);
    sigaddset(&trap, SIGTRAP);
    sigprocmask(SIG_UNBLOCK, &trap, nullptr);
    std::raise(SIGTRAP);
}

bool u16_env_is_zero(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && std::strcmp(value, "0") == 0;
}
