// Machine facts for the profile parameters on Linux.

#include "platform/param_sys.h"

#include <dirent.h>
#include <sys/sysinfo.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <utility>

namespace {

// The decimal number in a sysfs file, or -1.
long read_id(const std::string& path)
{
    FILE* f = std::fopen(path.c_str(), "r");
    if (f == nullptr)
        return -1;
    long id = -1;
    if (std::fscanf(f, "%ld", &id) != 1)
        id = -1;
    std::fclose(f);
    return id;
}

bool is_cpu_entry(const char* name)
{
    if (name[0] != 'c' || name[1] != 'p' || name[2] != 'u' || name[3] == '\0')
        return false;
    for (const char* p = name + 3; *p != '\0'; ++p)
        if (*p < '0' || *p > '9')
            return false;
    return true;
}

} // namespace

int64_t qor_sys_physical_memory(void)
{
    struct sysinfo info;
    if (sysinfo(&info) != 0)
        return -1;
    return static_cast<int64_t>(info.totalram) * static_cast<int64_t>(info.mem_unit);
}

int qor_sys_logical_processors(void)
{
    const long n = sysconf(_SC_NPROCESSORS_CONF);
    return n > 0 ? static_cast<int>(n) : 1;
}

bool qor_sys_cpu_topology(const char* cpu_dir, QorSysCpuTopology* topology)
{
    DIR* dir = cpu_dir != nullptr ? opendir(cpu_dir) : nullptr;
    if (dir == nullptr || topology == nullptr) {
        if (dir != nullptr)
            closedir(dir);
        return false;
    }
    std::map<std::pair<long, long>, int> cores;
    std::set<long> packages;
    while (const dirent* entry = readdir(dir)) {
        if (!is_cpu_entry(entry->d_name))
            continue;
        const std::string base = std::string(cpu_dir) + "/" + entry->d_name + "/topology/";
        const long package = read_id(base + "physical_package_id");
        const long core = read_id(base + "core_id");
        if (package < 0 || core < 0)
            continue;
        ++cores[{package, core}];
        packages.insert(package);
    }
    closedir(dir);
    if (cores.empty())
        return false;
    topology->packages = static_cast<int>(packages.size());
    topology->core_threads.clear();
    for (const auto& core : cores)
        topology->core_threads.push_back(core.second);
    return true;
}
