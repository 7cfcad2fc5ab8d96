#ifndef QOR_RSCPC_STARTUP_H
#define QOR_RSCPC_STARTUP_H

/* Start-up of the code-page converter: its settings, the char code converter
 * cache (CCC) with header and tables, and the state machine with a history
 * of the last states. Every error is recorded with the caller's accepted
 * mask; -1 lets each one return. */

#include <cstdint>

#include "rscp/rscp_codes.h"
#include "u16/qor_uc.h"

/* Brings the converter up; 0 at once when it is up already. */
uint32_t rscpi_init(uint32_t accepted);
uint32_t rscpi__init(uint32_t accepted);

/* Settings with their defaults and limits. */
uint32_t find_cachesizes(uint32_t* size, uint32_t* cache07, uint32_t accepted);
uint32_t find_qorcode_max(uint32_t* value);
uint32_t find_uchar_max(uint32_t* value);
/* A private-use character: 4 hexadecimal digits in E000..F8FF, else the
 * value stays and a system-log line tells why. */
uint32_t find_pua(const QOR_UC* name, QOR_UC* value);

/* Writes the header into the cache block and has the loader fill it:
 * 0, 8 (no data to read) or another error code. */
uint32_t rscpi__create_ccc(uint32_t size, uint32_t cache07, uint32_t max_qor_code,
                           const QOR_UC* allocator_name, uint32_t accepted);
/* Stores a long-character record at the top of the TCP07 area: 0, or 32
 * when it does not fit (both outputs then 0). */
uint32_t rscpAllocLongChar(const void* data, uint32_t length, uint32_t* offset, void** pointer);
/* Registers this process's address of the cache (mode 2 at once; modes 1
 * and 0 only with the lock flag set); the word becomes 2 when it did. */
void rscpAttach(int32_t mode, bool lock, int32_t* word);
uint32_t rscpGetWritePermissionAndSema(int32_t location);
uint32_t rscpReleaseWritePermissionAndSema(int32_t location);
/* Adds this process's counters to the header and clears them. */
void rscpMergeStatistics(void);
void rscpSetState(int32_t state);
/* Sort order of the code page descriptors: their code page numbers. */
int rscpCmpCodePage(const void* a, const void* b);

/* Closing steps of the start-up. */
void rscpReadLateParams(uint32_t accepted);
void rscpCheckTextEnv(uint32_t accepted);
void rscpPassNormalizeInput(int32_t value);

/* rscpValidCacheSizes: 170000 <= size <= 16776192, 200 <= cache07 <= size / 2. */
bool rscpValidCacheSizes(uint32_t size, uint32_t cache07);
bool rscpValidQorcodeMax(uint32_t value);
bool rscpValidUcharMax(uint32_t value);

#endif
