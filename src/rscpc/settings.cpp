// Reading the converter's parameters and environment variables.
#include "rscpc/settings.h"

#include <cstdlib>

#include "rscp/rscp_utf.h"
#include "rscpc/hooks.h"

const QOR_UC* rscp_parameter(const QOR_UC* name)
{
    return rscph.rscph_GetParameter(name);
}

const QOR_UC* rscp_environment(const char* name, QOR_UC* out, int32_t size)
{
    const char* value = std::getenv(name);
    if (value == nullptr)
        return nullptr;
    rscpUtf8zToU16(out, size, nullptr, value);
    return out;
}

int32_t rscp_decimal(const QOR_UC* text)
{
    const QOR_UC* p = text;
    bool negative = false;
    if (*p == u'+' || *p == u'-')
        negative = *p++ == u'-';
    int64_t value = 0;
    for (; *p >= u'0' && *p <= u'9'; ++p)
        if (value <= INT32_MAX)
            value = value * 10 + (*p - u'0');
    if (negative)
        value = -value;
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}
