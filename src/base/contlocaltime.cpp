// Continuous local time across the end of daylight-saving time.

#include "base/contlocaltime.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

namespace {

constexpr int64_t kWindow = 7200;   // a switch within two hours is looked for
constexpr int64_t kMaxScan = 14400; // no scan runs further than this

// Hook through which the "zdate/DSTswitch_contloctime" setting would be read;
// nothing installs one, so the continuous mode always applies.
using ParamLookup = const char* (*)(const char* name);
ParamLookup g_param_lookup = nullptr;

std::atomic<int> g_mode{0};

bool local_of(int64_t t, struct tm* out)
{
    time_t tt = static_cast<time_t>(t);
    return localtime_r(&tt, out) != nullptr;
}

// 1 daylight-saving, 0 standard, -1 conversion failed.
int dst_of(int64_t t)
{
    struct tm lt;
    if (!local_of(t, &lt))
        return -1;
    return lt.tm_isdst > 0 ? 1 : 0;
}

bool same_hour_minute(const struct tm& a, const struct tm& b)
{
    return a.tm_hour == b.tm_hour && a.tm_min == b.tm_min;
}

int scan_failed()
{
    fputs("GetDoubleInterval_GetInterval: ASSERT while scanning for DST offset\n", stderr);
    return 0;
}

// Steps *x by step while dst_of(*x) == want, within limit seconds of the
// start. false when the limit is hit or a conversion fails.
bool step_while(int64_t* x, int64_t step, int want, int64_t origin)
{
    for (;;) {
        int d = dst_of(*x);
        if (d < 0)
            return false;
        if (d != want)
            return true;
        *x += step;
        if (*x - origin > kMaxScan || origin - *x > kMaxScan)
            return false;
    }
}

// The doubled interval of t with offset d; 1 found, 0 not, -1 failure.
int find_interval(int64_t t, int64_t* start, int64_t* end);

} // namespace

int ContIIsDst(int64_t t)
{
    return dst_of(t) > 0 ? 1 : 0;
}

int ContLocaltimeMode(void)
{
    int mode = g_mode.load(std::memory_order_acquire);
    if (mode != 0)
        return mode;
    mode = 1;
    if (g_param_lookup != nullptr) {
        const char* value = g_param_lookup("zdate/DSTswitch_contloctime");
        if (value != nullptr && strcmp(value, "off") == 0)
            mode = 2;
    }
    g_mode.store(mode, std::memory_order_release);
    return mode;
}

int GetDoubleInterval_FindEdges(int64_t t, const struct tm* local, int64_t offset, int64_t* start,
                                int64_t* end)
{
    // An offset of zero or below doubles nothing (a switch that only
    // changes the flag, or one that moves the clock forward).
    if (offset <= 0 || offset > kMaxScan)
        return 0;
    struct tm before, after;
    if (!local_of(t - offset, &before) || !local_of(t + offset, &after))
        return -1;
    if (!same_hour_minute(before, *local) && !same_hour_minute(after, *local))
        return 0;

    const int64_t a = t - (t % offset);
    int dst_a = dst_of(a), dst_a1 = dst_of(a - 1);
    int dst_b = dst_of(a + offset), dst_b1 = dst_of(a + offset - 1);
    if (dst_a < 0 || dst_a1 < 0 || dst_b < 0 || dst_b1 < 0)
        return -1;
    int64_t s;
    if (dst_a == 0 && dst_a1 == 1) {
        s = a - offset;
    } else if (dst_b == 0 && dst_b1 == 1) {
        s = a;
    } else {
        // Search the first second of standard time near t.
        int dst_t = dst_of(t);
        if (dst_t < 0)
            return -1;
        int64_t x = dst_t ? t + offset : t;
        const int64_t origin = x;
        if (!step_while(&x, -60, 0, origin))
            return scan_failed();
        x += 60;
        if (!step_while(&x, -1, 0, origin))
            return scan_failed();
        x += 1;
        s = x - offset;
    }
    *start = s;
    *end = s + 2 * offset;
    return 1;
}

int GetDoubleInterval_GetInterval(int64_t t, int64_t* start, int64_t* end)
{
    if (t <= kWindow || t > INT64_MAX - kWindow)
        return 0;
    return find_interval(t, start, end);
}

namespace {

int find_interval(int64_t t, int64_t* start, int64_t* end)
{
    struct tm l1, l2;
    if (!local_of(t, &l1))
        return -1;
    const bool dst1 = l1.tm_isdst > 0;
    const int64_t t2 = dst1 ? t + kWindow : t - kWindow;
    if (!local_of(t2, &l2))
        return -1;
    const bool dst2 = l2.tm_isdst > 0;
    if (dst1 == dst2)
        return 0;

    int64_t offset;
    if (l1.tm_min == l2.tm_min) {
        // Whole hours: count the hours the clock moved over two real hours.
        int from = dst1 ? l1.tm_hour : l2.tm_hour;
        int to = dst1 ? l2.tm_hour : l1.tm_hour;
        int hours = from > to ? to + 24 - from : to - from;
        offset = kWindow - 3600 * static_cast<int64_t>(hours);
    } else {
        // An offset with minutes: measure it around the switch.
        int64_t s = dst1 ? t : t2;
        const int64_t origin = s;
        if (!step_while(&s, 60, 1, origin))
            return scan_failed();
        s -= 60;
        if (!step_while(&s, 1, 1, origin))
            return scan_failed();
        s -= 1;
        struct tm l3, lu;
        if (!local_of(s, &l3))
            return -1;
        int64_t u = s + 1;
        for (;;) {
            if (!local_of(u, &lu))
                return -1;
            if (same_hour_minute(lu, l3))
                break;
            u += 60;
            if (u - s > kMaxScan)
                return scan_failed();
        }
        u -= 60;
        for (;;) {
            if (!local_of(u, &lu))
                return -1;
            if (same_hour_minute(lu, l3) && lu.tm_sec == l3.tm_sec)
                break;
            u += 1;
            if (u - s > kMaxScan)
                return scan_failed();
        }
        offset = u - s;
    }
    return GetDoubleInterval_FindEdges(t, &l1, offset, start, end);
}

// Cache of ContLocaltime: the last doubled interval found.
int64_t g_cache_start = 0;
int64_t g_cache_end = 0;
struct tm g_static_result;

int64_t shown_time(int64_t t, int64_t start)
{
    if (ContLocaltimeMode() == 1)
        return start + (t - start) / 2;
    return t;
}

} // namespace

struct tm* ThrLocaltime(const int64_t* t, struct tm* out)
{
    int64_t start = 0, end = 0;
    int r = GetDoubleInterval_GetInterval(*t, &start, &end);
    int64_t shown = *t;
    if (r < 0) {
        errno = ERANGE;
        return nullptr;
    }
    if (r == 0)
        (void)ContLocaltimeMode();
    else
        shown = shown_time(*t, start);
    if (!local_of(shown, out)) {
        errno = ERANGE;
        return nullptr;
    }
    return out;
}

struct tm* ContLocaltime(const int64_t* t)
{
    int64_t shown = *t;
    if (g_cache_start <= *t && *t < g_cache_end) {
        shown = shown_time(*t, g_cache_start);
    } else {
        int64_t start = 0, end = 0;
        int r = GetDoubleInterval_GetInterval(*t, &start, &end);
        if (r < 0) {
            errno = ERANGE;
            return nullptr;
        }
        if (r == 1) {
            g_cache_start = start;
            g_cache_end = end;
            shown = shown_time(*t, start);
        } else {
            (void)ContLocaltimeMode();
        }
    }
    if (!local_of(shown, &g_static_result)) {
        errno = ERANGE;
        return nullptr;
    }
    return &g_static_result;
}
