// The converter's size and range settings with their defaults and limits.
#include "rscpc/cache.h"
#include "rscpc/errors.h"
#include "rscpc/modules.h"
#include "rscpc/settings.h"
#include "rscpc/startup.h"
#include "u16/u16.h"

namespace {

const QOR_UC* const kIdent = rscpc::kRscpmcIdent;

uint32_t record_size(const QOR_UC* text, int location, const QOR_UC* syslog_id, const QOR_UC* what,
                     int32_t value, int32_t limit, uint32_t accepted)
{
    QOR_UC arg[64];
    snprintfCutU16(arg, 64, u"%s&%ld&%ld&", what, value, limit);
    return rscpe__error(RSCPEINTERN, u'C', accepted, kIdent, location, __LINE__, text, syslog_id,
                        arg, -1, nullptr, 0);
}

uint32_t round_up_16(uint32_t value)
{
    return (value + 15u) & ~15u;
}

/* A decimal setting, or the default; values below the floor become it. */
uint32_t at_least(const QOR_UC* name, uint32_t floor)
{
    const QOR_UC* text = rscp_parameter(name);
    const int32_t value = text != nullptr ? rscp_decimal(text) : static_cast<int32_t>(floor);
    return value < static_cast<int32_t>(floor) ? floor : static_cast<uint32_t>(value);
}

int hex_digit(QOR_UC c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    return -1;
}

} // namespace

uint32_t find_cachesizes(uint32_t* size, uint32_t* cache07, uint32_t accepted)
{
    const QOR_UC* text = rscp_parameter(u"rsts/ccc/cachesize");
    int32_t value = text != nullptr ? rscp_decimal(text) : 6000000;
    if (value < static_cast<int32_t>(ccc::kMinSize))
        return record_size(u"QORPARAM(rsts/ccc/cachesize) too small", 11, u"F24", u"cachesize",
                           value, ccc::kMinSize, accepted);
    if (value > static_cast<int32_t>(ccc::kMaxSize)) {
        record_size(u"QORPARAM(rsts/ccc/cachesize) too large", 143, u"CQH", u"cachesize", value,
                    ccc::kMaxSize, accepted);
        value = ccc::kMaxSize;
    }
    *size = round_up_16(static_cast<uint32_t>(value));
    const QOR_UC* text07 = rscp_parameter(u"rsts/ccc/cache07");
    if (text07 == nullptr || *text07 == 0) {
        *cache07 = *size / 10;
        return 0;
    }
    const int32_t value07 = rscp_decimal(text07);
    if (value07 < static_cast<int32_t>(ccc::kMinCache07))
        return record_size(u"QORPARAM(rsts/ccc/cache07) too small", 11, u"F24", u"cache07", value07,
                           ccc::kMinCache07, accepted);
    *cache07 = round_up_16(static_cast<uint32_t>(value07));
    return 0;
}

uint32_t find_qorcode_max(uint32_t* value)
{
    *value = at_least(u"rscp/ccc/max_intern_code", ccc::kMinQorCodeMax);
    return 0;
}

uint32_t find_uchar_max(uint32_t* value)
{
    *value = at_least(u"rscp/ccc/max_intern_uchar", ccc::kMaxEnhancedUchar);
    return 0;
}

uint32_t find_pua(const QOR_UC* name, QOR_UC* value)
{
    const QOR_UC* text = rscp_parameter(name);
    if (text == nullptr)
        return 0;
    const QOR_UC* refusal = nullptr;
    int code = 0;
    if (strlenU16(text) != 4) {
        refusal = u"length != 4";
    } else {
        for (int i = 0; i < 4 && refusal == nullptr; ++i) {
            const int digit = hex_digit(text[i]);
            if (digit < 0)
                refusal = u"range:E000..F8FF";
            code = code * 16 + digit;
        }
        if (refusal == nullptr && (code < 0xE000 || code > 0xF8FF))
            refusal = u"range:E000..F8FF";
    }
    if (refusal == nullptr) {
        *value = static_cast<QOR_UC>(code);
        return 0;
    }
    QOR_UC line[65];
    snprintfCutU16(line, 65, u"%-64.64s", u"");
    QOR_UC reason[65];
    const int n = snprintfCutU16(reason, 65, u"%s&%s&", name, refusal);
    for (int i = 0; i < n && i < 64; ++i)
        line[i] = reason[i];
    rscph.rscph_SyslogId(u'i', u"E16", line);
    return 0;
}

bool rscpValidCacheSizes(uint32_t size, uint32_t cache07)
{
    return size >= ccc::kMinSize && size <= ccc::kMaxSize && cache07 >= ccc::kMinCache07 &&
           cache07 <= size / 2;
}

bool rscpValidQorcodeMax(uint32_t value)
{
    return value >= ccc::kMinQorCodeMax;
}

bool rscpValidUcharMax(uint32_t value)
{
    return value >= ccc::kMaxEnhancedUchar;
}
