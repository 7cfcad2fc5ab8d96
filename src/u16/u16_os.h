#ifndef QOR_U16_U16_OS_H
#define QOR_U16_U16_OS_H

/* 16-bit forms of a few operating-system and runtime calls and process
 * utilities: alertable sleep, time of day, password input without echo, host
 * name, error texts, opening files by 16-bit name, and the runtime's own
 * UTF-8 <-> UTF-16 conversions with their reporting forms. */

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "u16/qor_uc.h"
#include "u16/u16_string.h"

/* Result of nlsui_sleep when a wake-up found the whole time passed. */
#define NLSUI_WAIT_TIMEOUT 258
/* Capacity of the strerrorU16 text buffer. */
#define MAX_ERROR_LN 512

struct nlsui_timeval
{
    int32_t tv_sec;
    int32_t tv_usec;
};
struct nlsui_timezone
{
    int32_t tz_minuteswest; /* bias of standard time: UTC = local + bias */
    int32_t tz_dsttime;     /* further bias in daylight-saving time (-60 for
                             * one hour ahead), 0 for a zone without it */
};

/* 1 when the process runs under the service manager, 0 when not, -1 when the
 * process list cannot be read. */
int nlsui_is_service_process(void);
/* Sleeps the given seconds; an early wake-up sleeps the rest. 0 returns at
 * once. Result 0, or NLSUI_WAIT_TIMEOUT. */
int nlsui_sleep(uint32_t seconds);
/* The environment variable PPID as a decimal number; 0 when unset. */
int nlsui_getppid(void);
int nlsui_gettimeofday(struct nlsui_timeval* tv, struct nlsui_timezone* tz);

/* Prints the prompt, switches the terminal echo off, reads one line and
 * restores the echo. Returns the line's first word, of at most 255 units
 * (UTF-8; a byte that is not UTF-8 is the unit of the same value), in a
 * static buffer: empty at end of input or for an empty line. Blanks before
 * the word are skipped, a line end is not; the rest of the line is read up
 * to and including its end and nothing after it. No byte of it ever goes
 * to a diagnostic. */
QOR_UC* getpassU16(const QOR_UC* prompt);

/* 0, or -1 when the name is unavailable or does not fit (the buffer is then
 * terminated). */
int gethostnameU16(QOR_UC* name, int size);
void perrorU16(const QOR_UC* text);
/* The runtime's error text in a static buffer (always terminated). */
QOR_UC* strerrorU16(int errnum);
/* A new heap copy in UTF-16 (free with free()), or a constant failure text. */
QOR_UC* ConvertSCCSID_w(const char* utf8);
void nlsui_memcpy_u16(QOR_UC* target, const QOR_UC* source, size_t count);

/* Units written without the terminator, or -1 with errno EILSEQ. A null
 * target counts only. */
int nlsui_utf8_to_u16(QOR_UC* target, const char* source, int capacity);
/* Bytes written without the terminator; a null target counts only. */
int nlsui_u16_to_utf8(char* target, const QOR_UC* source, int capacity);
/* Reporting forms: bad input and a full target are reported (the latter
 * with errno ENAMETOOLONG). */
int nlsui_utf8_to_u16_chk(QOR_UC* target, const char* source, int capacity, const char* file,
                          int line, const char* function, const char* array_name,
                          const char* limit_name);
int nlsui_u16_to_utf8_chk(char* target, const QOR_UC* source, int capacity, const char* file,
                          int line, const char* function, const char* array_name,
                          const char* limit_name);

/* Returns an even pointer; an odd one is reported and breaks with SIGTRAP
 * (which ends the process unless a debugger takes the trap) unless
 * QORCASTRAW2UCCHK is "0". */
QOR_UTF16* nlsui_cast_raw2uc(void* pointer, const QOR_UC* file, int line);

/* Opens a file by 16-bit name (UTF-8 on disk; "NUL:" or "NUL" is the null
 * device) with a 16-bit mode. */
FILE* fopenU16(const QOR_UC* name, const QOR_UC* mode);
/* The path fopenU16 opens for a name; false (errno EILSEQ) for a name that
 * holds a lone surrogate. */
bool nlsui_file_path(const QOR_UC* name, std::string* path);

/* Forwarders to the diagnostics. */
void nlsui_set_u16_trace_level(void (*output)(const char*, size_t), int level);
void nlsui_report_too_small(const char* limit_name, const char* function, const char* array_name,
                            const char* file, int line);
void nlsui_report_bad_utf8(QOR_UC* target, const char* source, int capacity, const char* file,
                           int line, const char* function);
void nlsui_report_no_memory(const char* function, const char* file, int line);
void nlsui_trace_fopen(const QOR_UC* name, int file_number, const char* function, const char* file,
                       int line);

#endif
