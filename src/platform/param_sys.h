#ifndef QOR_PLATFORM_PARAM_SYS_H
#define QOR_PLATFORM_PARAM_SYS_H

/* Machine facts for the profile parameters on Linux: physical memory, the
 * number of logical processors and how they group into cores and packages
 * (the CPU topology under sysfs). */

#include <cstdint>
#include <vector>

/* Where the kernel describes the processors. */
#define QOR_SYS_CPU_DIR "/sys/devices/system/cpu"

/* Total physical memory in bytes, -1 when unknown. */
int64_t qor_sys_physical_memory(void);
/* Logical processors the system has configured (at least 1). */
int qor_sys_logical_processors(void);

struct QorSysCpuTopology
{
    int packages = 0;
    /* One entry per core: the logical processors it runs. */
    std::vector<int> core_threads;
};
/* Reads cpu_dir/cpuN/topology/physical_package_id and core_id of every
 * processor there; a core is one pair of package and core id. False when no
 * processor carries them. */
bool qor_sys_cpu_topology(const char* cpu_dir, QorSysCpuTopology* topology);

#endif
