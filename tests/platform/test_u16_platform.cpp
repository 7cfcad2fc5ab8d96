#include <gtest/gtest.h>
#include <pty.h>
#include <signal.h>
#include <sys/time.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/u16_debug.h"
#include "platform/u16_process.h"
#include "platform/u16_sleep.h"
#include "platform/u16_terminal.h"

namespace {

void on_alarm(int) {}

TEST(U16Sleep, LastsAtLeastTheTimeEvenWhenASignalArrives)
{
    struct sigaction action
    {
    };
    action.sa_handler = on_alarm; // no SA_RESTART: the sleep sees EINTR
    sigemptyset(&action.sa_mask);
    struct sigaction old
    {
    };
    sigaction(SIGALRM, &action, &old);
    itimerval timer{};
    timer.it_value.tv_usec = 10000;
    setitimer(ITIMER_REAL, &timer, nullptr);
    const uint64_t start = u16_monotonic_ms();
    u16_sleep_ms(60);
    const uint64_t elapsed = u16_monotonic_ms() - start;
    sigaction(SIGALRM, &old, nullptr);
    EXPECT_GE(elapsed, 60u);
    const uint64_t before = u16_monotonic_ms();
    u16_sleep_ms(0);
    EXPECT_GE(u16_monotonic_ms(), before);
}

TEST(U16Terminal, EchoOffAndRestore)
{
    int master = -1, slave = -1;
    ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    termios t{};
    tcgetattr(slave, &t);
    ASSERT_NE(t.c_lflag & ECHO, 0u);
    const tcflag_t other_bits = t.c_lflag & ~static_cast<tcflag_t>(ECHO);
    EXPECT_TRUE(u16_echo_off(slave));
    EXPECT_FALSE(u16_echo_off(slave)); // already off: no second save
    tcgetattr(slave, &t);
    EXPECT_EQ(t.c_lflag & ECHO, 0u);
    EXPECT_EQ(t.c_lflag & ~static_cast<tcflag_t>(ECHO), other_bits);
    u16_echo_restore();
    tcgetattr(slave, &t);
    EXPECT_NE(t.c_lflag & ECHO, 0u);
    u16_echo_restore(); // harmless when nothing is saved
    close(master);
    close(slave);

    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    EXPECT_FALSE(u16_echo_off(fds[0]));
    close(fds[0]);
    close(fds[1]);
}

TEST(U16Debug, EnvironmentSwitchAndBreakWithoutDebugger)
{
    struct Case
    {
        const char* value;
        bool zero;
    } cases[] = {{nullptr, false}, {"0", true}, {"1", false}, {"", false}, {"00", false}};
    for (const Case& c : cases) {
        if (c.value == nullptr)
            unsetenv("QOR_TEST_SWITCH");
        else
            setenv("QOR_TEST_SWITCH", c.value, 1);
        EXPECT_EQ(u16_env_is_zero("QOR_TEST_SWITCH"), c.zero) << (c.value ? c.value : "(unset)");
    }
    unsetenv("QOR_TEST_SWITCH");
}

/* Without a debugger the break ends the process with SIGTRAP, also when the
 * signal was ignored or blocked before. */
TEST(U16DebugDeathTest, BreakEndsAProcessWithoutDebugger)
{
    enum Prepare { kAsIs, kIgnored, kBlocked };
    for (const Prepare prepare : {kAsIs, kIgnored, kBlocked}) {
        EXPECT_EXIT(
            {
                if (prepare == kIgnored)
                    signal(SIGTRAP, SIG_IGN);
                if (prepare == kBlocked) {
                    sigset_t trap;
                    sigemptyset(&trap);
                    sigaddset(&trap, SIGTRAP);
                    sigprocmask(SIG_BLOCK, &trap, nullptr);
                }
                u16_debug_break();
                std::_Exit(7);
            },
            ::testing::KilledBySignal(SIGTRAP), "")
            << prepare;
    }
}

TEST(U16Process, InvocationIdMarksAService)
{
    setenv("INVOCATION_ID", "abc", 1);
    EXPECT_EQ(u16_is_service_process(), 1);
    setenv("INVOCATION_ID", "", 1);
    const int r = u16_is_service_process();
    EXPECT_TRUE(r == 0 || r == 1);
    unsetenv("INVOCATION_ID");
}

} // namespace
