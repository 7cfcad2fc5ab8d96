// Continuous local time with POSIX TZ strings (no zone database needed).

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <string>

#include "base/contlocaltime.h"

namespace {

class ContTime : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        const char* old = getenv("TZ");
        had_tz_ = old != nullptr;
        if (had_tz_)
            old_tz_ = old;
    }
    void TearDown() override
    {
        if (had_tz_)
            setenv("TZ", old_tz_.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    static void zone(const char* tz)
    {
        setenv("TZ", tz, 1);
        tzset();
    }

  private:
    bool had_tz_ = false;
    std::string old_tz_;
};

int64_t utc(int year, int mon, int day, int hour, int min, int sec)
{
    struct tm t = {};
    t.tm_year = year - 1900;
    t.tm_mon = mon - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = min;
    t.tm_sec = sec;
    return static_cast<int64_t>(timegm(&t));
}

struct Clock
{
    int hour, min, sec, isdst;
};

Clock shown(int64_t t)
{
    struct tm out;
    EXPECT_NE(ThrLocaltime(&t, &out), nullptr);
    return {out.tm_hour, out.tm_min, out.tm_sec, out.tm_isdst > 0 ? 1 : 0};
}

Clock plain(int64_t t)
{
    time_t tt = static_cast<time_t>(t);
    struct tm out;
    localtime_r(&tt, &out);
    return {out.tm_hour, out.tm_min, out.tm_sec, out.tm_isdst > 0 ? 1 : 0};
}

std::string str(const Clock& c)
{
    char buf[32];
    snprintf(buf, sizeof buf, "%02d:%02d:%02d%s", c.hour, c.min, c.sec, c.isdst ? " dst" : "");
    return buf;
}

struct Zone
{
    const char* name;
    const char* tz;
    int64_t switch_utc; // end of daylight-saving time
    int64_t offset;     // seconds the clock is set back
};

const Zone kZones[] = {
    {"one hour", "CET-1CEST,M3.5.0,M10.5.0/3", utc(2026, 10, 25, 1, 0, 0), 3600},
    {"half-hour zone", "ACST-9:30ACDT,M10.1.0,M4.1.0/3", utc(2026, 4, 4, 16, 30, 0), 3600},
    {"half-hour offset", "LHST-10:30LHDT-11,M10.1.0,M4.1.0", utc(2026, 4, 4, 15, 0, 0), 1800},
};

TEST_F(ContTime, DoubledIntervalRunsAtHalfSpeed)
{
    for (const Zone& z : kZones) {
        SCOPED_TRACE(z.name);
        zone(z.tz);
        const int64_t s = z.switch_utc, d = z.offset;
        int64_t start = 0, end = 0;
        ASSERT_EQ(GetDoubleInterval_GetInterval(s, &start, &end), 1);
        EXPECT_EQ(start, s - d);
        EXPECT_EQ(end, s + d);

        struct Case
        {
            int64_t t;
            int64_t shows; // the real time whose plain local time is shown
        } cases[] = {
            {s - d - 1, s - d - 1}, // before: plain
            {s - d, s - d},         // interval start
            {s, s - d / 2},         // the switch itself: halfway
            {s + d - 1, s - 1},     // last second: just before the switch
            {s + d, s + d},         // after: plain standard time
            {s + d + 100, s + d + 100},
        };
        for (const Case& c : cases)
            EXPECT_EQ(str(shown(c.t)), str(plain(c.shows))) << "t = switch + " << (c.t - s);
    }
}

TEST_F(ContTime, NeverRunsBackwardsAcrossTheSwitch)
{
    for (const Zone& z : kZones) {
        SCOPED_TRACE(z.name);
        zone(z.tz);
        int last = -1;
        for (int64_t t = z.switch_utc - 2 * z.offset - 300; t < z.switch_utc + 2 * z.offset + 300;
             t += 7) {
            Clock c = shown(t);
            int seconds = c.hour * 3600 + c.min * 60 + c.sec;
            ASSERT_GE(seconds, last) << "at switch + " << (t - z.switch_utc);
            last = seconds;
        }
    }
}

TEST_F(ContTime, PlainTimeAwayFromTheSwitch)
{
    zone("CET-1CEST,M3.5.0,M10.5.0/3");
    const int64_t spring = utc(2026, 3, 29, 1, 0, 0);
    const int64_t times[] = {
        utc(2026, 7, 1, 12, 0, 0),
        utc(2026, 10, 24, 1, 0, 0),
        utc(2026, 10, 25, 1, 0, 0) + 7200,
        spring - 1,
        spring,
        spring + 1800,
        spring + 3600,
        7200,
        1,
        0,
    };
    for (int64_t t : times) {
        int64_t start = 0, end = 0;
        EXPECT_EQ(GetDoubleInterval_GetInterval(t, &start, &end), 0) << t;
        EXPECT_EQ(str(shown(t)), str(plain(t))) << t;
    }
}

TEST_F(ContTime, SpringSwitchIsNoDoubledInterval)
{
    zone("CET-1CEST,M3.5.0,M10.5.0/3");
    const int64_t spring = utc(2026, 3, 29, 1, 0, 0);
    for (int64_t t : {spring, spring + 60, spring + 1800}) {
        time_t tt = static_cast<time_t>(t);
        struct tm local;
        localtime_r(&tt, &local);
        int64_t start = 0, end = 0;
        EXPECT_EQ(GetDoubleInterval_FindEdges(t, &local, 3600, &start, &end), 0) << t;
    }
}

TEST_F(ContTime, SwitchesThatDoubleNothingGivePlainTime)
{
    struct Case
    {
        const char* name;
        const char* tz;
    } cases[] = {
        {"zero offset", "AAA0BBB0,M3.5.0,M10.5.0/3"},
        {"negative offset", "AAA-1BBB0,M3.5.0,M10.5.0/3"},
    };
    const int64_t autumn = utc(2026, 10, 25, 1, 0, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        zone(c.tz);
        for (int64_t t = autumn - 8000; t < autumn + 8000; t += 450) {
            int64_t start = 0, end = 0;
            EXPECT_EQ(GetDoubleInterval_GetInterval(t, &start, &end), 0) << t;
            EXPECT_EQ(str(shown(t)), str(plain(t))) << t;
        }
    }
    // FindEdges itself refuses offsets that double nothing.
    struct tm local = {};
    int64_t start = 0, end = 0;
    EXPECT_EQ(GetDoubleInterval_FindEdges(autumn, &local, 0, &start, &end), 0);
    EXPECT_EQ(GetDoubleInterval_FindEdges(autumn, &local, -3600, &start, &end), 0);
}

TEST_F(ContTime, ContLocaltimeUsesItsCacheAndAgreesWithThrLocaltime)
{
    zone("CET-1CEST,M3.5.0,M10.5.0/3");
    const int64_t s = utc(2026, 10, 25, 1, 0, 0);
    for (int64_t t :
         {s - 3600, s - 10, s, s + 1234, s + 3599, s + 3600, s - 3601, utc(2026, 8, 1, 0, 0, 0)}) {
        struct tm* r = ContLocaltime(&t);
        ASSERT_NE(r, nullptr);
        Clock expected = shown(t);
        EXPECT_EQ(str({r->tm_hour, r->tm_min, r->tm_sec, r->tm_isdst > 0 ? 1 : 0}), str(expected))
            << t - s;
    }
    EXPECT_EQ(ContLocaltimeMode(), 1);
    EXPECT_EQ(ContIIsDst(s - 1), 1);
    EXPECT_EQ(ContIIsDst(s), 0);
}

TEST_F(ContTime, ConversionFailureGivesErange)
{
    zone("CET-1CEST,M3.5.0,M10.5.0/3");
    const int64_t t = INT64_MAX;
    struct tm out;
    errno = 0;
    EXPECT_EQ(ThrLocaltime(&t, &out), nullptr);
    EXPECT_EQ(errno, ERANGE);
    errno = 0;
    EXPECT_EQ(ContLocaltime(&t), nullptr);
    EXPECT_EQ(errno, ERANGE);
}

} // namespace
