// Values as the library resolves them: built-in defaults with the instance
// number, references and the Windows defaults, the switches of the
// environment, and the messages of the first lookup.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "param_test_util.h"

namespace {

using paramtest::ParamRun;

const std::string kFirstLookup = "qorparam: qorargv(argc, argv) has not been called!\n"
                                 "qorparam(1c): No Profile used.\n"
                                 "qorparam: QORSYSTEMNAME neither in Profile nor in Commandline\n";

struct Expected
{
    const char* name;
    const char* value;
};

TEST(ParamValues, BuiltInDefaultsResolveWithoutAnyProfile)
{
    ParamRun setup;
    setup.make();
    const Expected cases[] = {
        {"INSTANCE_NAME", "D00"},
        {"QORSYSTEM", "00"},
        {"system/type", "VORN"},
        {"ssl/pse_provider", "VORN"},
        {"ssl/client_cache_size", "500"},
        {"ssl/client_cache_lifetime", "3600"},
        {"ssl/ciphersuites", "193:HIGH:MEDIUM:+e3DES"},
        {"PHYS_MEMSIZE", "16384"},
        {"CPU_CORES", "8"},
        {"QORTRANSHOST", ""},
        {"QORMSHOST", ""},
        {"LOCALHOSTPATH", "\\\\\\qorloc\\"},
        {"LOCALHOSTSIDPATH", "\\\\\\qorloc\\"},
        {"GLOBALHOSTPATH", "\\\\\\qormnt\\"},
        {"DIR_INSTALL", "\\\\\\qormnt\\\\SYS"},
        {"DIR_INSTANCE", "\\\\\\qorloc\\\\D00"},
        {"DIR_EXE_ROOT", "\\\\\\qormnt\\\\SYS\\exe"},
        {"DIR_EXECUTABLE", "\\\\\\qormnt\\\\SYS\\exe\\run"},
        {"DIR_LIBRARY", "\\\\\\qormnt\\\\SYS\\exe\\run"},
        {"DIR_PROFILE", "\\\\\\qormnt\\\\SYS\\profile"},
        {"DIR_GLOBAL", "\\\\\\qormnt\\\\SYS\\global"},
        {"DIR_HOME", "\\\\\\qorloc\\\\D00\\work"},
        {"DIR_DATA", "\\\\\\qorloc\\\\D00\\data"},
        {"DIR_LOGGING", "\\\\\\qorloc\\\\D00\\log"},
        {"ssl/ssl_lib", "\\\\\\qormnt\\\\SYS\\exe\\run\\qorcrypto.dll"},
        {"jstartup/xcm_properties", "\\\\\\qormnt\\\\SYS\\exe\\run\\xcmext.properties"},
        {"xcm/server_port_0", ""},
        {"xcm/server_port_4", ""},
        {"xcm/HTTP/admin_0",
         "PREFIX=/qor/admin,DOCROOT=\\\\\\qorloc\\\\D00\\data\\xcmandir/admin,AUTHFILE="},
        {"xcm/HTTP/server_cache_0", "PREFIX=/, CACHEDIR=\\\\\\qorloc\\\\D00\\data\\cache"},
        {"xcm/server_port", "<null>"},   // a family is no parameter itself
        {"em/initial_size_MB", "11469"}, // 16384 * 0.7 = 11468.8
        {"rsts/ccc/cache07", "600000"},
        {"QORARGC", "0"},
        {"__QORPROFILE_n_DEFAULT", "00000"},
        {"__QORPROFILE_n_PF_FILE", "00000"},
        {"instance_name", "<null>"}, // names are case-sensitive
    };
    for (const Expected& c : cases)
        EXPECT_EQ(setup.value(c.name), c.value) << c.name;
    EXPECT_EQ(setup.messages(), kFirstLookup);
}

// What QORPARAM700, QORPARAMMSID and QORSYSTEM change.
TEST(ParamValues, EnvironmentSwitchesAndInstanceNumber)
{
    struct Case
    {
        std::vector<std::pair<std::string, std::string>> env;
        std::vector<Expected> values;
        std::string format_error; // the (9) line, when expected
    };
    const std::string error9 = "qorparam(9): environment variable $QORSYSTEM format error.\n";
    const Case cases[] = {
        {{}, {{"INSTANCE_NAME", "D00"}}, ""},
        {{{"QORSYSTEM", "42"}},
         {{"INSTANCE_NAME", "D42"}, {"QORSYSTEM", "42"}, {"DIR_HOME", "\\\\\\qorloc\\\\D42\\work"}},
         ""},
        {{{"QORSYSTEM", "7"}}, {{"INSTANCE_NAME", "D00"}}, error9},
        {{{"QORSYSTEM", "420"}}, {{"INSTANCE_NAME", "D00"}}, error9},
        {{{"QORSYSTEM", ""}}, {{"INSTANCE_NAME", "D00"}}, error9},
        {{{"QORPARAM700", ""}},
         {{"DIR_EXECUTABLE", "\\\\\\qorloc\\\\D00\\exe"},
          {"ssl/ssl_lib", "\\\\\\qorloc\\\\D00\\exe\\qorcrypto.dll"}},
         ""},
        {{{"QORPARAMMSID", "1"}, {"QORSYSTEM", "07"}},
         {{"LOCALHOSTSIDPATH", "\\\\\\qorloc_07\\"},
          {"DIR_INSTANCE", "\\\\\\qorloc_07\\\\D07"},
          {"GLOBALHOSTPATH", "\\\\\\qormnt\\"},
          {"DIR_EXECUTABLE", "\\\\\\qormnt\\\\SYS\\exe\\run"}},
         ""},
    };
    for (const Case& c : cases) {
        ParamRun setup;
        for (const auto& [name, value] : c.env)
            setup.env[name] = value;
        setup.make();
        const std::string label = c.env.empty() ? "no variables" : c.env[0].first;
        for (const Expected& e : c.values)
            EXPECT_EQ(setup.value(e.name), e.value) << label << ": " << e.name;
        EXPECT_EQ(setup.messages(), "qorparam: qorargv(argc, argv) has not been called!\n" +
                                        c.format_error +
                                        "qorparam(1c): No Profile used.\n"
                                        "qorparam: QORSYSTEMNAME neither in Profile nor in "
                                        "Commandline\n")
            << label;
    }
}

TEST(ParamValues, LevelThirteenResolvesBeforeTheInstanceNumberIsFixed)
{
    ParamRun setup;
    param::Library& lib = setup.make();
    const param::Record* r = lib.find(u"INSTANCE_NAME");
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(paramtest::narrow(r->v[param::L11]), "$(INSTANCE_SRVTYPE)$$");
    EXPECT_EQ(paramtest::narrow(r->v[param::L13]), "D??");
    EXPECT_EQ(paramtest::narrow(r->v[param::Current]), "D00");
    // The formula of level 13 is evaluated on its own.
    const param::Record* em = lib.find(u"em/initial_size_MB");
    ASSERT_NE(em, nullptr);
    EXPECT_EQ(paramtest::narrow(em->v[param::L13]), "11469");
    EXPECT_EQ(paramtest::narrow(em->v[param::L11]), "(min(512000, $(PHYS_MEMSIZE) * 0.7))");
}

TEST(ParamValues, LookupsAreCountedExceptDollarNames)
{
    ParamRun setup;
    param::Library& lib = setup.make();
    EXPECT_EQ(lib.lookup(nullptr), nullptr);
    const std::string before = setup.value("__QORPROFILE_CALLS");
    const int calls = std::stoi(before);
    EXPECT_EQ(setup.value("qortest/unknown"), "<null>");
    EXPECT_EQ(setup.value("$qortest/not_counted"), "<null>");
    // Each value() is one counted lookup, the one reading the counter too.
    EXPECT_EQ(std::stoi(setup.value("__QORPROFILE_CALLS")), calls + 2);
    EXPECT_EQ(setup.value("__QORPROFILE_CALL_LAST_NAME"), "__QORPROFILE_CALL_LAST_NAME");
    EXPECT_EQ(before.size(), 5u) << "five digits with leading zeros";
    const std::string long_name(600, 'n');
    EXPECT_EQ(setup.value(long_name.c_str()), "<null>");
    EXPECT_EQ(setup.value("__QORPROFILE_CALL_LAST_NAME"), "__QORPROFILE_CALL_LAST_NAME");
    setup.value(long_name.c_str());
    const param::Record* last = lib.find(u"__QORPROFILE_CALL_LAST_NAME");
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(paramtest::narrow(last->v[param::Current]), std::string(498, 'n'));
}

TEST(ParamValues, FamiliesAndDuplicatesOfATable)
{
    static const QOR_UC* const kValues[] = {u"a", u"$(qortest/plain)", u"", nullptr};
    static const QorParamDesc kRows[] = {
        {u"qortest/plain", u"p", 200, nullptr, 100, u"System", u"", 0, 0, 0, nullptr, nullptr,
         nullptr, 0},
        {u"qortest/fam", nullptr, 200, nullptr, 100, u"System", u"", 0, 0, 1, kValues, nullptr,
         nullptr, 0},
        {u"qortest/bare", nullptr, 200, nullptr, 100, u"System", u"", 0, 0, 1, nullptr, nullptr,
         nullptr, 0},
        {u"qortest/twice", u"1", 200, nullptr, 100, u"System", u"", 0, 0, 0, nullptr, nullptr,
         nullptr, 0},
        {u"qortest/twice", u"1", 200, nullptr, 100, u"System", u"", 0, 0, 0, nullptr, nullptr,
         nullptr, 0},
        {nullptr, nullptr, 0, nullptr, 0, nullptr, nullptr, 0, 0, 0, nullptr, nullptr, nullptr, 0},
    };
    ParamRun run;
    run.sources.table = kRows;
    param::Library& lib = run.make();
    const Expected cases[] = {
        {"qortest/fam_0", "a"},       {"qortest/fam_1", "p"},    {"qortest/fam_2", ""},
        {"qortest/fam_3", "<null>"},  {"qortest/fam", "<null>"}, {"qortest/bare", "<null>"},
        {"qortest/bare_0", "<null>"}, {"qortest/twice", "1"},
    };
    for (const Expected& c : cases)
        EXPECT_EQ(run.value(c.name), c.value) << c.name;
    EXPECT_EQ(lib.records().size(), 6u);
    EXPECT_EQ(run.messages(), "qorparam: qorargv(argc, argv) has not been called!\n"
                              "qorparam(1c): No Profile used.\n"
                              "qorparam: QORSYSTEMNAME neither in Profile nor in Commandline\n"
                              "qorparam: Duplicate Profile Parameter \"qortest/twice\"\n"
                              "qorparam: parameter \"QORSYSTEMNAME\" not found.\n");
}

TEST(ParamValues, FailingTableLeavesEveryLookupEmpty)
{
    ParamRun setup;
    setup.sources.may_allocate = [](size_t bytes) { return bytes < 1000; };
    setup.make();
    EXPECT_EQ(setup.value("INSTANCE_NAME"), "<null>");
    const std::string messages = setup.messages();
    EXPECT_NE(messages.find("qorparam(3): malloc: "), std::string::npos) << messages;
    EXPECT_EQ(messages.find("(1c)"), std::string::npos) << "nothing after the table";
}

} // namespace
