#ifndef QOR_CLIENT_RESULT_HEADER_H
#define QOR_CLIENT_RESULT_HEADER_H

#include "u16/qor_uc.h"

struct soap;

/* Formats the current local time as "%d.%m.%Y %H:%M:%S" into buf (at least
 * 64 units). */
void format_time_stamp(QOR_UC* buf, int size);

/* Prints the heading of a call's output block: an empty line, the time
 * stamp line and the webmethod name line. */
void print_call_heading(const QOR_UC* webmethod);

/* Prints the heading, then "OK" or "FAIL: <fault text>" and, on success in
 * list format, the column header. Returns 0 when the call counts as
 * successful, else 1. With already_started_ok the fault text "Instance
 * already started" counts as success and prints "OK". */
int print_result_header(struct soap* soap, const QOR_UC* format, const QOR_UC* webmethod,
                        const QOR_UC* column_header, bool already_started_ok = false);

/* The text of the context's fault as UTF-8 in the context's memory:
 * "<string>, <detail>" when a detail exists, else the fault string; null
 * when the context's error code is 0. */
char* fault_text(struct soap* soap);

#endif
