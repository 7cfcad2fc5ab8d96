// The high-resolution tick counter and its one-time selection.
#include "base/hires_timer.h"

#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdlib>
#include <vector>

#include "platform/base_timer.h"
#include "platform/u16_sleep.h"
#include "u16/u16_printf.h"

namespace {

int select_and_read(int64_t* ticks);

std::atomic<int32_t> g_not_selected{1};
constexpr uint64_t kPollMs = 100;

// Formats a message for the callback; without one nothing is formatted.
void report(NtTimerMessage message, const QOR_UC* format, ...)
{
    if (message == nullptr)
        return;
    std::vector<QOR_UC> text(128);
    for (;;) {
        va_list args;
        va_start(args, format);
        const int n = vsnprintfU16(text.data(), text.size(), format, args);
        va_end(args);
        if (n >= 0 || text.size() > 65536)
            break;
        text.resize(text.size() * 2);
    }
    message(text.data());
}

void report_backwards(NtTimerMessage message, int64_t went_back, uint64_t bit, uint64_t replaced)
{
    report(message,
           u"error. Non synchronized timestamp counters detected. Counter went back %+I64d "
           u"ticks. Thread affinity mask=0x%x, previous mask=0x%x\n",
           went_back, static_cast<unsigned>(bit), static_cast<unsigned>(replaced));
}

int select_and_read(int64_t* ticks)
{
    int32_t expected = 1;
    if (g_not_selected.compare_exchange_strong(expected, 0)) {
        const NtTimerReader chosen =
            NtChooseTimerReader(std::getenv("QOR_USE_WIN_TIMER") != nullptr, NtCheckCounterSync);
        NT_QueryHighResTimer.exchange(chosen);
        return chosen(ticks);
    }
    // Another thread is choosing.
    while (NT_QueryHighResTimer.load() == &select_and_read)
        u16_sleep_ms(kPollMs);
    return NT_QueryHighResTimer.load()(ticks);
}

} // namespace

std::atomic<NtTimerReader> NT_QueryHighResTimer{&select_and_read};

int NtReadTimeStampCounter(int64_t* ticks)
{
    *ticks = static_cast<int64_t>(base_read_tsc());
    return 1;
}

int NtReadMonotonicCounter(int64_t* ticks)
{
    return base_read_monotonic(ticks) ? 1 : 0;
}

NtTimerReader NtChooseTimerReader(bool use_win_timer, NtTimerSyncCheck check)
{
    if (use_win_timer)
        return NtReadMonotonicCounter;
    return check(0, nullptr) == 1 ? NtReadTimeStampCounter : NtReadMonotonicCounter;
}

bool check_RDTSC_freq(void)
{
    const double tsc = static_cast<double>(base_read_tsc());
    int64_t counter = 0;
    if (!base_read_monotonic(&counter) || counter == 0)
        return false;
    const double quotient = tsc / static_cast<double>(counter);
    return std::isfinite(quotient) && quotient > 0.9 && quotient < 1.1;
}

int NtCheckCounterSync(int mode, NtTimerMessage message)
{
    const NtTimerReader read = mode == 0 ? NtReadTimeStampCounter : NtReadMonotonicCounter;
    if (base_monotonic_frequency() <= 0) {
        report(message, u"error QueryPerformanceFrequency() %d\n", errno);
        return 0;
    }
    if (mode == 0 && !check_RDTSC_freq()) {
        report(message, u"error check_RDTSC_freq()\n");
        return 0;
    }
    uint64_t process_mask = 0;
    if (!base_get_affinity(&process_mask)) {
        report(message, u"error GetProcessAFfinityMask() %d\n", errno);
        return 0;
    }
    const uint64_t system_mask = base_online_processors();
    const bool widen = process_mask != system_mask;
    if (widen && !base_set_affinity(system_mask, nullptr)) {
        report(message, u"error SetProcessAffinityMask() %d\n", errno);
        return 0;
    }

    int result = 1;
    bool bound = false;
    uint64_t first_bit = 0;
    uint64_t thread_mask_before = 0;
    int64_t last = 0;
    for (int cpu = 0; cpu < 64 && result == 1; ++cpu) {
        const uint64_t bit = uint64_t{1} << cpu;
        if ((system_mask & bit) == 0)
            continue;
        uint64_t replaced = 0;
        if (!base_set_affinity(bit, &replaced)) {
            report(message, u"error SetThreadAffinityMask() %d\n", errno);
            result = 0;
            break;
        }
        if (!bound) {
            bound = true;
            first_bit = bit;
            thread_mask_before = replaced;
        }
        int64_t now = 0;
        if (read(&now) != 1) {
            report(message, u"error NT_QueryHighResTimer() %d\n", errno);
            result = 0;
        } else if (bit != first_bit && now < last) {
            report_backwards(message, now - last, bit, replaced);
            result = 0;
        }
        last = now;
    }
    if (result == 1 && bound) {
        // Back on the first processor, the counter must not have gone back.
        uint64_t replaced = 0;
        int64_t now = 0;
        if (!base_set_affinity(first_bit, &replaced)) {
            report(message, u"error SetThreadAffinityMask %d\n", errno);
            result = 0;
        } else if (read(&now) != 1) {
            report(message, u"error NT_QueryHighResTimer() %d\n", errno);
            result = 0;
        } else if (now < last) {
            report_backwards(message, now - last, first_bit, replaced);
            result = 0;
        }
    }
    if (bound)
        base_set_affinity(thread_mask_before, nullptr);
    if (widen && !base_set_affinity(process_mask, nullptr))
        report(message, u"error SetProcessAffinityMask: %d\n", errno);
    return bound ? result : 0;
}
