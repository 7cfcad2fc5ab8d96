#ifndef QOR_PLATFORM_U16_SLEEP_H
#define QOR_PLATFORM_U16_SLEEP_H

#include <cstdint>

/* Sleeps the given milliseconds on the monotonic clock; a signal does not
 * shorten the sleep (it resumes towards the same end time). */
void u16_sleep_ms(uint64_t milliseconds);

/* Milliseconds of the monotonic clock. */
uint64_t u16_monotonic_ms(void);

#endif
