#include "platform/base_timer.h"

#include <sched.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <ctime>

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#endif

namespace {

constexpr int kMaskBits = 64;

uint64_t mask_of(const cpu_set_t& set)
{
    uint64_t mask = 0;
    for (int cpu = 0; cpu < kMaskBits; ++cpu)
        if (CPU_ISSET(cpu, &set))
            mask |= uint64_t{1} << cpu;
    return mask;
}

uint64_t system_read_tsc(void)
{
#if defined(__x86_64__) || defined(__i386__)
    return __rdtsc();
#else
    return 0;
#endif
}

bool system_read_monotonic(int64_t* ticks)
{
    timespec now{};
    if (clock_gettime(CLOCK_MONOTONIC, &now) != 0)
        return false;
    *ticks = static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
    return true;
}

int64_t system_monotonic_frequency(void)
{
    timespec resolution{};
    return clock_getres(CLOCK_MONOTONIC, &resolution) == 0 ? 1000000000 : 0;
}

bool system_get_affinity(uint64_t* mask)
{
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) != 0)
        return false;
    *mask = mask_of(set);
    return true;
}

bool system_set_affinity(uint64_t mask, uint64_t* replaced)
{
    uint64_t before = 0;
    if (!system_get_affinity(&before))
        return false;
    cpu_set_t set;
    CPU_ZERO(&set);
    for (int cpu = 0; cpu < kMaskBits; ++cpu)
        if ((mask >> cpu) & 1u)
            CPU_SET(cpu, &set);
    if (sched_setaffinity(0, sizeof set, &set) != 0)
        return false;
    if (replaced != nullptr)
        *replaced = before;
    return true;
}

uint64_t system_online_processors(void)
{
    // "0-3,6" and the like; without it, the first processors by count.
    uint64_t mask = 0;
    if (FILE* f = std::fopen("/sys/devices/system/cpu/online", "r")) {
        int first = 0;
        while (std::fscanf(f, "%d", &first) == 1) {
            int last = first;
            int c = std::fgetc(f);
            if (c == '-') {
                if (std::fscanf(f, "%d", &last) != 1)
                    break;
                c = std::fgetc(f);
            }
            for (int cpu = first; cpu <= last && cpu < kMaskBits; ++cpu)
                if (cpu >= 0)
                    mask |= uint64_t{1} << cpu;
            if (c != ',')
                break;
        }
        std::fclose(f);
    }
    if (mask == 0) {
        const long count = sysconf(_SC_NPROCESSORS_ONLN);
        for (long cpu = 0; cpu < count && cpu < kMaskBits; ++cpu)
            mask |= uint64_t{1} << cpu;
    }
    return mask;
}

constexpr BaseTimerPlatform kSystem = {
    system_read_tsc,     system_read_monotonic, system_monotonic_frequency,
    system_get_affinity, system_set_affinity,   system_online_processors};
std::atomic<const BaseTimerPlatform*> g_platform{&kSystem};

} // namespace

uint64_t base_read_tsc(void)
{
    return g_platform.load()->read_tsc();
}

bool base_read_monotonic(int64_t* ticks)
{
    return g_platform.load()->read_monotonic(ticks);
}

int64_t base_monotonic_frequency(void)
{
    return g_platform.load()->monotonic_frequency();
}

bool base_get_affinity(uint64_t* mask)
{
    return g_platform.load()->get_affinity(mask);
}

bool base_set_affinity(uint64_t mask, uint64_t* replaced)
{
    return g_platform.load()->set_affinity(mask, replaced);
}

uint64_t base_online_processors(void)
{
    return g_platform.load()->online_processors();
}

void base_timer_set_platform(const BaseTimerPlatform* platform)
{
    g_platform.store(platform != nullptr ? platform : &kSystem);
}
