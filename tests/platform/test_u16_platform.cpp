#include <gtest/gtest.h>
#include <pty.h>
#include <signal.h>
#include <sys/time.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "platform/u16_debug.h"
#include "platform/u16_process.h"
#include "platform/u16_sleep.h"
#include "platform/u16_terminal.h"
#include "platform/u16_zone.h"

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

/* The biases of a zone agree with the C library's own offsets: in January
 * and in July of a fixed year, the half in daylight-saving time is the one
 * tm_isdst marks. Rule strings need no zone files; named zones only run
 * where the zone files are installed. */
TEST(U16Zone, BiasesAgreeWithTheLocalTimeOfTheCLibrary)
{
    const struct
    {
        const char* tz;
        int32_t standard;
        int32_t daylight;
    } cases[] = {
        {"QST3QDT,M3.2.0,M11.1.0", 180, -60},
        {"LHS-10:30LHD-11,M10.1.0,M4.1.0", -630, -30},
        {"TWO0THR-2,M3.5.0/1,M10.5.0/3", 0, -120},
        {"KST-9", -540, 0},
        {"UTC0", 0, 0},
        {"Europe/Berlin", -60, -60},
        {"Australia/Lord_Howe", -630, -30},
        {"Asia/Tokyo", -540, 0},
    };
    const char* saved = std::getenv("TZ");
    const std::string saved_tz = saved != nullptr ? saved : "";
    const time_t start_of_2031 = 1924992000; /* 2031-01-01 00:00 UTC */
    const time_t probes[] = {start_of_2031 + 14 * 86400, start_of_2031 + 195 * 86400};
    for (const auto& c : cases) {
        if (std::strchr(c.tz, '/') != nullptr &&
            access((std::string("/usr/share/zoneinfo/") + c.tz).c_str(), R_OK) != 0)
            continue;
        setenv("TZ", c.tz, 1);
        int32_t standard = 12345;
        int32_t daylight = 12345;
        u16_zone_biases(start_of_2031, &standard, &daylight);
        EXPECT_EQ(standard, c.standard) << c.tz;
        EXPECT_EQ(daylight, c.daylight) << c.tz;
        int dst_probes = 0;
        for (const time_t at : probes) {
            struct tm local
            {
            };
            ASSERT_NE(localtime_r(&at, &local), nullptr);
            const int32_t bias = local.tm_isdst > 0 ? standard + daylight : standard;
            EXPECT_EQ(-bias * 60, local.tm_gmtoff) << c.tz << " at " << at;
            dst_probes += local.tm_isdst > 0 ? 1 : 0;
        }
        EXPECT_EQ(dst_probes, c.daylight != 0 ? 1 : 0) << c.tz;
    }
    if (saved != nullptr)
        setenv("TZ", saved_tz.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
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
