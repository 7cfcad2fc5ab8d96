#ifndef QOR_BASE_HIRES_TIMER_H
#define QOR_BASE_HIRES_TIMER_H

/* One high-resolution tick counter for the base libraries:
 * NT_QueryHighResTimer.load()(&ticks). Its first call selects the reader:
 * the processor's time-stamp counter when it runs at the monotonic clock's
 * rate and never runs backwards from one processor to the next, else the
 * monotonic clock; with QOR_USE_WIN_TIMER in the environment (any value)
 * the monotonic clock at once. Readers return 1 on success. */

#include <atomic>
#include <cstdint>

#include "u16/qor_uc.h"

typedef int (*NtTimerReader)(int64_t* ticks);
/* Receives the synchronisation check's messages. */
typedef void (*NtTimerMessage)(const QOR_UC* text);
/* The synchronisation check: mode 0 the time-stamp counter, else the
 * monotonic clock. */
typedef int (*NtTimerSyncCheck)(int mode, NtTimerMessage message);

/* The current reader; the selector until the first call has chosen. */
extern std::atomic<NtTimerReader> NT_QueryHighResTimer;

int NtReadTimeStampCounter(int64_t* ticks);
int NtReadMonotonicCounter(int64_t* ticks);

/* The reader the selector takes: the monotonic clock when use_win_timer,
 * else the time-stamp counter when check(0, no messages) succeeds. */
NtTimerReader NtChooseTimerReader(bool use_win_timer, NtTimerSyncCheck check);

/* True when the time-stamp counter runs at the monotonic clock's rate
 * (their readings' quotient lies strictly between 0.9 and 1.1). */
bool check_RDTSC_freq(void);

/* 1 when the counter of the mode never runs backwards from one processor
 * to the next, else 0 with a message. The calling thread is bound to each
 * online processor in turn; its affinity is restored afterwards. */
int NtCheckCounterSync(int mode, NtTimerMessage message);

#endif
