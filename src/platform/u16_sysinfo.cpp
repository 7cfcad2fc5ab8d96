#include "platform/u16_sysinfo.h"

#include <sched.h>
#include <unistd.h>

void u16_get_system_info(U16SystemInfo* info)
{
    if (info == nullptr)
        return;
    const long page = sysconf(_SC_PAGESIZE);
    const long online = sysconf(_SC_NPROCESSORS_ONLN);
    info->page_size = page > 0 ? static_cast<uint32_t>(page) : 4096u;
    // Nothing is mapped in the first page; x86-64 user space ends one page
    // below 2^47.
    info->minimum_application_address = reinterpret_cast<void*>(uintptr_t{info->page_size});
    info->maximum_application_address =
        reinterpret_cast<void*>((uintptr_t{1} << 47) - info->page_size - 1);
    info->number_of_processors = online > 0 ? static_cast<uint32_t>(online) : 1u;
    info->allocation_granularity = info->page_size;
    info->active_processor_mask = 0;
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0) {
        for (int cpu = 0; cpu < 64; ++cpu)
            if (CPU_ISSET(cpu, &set))
                info->active_processor_mask |= uint64_t{1} << cpu;
    }
}
