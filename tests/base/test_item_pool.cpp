// Fixed-size item pool: sizes, exact layout bytes and return codes.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "base/item_pool.h"

namespace {

int32_t i32_at(const std::vector<unsigned char>& block, size_t offset)
{
    int32_t v;
    memcpy(&v, block.data() + offset, sizeof v);
    return v;
}

std::u16string name_at(const std::vector<unsigned char>& block)
{
    std::u16string s(FI_NAME_LEN, u'\0');
    memcpy(&s[0], block.data(), FI_NAME_LEN * sizeof(char16_t));
    return s;
}

TEST(FiCalcSize, StrideAndBlockSize)
{
    struct Case
    {
        int32_t count;
        uint64_t item_size;
        uint64_t expected;
    } cases[] = {
        {10, 4, 64 + 10 * 32},
        {1, 16, 64 + 32},
        {1, 17, 64 + 48},
        {1, 0, 64 + 16},
        {0, 4, 64},
        {-1, 4, 0},                     // negative counts are rejected
        {2, UINT64_MAX - 8, 0},         // stride would overflow
        {INT32_MAX, UINT64_MAX / 4, 0}, // block size would overflow
        {2048, 4, 64 + 2048 * 32},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FiCalcSize(nullptr, c.count, c.item_size), c.expected)
            << c.count << " x " << c.item_size;
}

TEST(FiInit, LayoutBytesOfAFreshPool)
{
    const int32_t count = 3;
    std::vector<unsigned char> block(FiCalcSize(nullptr, count, 4), 0xAB);
    memset(block.data(), 0, 16); // the caller clears the start of the block
    FI_POOL_HDR* hdr = nullptr;
    ASSERT_EQ(FiInit(block.data(), u"NITAB_FREE", 0, count, 4, &hdr), FI_OK);
    EXPECT_EQ(static_cast<void*>(hdr), block.data());

    EXPECT_EQ(name_at(block), u"NITAB_FREE      ");
    EXPECT_EQ(i32_at(block, 32), 3);                                // count
    EXPECT_EQ(i32_at(block, 36), 32);                               // stride
    EXPECT_EQ(i32_at(block, 40), 0);                                // in-use head
    EXPECT_EQ(i32_at(block, 44), 64);                               // free head
    EXPECT_EQ(i32_at(block, 48), static_cast<int32_t>(0xABABABAB)); // untouched
    EXPECT_EQ(i32_at(block, 52), 80);                               // first data
    for (size_t i = 56; i < 64; ++i)
        EXPECT_EQ(block[i], 0xAB) << i;

    struct Item
    {
        size_t offset;
        int32_t next;
    } items[] = {{64, 96}, {96, 128}, {128, 0}};
    for (const Item& it : items) {
        EXPECT_EQ(i32_at(block, it.offset), FI_ITEM_FREE) << it.offset;
        EXPECT_EQ(i32_at(block, it.offset + 4), it.next) << it.offset;
        // The rest of the item header and the data are not written.
        for (size_t i = it.offset + 8; i < it.offset + 32; ++i)
            EXPECT_EQ(block[i], 0xAB) << i;
    }
    EXPECT_EQ(hdr->stride, 32);
    EXPECT_EQ(hdr->free_head, 64);
}

TEST(FiInit, SingleItemPool)
{
    std::vector<unsigned char> block(FiCalcSize(nullptr, 1, 8), 0);
    FI_POOL_HDR* hdr = nullptr;
    ASSERT_EQ(FiInit(block.data(), u"ONE", 0, 1, 8, &hdr), FI_OK);
    EXPECT_EQ(i32_at(block, 64), -1);
    EXPECT_EQ(i32_at(block, 68), 0);
}

TEST(FiInit, NamesArePaddedOrBlankedWhenTooLong)
{
    struct Case
    {
        const char16_t* name;
        const char16_t* stored;
    } cases[] = {
        {u"ABCDEFGHIJKLMNO", u"ABCDEFGHIJKLMNO "},  // 15 characters
        {u"ABCDEFGHIJKLMNOP", u"                "}, // 16 do not fit
        {u"", u"                "},
        {nullptr, u"                "},
    };
    for (const Case& c : cases) {
        std::vector<unsigned char> block(FiCalcSize(nullptr, 2, 4), 0);
        FI_POOL_HDR* hdr = nullptr;
        ASSERT_EQ(FiInit(block.data(), c.name, 0, 2, 4, &hdr), FI_OK);
        EXPECT_EQ(name_at(block), c.stored);
    }
}

TEST(FiInit, ReturnCodes)
{
    std::vector<unsigned char> block(FiCalcSize(nullptr, 4, 4), 0);
    FI_POOL_HDR* hdr = nullptr;
    ASSERT_EQ(FiInit(block.data(), u"POOL", 0, 4, 4, &hdr), FI_OK);

    // Same name again: left as it was.
    block[44] = 0x11;
    std::vector<unsigned char> before = block;
    FI_POOL_HDR* again = nullptr;
    EXPECT_EQ(FiInit(block.data(), u"POOL", 0, 4, 4, &again), FI_EEXISTS);
    EXPECT_EQ(block, before);
    EXPECT_EQ(static_cast<void*>(again), block.data());

    // Attach to a pool that is not there: left as it was.
    EXPECT_EQ(FiInit(block.data(), u"OTHER", FI_FLAG_ATTACH, 4, 4, &again), FI_ENOTFOUND);
    EXPECT_EQ(block, before);
    EXPECT_EQ(FiInit(block.data(), u"POOL", FI_FLAG_ATTACH, 4, 4, &again), FI_EEXISTS);

    // Counts below 1 write nothing, not even the header pointer.
    for (int32_t count : {0, -1, INT32_MIN}) {
        FI_POOL_HDR* untouched = reinterpret_cast<FI_POOL_HDR*>(0x1);
        EXPECT_EQ(FiInit(block.data(), u"NEW", 0, count, 4, &untouched), FI_EINVAL);
        EXPECT_EQ(untouched, reinterpret_cast<FI_POOL_HDR*>(0x1));
        EXPECT_EQ(block, before);
    }
}

TEST(FiInit, TooLargeBlocksWriteTheHeaderButNoItems)
{
    struct Case
    {
        int32_t count;
        uint64_t item_size;
        int32_t stride;
    } cases[] = {
        {67108863, 16, 32},             // 64 + 67108863 * 32 > 2147483647
        {2, 2147483647ull, 0},          // the stride alone does not fit 31 bits
        {INT32_MAX, UINT64_MAX - 8, 0}, // the stride would overflow 64 bits
    };
    for (const Case& c : cases) {
        std::vector<unsigned char> block(256, 0xCD);
        FI_POOL_HDR* hdr = nullptr;
        EXPECT_EQ(FiInit(block.data(), u"BIG", 0, c.count, c.item_size, &hdr), FI_ETOOBIG);
        EXPECT_EQ(i32_at(block, 32), c.count);
        EXPECT_EQ(i32_at(block, 36), c.stride);
        EXPECT_EQ(i32_at(block, 44), 64);
        EXPECT_EQ(i32_at(block, 64), static_cast<int32_t>(0xCDCDCDCD)) << "no item written";
    }
    // The largest block that fits is laid out.
    EXPECT_EQ(FiCalcSize(nullptr, 67108861, 16), 64u + 67108861ull * 32);
}

} // namespace
