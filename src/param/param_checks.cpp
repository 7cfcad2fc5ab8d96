#include "param/param_checks.h"

#include <cstdint>
#include <limits>

#include "u16/u16.h"

namespace {

bool refuse(std::u16string* message, const QOR_UC* text)
{
    if (message != nullptr)
        *message = text;
    return false;
}

bool out_of_range(std::u16string* message, int64_t lower, int64_t upper)
{
    QOR_UC text[96];
    snprintfU16(text, sizeof text / sizeof text[0], u"Parameter value out of range (%I64d...%I64d)",
                lower, upper);
    return refuse(message, text);
}

// The unit after the number's digits, matched without regard to case; 0
// when it is none of the units.
int64_t unit_factor(const QOR_UC* unit, const QOR_UC* const names[], const int64_t factors[],
                    size_t count)
{
    for (size_t i = 0; i < count; ++i)
        if (strcasecmpU16(unit, names[i]) == 0)
            return factors[i];
    return 0;
}

const QOR_UC* skip_digits(const QOR_UC* p)
{
    while (*p != 0 && (*p < u'0' || *p > u'9'))
        ++p;
    while (*p >= u'0' && *p <= u'9')
        ++p;
    return p;
}

} // namespace

bool qorparam_check_time(const QorParamDesc* desc, const QOR_UC* value, std::u16string* message)
{
    int64_t number = 0;
    if (value == nullptr || sscanfU16(value, u"%I64d", &number) != 1)
        return refuse(message, u"Invalid time value");
    const QOR_UC* unit = skip_digits(value);
    while (*unit == u' ' || *unit == u'\t')
        ++unit;
    static const QOR_UC* const kNames[] = {u"", u"M", u"H", u"D"};
    static const int64_t kFactors[] = {1, 60, 3600, 86400};
    const int64_t factor = unit_factor(unit, kNames, kFactors, 4);
    if (factor == 0)
        return refuse(message, u"Invalid time unit");
    int64_t seconds = 0;
    if (__builtin_mul_overflow(number, factor, &seconds))
        return refuse(message, u"Invalid time value");
    if (desc != nullptr && desc->range != nullptr) {
        int64_t lower = 0, upper = 0;
        if (sscanfU16(desc->range, u"%I64d %I64d", &lower, &upper) != 2)
            return refuse(
                message, u"Internal error, invalid parameter range defined in parameter meta data");
        if (seconds < lower || seconds > upper)
            return out_of_range(message, lower, upper);
    }
    return true;
}

bool qorparam_check_size(const QorParamDesc* desc, const QOR_UC* value, std::u16string* message)
{
    int64_t number = 0;
    if (value == nullptr || sscanfU16(value, u"%I64d", &number) != 1)
        return refuse(message, u"Invalid size value");
    static const QOR_UC* const kNames[] = {u"", u"K", u"M"};
    static const int64_t kFactors[] = {1, 1024, 1048576};
    const int64_t factor = unit_factor(skip_digits(value), kNames, kFactors, 3);
    if (factor == 0)
        return refuse(message, u"Invalid size unit");
    int64_t bytes = 0;
    if (__builtin_mul_overflow(number, factor, &bytes))
        return refuse(message, u"Invalid size value");
    const QOR_UC* name = desc != nullptr ? desc->name : nullptr;
    int64_t upper = 0;
    if (name != nullptr && strcmpU16(name, u"rsau/max_diskspace/per_file") == 0)
        upper = 2147483647;
    else if (name != nullptr && strcmpU16(name, u"rsau/max_diskspace/per_day") == 0)
        upper = std::numeric_limits<int64_t>::max();
    else
        return true;
    if (bytes < 0 || bytes > upper)
        return out_of_range(message, 0, upper);
    return true;
}
