#ifndef QOR_PLATFORM_U16_ZONE_H
#define QOR_PLATFORM_U16_ZONE_H

#include <cstdint>
#include <ctime>

/* The local time zone (TZ, read again) as biases in minutes, local time plus
 * bias giving UTC: standard_bias for standard time; daylight_bias the further
 * minutes while daylight-saving time is in force, taken from the first
 * daylight-saving time in the year after now (0 when the zone has none). */
void u16_zone_biases(time_t now, int32_t* standard_bias, int32_t* daylight_bias);

#endif
