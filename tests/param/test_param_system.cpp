// Facts of the machine: memory and cores (with processor topologies made up
// under a temporary directory) and share paths of this machine turned into
// local directories.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>
#include <string>
#include <vector>

#include "param/param_system.h"
#include "param_test_util.h"
#include "platform/param_sys.h"

namespace {

using paramtest::narrow;
using paramtest::ParamRun;
using paramtest::TempDir;
using paramtest::wide;

// Writes cpuN/topology/{physical_package_id,core_id} for each (package,
// core) pair, plus entries that are no processors.
void make_cpus(const TempDir& dir, const std::vector<std::pair<int, int>>& cpus)
{
    for (const char* other : {"cpufreq", "cpuidle", "cpu1x"})
        mkdir((dir.path() + "/" + other).c_str(), 0755);
    for (size_t i = 0; i < cpus.size(); ++i) {
        const std::string cpu = "cpu" + std::to_string(i);
        mkdir((dir.path() + "/" + cpu).c_str(), 0755);
        mkdir((dir.path() + "/" + cpu + "/topology").c_str(), 0755);
        dir.write(cpu + "/topology/physical_package_id", std::to_string(cpus[i].first) + "\n");
        dir.write(cpu + "/topology/core_id", std::to_string(cpus[i].second) + "\n");
    }
}

std::vector<std::pair<int, int>> machine(int packages, int cores, int threads)
{
    std::vector<std::pair<int, int>> cpus;
    for (int t = 0; t < threads; ++t)
        for (int p = 0; p < packages; ++p)
            for (int c = 0; c < cores; ++c)
                cpus.emplace_back(p, c * 4); // core ids need not be dense
    return cpus;
}

TEST(ParamSystem, CoresFromTheProcessorTopology)
{
    struct Case
    {
        const char* label;
        std::vector<std::pair<int, int>> cpus;
        int logical;
        int cores;
    };
    const Case cases[] = {
        {"2 packages of 8 cores with 2 threads", machine(2, 8, 2), 32, 16},
        {"1 package of 4 cores", machine(1, 4, 1), 4, 4},
        {"1 package of 6 cores with 2 threads", machine(1, 6, 2), 12, 6},
        {"no topology", {}, 3, 3},
    };
    for (const Case& c : cases) {
        TempDir dir;
        make_cpus(dir, c.cpus);
        QorSysCpuTopology sys;
        param::CpuTopology topology;
        topology.known = qor_sys_cpu_topology(dir.path().c_str(), &sys);
        EXPECT_EQ(topology.known, !c.cpus.empty()) << c.label;
        topology.packages = sys.packages;
        topology.core_threads = sys.core_threads;
        EXPECT_EQ(param::core_count(c.logical, topology), c.cores) << c.label;

        ParamRun run;
        run.logical = c.logical;
        run.topology = topology;
        run.make();
        EXPECT_EQ(run.value("CPU_CORES"), std::to_string(c.cores)) << c.label;
    }
    // Cores without packages count their logical processors.
    param::CpuTopology loose;
    loose.known = true;
    loose.core_threads = {2, 2, 1};
    EXPECT_EQ(param::core_count(9, loose), 5);
    QorSysCpuTopology none;
    EXPECT_FALSE(qor_sys_cpu_topology("/nonexistent/qortest", &none));
}

TEST(ParamSystem, MemoryInMegabytes)
{
    const struct
    {
        int64_t bytes;
        const char* megabytes;
    } cases[] = {
        {16LL << 30, "16384"}, {1536LL << 20, "1536"}, {(1LL << 20) - 1, "0"}, {-1, "0"}, // unknown
    };
    for (const auto& c : cases) {
        TempDir dir;
        dir.write("DEFAULT.PFL", "qortest/memory = $(PHYS_MEMSIZE)\n");
        ParamRun run;
        run.memory = c.bytes;
        run.sources.second_args.emplace_back(u"DIR_PROFILE", wide(dir.path()));
        run.make();
        EXPECT_EQ(run.value("PHYS_MEMSIZE"), c.megabytes) << c.bytes;
        EXPECT_EQ(run.value("qortest/memory"), c.megabytes) << c.bytes;
    }
    EXPECT_GT(qor_sys_physical_memory(), 0);
    EXPECT_GE(qor_sys_logical_processors(), 1);
}

// Shares of this machine as the tests see them.
param::Sources share_sources()
{
    param::Sources s;
    s.computer_name = [] { return std::u16string(u"qorhost1"); };
    s.is_local_host = [](const QOR_UC* host) {
        return std::u16string(host) == u"qorhost1.example";
    };
    s.share_path = [](const QOR_UC* share, std::u16string* path) {
        static const std::map<std::u16string, std::u16string> shares = {
            {u"qorloc", u"C:\\qor\\loc\\"},
            {u"qormnt", u"C:\\qor\\mnt"},
            {u"qorbig", std::u16string(250, u'b')},
        };
        auto it = shares.find(share);
        if (it == shares.end())
            return false;
        *path = it->second;
        return true;
    };
    s.registry_share_path = [](const QOR_UC* share, std::u16string* path) {
        if (std::u16string(share) == u"qorreg")
            *path = u"D:\\r";
        else if (std::u16string(share) == u"qorreglong")
            *path = u"D:\\a\\rather\\long\\directory";
        else
            return false;
        return true;
    };
    return s;
}

TEST(ParamSystem, SharePathsOfThisMachineBecomeLocal)
{
    const param::Sources sources = share_sources();
    const struct
    {
        const char* path;
        std::string local;
    } cases[] = {
        {"\\\\.\\qorloc\\", "C:\\qor\\loc\\"},
        {"\\\\QORHOST1\\qorloc\\sub\\dir", "C:\\qor\\loc\\sub\\dir"},
        {"\\\\qorhost1.example\\qormnt\\x", "C:\\qor\\mnt\\x"},
        {"\\\\otherhost\\qorloc\\x", "\\\\otherhost\\qorloc\\x"},
        {"\\\\.\\qorloc", "\\\\.\\qorloc"},
        {"\\\\.\\unknown\\x", "\\\\.\\unknown\\x"},
        {"\\\\\\qorloc\\", "\\\\\\qorloc\\"},
        {"\\\\.\\qorreg\\some\\rest", "D:\\r\\some\\rest"},
        {"\\\\.\\qorreglong\\x", "\\\\.\\qorreglong\\x"},
        {"\\\\.\\qorbig\\0123456789", "\\\\.\\qorbig\\0123456789"},
        {"\\\\.\\qorbig\\", std::string(250, 'b') + "\\"},
        {"//./qorloc/", "//./qorloc/"},
        {"", ""},
    };
    for (const auto& c : cases) {
        QOR_UC path[260];
        const std::u16string in = wide(c.path);
        in.copy(path, in.size());
        path[in.size()] = 0;
        param::localize_unc_path(path, 260, sources);
        EXPECT_EQ(narrow(path), c.local) << c.path;
    }
    EXPECT_EQ(narrow(param::join_path(u"", u"\\x").c_str()), "\\x");
    EXPECT_EQ(narrow(param::join_path(u"C:/a/", u"\\x").c_str()), "C:/a\\x");
    EXPECT_EQ(narrow(param::join_path(u"C:\\a", u"\\x").c_str()), "C:\\a\\x");
}

TEST(ParamSystem, HostPathsOfAnInstanceOnThisMachine)
{
    struct Case
    {
        const char* msid; // QORPARAMMSID, null unset
        std::vector<std::pair<const char*, const char*>> values;
    };
    const Case cases[] = {
        {nullptr,
         {{"LOCALHOSTPATH", "C:\\qor\\loc\\"},
          {"LOCALHOSTSIDPATH", "C:\\qor\\loc\\"},
          {"GLOBALHOSTPATH", "C:\\qor\\mnt\\"},
          {"DIR_INSTALL", "C:\\qor\\mnt\\QOR\\SYS"},
          {"DIR_INSTANCE", "C:\\qor\\loc\\QOR\\D00"}}},
        {"1",
         {{"LOCALHOSTPATH", "C:\\qor\\loc\\"},
          {"LOCALHOSTSIDPATH", "\\\\qorhost1\\qorlocQOR_00\\"},
          {"GLOBALHOSTPATH", "\\\\QORHOST1\\qormntQOR\\"}}},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string profile = dir.write("profile", "QORLOCALHOST = qorhost1\n"
                                                         "QORGLOBALHOST = QORHOST1\n"
                                                         "QORSYSTEMNAME = QOR\n");
        ParamRun run;
        run.sources = share_sources();
        run.sources.second_args.emplace_back(u"QORPROFILE", wide(profile));
        if (c.msid != nullptr)
            run.env["QORPARAMMSID"] = c.msid;
        run.make();
        for (const auto& [name, value] : c.values)
            EXPECT_EQ(run.value(name), value) << name << (c.msid ? " with QORPARAMMSID" : "");
    }
}

} // namespace
