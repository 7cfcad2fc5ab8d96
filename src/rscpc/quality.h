#ifndef QOR_RSCPC_QUALITY_H
#define QOR_RSCPC_QUALITY_H

/* The quality check of the conversion cache, the database code-page query
 * and the reorganisation entry behind it. */

#include <cstdint>

#include "rscpc/hooks.h"
#include "u16/qor_uc.h"

/* Tests the cache header and its areas and reports each finding as an
 * error or a warning through the writers (with the first context; the two
 * notices about a pending reorganisation with the second). Returns 0, or 1
 * when the check had to stop (no cache, or a misaligned one). The level is
 * not consulted; either count may be null. */
uint32_t rscpqc_quality_check(RscpLineOut errors, void* context1, RscpLineOut warnings,
                              void* context2, int32_t level, int32_t* error_count,
                              int32_t* warning_count);
/* True when the 16 characters have the shape YYYYMMDDhhmmss00. */
bool rscpqc_check_timestamp(const QOR_UC* stamp);
/* Brings the cache up to date when its reorganisation version moved. */
uint32_t rscpmreorg(unsigned char** cache, uint32_t* remembered_version);
/* Copies the database code page names (4 characters each): 0, 32 when they
 * did not all fit (the array is filled), 256 without a cache, or the code
 * of a failed reorganisation. */
uint32_t rscpGetDBCodePages(QOR_UC* names, int32_t capacity, uint32_t* count);

#endif
