// DEFAULT.PFL and the instance profile: what their lines set, how
// references among the values resolve and what the library reports.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "param_test_util.h"

namespace {

using paramtest::ParamRun;
using paramtest::TempDir;
using paramtest::wide;

struct Expected
{
    const char* name;
    std::string value;
};

// A library whose DIR_PROFILE is the directory (through the second argument
// list) holding a DEFAULT.PFL with the content.
param::Library& with_default_profile(ParamRun& setup, const TempDir& dir,
                                     const std::string& content)
{
    dir.write("DEFAULT.PFL", content);
    setup.sources.second_args.emplace_back(u"DIR_PROFILE", wide(dir.path()));
    return setup.make();
}

// The texts of some levels of a record, joined with "|"; "<none>" when the
// library has no such record.
std::string levels(param::Library& lib, const QOR_UC* name,
                   std::initializer_list<param::Level> which)
{
    const param::Record* r = lib.find(name);
    if (r == nullptr)
        return "<none>";
    std::string joined;
    for (param::Level level : which)
        joined += (joined.empty() ? "" : "|") + paramtest::narrow(r->v[level]);
    return joined;
}

size_t count(const std::string& text, const std::string& part)
{
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

TEST(ParamProfiles, DefaultProfileLinesSetValues)
{
    TempDir dir;
    ParamRun setup;
    setup.memory = 16LL << 30;
    setup.logical = 8;
    const std::string long_value(5000, 'v');
    with_default_profile(setup, dir,
                         "# PHYS_MEMSIZE = 1\n"
                         "PHYS_MEMSIZE = 50%\r\n"
                         "CPU_CORES=25 %\n"
                         "qortest/percent = 50%\n"
                         "qortest/empty=\n"
                         "qortest/blanks =  \t b c \t \n"
                         "  qortest/first second = third\n"
                         "ssl/client_cache_size = 700\n"
                         "qortest/ref = $(ssl/client_cache_size)x$$\n"
                         "qortest/env = %(QORTEST_VAR)-%(QORTEST_UNSET)-\n"
                         "no equals sign here\n"
                         " = no name\n"
                         "qortest/long = " +
                             long_value +
                             "\n"
                             "qortest/last=without newline");
    setup.env["QORTEST_VAR"] = "from env";
    const Expected cases[] = {
        {"PHYS_MEMSIZE", "8192"},
        {"CPU_CORES", "2"},
        {"qortest/percent", "50%"},
        {"qortest/empty", ""},
        {"qortest/blanks", "b c"},
        {"qortest/first", "third"},
        {"ssl/client_cache_size", "700"},
        {"qortest/ref", "700x00"},
        {"qortest/env", "from env--"},
        {"qortest/long", std::string(4095 - 15, 'v')},
        {"qortest/last", "without newline"},
        // The built-in formula follows the memory that DEFAULT.PFL set.
        {"em/initial_size_MB", "5734"},
        {"__QORPROFILE_n_DEFAULT", "00011"},
        {"__QORPROFILE_DEFAULT", dir.path() + "/DEFAULT.PFL"},
    };
    for (const Expected& c : cases)
        EXPECT_EQ(setup.value(c.name), c.value) << c.name;
    EXPECT_EQ(setup.value("no"), "<null>");
    EXPECT_EQ(setup.value("#"), "<null>");
}

TEST(ParamProfiles, AddedRecordsShowWhereTheyCameFrom)
{
    // New names in falling order among known ones; one new name twice.
    std::string content = "qortest/new = 1\nssl/client_cache_size = 2\n";
    for (int i = 99; i >= 0; --i)
        content += "qortest/n" + std::to_string(i) + " = v" + std::to_string(i) + "\n";
    content += "qortest/new = 3\n";
    TempDir dir;
    ParamRun setup;
    param::Library& lib = with_default_profile(setup, dir, content);
    using param::L11, param::L13, param::L21, param::Current;
    EXPECT_EQ(levels(lib, u"qortest/new", {L11, L13, L21, Current}),
              "[not_in_qorparam.c]|[not_in_qorparam.c]|3|3");
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(setup.value(("qortest/n" + std::to_string(i)).c_str()), "v" + std::to_string(i));
    const auto& records = lib.records();
    EXPECT_TRUE(std::is_sorted(records.begin(), records.end(),
                               [](const param::Record& a, const param::Record& b) {
                                   return std::u16string_view(a.name) < std::u16string_view(b.name);
                               }));
    EXPECT_EQ(setup.value("__QORPROFILE_n_DEFAULT"), "00103");
    EXPECT_EQ(setup.messages().find("Duplicate"), std::string::npos) << setup.messages();
    EXPECT_EQ(levels(lib, u"ssl/client_cache_size", {L11, L21, Current}), "500|2|2");
}

// References among DEFAULT.PFL values and the messages they cause.
TEST(ParamProfiles, ReferenceChainsAndTheirMessages)
{
    std::string many;
    for (int i = 0; i < 21; ++i)
        many += "$(INSTANCE_SRVTYPE)";
    struct Case
    {
        std::string line;
        const char* name;
        std::string value;
        std::string message; // expected among the messages ("" none)
    };
    const Case cases[] = {
        {"qortest/a = <$(qortest/b)>", "qortest/a", "<<<VORN>>>", ""},
        {"qortest/b = <$(qortest/c)>", "qortest/b", "<<VORN>>", ""},
        {"qortest/c = <$(system/type)>", "qortest/c", "<VORN>", ""},
        {"qortest/inner = $(ssl/pse_provider[$(qortest/kind)])", "qortest/inner", "JAVA", ""},
        {"qortest/kind = J2EE", "qortest/kind", "J2EE", ""},
        {"qortest/self = x$(qortest/self)", "qortest/self", "x$(qortest/self)",
         "qorparam(13): qortest/self = x$(qortest/self) recursive.\n"},
        {"qortest/missing = a$(qortest/nothing)b", "qortest/missing", "a$(qortest/nothing)b",
         "qorparam(14): qortest/nothing (ref.by qortest/missing) missing.\n"},
        {"qortest/open = $(abc", "qortest/open", "$(abc",
         "qorparam(15): qortest/open: ')' missing.\n"},
        {"qortest/envopen = %(abc", "qortest/envopen", "%(abc",
         "qorparam(15): qortest/envopen: ')' missing.\n"},
        {"qortest/many = " + many, "qortest/many", "$(INSTANCE_SRVTYPE)" + std::string(20, 'D'),
         "qorparam(12): qortest/many = $(INSTANCE_SRVTYPE)" + std::string(20, 'D') +
             " recursive.\n"},
        {"qortest/longref = $(" + std::string(5000, 'r') + ")", "qortest/longref",
         "$(" + std::string(4095 - 20, 'r'), "qorparam(15): qortest/longref: ')' missing.\n"},
    };
    std::string content;
    for (const Case& c : cases)
        content += c.line + "\n";
    TempDir dir;
    ParamRun setup;
    with_default_profile(setup, dir, content);
    for (const Case& c : cases)
        EXPECT_EQ(setup.value(c.name), c.value) << c.name;
    const std::string messages = setup.messages();
    for (const Case& c : cases) {
        if (!c.message.empty()) {
            EXPECT_NE(messages.find(c.message), std::string::npos) << c.name << "\n" << messages;
        }
    }
    for (const char* quiet : {"qortest/a ", "qortest/inner", "qortest/kind"})
        EXPECT_EQ(messages.find(quiet), std::string::npos) << quiet;
}

TEST(ParamProfiles, RecursionBetweenTwoValuesEnds)
{
    TempDir dir;
    ParamRun setup;
    with_default_profile(setup, dir,
                         "qortest/ping = $(qortest/pong)\nqortest/pong = $(qortest/ping)\n");
    EXPECT_EQ(setup.value("qortest/ping").rfind("$(qortest/p", 0), 0u);
    const std::string messages = setup.messages();
    EXPECT_GT(count(messages, "qorparam(12): "), 0u);
    EXPECT_LT(count(messages, "qorparam(12): "), 200u) << "each record ends its walk soon";
}

TEST(ParamProfiles, DirProfileInDefaultProfileIsReported)
{
    TempDir dir;
    ParamRun setup;
    with_default_profile(setup, dir, "DIR_PROFILE = /elsewhere\n");
    EXPECT_EQ(setup.value("INSTANCE_NAME"), "D00");
    EXPECT_NE(setup.messages().find("qorparam: \"DIR_PROFILE\": must not be in \"" + dir.path() +
                                    "/DEFAULT.PFL\"\n"),
              std::string::npos)
        << setup.messages();
}

// DEFAULT.PFL is read from an absolute directory only: neither the built-in
// share path nor a relative directory names a file of the working directory.
TEST(ParamProfiles, OnlyAnAbsoluteProfileDirectoryIsRead)
{
    TempDir work;
    const std::string share = "\\\\\\qormnt\\\\SYS\\profile"; // as the default resolves
    for (const std::string& sub : {share, std::string("profiles")}) {
        ASSERT_EQ(mkdir((work.path() + "/" + sub).c_str(), 0700), 0) << sub;
        work.write(sub + "/DEFAULT.PFL", "qortest/planted = " + sub + "\n");
    }
    struct Case
    {
        std::string dir; // "" the built-in one
        std::string planted;
    };
    const Case cases[] = {
        {"", "<null>"},
        {"profiles", "<null>"},
        {"./profiles", "<null>"},
        {work.path() + "/profiles", "profiles"},
    };
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(chdir(work.path().c_str()), 0);
    for (const Case& c : cases) {
        ParamRun setup;
        if (!c.dir.empty())
            setup.sources.second_args.emplace_back(u"DIR_PROFILE", wide(c.dir));
        setup.make();
        EXPECT_EQ(setup.value("qortest/planted"), c.planted) << c.dir;
        EXPECT_EQ(setup.value("__QORPROFILE_n_DEFAULT"), c.planted == "<null>" ? "00000" : "00001")
            << c.dir;
    }
    EXPECT_EQ(chdir(cwd), 0);
}

// QORSYSTEM in DEFAULT.PFL stands at its own level only: the instance
// number and the value above it stay those of the environment.
TEST(ParamProfiles, QorsystemInDefaultProfileStaysInItsLayer)
{
    TempDir dir;
    ParamRun setup;
    param::Library& lib = with_default_profile(setup, dir, "QORSYSTEM = 42\n");
    EXPECT_EQ(setup.value("QORSYSTEM"), "00");
    EXPECT_EQ(setup.value("INSTANCE_NAME"), "D00");
    EXPECT_EQ(setup.value("__QORPROFILE_n_DEFAULT"), "00001");
    EXPECT_EQ(levels(lib, u"QORSYSTEM", {param::L11, param::L21, param::L24, param::L34}),
              "$$|42|42|00");
}

// Instances whose name begins with J, in either case, read another property
// file.
TEST(ParamProfiles, PropertyFileOfJInstances)
{
    const Expected cases[] = {
        {"J01", "xcm.properties"},
        {"j01", "xcm.properties"},
        {"D01", "xcmext.properties"},
        {"xj", "xcmext.properties"},
    };
    for (const Expected& c : cases) {
        ParamRun setup;
        setup.sources.second_args.emplace_back(u"INSTANCE_NAME", wide(c.name));
        setup.make();
        EXPECT_EQ(setup.value("jstartup/xcm_properties"),
                  "\\\\\\qormnt\\\\SYS\\exe\\run\\" + c.value)
            << c.name;
    }
}

TEST(ParamProfiles, InstanceProfileNamedInTheArgumentList)
{
    TempDir dir;
    const std::string profile = dir.write("QOR_D42_qorhost1", "QORSYSTEMNAME = QOR\n"
                                                              "QORSYSTEM = 42\n"
                                                              "INSTANCE_NAME = J42\n"
                                                              "qortest/fromprofile = 1\n"
                                                              "QORSYSTEMNAME = OTHER\n");
    ParamRun setup;
    setup.sources.second_args.emplace_back(u"QORPROFILE", wide(profile + "\n"));
    setup.make();
    const Expected cases[] = {
        {"QORSYSTEMNAME", "OTHER"},
        {"QORSYSTEM", "42"},
        {"INSTANCE_NAME", "J42"},
        {"qortest/fromprofile", "1"},
        {"QORPROFILE_IN_EFFECT", profile},
        {"__QORPROFILE_n_PF_FILE", "00005"},
        {"DIR_INSTALL", "\\\\\\qormnt\\OTHER\\SYS"},
        // J instances read another property file.
        {"jstartup/xcm_properties", "\\\\\\qormnt\\OTHER\\SYS\\exe\\run\\xcm.properties"},
    };
    for (const Expected& c : cases)
        EXPECT_EQ(setup.value(c.name), c.value) << c.name;
    const std::string messages = setup.messages();
    EXPECT_EQ(messages.find("No Profile used"), std::string::npos) << messages;
    EXPECT_EQ(messages.find("neither in Profile"), std::string::npos) << messages;
    // The first system name went into the default, the later one is set above
    // it: the library says that they differ.
    EXPECT_NE(messages.find("qorparam: \"QORSYSTEMNAME\": \"QOR\" <--> \"OTHER\"\n"),
              std::string::npos)
        << messages;
}

TEST(ParamProfiles, MissingInstanceProfileIsReported)
{
    ParamRun setup;
    setup.sources.second_args.emplace_back(u"QORPROFILE", u"/nonexistent/qortest/profile");
    setup.make();
    EXPECT_EQ(setup.value("INSTANCE_NAME"), "D00");
    EXPECT_NE(
        setup.messages().find("qorparam(2): fopenU(\"/nonexistent/qortest/profile\",\"r\"): "),
        std::string::npos)
        << setup.messages();
    EXPECT_NE(setup.messages().find("\nNo Profile used.\n"), std::string::npos);
}

TEST(ParamProfiles, TableThatCannotGrowKeepsItsRecords)
{
    TempDir dir;
    std::string content;
    for (int i = 0; i < 40; ++i)
        content += "qortest/extra" + std::to_string(i) + " = " + std::to_string(i) + "\n";
    const std::string profile = dir.write("profile", content);
    ParamRun setup;
    setup.sources.second_args.emplace_back(u"QORPROFILE", wide(profile));
    // The table is built; growing it later fails.
    bool built = false;
    setup.sources.may_allocate = [&built](size_t bytes) {
        if (bytes < 100000)
            return true;
        const bool first = !built;
        built = true;
        return first;
    };
    setup.make();
    EXPECT_EQ(setup.value("qortest/extra0"), "<null>");
    EXPECT_EQ(setup.value("INSTANCE_NAME"), "D00");
    EXPECT_EQ(setup.value("ssl/client_cache_size"), "500");
    EXPECT_EQ(count(setup.messages(), "qorparam(5): realloc: "), 40u);
}

TEST(ParamProfiles, ReferenceNamesLongerThanTheBufferAreMissing)
{
    const std::string name(5000, 'r');
    ParamRun setup;
    setup.env[name] = "set";
    setup.sources.first_args = {{u"qortest/hugeref", wide("$(" + name + ")")},
                                {u"qortest/hugeenv", wide("a%(" + name + ")b")}};
    setup.make();
    EXPECT_EQ(setup.value("qortest/hugeref"), "$(" + name + ")");
    EXPECT_EQ(setup.value("qortest/hugeenv"), "ab");
    EXPECT_NE(
        setup.messages().find("qorparam(14): " + name + " (ref.by qortest/hugeref) missing.\n"),
        std::string::npos);
}

TEST(ParamProfiles, TwoArgumentListsSetTheirLevels)
{
    ParamRun setup;
    setup.sources.first_args = {{u"ssl/client_cache_size", u"10"}, {u"qortest/arg", u"$$"}};
    setup.sources.second_args = {{u"ssl/client_cache_lifetime", u"20"}};
    setup.make();
    EXPECT_EQ(setup.value("ssl/client_cache_size"), "10");
    EXPECT_EQ(setup.value("ssl/client_cache_lifetime"), "20");
    EXPECT_EQ(setup.value("qortest/arg"), "00");
}

} // namespace
