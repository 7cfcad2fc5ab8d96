#ifndef QOR_RSCPC_OPTIONS_H
#define QOR_RSCPC_OPTIONS_H

/* Numbered converter options, invalidation of the loaded tables and the
 * reorganisation that rebuilds the cache when it is marked stale. What an
 * option does depends on the converter's state. */

#include <cstdint>

#include "u16/qor_uc.h"

/* 0 or an error code; errors and warnings are recorded, every code
 * accepted. */
uint32_t rscpso_set_option(int32_t option, int32_t value, uint32_t accepted);
/* 0 when a value was written or the option is not readable before start-up;
 * 1 when the option is not readable in the present state. */
uint32_t rscpgo_get_option(int32_t option, int32_t* value);

/* Marks every loaded table stale (the table name is not looked at); the
 * reason (cut to its length) is kept in the header. */
uint32_t rscpict3_invalidate_convert_tables(const QOR_UC* table, int32_t word, const QOR_UC* reason,
                                            int32_t reason_length, uint32_t accepted);
/* The same under the write permission. */
uint32_t rscpInvalidateTablesLocked(const QOR_UC* table, int32_t word, const QOR_UC* reason,
                                    int32_t reason_length, uint32_t accepted);
/* Rebuilds a stale cache. Mode 2: the caller holds the semaphore and the
 * write permission; mode 0: they are taken and released here. */
uint32_t rscpnr__need_reorg(int32_t mode, uint32_t accepted);
/* Line writer of the reorganisation's status dump: the line, CR and LF on
 * the standard error stream. */
void rscpDumpLine(const QOR_UC* text, int32_t length);

#endif
