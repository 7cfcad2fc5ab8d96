#ifndef QOR_BASE_CONTLOCALTIME_H
#define QOR_BASE_CONTLOCALTIME_H

/* Local time that never runs backwards across the end of daylight-saving
 * time: during the doubled stretch the clock runs at half speed. */

#include <cstdint>
#include <ctime>

/* Fills *out with the continuous local time of *t; null with errno ERANGE
 * when the conversion fails. Reentrant. */
struct tm* ThrLocaltime(const int64_t* t, struct tm* out);

/* The same into one static record, with a cache of the last doubled
 * interval. For one thread at a time. */
struct tm* ContLocaltime(const int64_t* t);

/* 1: t lies in a doubled interval [*start, *end); 0: not; -1: the local-time
 * conversion failed. */
int GetDoubleInterval_GetInterval(int64_t t, int64_t* start, int64_t* end);
int GetDoubleInterval_FindEdges(int64_t t, const struct tm* local, int64_t offset, int64_t* start,
                                int64_t* end);

/* 1 continuous, 2 plain local time; determined on the first call. */
int ContLocaltimeMode(void);
int ContIIsDst(int64_t t);

#endif
