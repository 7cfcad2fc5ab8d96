#ifndef QOR_RSCPC_STATUS_H
#define QOR_RSCPC_STATUS_H

/* The status report of the conversion cache: state and history, area
 * layout with usage bars, code page descriptors, read statistics,
 * reorganisation data, counters, settings, language and RFC lists, and the
 * segment table. Every offset the report takes from the cache is checked
 * against the block before anything behind it is read. */

#include <cstdint>

#include "rscpc/hooks.h"
#include "u16/qor_uc.h"

/* Section bits of the option mask. */
#define RSCPCS_HEADER 0x001u
#define RSCPCS_DESCRIPTORS 0x002u
#define RSCPCS_READ_STATISTICS 0x004u
#define RSCPCS_DETAILS 0x008u /* 0x040, 0x080, 0x100 and 0x200 */
#define RSCPCS_SEGMENTS 0x010u
#define RSCPCS_ALL 0x020u /* history, unused descriptors, zero rows too */
#define RSCPCS_HEADER_DETAILS 0x040u
#define RSCPCS_LANGUAGE_MAPPING 0x080u
#define RSCPCS_RFC 0x100u
#define RSCPCS_USAGE 0x200u

/* Writes the report line by line; returns 0. Its one change of state: the
 * loader's since-last-report read counters are set back to 0. */
uint32_t rscpcs_cache_status(uint32_t options, RscpWriter writer, int32_t ignored);
/* A bar of exactly width characters for [start, end) of total; no
 * terminator. */
void rscpcs_usage_bar(QOR_UC* out, int32_t width, int32_t start, int32_t end, int32_t total);
/* The six flag words of a language map entry (29 characters). */
void rscpcs_lang_flags(QOR_UC* out, int32_t size, uint8_t flags);
const QOR_UC* rscpcs_state_name(int32_t state);

#endif
