#include "platform/u16_zone.h"

void u16_zone_biases(time_t now, int32_t* standard_bias, int32_t* daylight_bias)
{
    tzset();
    const int32_t standard = static_cast<int32_t>(timezone / 60);
    int32_t extra = 0;
    if (daylight != 0) {
        /* The rules give the switch dates only through localtime: look at
         * each day of the coming year until one is in daylight-saving time. */
        constexpr time_t kDay = 24 * 60 * 60;
        for (int day = 0; day <= 366; ++day) {
            const time_t at = now + day * kDay;
            struct tm local
            {
            };
            if (localtime_r(&at, &local) != nullptr && local.tm_isdst > 0) {
                extra = static_cast<int32_t>(-local.tm_gmtoff / 60) - standard;
                break;
            }
        }
    }
    if (standard_bias != nullptr)
        *standard_bias = standard;
    if (daylight_bias != nullptr)
        *daylight_bias = extra;
}
