#ifndef QOR_BASE_DPTRC_INTERNAL_H
#define QOR_BASE_DPTRC_INTERNAL_H

/* Internal parts of the developer trace, shared with the error information
 * and with the tests. */

#include <cerrno>
#include <cstdint>

#include "base/dptrc.h"

/* Holds the trace lock for a scope. */
struct DpTrcLockGuard
{
    DpTrcLockGuard() { DpTrcLock(); }
    ~DpTrcLockGuard() { DpTrcUnlock(); }
    DpTrcLockGuard(const DpTrcLockGuard&) = delete;
    DpTrcLockGuard& operator=(const DpTrcLockGuard&) = delete;
};

/* Keeps errno as the caller saw it for a scope. */
struct DpTrcErrnoKeeper
{
    int saved = errno;
    ~DpTrcErrnoKeeper() { errno = saved; }
};

/* Source of the time stamps: seconds and microseconds; false on failure. */
typedef bool (*DpTrcClockFn)(int64_t* seconds, int32_t* microseconds);
/* Null restores the system clock. */
void DpTrcISetClock(DpTrcClockFn clock);
/* Forgets the last time stamp, so the next stamped line gets a date line. */
void DpTrcIResetStamp(void);

/* The component table: rows that component handles point at. Only the first
 * row is in use; registration of components does not exist. */
struct DpTrcComponent
{
    QOR_UC tag;
    int level;
    int indent;
};
#define DPTRC_MAX_COMPONENTS 8
DpTrcComponent* DpTrcIComponentTable(void);

/* True when lines of the given level reach the handle: a component with its
 * tag set shows them up to its own level, other handles always. */
bool DpTrcIShows(CTRC hdl, int level);
/* The location of the last DpTrcSetLoc: the file name padded to 12 units,
 * then the line. Read under the trace lock. */
const QOR_UC* DpTrcILocation(void);

#endif
