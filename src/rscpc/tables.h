#ifndef QOR_RSCPC_TABLES_H
#define QOR_RSCPC_TABLES_H

/* The table loader: fills the cache under construction with the code page
 * list (TCP00) and the character table (TCP01) built into the program, the
 * default country (TCP0D), the code pages expected in the database (TCPDB:
 * a parameter or the file TCPDB.DAT in the working directory), legacy
 * settings (TCP0I: the environment variable SNC_LEGACY_QOR_CP) and, when
 * switched on, the RFC destinations. Each step returns 0 or an error code. */

#include <cstddef>
#include <cstdint>

#include "u16/qor_uc.h"

/* Built-in code page list: records of 97 characters in ascending order of
 * code page, ended by a record that begins with a blank. */
#define TCP00_RECORD_LEN 97
extern const char* const tcp00_records[];
/* Widened record: positions 0-85 kept, 16 characters "0", then 86-96. */
#define TCP00_WIDE_LEN 113

/* Built-in character table: records of 5 bytes (character number, 2 bytes
 * big-endian; Unicode value, 3 bytes big-endian), ended by a number 0. */
extern const unsigned char tcp01_records[];
extern const size_t tcp01_records_size;
extern const uint32_t TCP01_last_qorcode_max;
/* A decoded TCP01 record: number "%05ld", 30 characters of text, value
 * "%06lX" at positions 35-40. */
#define TCP01_RECORD_LEN 41

uint32_t rscpli__load_init(uint32_t accepted);
uint32_t read_reset(uint32_t accepted);
uint32_t read_TCP00(uint32_t accepted);
uint32_t read_TCP00A(uint32_t accepted);
uint32_t read_TCP01(uint32_t accepted);
uint32_t read_TCP0D(uint32_t accepted);
uint32_t read_TCPDB(uint32_t accepted);
uint32_t read_TCP0I(uint32_t accepted);
uint32_t read_RFCDES(uint32_t accepted);
uint32_t rscpll_consolidate_TCP0I_RFCDES(uint32_t accepted);

/* Steps of the loading, open for a host's own tables. */
void rscpll_widen_TCP00(const char* record, QOR_UC* wide);
/* A descriptor from a widened record, in the next free place. */
void rscpll_make_descriptor(const QOR_UC* wide);
/* 0 when one more descriptor fits below the cache's length, else 1. */
uint32_t rscpml_check_room(uint32_t accepted);
/* Decodes the record at *cursor into record and advances; false at the end. */
bool rscpf5h_next_TCP01(const unsigned char** cursor, QOR_UC* record);
int rscpf5h_hex_byte(const QOR_UC* two);
void rscpll_store_TCP01(const QOR_UC* record);

#endif
