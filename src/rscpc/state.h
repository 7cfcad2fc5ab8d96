#ifndef QOR_RSCPC_STATE_H
#define QOR_RSCPC_STATE_H

/* The converter's process-wide state, shared by its start-up, options,
 * reorganisation, loader and reports. One thread; no locks. */

#include <cstdint>

#include "u16/qor_uc.h"

enum RscpState : int32_t {
    RSCP_FRESH = 0,
    RSCP_INIT_STARTED = 1,
    RSCP_INITIALIZED = 2,
    RSCP_DAMAGED = 3,
    RSCP_WRONG_VERSION = 4,
    RSCP_REINITIALIZE = 5,
};

#define RSCP_HISTORY_SIZE 7
#define RSCP_LABEL_LEN 30
#define RSCP_TABLE_SLOTS 32
#define RSCP_CLONE_COUNTERS 18

struct RscpStateRecord
{
    int32_t state;
    QOR_UC stamp[16];
};

/* Counters of this process not yet merged into the cache header. */
struct RscpProcessStatistics
{
    uint64_t bytes_in;
    uint64_t bytes_out;
    uint32_t lookups;
    uint32_t create_objects;
    uint32_t clones[RSCP_CLONE_COUNTERS];
    uint32_t table_reads[RSCP_TABLE_SLOTS];
};

struct RscpConverter
{
    int32_t state;
    RscpStateRecord history[RSCP_HISTORY_SIZE]; /* 0 is the current state */
    unsigned char* cache;
    uint32_t block_size;    /* bytes the allocation handed out; every write stays below */
    bool block_zero_filled; /* the block came zero-filled and nothing was written yet */
    bool block_from_heap;   /* private memory of the default allocation */
    uint32_t reorg_version;
    uint8_t through_rscpi_init;
    QOR_UC init_label[RSCP_LABEL_LEN];
    int32_t reorg_depth;
    int32_t protection;
    int32_t normalize_input;
    uint32_t dd_reorg_version;
    /* Private-use characters: frame1intro, icon2intro, DBC_replacement,
     * printcontrol5intro; icon2intro also in UTF-8 when that succeeded. */
    QOR_UC pua[4];
    unsigned char icon2intro_utf8[3];
    bool icon2intro_utf8_valid;
    /* Database access switches: TCP00, TCP01, TCP02, TCP0C, TCPSEG, UMG*,
     * "some tables". No table comes from a database in this program. */
    bool db_access[7];
    bool legacy_rfc; /* option 25 */
    bool option26;
    bool option27;
    RscpProcessStatistics statistics;
    /* The loader's reads per table: in total and since the last report. */
    uint32_t loader_reads[RSCP_TABLE_SLOTS];
    uint32_t loader_reads_since[RSCP_TABLE_SLOTS];
};

enum {
    RSCP_DB_TCP00,
    RSCP_DB_TCP01,
    RSCP_DB_TCP02,
    RSCP_DB_TCP0C,
    RSCP_DB_TCPSEG,
    RSCP_DB_UMG,
    RSCP_DB_SOME
};

RscpConverter& rscp_converter(void);

/* Back to the state at process start; the cache block is released. For a
 * host that embeds the converter more than once, and for tests. */
void rscp_converter_reset(void);

#endif
