#ifndef QOR_RSCPC_CACHE_H
#define QOR_RSCPC_CACHE_H

/* Layout of the char code converter cache (the CCC): one contiguous block
 * whose header carries an eye-catcher and a layout version, followed by the
 * code page descriptors and the character table. Integers in the machine's
 * byte order, texts UTF-16 without terminator. Offsets are bytes from the
 * block start. */

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "u16/qor_uc.h"

namespace ccc {

/* Layout versions. */
constexpr uint32_t kVersionHalfCooked = 11311162;
constexpr uint32_t kVersionThreeQuarter = 21311162;
constexpr uint32_t kVersionComplete = 201311162;
constexpr uint32_t kFormat = 77;

/* Limits of the sizes. */
constexpr uint32_t kMinSize = 170000;
constexpr uint32_t kMaxSize = 16776192;
constexpr uint32_t kMinCache07 = 200;
constexpr uint32_t kMinQorCodeMax = 2442;
constexpr uint32_t kMaxEnhancedUchar = 1200000;

/* Area units. */
constexpr uint32_t kT1Size = 1032;
constexpr uint32_t kT2Size = 1024;
constexpr uint32_t kT3Size = 516;

/* Header fields. */
constexpr uint32_t kCccFormat = 0;
constexpr uint32_t kVersion = 4;
constexpr uint32_t kEyeCatcher = 8; /* 12 units */
constexpr uint32_t kCreateDate = 32;
constexpr uint32_t kLastReorgDate = 64;
constexpr uint32_t kReorgVersion = 96;
constexpr uint32_t kReorgDone = 100;
constexpr uint32_t kReorgReason = 102; /* 36 units */
constexpr uint32_t kNoofReorgs = 176;
constexpr uint32_t kDdReorgVersion = 180;
constexpr uint32_t kDdReorgDone = 184;
constexpr uint32_t kNoofDdReorgs = 188;
constexpr uint32_t kOverflow = 192;
constexpr uint32_t kLength = 196;
constexpr uint32_t kCache07 = 200;
constexpr uint32_t kFirstT1 = 204;
constexpr uint32_t kEndT1 = 208;
constexpr uint32_t kFirstT2 = 212;
constexpr uint32_t kEndT2 = 216;
constexpr uint32_t kFirstT7 = 220;
constexpr uint32_t kEndT7 = 224;
constexpr uint32_t kFragT3 = 228;
constexpr uint32_t kFreeT3 = 232;
constexpr uint32_t kNoofCodePages = 236; /* u16 */
constexpr uint32_t kNoofT1 = 238;        /* u16 */
constexpr uint32_t kNoofT2 = 240;        /* u16 */
constexpr uint32_t kNoofT3 = 242;        /* u16 */
constexpr uint32_t kAttaches = 244;
constexpr uint32_t kLookups = 248;
constexpr uint32_t kCreateObjects = 252;
constexpr uint32_t kClones = 256; /* 18 x u32 */
constexpr uint32_t kBytesIn = 328;
constexpr uint32_t kBytesOut = 336;
constexpr uint32_t kFillSpacesOut = 344;
constexpr uint32_t kFillBytesOut = 348;
constexpr uint32_t kTruncBytesIn = 352;
constexpr uint32_t kMaxQorCode = 356;
constexpr uint32_t kMaxUchar = 360;
constexpr uint32_t kUnusedTcp00 = 364;
constexpr uint32_t kTableReads = 368; /* 32 x u32 */
constexpr uint32_t kMbcInSbcs = 496;  /* u8 */
constexpr uint32_t kMbcCopy = 500;
constexpr uint32_t kVerbose = 504;
constexpr uint32_t kErrTrace = 508;
constexpr uint32_t kRfcTraceMdmp = 512;
constexpr uint32_t kRfcTraceConv = 516;
constexpr uint32_t kDefCountry = 520;  /* 3 units */
constexpr uint32_t kDefLanguage = 526; /* 1 unit */
constexpr uint32_t kSysLangState = 528;
constexpr uint32_t kSysLangOffset = 532;
constexpr uint32_t kSysLangLength = 536; /* u16 */
constexpr uint32_t kInstLangState = 540;
constexpr uint32_t kInstLangOffset = 544;
constexpr uint32_t kInstLangLength = 548; /* u16 */
constexpr uint32_t kTcpdbCount = 550;     /* u16 */
constexpr uint32_t kDbCpCount = 552;      /* u16 */
constexpr uint32_t kDbCodePages = 554;    /* 50 x 4 units */
constexpr uint32_t kDbCodePageSlots = 50;
constexpr uint32_t kTcp01Offset = 956;
constexpr uint32_t kTcp01Mappings = 960; /* u16: highest character number loaded */
constexpr uint32_t kRfcCondensedOffset = 964;
constexpr uint32_t kRfcCondensedLength = 968; /* u16, bytes */
constexpr uint32_t kRfcCallerOffset = 972;
constexpr uint32_t kRfcCallerLength = 976; /* u16, units */
constexpr uint32_t kIso2022Count = 978;    /* u16 */
constexpr uint32_t kIso2022 = 980;         /* 10 x 24 bytes */
constexpr uint32_t kIso2022Slots = 10;
constexpr uint32_t kAttachAddresses = 1224; /* 5 x u64 */
constexpr uint32_t kAttachSlots = 5;
constexpr uint32_t kUtf8GuiAllow = 1264;
constexpr uint32_t kRtlInLtrAllow = 1268;
constexpr uint32_t kIndicDigits = 1272;
constexpr uint32_t kBidiCtrlFilter = 1276;
constexpr uint32_t kNormalizeInput = 1280;
constexpr uint32_t kCfontCacheVersion = 1284;
constexpr uint32_t kProtection = 1288;
constexpr uint32_t kLangMbMap = 1292; /* 96 x 2 bytes */
constexpr uint32_t kLangMbMapState = 1484;
constexpr uint32_t kMbCpCount = 1488;   /* u16 */
constexpr uint32_t kMbCodePages = 1490; /* 30 x 4 units */
constexpr uint32_t kMbCodePageSlots = 30;
constexpr uint32_t kLoadedF1Count = 1732;
constexpr uint32_t kLoadedF1 = 1736; /* 70 x 16 bytes */
constexpr uint32_t kLoadedF1Slots = 70;
constexpr uint32_t kRuleCount = 2856;
constexpr uint32_t kRules = 2860; /* 30 x 152 bytes */
constexpr uint32_t kRuleSlots = 30;
constexpr uint32_t kRuleSize = 152;
constexpr uint32_t kTcp01HighestSeen = 7420; /* highest character number seen */
constexpr uint32_t kIcuObjectId = 7424;      /* u64 */
constexpr uint32_t kLegacyCodePage = 7432;   /* 4 units */
constexpr uint32_t kDbmcplN = 7440;          /* 28 bytes */
constexpr uint32_t kDbmcplM = 7468;
constexpr uint32_t kCreatedBy = 7496; /* process id, parent process id */
constexpr uint32_t kReorganisedBy = 7504;
constexpr uint32_t kInvalidatedBy = 7512;
constexpr uint32_t kKindOfMemory = 7520; /* 12 units */
constexpr uint32_t kDescriptors = 7544;
constexpr uint32_t kDescriptorSize = 184;
constexpr uint32_t kTcp01RecordSize = 3;

/* A code page descriptor. */
namespace desc {
constexpr uint32_t kName = 0;       /* 4 units */
constexpr uint32_t kInBlocks = 8;   /* 4 x 16 bytes */
constexpr uint32_t kOutBlocks = 72; /* 4 x 16 bytes */
constexpr uint32_t kEnc = 136;
constexpr uint32_t kMajor = 138;
constexpr uint32_t kMinor = 140;
constexpr uint32_t kBit = 142;   /* u8 */
constexpr uint32_t kFlagX = 143; /* u8 */
constexpr uint32_t kSourceCodePage = 144;
constexpr uint32_t kFlagA = 146;        /* u8 */
constexpr uint32_t kByteSequence = 148; /* 4 bytes */
constexpr uint32_t kByteCount = 152;    /* i32 */
constexpr uint32_t kSourceTcp00 = 156;
constexpr uint32_t kSegmentId = 158; /* 5 units */
constexpr uint32_t kFlags = 168;
constexpr uint32_t kExtraOffset = 172;
constexpr uint32_t kExtraCount = 180; /* u8 */
/* Within an in block: anchor (u16), characters (u32), T1 tables (u16),
 * maximum character length (u32). */
constexpr uint32_t kInAnchor = 0;
constexpr uint32_t kInChars = 4;
constexpr uint32_t kInT1 = 8;
constexpr uint32_t kInMaxLen = 12;
/* Within an out block: anchor (u32), characters (u32), T3 tables (u16),
 * maximum character length (u32). */
constexpr uint32_t kOutAnchor = 0;
constexpr uint32_t kOutChars = 4;
constexpr uint32_t kOutT3 = 8;
constexpr uint32_t kOutMaxLen = 12;
constexpr uint32_t kBlockSize = 16;
/* Flag word bits. */
constexpr uint32_t kFlagSegment = 0x400;
constexpr uint32_t kFlagI = 0x800;
constexpr uint32_t kFlag7Bit = 0x1000;
/* An extra record: two names, anchor (u16), characters (u32), T1 (u16),
 * offset of the next record. */
constexpr uint32_t kExtraName = 0;
constexpr uint32_t kExtraName2 = 8;
constexpr uint32_t kExtraAnchor = 16;
constexpr uint32_t kExtraChars = 20;
constexpr uint32_t kExtraT1 = 24;
constexpr uint32_t kExtraNext = 32;
constexpr uint32_t kExtraSize = 36;
} // namespace desc

/* Reads and writes fields of a block of known size. Every access checks its
 * bounds: a read outside gives 0 (texts: blanks), a write outside is
 * dropped, so that offsets taken from a damaged header never reach memory
 * beyond the block. */
class Block
{
  public:
    Block(unsigned char* base, size_t size) : base_(base), size_(base != nullptr ? size : 0) {}

    unsigned char* base() const { return base_; }
    size_t size() const { return size_; }
    /* True when [offset, offset + length) lies in the block. */
    bool holds(uint64_t offset, uint64_t length) const
    {
        return offset <= size_ && length <= size_ - offset;
    }

    template <typename T> T get(uint64_t offset) const
    {
        T value{};
        if (holds(offset, sizeof(T)))
            std::memcpy(&value, base_ + offset, sizeof(T));
        return value;
    }
    template <typename T> void set(uint64_t offset, T value)
    {
        if (holds(offset, sizeof(T)))
            std::memcpy(base_ + offset, &value, sizeof(T));
    }
    uint8_t u8(uint64_t offset) const { return get<uint8_t>(offset); }
    uint16_t u16(uint64_t offset) const { return get<uint16_t>(offset); }
    uint32_t u32(uint64_t offset) const { return get<uint32_t>(offset); }
    uint64_t u64(uint64_t offset) const { return get<uint64_t>(offset); }

    /* n units of text into out. */
    void text(uint64_t offset, QOR_UC* out, size_t n) const
    {
        if (holds(offset, n * sizeof(QOR_UC))) {
            std::memcpy(out, base_ + offset, n * sizeof(QOR_UC));
        } else {
            for (size_t i = 0; i < n; ++i)
                out[i] = u' ';
        }
    }
    void set_text(uint64_t offset, const QOR_UC* in, size_t n)
    {
        if (holds(offset, n * sizeof(QOR_UC)))
            std::memcpy(base_ + offset, in, n * sizeof(QOR_UC));
    }
    void set_bytes(uint64_t offset, const void* in, size_t n)
    {
        if (holds(offset, n))
            std::memcpy(base_ + offset, in, n);
    }
    /* n units blank-padded from a terminated text (cut at n). */
    void set_padded(uint64_t offset, const QOR_UC* in, size_t n);
    void fill(uint64_t offset, uint64_t length, unsigned char byte)
    {
        if (holds(offset, length))
            std::memset(base_ + offset, byte, length);
    }

    /* Descriptor i. */
    static uint64_t descriptor(uint32_t i)
    {
        return kDescriptors + static_cast<uint64_t>(i) * kDescriptorSize;
    }
    /* How many descriptors the block can hold at all. */
    uint32_t descriptor_room() const
    {
        return size_ < kDescriptors
                   ? 0
                   : static_cast<uint32_t>((size_ - kDescriptors) / kDescriptorSize);
    }

  private:
    unsigned char* base_;
    size_t size_;
};

/* The area bounds of a cache header. */
struct Areas
{
    uint32_t length;
    uint32_t cache07;
    uint32_t first_t1;
    uint32_t end_t1;
    uint32_t first_t2;
    uint32_t end_t2;
    uint32_t first_t7;
    uint32_t end_t7;

    static Areas of(const Block& b)
    {
        return {b.u32(kLength),  b.u32(kCache07), b.u32(kFirstT1), b.u32(kEndT1),
                b.u32(kFirstT2), b.u32(kEndT2),   b.u32(kFirstT7), b.u32(kEndT7)};
    }
};

/* The process's cache as a block: its allocated size bounds every access
 * (null block, size 0, when there is no cache). */
Block current(void);

} // namespace ccc

#endif
