#ifndef QOR_PLATFORM_BASE_TIMER_H
#define QOR_PLATFORM_BASE_TIMER_H

/* The counters a high-resolution timer can read on Linux - the processor's
 * time-stamp counter and the monotonic clock (in nanoseconds) - and the
 * processor affinity of the calling thread, as masks of the first 64
 * processors. Functions that can fail return false and leave errno. */

#include <cstdint>

/* The time-stamp counter (0 where the processor has none). */
uint64_t base_read_tsc(void);
/* The monotonic clock in ticks of base_monotonic_frequency per second. */
bool base_read_monotonic(int64_t* ticks);
/* 0 when the monotonic clock is not available. */
int64_t base_monotonic_frequency(void);

/* The processors the calling thread may run on. */
bool base_get_affinity(uint64_t* mask);
/* Binds the calling thread to the processors of mask; *replaced (may be
 * null) gets the mask it had before. */
bool base_set_affinity(uint64_t mask, uint64_t* replaced);
/* The processors that are online. */
uint64_t base_online_processors(void);

/* The functions above as one set that can be replaced as a whole (tests). */
struct BaseTimerPlatform
{
    uint64_t (*read_tsc)(void);
    bool (*read_monotonic)(int64_t* ticks);
    int64_t (*monotonic_frequency)(void);
    bool (*get_affinity)(uint64_t* mask);
    bool (*set_affinity)(uint64_t mask, uint64_t* replaced);
    uint64_t (*online_processors)(void);
};
/* Replaces them; null restores the system's. */
void base_timer_set_platform(const BaseTimerPlatform* platform);

#endif
