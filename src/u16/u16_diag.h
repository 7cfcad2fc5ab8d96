#ifndef QOR_U16_U16_DIAG_H
#define QOR_U16_U16_DIAG_H

/* Unicode interface diagnostics: every report of the Unicode library is a
 * block of 8-bit text with a fixed header, written through one replaceable
 * output function (by default to standard error). The U16 trace level
 * decides what is reported. */

#include <cstddef>
#include <cstdio>

#include "u16/qor_uc.h"

enum { U16_TRACE_NONE = 0, U16_TRACE_LOW = 1, U16_TRACE_MEDIUM = 4, U16_TRACE_HIGH = 16 };

/* Output function: text and its length in bytes. */
typedef void (*U16DiagOutput)(const char* text, size_t length);

int U16GetTraceLevel(void);
/* Stores the level; a non-null function replaces the output function; then
 * reports the new level unless the old one was below 5 and the new one is
 * below 1. */
void U16SetTraceLevel(U16DiagOutput output, int level);
/* Restores the default output function (standard error). */
void U16ResetDiagOutput(void);
/* Keeps (at most 256 bytes of) the 7-bit command line for the first report. */
void U16KeepCmdline(const char* cmdline);

/* One report block with header; the end marker is appended when asked. */
void U16Report(const char* message, const char* source, int line, bool end_marker);
void U16ReportEndMarker(void);
/* One line of text through the output function, without header. */
void U16DiagLine(const char* text);
void U16ReportInternalError(const char* source, int line);
void U16TraceFileOp(const char* name, int file_number, const char* operation, const char* source,
                    int line);
void U16ReportTooSmall(const char* length_name, const char* function, const char* array_name,
                       const char* source, int line);
/* Sets errno ENOMEM in every case. */
void U16ReportNoMemory(const char* function, const char* source, int line);
/* position: the format just after the directive's "%". */
void U16ReportFormatError(const QOR_UC* position, QOR_UC offending, const char* source, int line);
void U16ReportBadUtf8(QOR_UC* target, const char* utf8, size_t max_units, const char* source,
                      int line, const char* function);
void U16DumpBytes(const void* data, size_t count);
void U16DumpUnits(const QOR_UC* data, size_t count);
/* When NLSUI_FILE_TRACE is set (not empty, not "0"): consumes and dumps up
 * to 80 bytes of the stream. */
void U16DumpReadAhead(FILE* stream);

#endif
