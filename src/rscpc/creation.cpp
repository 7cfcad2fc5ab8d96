// Creation of the conversion cache in its block, long-character records
// and the attach addresses.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>

#include "rscpc/cache.h"
#include "rscpc/errors.h"
#include "rscpc/hooks.h"
#include "rscpc/modules.h"
#include "rscpc/settings.h"
#include "rscpc/startup.h"
#include "rscpc/state.h"
#include "rscpc/tables.h"
#include "u16/u16.h"

namespace {

const QOR_UC* const kIdent = rscpc::kRscpmcIdent;

/* The fields that creation sets beyond the zeroed block. */
void write_header(ccc::Block& b, uint32_t size, uint32_t max_qor_code, const QOR_UC* allocator_name)
{
    RscpConverter& c = rscp_converter();
    b.set<uint32_t>(ccc::kProtection, static_cast<uint32_t>(c.protection));
    b.set<uint32_t>(ccc::kCccFormat, ccc::kFormat);
    b.set_padded(ccc::kEyeCatcher, u">>RSCPCCC<<", 11);
    b.set<uint16_t>(ccc::kEyeCatcher + 22, 0);
    b.set_padded(ccc::kKindOfMemory, allocator_name, 12);
    b.set<uint32_t>(ccc::kVersion, ccc::kVersionHalfCooked);
    QOR_UC stamp[16];
    rscph.rscph_Timestamp(stamp);
    b.set_text(ccc::kCreateDate, stamp, 16);
    b.set_text(ccc::kLastReorgDate, stamp, 16);
    b.set<uint32_t>(ccc::kCreatedBy, static_cast<uint32_t>(getpid()));
    b.set<uint32_t>(ccc::kCreatedBy + 4, static_cast<uint32_t>(getppid()));
    b.set<uint32_t>(ccc::kNoofReorgs, 0);
    b.set<uint8_t>(ccc::kReorgDone, c.state == RSCP_REINITIALIZE ? 0 : 1);
    b.set<uint64_t>(ccc::kAttachAddresses, reinterpret_cast<uintptr_t>(b.base()));
    b.set<uint32_t>(ccc::kMaxQorCode, max_qor_code);
    b.set<uint32_t>(ccc::kMaxUchar, ccc::kMaxEnhancedUchar);
    const QOR_UC* mbc_in_sbcs = rscp_parameter(u"rscp/mbc_in_sbcs");
    b.set<uint8_t>(ccc::kMbcInSbcs, mbc_in_sbcs != nullptr && mbc_in_sbcs[0] == u'1' ? 1 : 0);
    const QOR_UC* mbc_copy = rscp_parameter(u"rscp/mbc_copy");
    b.set<uint32_t>(ccc::kMbcCopy,
                    mbc_copy != nullptr ? static_cast<uint32_t>(rscp_decimal(mbc_copy)) : 2);
    b.set_padded(ccc::kDefCountry, u"", 3);
    b.set_padded(ccc::kDbCodePages, u"", 200);
    b.set_padded(ccc::kLegacyCodePage, u"", 4);
    /* Areas: the character tables grow from the descriptors upwards, the
     * long characters from the end downwards to no lower than end_t2. */
    b.set<uint32_t>(ccc::kLength, size);
    b.set<uint32_t>(ccc::kOverflow, 0);
}

/* The built-in list comes sorted; sorting is needed only for a list that
 * is not. */
void sort_descriptors(unsigned char* first, uint16_t count)
{
    for (uint16_t i = 1; i < count; ++i) {
        const unsigned char* d = first + static_cast<size_t>(i) * ccc::kDescriptorSize;
        if (rscpCmpCodePage(d - ccc::kDescriptorSize, d) > 0) {
            std::qsort(first, count, ccc::kDescriptorSize, rscpCmpCodePage);
            return;
        }
    }
}

uint32_t run_loader(uint32_t accepted)
{
    using Step = uint32_t (*)(uint32_t);
    for (Step step : {read_TCP00A, read_TCP01, read_TCP0D, read_TCPDB, read_TCP0I}) {
        const uint32_t rc = step(accepted);
        if (rc != 0)
            return rc;
    }
    if (!rscp_converter().legacy_rfc)
        return 0;
    if (std::getenv("I18N_RSCPSWITCHACCESS_legRFC") != nullptr)
        fprintfU16(stderr, u"Legacy RFC config read %s;%d\n", rscpc::kRscpmcPath, __LINE__);
    const uint32_t rc = read_RFCDES(accepted);
    if (rc != 0)
        return rc;
    return rscpll_consolidate_TCP0I_RFCDES(accepted);
}

} // namespace

uint32_t rscpi__create_ccc(uint32_t size, uint32_t cache07, uint32_t max_qor_code,
                           const QOR_UC* allocator_name, uint32_t accepted)
{
    RscpConverter& c = rscp_converter();
    ccc::Block b = ccc::current();
    if (size > b.size() || cache07 > size) {
        /* The cache never outgrows the block it was given. */
        QOR_UC arg[64];
        snprintfCutU16(arg, 64, u"cachesize&%ld&%ld&", size, static_cast<uint32_t>(b.size()));
        return rscpe__error(RSCPEINTERN, u'C', accepted, kIdent, 18, __LINE__,
                            u"QORPARAM(rsts/ccc/cachesize) too large", u"CQH", arg, -1, nullptr, 0);
    }
    if (!c.block_zero_filled)
        b.fill(0, size, 0);
    c.block_zero_filled = false;
    write_header(b, size, max_qor_code, allocator_name);
    b.set<uint32_t>(ccc::kCache07, cache07);
    b.set<uint32_t>(ccc::kFirstT2, size - cache07);
    b.set<uint32_t>(ccc::kEndT2, size - cache07);
    b.set<uint32_t>(ccc::kFirstT7, size);
    b.set<uint32_t>(ccc::kEndT7, size);

    uint32_t rc = read_TCP00(accepted);
    if (rc != 0)
        return rc;
    const uint16_t descriptors = b.u16(ccc::kNoofCodePages);
    sort_descriptors(b.base() + ccc::kDescriptors, descriptors);
    const uint32_t tcp01_offset = ccc::kDescriptors + ccc::kDescriptorSize * descriptors;
    b.set<uint32_t>(ccc::kTcp01Offset, tcp01_offset);
    b.set<uint16_t>(ccc::kTcp01Mappings, 0);
    rc = run_loader(accepted);
    if (rc != 0)
        return rc;

    b.set<uint32_t>(ccc::kVersion, ccc::kVersionThreeQuarter);
    const uint64_t used = tcp01_offset + (static_cast<uint64_t>(b.u16(ccc::kTcp01Mappings)) + 1) *
                                             ccc::kTcp01RecordSize;
    const uint64_t t1 = (used + ccc::kT1Size - 1) / ccc::kT1Size * ccc::kT1Size;
    b.set<uint32_t>(ccc::kFirstT1, static_cast<uint32_t>(t1));
    b.set<uint32_t>(ccc::kEndT1, static_cast<uint32_t>(t1));
    if (used <= b.u32(ccc::kEndT2)) {
        c.reorg_version = c.reorg_version + 1;
        b.set<uint32_t>(ccc::kReorgVersion, c.reorg_version);
        b.set<uint32_t>(ccc::kVersion, ccc::kVersionComplete);
        return 0;
    }
    QOR_UC arg[64];
    snprintfCutU16(arg, 64, u"cachesize&%ld&?&", b.u32(ccc::kLength));
    return rscpe__error(RSCPEINTERN, u'C', accepted, kIdent, 17, __LINE__,
                        u"QORPARAM(rsts/ccc/cachesize) too small", u"F24", arg, -1, nullptr, 0);
}

uint32_t rscpAllocLongChar(const void* data, uint32_t length, uint32_t* offset, void** pointer)
{
    ccc::Block b = ccc::current();
    const uint32_t first_t7 = b.u32(ccc::kFirstT7);
    const uint32_t end_t2 = b.u32(ccc::kEndT2);
    /* A length above first_t7 never fits; nor does a record that a damaged
     * header would place outside the block. */
    if (length <= first_t7) {
        const uint32_t start = (first_t7 - length) & ~7u;
        if (start >= end_t2 && b.holds(start, length)) {
            memcpyR(b.base() + start, data, length, __FILE__, __LINE__);
            b.set<uint32_t>(ccc::kFirstT7, start);
            *offset = start;
            *pointer = b.base() + start;
            return 0;
        }
    }
    *offset = 0;
    *pointer = nullptr;
    QOR_UC arg[64];
    snprintfCutU16(arg, 64, u"cache07&%ld&?&", b.u32(ccc::kEndT7) - end_t2);
    return rscpe__error(RSCPETOOLONG, u'C', RSCP_ACCEPT_ALL, kIdent, 92, __LINE__,
                        u"QORPARAM(rsts/ccc/cache07) small", u"F1A", arg, -1, nullptr, 0);
}

void rscpAttach(int32_t mode, bool lock, int32_t* word)
{
    if (mode != 2 && !lock)
        return;
    const bool with_sema = mode == 0;
    if (mode != 2) {
        const uint32_t rc =
            with_sema ? rscpGetWritePermissionAndSema(97) : rscph.rscph_GetWritePermission(97, 0);
        if (rc != 0)
            return;
    }
    ccc::Block b = ccc::current();
    const uint64_t address = reinterpret_cast<uintptr_t>(b.base());
    int free_slot = -1;
    bool listed = false;
    for (uint32_t i = 0; i < ccc::kAttachSlots; ++i) {
        const uint64_t slot = b.u64(ccc::kAttachAddresses + 8 * i);
        listed = listed || slot == address;
        if (slot == 0 && free_slot < 0)
            free_slot = static_cast<int>(i);
    }
    if (!listed && free_slot >= 0) {
        b.set<uint64_t>(ccc::kAttachAddresses + 8 * static_cast<uint32_t>(free_slot), address);
        if (word != nullptr)
            *word = 2;
    }
    if (mode == 1)
        rscph.rscph_ReleaseWritePermission(98, 0);
    else if (mode == 0)
        rscpReleaseWritePermissionAndSema(98);
}

int rscpCmpCodePage(const void* a, const void* b)
{
    QOR_UC x[4];
    QOR_UC y[4];
    std::memcpy(x, a, sizeof x);
    std::memcpy(y, b, sizeof y);
    return strncmpU16(x, y, 4);
}
