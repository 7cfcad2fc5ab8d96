#ifndef QOR_RSCPC_DDIC_H
#define QOR_RSCPC_DDIC_H

/* Names of the database tables the converter knows, the two database entry
 * points (without a database here), and the blank-padded fixed-width
 * string routines of the cache's text fields. */

#include <cstdint>

#include "u16/qor_uc.h"

/* The table with that index (0 to 31); "unknown table" for any other. The
 * index is also the table's slot in the load statistics. */
const QOR_UC* rscpddic_table_name(int32_t index);
/* Both answer 0; with the second (or first) trace switch on they say so on
 * the standard error stream first. */
uint32_t rscpgdi__general_db_init(uint32_t accepted);
uint32_t rscpf1t__flush_one_table(const QOR_UC* table, int32_t, int32_t, int32_t);

/* width characters from a terminated source, blanks after it; a null
 * source gives blanks; a null target or a width below 1 does nothing. */
void qorstr_pad_from_z(QOR_UC* target, const QOR_UC* source, int32_t width);
/* length characters of a counted source, blanks after them (exactly width
 * characters when length is not below width); a null source with a
 * non-zero length gives blanks, with length 0 nothing. */
void qorstr_pad_from_n(QOR_UC* target, int32_t width, const QOR_UC* source, int32_t length);
/* The field without trailing blanks, terminated. */
void qorstr_trim_to_z(QOR_UC* target, const QOR_UC* field, int32_t width);
int32_t qorstr_trimmed_length(const QOR_UC* field, int32_t width);
/* 1 when the field without trailing blanks equals the terminated text;
 * with a null argument 1 only when both are null. */
int qorstr_field_equals(const QOR_UC* field, const QOR_UC* text, int32_t width);

#endif
