#ifndef QOR_BASE_DPTRC_H
#define QOR_BASE_DPTRC_H

/* Developer trace: levelled, time-stamped diagnostic lines of the base
 * libraries, written to the standard error stream by default.
 *
 * Calling protocol of every trace site:
 *   if (DpTrcLevel >= level) {
 *       DpTrcLock();
 *       DpTrcSetLoc(DPTRC_FILE, __LINE__);      // error lines only
 *       DpTrcEntryLevel = level;
 *       DpTrc(DpTrcHdl, cU("%s: ...\n"), ...);  // or DpTrcErr, ...
 *       DpTrcEntryLevel = 2;
 *       DpTrcUnlock();
 *   }
 * UTF-16 formats take 16-bit strings for "%s"; 8-bit formats (DpTrcA,
 * DpTrcErrA) take 8-bit strings. */

#include <cstdio>

#include "u16/qor_uc.h"

/* A trace handle: null (standard error), a FILE pointer, or a component
 * handle. */
typedef void* CTRC;

extern int DpTrcLevel;      /* 0 off, 1 errors, 2 ordinary lines, 3 entry/exit */
extern CTRC DpTrcHdl;       /* the handle every caller passes */
extern int DpTrcEntryLevel; /* level of the line being written */
extern int DpTrcTimeMode;   /* 0 no stamps, 1 a date line per second, 2+ sub-second */

#define DPTRC_WIDEN_(s) u##s
#define DPTRC_WIDEN(s) DPTRC_WIDEN_(s)
/* The calling source file as a 16-bit literal, for DpTrcSetLoc. */
#define DPTRC_FILE DPTRC_WIDEN(__FILE__)

#define DPTRC_ERROR_PREFIX "*** ERROR => "
#define DPTRC_WARNING_PREFIX "*** WARNING => "

void DpTrcSetLoc(const QOR_UC* file, int line);

void DpTrc(CTRC hdl, const QOR_UC* fmt, ...);
void DpTrcNoThr(CTRC hdl, const QOR_UC* fmt, ...);
void DpTrcNoTime(CTRC hdl, const QOR_UC* fmt, ...);
void DpTrcA(CTRC hdl, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
void DpTrcErr(CTRC hdl, const QOR_UC* fmt, ...);
void DpTrcErrA(CTRC hdl, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
void DpTrcWarn(CTRC hdl, const QOR_UC* fmt, ...);
void DpTrcSysErr(CTRC hdl, const QOR_UC* fmt, ...);

void DpTrcLock(void);
void DpTrcUnlock(void);
int DpTrcLockCount(void);

#endif
