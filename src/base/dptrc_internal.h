#ifndef QOR_BASE_DPTRC_INTERNAL_H
#define QOR_BASE_DPTRC_INTERNAL_H

/* Internal parts of the developer trace, shared with the error information
 * and with the tests. */

#include <cstdint>

#include "base/dptrc.h"

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

#endif
