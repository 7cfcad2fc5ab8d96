#ifndef QOR_BASE_ITEM_POOL_H
#define QOR_BASE_ITEM_POOL_H

/* Fixed-size item pool laid out in one block of caller memory, with a free
 * list threaded through the items by byte offsets from the pool start
 * (0 ends a list). Taking and giving back items is done by the pool's user
 * on the fields below. */

#include <cstdint>

#include "u16/qor_uc.h"

#define FI_NAME_LEN 16      /* units of the blank-padded pool name */
#define FI_HDR_SIZE 64      /* offset of the first item */
#define FI_ITEM_HDR_SIZE 16 /* item header before the caller's data */
#define FI_ITEM_FREE (-1)   /* mark of a free item */
#define FI_FLAG_ATTACH 8u   /* only attach to an existing pool of this name */

/* Return codes of FiInit. */
#define FI_OK 0
#define FI_ETOOBIG 2   /* the block would exceed 2147483647 bytes */
#define FI_ENOTFOUND 4 /* FI_FLAG_ATTACH and no pool of this name */
#define FI_EINVAL 6    /* item count below 1 */
#define FI_EEXISTS 8   /* the block already holds a pool of this name */

struct FI_POOL_HDR
{
    QOR_UC name[FI_NAME_LEN]; /* padded with blanks, no terminator */
    int32_t count;
    int32_t stride; /* item size + 16, rounded up to 16 */
    int32_t used_head;
    int32_t free_head;
    int32_t reserved48;
    int32_t first_data; /* offset of the first item's data */
    unsigned char reserved56[8];
};
static_assert(sizeof(FI_POOL_HDR) == FI_HDR_SIZE, "pool header layout");

struct FI_ITEM_HDR
{
    int32_t mark; /* FI_ITEM_FREE while free */
    int32_t next; /* offset of the next item in its list, 0 at the end */
    unsigned char reserved[8];
};
static_assert(sizeof(FI_ITEM_HDR) == FI_ITEM_HDR_SIZE, "item header layout");

/* Block size for count items of item_size bytes: 64 + count * stride.
 * A count below 0, or a size that does not fit 64 bits, gives 0. */
uint64_t FiCalcSize(void* unused, int32_t count, uint64_t item_size);

/* Lays out the pool in block; see the FI_* codes. */
int FiInit(void* block, const QOR_UC* name, uint32_t flags, int32_t count, uint64_t item_size,
           FI_POOL_HDR** header);

#endif
