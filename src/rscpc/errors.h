#ifndef QOR_RSCPC_ERRORS_H
#define QOR_RSCPC_ERRORS_H

/* The converter's error recorder: a short stack of the latest errors in one
 * process-wide record, system-log lines for the serious codes, the boxed
 * "RSCP - Error" report, and the end of the process when a caller does not
 * accept an error. Texts are UTF-16, blank-padded, not terminated. */

#include <cstdint>
#include <cstdio>

#include "rscp/rscp_codes.h"
#include "rscpc/hooks.h"
#include "u16/qor_uc.h"

#define RSCPE_STACK_SIZE 5

struct rscpe_entry
{
    QOR_UC letter; /* module letter; blank when empty */
    uint32_t code;
    QOR_UC module[8];
    int32_t location;
    int32_t line;
    QOR_UC message_class[20];
    QOR_UC message_number[3];
    QOR_UC syslog_id[3];
    QOR_UC arg1[64];
    uint8_t length1;
    QOR_UC arg2[64];
    uint8_t length2;
    QOR_UC text[68];
    uint8_t written; /* already written to the system log */
    int32_t sequence;
};

struct rscpe_record
{
    int16_t count;
    rscpe_entry entries[RSCPE_STACK_SIZE]; /* 0 is the oldest */
    int32_t errno_value;
    int32_t rtab_code;
    int32_t rsql_code;
    int32_t ntab_code;
    int32_t sql_code;
    QOR_UC sql_text[68];
    QOR_UC table_name[30];
    QOR_UC db_key[30];
    QOR_UC fs_text[72];
    QOR_UC init_label[30];
    uint8_t continue_stack;
};

/* Records an error and returns its code when the code is in the accepted
 * mask; otherwise prints the report, writes the system log and aborts the
 * process. ident is the caller's identification string ("@(#) $Id: " and
 * the source path); text null gives "?text?"; argument lengths of -1 run to
 * the terminator, 0 means none. */
uint32_t rscpe__error(uint32_t code, QOR_UC letter, uint32_t accepted, const QOR_UC* ident,
                      int location, int line, const QOR_UC* text, const QOR_UC* syslog_id,
                      const QOR_UC* arg1, int length1, const QOR_UC* arg2, int length2);

/* Pushes a file-system error (letter "F") with its errno value and text
 * (length below 1: up to the terminator); the next error goes above it. */
void rscpe_file_error(int errno_value, const QOR_UC* text, int32_t length);
/* Adds an entry with only the letter; the next error goes above it. */
void rscpe_push_module(QOR_UC letter);
/* The next recorded error goes above the present ones. */
void rscpe_continue_stack(void);
void rscpe_reset(void);
/* The record cleared and every switch and counter as at process start. */
void rscpe_restore_defaults(void);
/* The process record. */
rscpe_record* rscpe_get_record(void);

/* The report, one line per writer call. */
void rscpe_print_report(const rscpe_record* record, RscpWriter writer);
/* A line with one blank, then the report, to the stream; flushed. */
void rscpe_print_report_to_file(const rscpe_record* record, FILE* stream);

/* A blank for values below 1, else the runtime's text (static buffer). */
const QOR_UC* rscpe_errno_text(int errno_value);
/* The module name within an identification string: at least 8 characters,
 * blank-padded when shorter. */
const QOR_UC* rscpe_module_name(const QOR_UC* ident);
/* The 35-character description of a module letter ("stranger" when unknown). */
const QOR_UC* rscpe_module_description(QOR_UC letter);
/* The 51-character text and the 3-character number of a code (the blank
 * terminator row when the code is not in the table); the system-log flag. */
const QOR_UC* rscpe_code_text(uint32_t code);
const QOR_UC* rscpe_code_number(uint32_t code);

/* Report style: 2 compact, anything else boxed. */
void rscpe_set_report_style(int32_t style);
int32_t rscpe_get_report_style(void);
/* Sequence numbers in the report: 1 on, anything else off. */
void rscpe_set_sequence_numbers(int32_t on);
int32_t rscpe_get_sequence_numbers(void);
/* Heading for the converter's own entries: non-zero on. */
void rscpe_set_own_module_heading(int32_t on);
int32_t rscpe_get_own_module_heading(void);
/* Switch pairs from one value: below 1 both off, 1 the first, 2 or more
 * both; the result is how many were on before. The first on-error switch
 * prints the report on every recorded error. */
int32_t rscpe_set_trace(int32_t value);
int32_t rscpe_set_on_error(int32_t value);
bool rscpe_trace_first(void);
bool rscpe_trace_second(void);
bool rscpe_on_error_first(void);
bool rscpe_on_error_second(void);

#endif
