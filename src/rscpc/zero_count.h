#ifndef QOR_RSCPC_ZERO_COUNT_H
#define QOR_RSCPC_ZERO_COUNT_H

/* Counting the zero bytes of a large area that is mostly untouched. */

#include <cstddef>
#include <cstdint>

/* The number of zero bytes in [p, p + n). With heap_memory the area is the
 * process's own private memory: pages it never touched read as zero and
 * are counted without being read (which would fault each one in). */
uint64_t rscp_count_zero_bytes(const unsigned char* p, size_t n, bool heap_memory);

#endif
