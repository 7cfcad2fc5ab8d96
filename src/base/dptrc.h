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

#include <cstddef>
#include <cstdint>
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

/* Hex dump of len bytes under a header with the title. charset 0 shows the
 * bytes as they are, 1 reads them as EBCDIC, 2 translates ASCII to EBCDIC;
 * any other value writes nothing. The values of credentials in the data
 * (user and password parameters, session lists, authorization headers) are
 * shown as "xx" and ".". */
void DpTrcHexDump(CTRC hdl, const QOR_UC* title, const void* data, size_t len, int charset);
/* The same with the header optional; the first raw bytes are shown
 * untranslated in the character column. */
void DpIHexDump(CTRC hdl, const QOR_UC* title, const void* data, size_t len, int charset,
                bool header, size_t raw);

/* True when the wildcard pattern ("*" any run, "?" any character, "\" makes
 * the next character literal) matches somewhere in the text. */
bool DpIMatchPattern(const QOR_UC* text, const QOR_UC* pattern);
/* Matches the pattern at the text's start: with prefix the pattern may end
 * before the text; fold compares ASCII letters without regard to case. */
bool DpIMatch(const QOR_UC* text, const QOR_UC* pattern, bool prefix, bool fold);

/* Extension points. Every hook runs under the trace lock. */

/* Receives each finished text instead of the trace file. */
typedef void (*DpTrcOutputHook)(void* arg, const QOR_UC* text, size_t units);
/* Null writes to the files again. */
void DpTrcSetOutputHook(DpTrcOutputHook hook, void* arg);

/* Writes context information for an error line into buf (size units,
 * terminated); 0 on success, else a code that the trace reports. */
typedef int (*DpTrcContextHook)(QOR_UC* buf, size_t size);
void DpTrcSetContextHook(DpTrcContextHook hook);

/* Called after a written line matched a watched pattern. */
typedef void (*DpTrcWatchCallback)(const QOR_UC* pattern, const QOR_UC* line);
/* Adds a pattern (callback may be null); false when it cannot be added. */
bool DpTrcWatchPattern(const QOR_UC* pattern, DpTrcWatchCallback callback);
/* Removes every entry of the pattern. */
void DpTrcUnwatchPattern(const QOR_UC* pattern);

/* Called when the trace file has grown beyond the maximum size. */
typedef void (*DpTrcSizeCallback)(FILE* file, long long size);
/* A maximum below 1 switches the size check off. */
void DpTrcSetMaxFileSize(int max_bytes, DpTrcSizeCallback callback);
/* The hex dump switches the size check off for its duration. */
void DpSetSizeCheck(bool on);

/* The calling thread's file for component handles; null: standard error. */
void DpTrcSetThrFile(FILE* file);

/* System log: an entry id of three characters, two short texts and a
 * message. Each entry becomes a record of DPSYSLOG_RECORD_LEN units that the
 * writer hook receives with its kind; the copy hook fills the record's
 * fixed-width parts (count units from source, blank-padded). */
#define DPSYSLOG_RECORD_LEN 64
#define DPSYSLOG_SHORT 109 /* message, both texts and the location */
#define DPSYSLOG_LONG 108  /* a longer message and the location */
#define DPSYSLOG_RAW 32    /* message only */
typedef void (*DpSysLogWriter)(int kind, const QOR_UC* id, const QOR_UC* record);
typedef void (*DpSysLogCopy)(QOR_UC* target, const QOR_UC* source, int32_t count);
/* Nothing is logged while either hook is null. The hooks at start are
 * DpSysLogToSystem and PadCopyU16z. */
void DpSysLogSetHooks(DpSysLogWriter writer, DpSysLogCopy copy);
/* Sends the id and the record to the operating system's log. */
void DpSysLogToSystem(int kind, const QOR_UC* id, const QOR_UC* record);
void DpSysLog(const QOR_UC* id, const QOR_UC* text1, const QOR_UC* text2, const QOR_UC* fmt, ...);
void DpSysLogRaw(const QOR_UC* id, const QOR_UC* fmt, ...);

#endif
