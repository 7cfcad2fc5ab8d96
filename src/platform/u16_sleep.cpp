#include "platform/u16_sleep.h"

#include <cerrno>
#include <ctime>

uint64_t u16_monotonic_ms(void)
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000u +
           static_cast<uint64_t>(now.tv_nsec) / 1000000u;
}

void u16_sleep_ms(uint64_t milliseconds)
{
    timespec end{};
    clock_gettime(CLOCK_MONOTONIC, &end);
    const uint64_t secs = milliseconds / 1000u;
    end.tv_sec += static_cast<time_t>(secs);
    end.tv_nsec += static_cast<long>((milliseconds % 1000u) * 1000000u);
    if (end.tv_nsec >= 1000000000L) {
        end.tv_nsec -= 1000000000L;
        end.tv_sec += 1;
    }
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &end, nullptr) == EINTR) {
    }
}
