// The built-in table as data: its counts, its families and lists, and the
// value checks that some rows name.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "param/param_checks.h"
#include "param/param_table.h"
#include "param_test_util.h"

namespace {

using paramtest::narrow;

template <typename Key> std::map<Key, int> count_rows(Key (*key)(const QorParamDesc&))
{
    std::map<Key, int> counts;
    for (size_t i = 0; i < qorparam_builtin_rows; ++i)
        ++counts[key(qorparam_builtin_table[i])];
    return counts;
}

TEST(ParamTable, CountsOfTheBuiltInRows)
{
    ASSERT_EQ(qorparam_builtin_rows, 1814u);
    EXPECT_EQ(qorparam_builtin_table[qorparam_builtin_rows].name, nullptr) << "end row";

    const std::map<unsigned, int> types = {
        {200, 1038}, {203, 336}, {201, 238}, {206, 161}, {205, 41}};
    EXPECT_EQ(count_rows<unsigned>([](const QorParamDesc& d) { return d.type; }), types);
    const std::map<unsigned, int> units = {{100, 1637}, {106, 69}, {101, 34}, {102, 22}, {103, 19},
                                           {105, 15},   {110, 11}, {109, 5},  {107, 1},  {108, 1}};
    EXPECT_EQ(count_rows<unsigned>([](const QorParamDesc& d) { return d.unit; }), units);
    const std::map<std::string, int> areas = {
        {"System", 327},   {"Dispatcher", 169}, {"Database", 168}, {"Vorn", 156},     {"XCM", 106},
        {"VMC", 105},      {"J2eeEngine", 88},  {"Gateway", 71},   {"Enqueue", 71},   {"Spool", 55},
        {"ExtMemory", 54}, {"WebDisp", 54},     {"Login", 48},     {"MsgServer", 47}, {"Perf", 40},
        {"Gui", 26},       {"Startup", 22},     {"Update", 22},    {"Graphic", 21},   {"IPC", 21},
        {"Install", 20},   {"SNC", 19},         {"Systrace", 16},  {"Alert", 14},     {"Trans", 8},
        {"Syslog", 8},     {"Scsa", 8},         {"SSL", 8},        {"Auth", 8},       {"Batch", 6},
        {"TemSe", 6},      {"Dynp", 6},         {"BatchInput", 5}, {"ICT", 5},        {"VSI", 4},
        {"RFC", 1},        {"DBOSC", 1}};
    EXPECT_EQ(count_rows<std::string>([](const QorParamDesc& d) { return narrow(d.area); }), areas);
    const std::map<bool, int> ranges = {{true, 394}, {false, 1420}};
    EXPECT_EQ(count_rows<bool>([](const QorParamDesc& d) { return d.range != nullptr; }), ranges);
    const std::map<bool, int> defaults = {{true, 1793}, {false, 21}};
    EXPECT_EQ(count_rows<bool>([](const QorParamDesc& d) { return d.default_value != nullptr; }),
              defaults);
    const std::map<bool, int> families = {{true, 21}, {false, 1793}};
    EXPECT_EQ(count_rows<bool>([](const QorParamDesc& d) { return d.family != 0; }), families);
    const std::map<bool, int> sublists = {{true, 15}, {false, 1799}};
    EXPECT_EQ(count_rows<bool>([](const QorParamDesc& d) { return d.subparams != nullptr; }),
              sublists);
    // Formulas are the defaults that begin with "(".
    std::set<std::string> formulas;
    for (size_t i = 0; i < qorparam_builtin_rows; ++i) {
        const QorParamDesc& d = qorparam_builtin_table[i];
        if (d.default_value != nullptr && d.default_value[0] == u'(')
            formulas.insert(narrow(d.name));
    }
    EXPECT_EQ(formulas, (std::set<std::string>{"em/initial_size_MB", "rsts/ccc/cache07"}));
    const std::map<std::string, int> checks = {{"", 1785}, {"size", 2}, {"time", 27}};
    EXPECT_EQ(count_rows<std::string>([](const QorParamDesc& d) -> std::string {
                  return d.check == qorparam_check_time   ? "time"
                         : d.check == qorparam_check_size ? "size"
                         : d.check == nullptr             ? ""
                                                          : "other";
              }),
              checks);
}

TEST(ParamTable, RowsAreConsistent)
{
    std::set<std::string> names;
    int with_values = 0, value_entries = 0;
    for (size_t i = 0; i < qorparam_builtin_rows; ++i) {
        const QorParamDesc& d = qorparam_builtin_table[i];
        const std::string name = narrow(d.name);
        EXPECT_TRUE(names.insert(name).second) << name << " twice";
        // Only families lack a default; only they carry value lists.
        EXPECT_EQ(d.default_value == nullptr, d.family != 0) << name;
        EXPECT_TRUE(d.values == nullptr || d.family) << name;
        if (d.values != nullptr) {
            ++with_values;
            for (const QOR_UC* const* v = d.values; *v != nullptr; ++v)
                ++value_entries;
        }
        if (d.type == 203 || d.type == 205) {
            EXPECT_NE(d.range, nullptr) << name;
        }
        if (d.check == qorparam_check_time) {
            EXPECT_EQ(name.rfind("rdisp/", 0), 0u) << name;
        }
        // Keys naming a file, directory, prefix or credential carry the flag.
        for (const QorParamSubDesc* s = d.subparams; s != nullptr && s->key != nullptr; ++s) {
            const std::string key = narrow(s->key);
            const bool flagged = key == "PREFIX" || key == "DOCROOT" || key == "LOGFILE" ||
                                 key == "CACHEDIR" || key == "CRED" || key == "SID" ||
                                 key == "CREATE";
            EXPECT_EQ(s->flag, flagged ? 1u : 0u) << name << " " << key;
        }
    }
    EXPECT_EQ(with_values, 7);
    EXPECT_EQ(value_entries, 15);
}

// A row of the table by name.
const QorParamDesc* row(const char* name)
{
    for (size_t i = 0; i < qorparam_builtin_rows; ++i)
        if (narrow(qorparam_builtin_table[i].name) == name)
            return &qorparam_builtin_table[i];
    return nullptr;
}

TEST(ParamTable, RowsTheProgramReads)
{
    struct Case
    {
        const char* name;
        const char* def;
        unsigned type;
        const char* range;
        unsigned unit;
    };
    const Case cases[] = {
        {"QORSYSTEM", "$$", 203, "-2147483648 98", 100},
        {"PHYS_MEMSIZE", "", 203, "16 512000", 103},
        {"ssl/ssl_lib", "$(QORCRYPTOLIB)", 200, nullptr, 100},
        {"ssl/client_cache_lifetime", "3600", 203, "10 14400", 106},
        {"ssl/pse_provider", "$(ssl/pse_provider[$(system/type)])", 200, nullptr, 100},
        {"rsau/max_diskspace/per_day", "0", 200, "[0-9]+[KMkm]?", 103},
        {"rsts/ccc/cache07", "($(rsts/ccc/cachesize) * 0.1)", 203, "1000 2147483647", 101},
        {"rdisp/wp_restart_interval", "5 m", 200, nullptr, 106},
        {"DIR_EXECUTABLE", "$(DIR_INSTANCE)\\exe", 200, nullptr, 100},
    };
    for (const Case& c : cases) {
        const QorParamDesc* d = row(c.name);
        ASSERT_NE(d, nullptr) << c.name;
        EXPECT_EQ(narrow(d->default_value), c.def) << c.name;
        EXPECT_EQ(d->type, c.type) << c.name;
        EXPECT_EQ(d->range == nullptr ? "<none>" : narrow(d->range),
                  c.range == nullptr ? "<none>" : c.range)
            << c.name;
        EXPECT_EQ(d->unit, c.unit) << c.name;
    }
    const QorParamDesc* ms = row("ms/server_port");
    ASSERT_NE(ms, nullptr);
    ASSERT_NE(ms->subparams, nullptr);
    EXPECT_EQ(narrow(ms->subparams[4].key), "TIMEOUT");
    EXPECT_EQ(ms->subparams[4].unit, 106u);
    EXPECT_EQ(narrow(ms->subparams[4].range), "1 9999999");
}

TEST(ParamTable, ChecksOfTimeAndSizeValues)
{
    QorParamDesc time_row = *row("rdisp/max_sleep");
    QorParamDesc ranged = time_row;
    ranged.range = u"0 3600";
    QorParamDesc broken = time_row;
    broken.range = u"zero 10";
    QorParamDesc one_day = time_row; // exactly 86400 seconds
    one_day.range = u"86400 86400";
    const QorParamDesc* per_file = row("rsau/max_diskspace/per_file");
    const QorParamDesc* per_day = row("rsau/max_diskspace/per_day");
    struct Case
    {
        const QorParamDesc* desc;
        const QOR_UC* value;
        const char* message; // "" valid
    };
    const Case cases[] = {
        {&time_row, u"600", ""},
        {&time_row, u"1 D", ""},
        {&time_row, u"5\tm", ""},
        {&time_row, u"1H", ""},
        {&time_row, u"5min", "Invalid time unit"},
        {&time_row, u"10 x", "Invalid time unit"},
        {&time_row, u"m", "Invalid time value"},
        {&time_row, u"9223372036854775807 D", "Invalid time value"},
        {&ranged, u"60 M", ""},
        {&ranged, u"61 M", "Parameter value out of range (0...3600)"},
        {&ranged, u"-1", "Parameter value out of range (0...3600)"},
        {&broken, u"1", "Internal error, invalid parameter range defined in parameter meta data"},
        {&one_day, u"1 d", ""},
        {&one_day, u"24H", ""},
        {&one_day, u"1440 m", ""},
        {&one_day, u"2 D", "Parameter value out of range (86400...86400)"},
        {&one_day, u"86399", "Parameter value out of range (86400...86400)"},
        {per_file, u"10K", ""},
        {per_file, u"2047M", ""},
        {per_file, u"2048M", "Parameter value out of range (0...2147483647)"},
        {per_file, u"10 K", "Invalid size unit"},
        {per_file, u"10KB", "Invalid size unit"},
        {per_file, u"K", "Invalid size value"},
        {per_day, u"8796093022207M", ""},
        {per_day, u"8796093022208M", "Invalid size value"},
        {per_day, u"-1", "Parameter value out of range (0...9223372036854775807)"},
    };
    for (const Case& c : cases) {
        std::u16string message;
        const bool ok = c.desc->check(c.desc, c.value, &message);
        EXPECT_EQ(ok, c.message[0] == 0) << narrow(c.value);
        EXPECT_EQ(narrow(message.c_str()), c.message) << narrow(c.value);
    }
}

} // namespace
