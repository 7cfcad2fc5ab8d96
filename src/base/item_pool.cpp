// Fixed-size item pool laid out in one block of caller memory.

#include "base/item_pool.h"

#include <climits>
#include <cstring>

#include "u16/u16_string.h"

namespace {

constexpr uint64_t kMaxBlock = 2147483647u;

// Item size + header, rounded up to 16; false when it does not fit 64 bits.
bool stride_of(uint64_t item_size, uint64_t* stride)
{
    if (item_size > UINT64_MAX - FI_ITEM_HDR_SIZE - 15)
        return false;
    *stride = (item_size + FI_ITEM_HDR_SIZE + 15) & ~uint64_t{15};
    return true;
}

// 64 + count * stride; false on overflow.
bool block_size_of(int32_t count, uint64_t stride, uint64_t* size)
{
    uint64_t items;
    if (__builtin_mul_overflow(static_cast<uint64_t>(count), stride, &items))
        return false;
    if (items > UINT64_MAX - FI_HDR_SIZE)
        return false;
    *size = FI_HDR_SIZE + items;
    return true;
}

} // namespace

uint64_t FiCalcSize(void*, int32_t count, uint64_t item_size)
{
    uint64_t stride, size;
    if (count < 0 || !stride_of(item_size, &stride) || !block_size_of(count, stride, &size))
        return 0;
    return size;
}

int FiInit(void* block, const QOR_UC* name, uint32_t flags, int32_t count, uint64_t item_size,
           FI_POOL_HDR** header)
{
    if (count < 1)
        return FI_EINVAL;
    *header = static_cast<FI_POOL_HDR*>(block);
    FI_POOL_HDR* pool = *header;

    QOR_UC padded[FI_NAME_LEN];
    // Too long a name leaves the copy empty; no name at all counts as empty.
    strcpy_sU16(padded, FI_NAME_LEN, name != nullptr ? name : u"");
    size_t used = strnlenU16(padded, FI_NAME_LEN);
    for (size_t i = used; i < FI_NAME_LEN; ++i)
        padded[i] = u' ';

    if (memcmp(pool->name, padded, sizeof padded) == 0)
        return FI_EEXISTS;
    if (flags & FI_FLAG_ATTACH)
        return FI_ENOTFOUND;

    memcpyU(pool->name, padded, FI_NAME_LEN, __FILE__, __LINE__);

    uint64_t stride = 0, size = 0;
    const bool stride_ok = stride_of(item_size, &stride) && stride <= kMaxBlock;
    pool->count = count;
    // A stride beyond 31 bits cannot be stored; the pool is refused below.
    pool->stride = stride_ok ? static_cast<int32_t>(stride) : 0;
    pool->used_head = 0;
    pool->free_head = FI_HDR_SIZE;
    pool->first_data = FI_HDR_SIZE + FI_ITEM_HDR_SIZE;

    if (!stride_ok || !block_size_of(count, stride, &size) || size > kMaxBlock)
        return FI_ETOOBIG;

    unsigned char* base = static_cast<unsigned char*>(block);
    for (int32_t i = 0; i < count; ++i) {
        const int32_t offset = FI_HDR_SIZE + i * static_cast<int32_t>(stride);
        FI_ITEM_HDR item;
        memcpy(&item, base + offset, sizeof item);
        item.mark = FI_ITEM_FREE;
        item.next = (i + 1 < count) ? offset + static_cast<int32_t>(stride) : 0;
        memcpy(base + offset, &item, sizeof item);
    }
    return FI_OK;
}
