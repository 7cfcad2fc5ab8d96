#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
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

// A machine of the test's own: its counters give the readings queued for
// them (the last one again when the queue runs dry), its processors are the
// bits of `online`, and the calling thread's mask is `thread`.
struct FakeMachine
{
    std::deque<int64_t> tsc, monotonic;
    uint64_t online = 0b111;
    uint64_t thread = 0b111;
    std::vector<uint64_t> bindings; // every mask set, in order

    static inline FakeMachine* active = nullptr;
    static int64_t next(std::deque<int64_t>& readings)
    {
        const int64_t value = readings.front();
        if (readings.size() > 1)
            readings.pop_front();
        return value;
    }
    static uint64_t read_tsc() { return static_cast<uint64_t>(next(active->tsc)); }
    static bool read_monotonic(int64_t* ticks)
    {
        *ticks = next(active->monotonic);
        return true;
    }
    static int64_t frequency() { return 1000000000; }
    static bool get_affinity(uint64_t* mask)
    {
        *mask = active->thread;
        return true;
    }
    static bool set_affinity(uint64_t mask, uint64_t* replaced)
    {
        if (replaced != nullptr)
            *replaced = active->thread;
        active->thread = mask;
        active->bindings.push_back(mask);
        return true;
    }
    static uint64_t online_processors() { return active->online; }
    static constexpr BaseTimerPlatform kPlatform = {
        read_tsc, read_monotonic, frequency, get_affinity, set_affinity, online_processors};

    FakeMachine()
    {
        active = this;
        base_timer_set_platform(&kPlatform);
    }
    ~FakeMachine()
    {
        base_timer_set_platform(nullptr);
        active = nullptr;
    }
    FakeMachine(const FakeMachine&) = delete;
    FakeMachine& operator=(const FakeMachine&) = delete;
};

TEST(HighResTimer, TheTimeStampCounterMustRunWithinATenthOfTheClocksRate)
{
    const struct
    {
        int64_t tsc, monotonic;
        bool same_rate;
    } cases[] = {
        {90, 100, false},  {91, 100, true}, {100, 100, true}, {109, 100, true},
        {110, 100, false}, {100, 0, false}, {0, 100, false},
    };
    for (const auto& c : cases) {
        FakeMachine machine;
        machine.tsc = {c.tsc};
        machine.monotonic = {c.monotonic};
        EXPECT_EQ(check_RDTSC_freq(), c.same_rate) << c.tsc << "/" << c.monotonic;
    }
    FakeMachine machine;
    machine.tsc = {110};
    machine.monotonic = {100};
    g_messages.clear();
    EXPECT_EQ(NtCheckCounterSync(0, collect), 0);
    EXPECT_EQ(g_messages, std::vector<std::u16string>{u"error check_RDTSC_freq()\n"});
}

TEST(HighResTimer, ACounterThatGoesBackOnAnotherProcessorIsNotSynchronised)
{
    const struct
    {
        uint64_t online, thread;
        std::deque<int64_t> readings; // one per processor, then the first again
        const char16_t* masks;        // of the message; null: in sync
        std::vector<uint64_t> bindings;
    } cases[] = {
        {0b111, 0b111, {10, 20, 30, 40}, nullptr, {0b1, 0b10, 0b100, 0b1, 0b111}},
        {0b111, 0b111, {-5, 20, 20, 20}, nullptr, {0b1, 0b10, 0b100, 0b1, 0b111}},
        {0b111, 0b111, {10, 5}, u"mask=0x2, previous mask=0x1", {0b1, 0b10, 0b111}},
        {0b101, 0b101, {10, 20, 15}, u"mask=0x1, previous mask=0x4", {0b1, 0b100, 0b1, 0b101}},
        // A narrower process is widened for the walk and narrowed again.
        {0b11, 0b10, {10, 20, 30}, nullptr, {0b11, 0b1, 0b10, 0b1, 0b11, 0b10}},
        {0b1, 0b1, {7, 7}, nullptr, {0b1, 0b1, 0b1}},
    };
    for (const auto& c : cases) {
        FakeMachine machine;
        machine.online = c.online;
        machine.thread = c.thread;
        machine.monotonic = c.readings;
        g_messages.clear();
        EXPECT_EQ(NtCheckCounterSync(1, collect), c.masks != nullptr ? 0 : 1) << c.readings.size();
        std::vector<std::u16string> expected;
        if (c.masks != nullptr)
            expected.push_back(u"error. Non synchronized timestamp counters detected. Counter "
                               u"went back -5 ticks. Thread affinity " +
                               std::u16string(c.masks) + u"\n");
        EXPECT_EQ(g_messages, expected);
        EXPECT_EQ(machine.bindings, c.bindings);
        EXPECT_EQ(machine.thread, c.thread) << "the affinity is restored";
    }
}

// The process's own selection on a machine whose time-stamp counter would
// pass: 0 when it took the time-stamp counter, 1 the monotonic clock, 2 when
// the first reading failed.
int first_selection(const char* use_win_timer)
{
    FakeMachine machine;
    machine.tsc = {1000};
    machine.monotonic = {1000};
    if (use_win_timer != nullptr)
        setenv("QOR_USE_WIN_TIMER", use_win_timer, 1);
    else
        unsetenv("QOR_USE_WIN_TIMER");
    int64_t ticks = 0;
    if (NT_QueryHighResTimer.load()(&ticks) != 1 || ticks != 1000)
        return 2;
    return NT_QueryHighResTimer.load() == &NtReadTimeStampCounter ? 0 : 1;
}

// Each case in a child process of its own, where no selection was made yet:
// only the variable keeps a passing time-stamp counter unused.
using HighResTimerDeathTest = ::testing::Test;

TEST_F(HighResTimerDeathTest, TheVariableInAnyValueChoosesTheMonotonicClock)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const struct
    {
        const char* value; // of QOR_USE_WIN_TIMER, null: unset
        int chosen;
    } cases[] = {{nullptr, 0}, {"", 1}, {"0", 1}};
    for (const auto& c : cases)
        EXPECT_EXIT(std::_Exit(first_selection(c.value)), ::testing::ExitedWithCode(c.chosen), "")
            << (c.value != nullptr ? c.value : "unset");
}

} // namespace
