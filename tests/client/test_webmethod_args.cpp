// The argument rules of the webmethods: defaults, orders, lists and the
// words whose absence is a usage error.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/options.h"

namespace {

struct Parsed
{
    bool usage = false;
    std::vector<std::u16string> words; // the settings point into them
    ClientSettings settings;
};

Parsed parse(std::vector<std::u16string> words)
{
    Parsed p;
    p.words = std::move(words);
    p.words.insert(p.words.begin(), u"qorcontrol");
    std::vector<const QOR_UC*> argv;
    for (const auto& w : p.words)
        argv.push_back(w.c_str());
    argv.push_back(nullptr);
    testing::internal::CaptureStdout();
    try {
        parse_command_line(static_cast<int>(p.words.size()), argv.data(), p.settings);
    } catch (const ClientExit& exit) {
        p.usage = exit.code == 1;
    }
    testing::internal::GetCapturedStdout();
    return p;
}

std::string text(const char* s)
{
    return s != nullptr ? s : "<absent>";
}

std::vector<std::string> texts(const std::vector<char*>& list)
{
    std::vector<std::string> out;
    for (const char* s : list)
        out.push_back(text(s));
    return out;
}

TEST(ClientWebmethodArgs, MissingMandatoryWordsPrintTheUsage)
{
    const std::vector<std::vector<std::u16string>> cases = {
        {u"StartWait", u"10"},
        {u"InstanceStart", u"host"},
        {u"InstanceStop"},
        {u"Bootstrap", u"host"},
        {u"StartService"},
        {u"StartSystem", u"60"},
        {u"StartSystem", u"LEVEL"},
        {u"StopSystem", u"BOGUS"},
        {u"HAFailoverToNode"},
        {u"AccessCheck"},
        {u"RequestLogonFile"},
        {u"ReadDeveloperTrace", u"file"},
        {u"ReadLogFile"},
        {u"ConfigureLogFileList"},
        {u"ConfigureLogFileList", u"replace", u"a"},
        {u"DeleteSnapshots"},
        {u"ReadSnapshot"},
        {u"OSExecute", u"ls", u"0"},
        {u"SendSignal", u"12"},
        {u"GetCallstack"},
        {u"GetProcessParameter"},
        {u"SetProcessParameter", u"DIA", u"1"},
        {u"SetProcessParameter2", u"DIA", u"1", u"PERSIST"},
        {u"J2EEControlProcess", u"p"},
        {u"J2EEControlCluster", u"p", u"f", u"host"},
        {u"J2EEControlComponents", u"p", u"op", u"type"},
        {u"J2EEEnableDbgSession"},
        {u"J2EEDisableDbgSession"},
    };
    for (const auto& c : cases) {
        std::vector<std::u16string> words = {u"-nr", u"1", u"-function"};
        words.insert(words.end(), c.begin(), c.end());
        EXPECT_TRUE(parse(words).usage) << std::string(c[0].begin(), c[0].end());
    }
}

TEST(ClientWebmethodArgs, DefaultsAndValues)
{
    struct Case
    {
        std::vector<std::u16string> words;
        void (*check)(const ClientSettings&);
    };
    const Case cases[] = {
        {{u"Start"}, [](const ClientSettings& s) { EXPECT_EQ(s.args.runlevel, nullptr); }},
        {{u"Start", u"3"}, [](const ClientSettings& s) { EXPECT_EQ(text(s.args.runlevel), "3"); }},
        {{u"StartWait", u"30", u"5"},
         [](const ClientSettings& s) {
             EXPECT_EQ(s.wait_timeout, 30);
             EXPECT_EQ(s.wait_delay, 5);
         }},
        {{u"Stop"}, [](const ClientSettings& s) { EXPECT_EQ(s.args.softtimeout, 0); }},
        {{u"StopBypassHA", u"20"},
         [](const ClientSettings& s) { EXPECT_EQ(s.args.softtimeout, 20); }},
        {{u"RestartInstance", u"15", u"rl"},
         [](const ClientSettings& s) {
             EXPECT_EQ(s.args.softtimeout, 15);
             EXPECT_EQ(text(s.args.runlevel), "rl");
         }},
        {{u"InstanceStop", u"h", u"3"},
         [](const ClientSettings& s) {
             EXPECT_EQ(text(s.args.host), "h");
             EXPECT_EQ(s.args.instance_nr, 3);
             EXPECT_EQ(s.args.softtimeout, 0);
         }},
        {{u"Bootstrap"},
         [](const ClientSettings& s) {
             EXPECT_EQ(s.args.host, nullptr);
             EXPECT_EQ(s.args.instance_nr, -1);
         }},
        {{u"StartService", u"ABCD"},
         [](const ClientSettings& s) { EXPECT_EQ(std::u16string(s.args.system_id), u"ABCD"); }},
        {{u"StartSystem"},
         [](const ClientSettings& s) {
             EXPECT_EQ(s.args.system_option, 0);
             EXPECT_EQ(s.args.start_wait_timeout, 60);
             EXPECT_EQ(s.args.level, nullptr);
         }},
        {{u"StartSystem", u"LEVEL", u"3", u"90", u"rl"},
         [](const ClientSettings& s) {
             EXPECT_EQ(s.args.system_option, 5);
             EXPECT_EQ(text(s.args.level), "3");
             EXPECT_EQ(s.args.start_wait_timeout, 90);
             EXPECT_EQ(text(s.args.runlevel), "rl");
         }},
        {{u"RestartSystem", u"J2EE", u"100", u"7", u"rl"},
         [](const ClientSettings& s) {
             EXPECT_EQ(s.args.system_option, 4);
             EXPECT_EQ(s.args.stop_wait_timeout, 100);
             EXPECT_EQ(s.args.softtimeout, 7);
             EXPECT_EQ(text(s.args.runlevel), "rl");
         }},
        {{u"StopSystem"},
         [](const ClientSettings& s) {
             EXPECT_EQ(s.args.stop_wait_timeout, 300);
             EXPECT_EQ(s.args.softtimeout, 0);
         }},
        {{u"UpdateInstancePSE", u"0"}, [](const ClientSettings& s) { EXPECT_EQ(s.args.force, 0); }},
        {{u"UpdateSystemPKI", u"5"}, [](const ClientSettings& s) { EXPECT_EQ(s.args.force, 1); }},
        {{u"ParameterValue"},
         [](const ClientSettings& s) { EXPECT_EQ(text(s.args.parameter), ""); }},
        {{u"ParameterValue", u"-host", u"x"},
         [](const ClientSettings& s) {
             // "-host" is the parameter; x is a stray word afterwards.
             EXPECT_EQ(text(s.args.parameter), "-host");
             EXPECT_STREQ(s.host, "localhost");
         }},
        {{u"ReadLogFile", u"f"},
         [](const ClientSettings& s) {
             EXPECT_EQ(text(s.args.filter), "");
             EXPECT_EQ(text(s.args.language), "EN");
             EXPECT_EQ(s.args.maxentries, 0);
             EXPECT_EQ(text(s.args.cookie), "");
         }},
        {{u"AnalyseLogFiles"},
         [](const ClientSettings& s) {
             EXPECT_EQ(s.args.severity, 2);
             EXPECT_EQ(s.args.analyse_maxentries, 10000);
             EXPECT_EQ(text(s.args.starttime), "");
             EXPECT_EQ(text(s.args.endtime), "");
         }},
        {{u"ConfigureLogFileList", u"remove", u"a", u"-nr", u"5"},
         [](const ClientSettings& s) {
             EXPECT_EQ(s.args.logfile_mode, 2);
             EXPECT_EQ(texts(s.args.list), (std::vector<std::string>{"a", "-nr", "5"}));
             EXPECT_EQ(s.instance_nr, 1);
         }},
        {{u"CreateSnapshot"},
         [](const ClientSettings& s) {
             EXPECT_EQ(s.args.description, nullptr);
             EXPECT_EQ(s.args.severity, 2);
             EXPECT_EQ(s.args.analyse_maxentries, 10000);
             EXPECT_EQ(s.args.snapshot_maxentries, -10000);
             EXPECT_EQ(texts(s.args.list), (std::vector<std::string>{"DEFAULT"}));
         }},
        {{u"CreateSnapshot", u"d", u"p", u"1", u"5", u"s", u"e", u"9", u"f1", u"-host"},
         [](const ClientSettings& s) {
             EXPECT_EQ(text(s.args.description), "d");
             EXPECT_EQ(text(s.args.datcol_param), "p");
             EXPECT_EQ(s.args.severity, 1);
             EXPECT_EQ(s.args.analyse_maxentries, 5);
             EXPECT_EQ(text(s.args.starttime), "s");
             EXPECT_EQ(text(s.args.endtime), "e");
             EXPECT_EQ(s.args.snapshot_maxentries, 9);
             EXPECT_EQ(texts(s.args.list), (std::vector<std::string>{"f1", "-host"}));
         }},
        {{u"ReadSnapshot", u"snap.zip"},
         [](const ClientSettings& s) {
             EXPECT_EQ(text(s.args.filename), "snap.zip");
             EXPECT_EQ(std::u16string(s.args.local_filename), u"snap.zip");
         }},
        {{u"OSExecute", u"ls", u"1", u"30"},
         [](const ClientSettings& s) {
             EXPECT_EQ(text(s.args.command), "ls");
             EXPECT_EQ(s.args.async, 1);
             EXPECT_EQ(s.args.exec_timeout, 30);
             EXPECT_EQ(text(s.args.protocolfile), "");
         }},
        {{u"GetProcessParameter", u"DIA"},
         [](const ClientSettings& s) { EXPECT_EQ(s.args.process_pid, -1); }},
        {{u"SetProcessParameter", u"DIA", u"4", u"p"},
         [](const ClientSettings& s) {
             EXPECT_TRUE(s.args.has_values);
             EXPECT_TRUE(s.args.list.empty());
         }},
        {{u"SetProcessParameter", u"DIA", u"4", u"p", u"v"},
         [](const ClientSettings& s) {
             EXPECT_FALSE(s.args.has_values);
             EXPECT_EQ(text(s.args.parameter_value), "v");
         }},
        {{u"SetProcessParameter2", u"DIA", u"4", u"p", u"v1", u"v2"},
         [](const ClientSettings& s) {
             EXPECT_EQ(s.args.persistence, 0);
             EXPECT_EQ(text(s.args.parameter_name), "p");
             EXPECT_TRUE(s.args.has_values);
             EXPECT_EQ(texts(s.args.list), (std::vector<std::string>{"v1", "v2"}));
         }},
        {{u"SetProcessParameter2", u"DIA", u"4", u"DYNAMIC_PERSIST", u"p", u"v"},
         [](const ClientSettings& s) {
             EXPECT_EQ(s.args.persistence, 2);
             EXPECT_EQ(text(s.args.parameter_name), "p");
             EXPECT_EQ(text(s.args.parameter_value), "v");
         }},
        {{u"J2EEEnableDbgSession", u"client", u"proc", u"flags"},
         [](const ClientSettings& s) {
             EXPECT_EQ(text(s.args.dbg_client), "client");
             EXPECT_EQ(text(s.args.processname), "proc");
             EXPECT_EQ(text(s.args.dbg_flags), "flags");
         }},
        {{u"J2EEGetThreadCallStack"},
         [](const ClientSettings& s) { EXPECT_EQ(s.args.thread_index, -1); }},
        {{u"VORNGetSystemWPTable", u"1"},
         [](const ClientSettings& s) { EXPECT_EQ(s.args.active_only, 1); }},
        {{u"GetProcessList", u"-format", u"script"},
         [](const ClientSettings& s) { EXPECT_EQ(std::u16string(s.format), u"script"); }},
    };
    for (const Case& c : cases) {
        std::vector<std::u16string> words = {u"-nr", u"1", u"-function"};
        words.insert(words.end(), c.words.begin(), c.words.end());
        const Parsed p = parse(std::move(words));
        SCOPED_TRACE(std::string(c.words[0].begin(), c.words[0].end()));
        ASSERT_FALSE(p.usage);
        c.check(p.settings);
    }
}

TEST(ClientWebmethodArgs, StartServiceOfTheHostAgentTakesNoWord)
{
    const Parsed before =
        parse({u"-nr", u"99", u"-function", u"StartService", u"-format", u"script"});
    ASSERT_FALSE(before.usage);
    EXPECT_EQ(std::u16string(before.settings.args.system_id), u"QOR");
    EXPECT_EQ(std::u16string(before.settings.format), u"script");
    // With -nr 99 given later, the next word is the system ID.
    const Parsed after = parse({u"-function", u"StartService", u"XYZ", u"-nr", u"99"});
    ASSERT_FALSE(after.usage);
    EXPECT_EQ(std::u16string(after.settings.args.system_id), u"XYZ");
}

} // namespace
