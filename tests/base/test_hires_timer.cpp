#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "base/hires_timer.h"
#include "platform/base_timer.h"

namespace {

int g_checks = 0;
int check_succeeds(int mode, NtTimerMessage message)
{
    ++g_checks;
    EXPECT_EQ(mode, 0);
    EXPECT_EQ(message, nullptr) << "the selection runs its check silently";
    return 1;
}
int check_fails(int, NtTimerMessage)
{
    ++g_checks;
    return 0;
}

TEST(HighResTimer, TheVariableOrTheCheckChoosesTheReader)
{
    const struct
    {
        bool use_win_timer;
        NtTimerSyncCheck check;
        NtTimerReader reader;
        int checks;
    } cases[] = {
        {true, check_succeeds, NtReadMonotonicCounter, 0},
        {true, check_fails, NtReadMonotonicCounter, 0},
        {false, check_succeeds, NtReadTimeStampCounter, 1},
        {false, check_fails, NtReadMonotonicCounter, 1},
    };
    for (const auto& c : cases) {
        g_checks = 0;
        EXPECT_EQ(NtChooseTimerReader(c.use_win_timer, c.check), c.reader) << c.use_win_timer;
        EXPECT_EQ(g_checks, c.checks) << c.use_win_timer;
    }
}

// The process's one selection, made by one of several threads at once.
TEST(HighResTimer, TheFirstCallsSelectOnceWithTheVariableSet)
{
    setenv("QOR_USE_WIN_TIMER", "", 1);
    std::vector<int64_t> ticks(4, 0);
    std::vector<int> results(4, 0);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < ticks.size(); ++i)
        threads.emplace_back([&, i] { results[i] = NT_QueryHighResTimer.load()(&ticks[i]); });
    for (std::thread& t : threads)
        t.join();
    unsetenv("QOR_USE_WIN_TIMER");
    EXPECT_EQ(NT_QueryHighResTimer.load(), &NtReadMonotonicCounter);
    int64_t later = 0;
    ASSERT_EQ(NT_QueryHighResTimer.load()(&later), 1);
    for (size_t i = 0; i < ticks.size(); ++i) {
        EXPECT_EQ(results[i], 1);
        EXPECT_LE(ticks[i], later);
    }
}

std::vector<std::u16string> g_messages;
void collect(const QOR_UC* text)
{
    g_messages.emplace_back(text);
}

TEST(HighResTimer, TheSynchronisationCheckRestoresTheAffinity)
{
    uint64_t before = 0;
    ASSERT_TRUE(base_get_affinity(&before));
    for (int mode : {0, 1}) {
        g_messages.clear();
        const int result = NtCheckCounterSync(mode, collect);
        uint64_t after = 0;
        ASSERT_TRUE(base_get_affinity(&after));
        EXPECT_EQ(after, before) << mode;
        // A failure says why, a success says nothing.
        EXPECT_EQ(result == 1, g_messages.empty()) << mode;
        for (const std::u16string& m : g_messages) {
            EXPECT_EQ(m.rfind(u"error", 0), 0u);
            EXPECT_EQ(m.back(), u'\n');
        }
        if (mode == 0 && !check_RDTSC_freq()) {
            EXPECT_EQ(g_messages, std::vector<std::u16string>{u"error check_RDTSC_freq()\n"});
        }
        // The monotonic clock never runs backwards: only a processor set that
        // cannot be widened to every online processor makes the check fail.
        if (mode == 1 && before == base_online_processors()) {
            EXPECT_EQ(result, 1);
        }
    }
}

} // namespace
