#include "platform/u16_terminal.h"

#include <termios.h>
#include <unistd.h>

#include <csignal>

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

volatile sig_atomic_t g_active = 0;
int g_fd = -1;
termios g_saved{};
struct sigaction g_previous[sizeof kSignals / sizeof kSignals[0]];

void restore_mode()
{
    if (g_active)
        tcsetattr(g_fd, TCSANOW, &g_saved);
}

void on_signal(int sig)
{
    restore_mode();
    g_active = 0;
    /* Hand the signal to whatever handled it before. */
    for (size_t i = 0; i < sizeof kSignals / sizeof kSignals[0]; ++i)
        if (kSignals[i] == sig)
            sigaction(sig, &g_previous[i], nullptr);
    raise(sig);
}

} // namespace

bool u16_echo_off(int fd)
{
    if (g_active || !isatty(fd))
        return false;
    termios mode{};
    if (tcgetattr(fd, &mode) != 0)
        return false;
    g_saved = mode;
    g_fd = fd;
    struct sigaction action
    {
    };
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    for (size_t i = 0; i < sizeof kSignals / sizeof kSignals[0]; ++i)
        sigaction(kSignals[i], &action, &g_previous[i]);
    g_active = 1;
    mode.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    if (tcsetattr(fd, TCSANOW, &mode) != 0) { // keeps typed-ahead input
        u16_echo_restore();
        return false;
    }
    return true;
}

void u16_echo_restore(void)
{
    if (!g_active)
        return;
    restore_mode();
    g_active = 0;
    for (size_t i = 0; i < sizeof kSignals / sizeof kSignals[0]; ++i)
        sigaction(kSignals[i], &g_previous[i], nullptr);
}
