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

// The request value at a place of the last -function's arguments.
const ArgumentValue& v(const ClientSettings& s, int place)
{
    return s.arguments.values[place];
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
        {{u"Start"}, [](const ClientSettings& s) { EXPECT_EQ(v(s, 0).text, nullptr); }},
        {{u"Start", u"3"}, [](const ClientSettings& s) { EXPECT_EQ(text(v(s, 0).text), "3"); }},
        {{u"StartWait", u"30", u"5"},
         [](const ClientSettings& s) {
             EXPECT_EQ(s.arguments.wait_timeout, 30);
             EXPECT_EQ(s.arguments.wait_delay, 5);
         }},
        {{u"Stop"}, [](const ClientSettings& s) { EXPECT_EQ(v(s, 0).number, 0); }},
        {{u"StopBypassHA", u"20"}, [](const ClientSettings& s) { EXPECT_EQ(v(s, 0).number, 20); }},
        {{u"RestartInstance", u"15", u"rl"},
         [](const ClientSettings& s) {
             EXPECT_EQ(v(s, 0).number, 15);
             EXPECT_EQ(text(v(s, 1).text), "rl");
         }},
        {{u"InstanceStop", u"h", u"3"},
         [](const ClientSettings& s) {
             EXPECT_EQ(text(v(s, 0).text), "h");
             EXPECT_EQ(v(s, 1).number, 3);
             EXPECT_EQ(v(s, 2).number, 0);
         }},
        {{u"Bootstrap"},
         [](const ClientSettings& s) {
             EXPECT_EQ(v(s, 0).text, nullptr);
             EXPECT_EQ(v(s, 1).number, -1);
         }},
        {{u"StartService", u"ABCD"},
         [](const ClientSettings& s) { EXPECT_EQ(std::u16string(v(s, 0).word), u"ABCD"); }},
        {{u"StartSystem"},
         [](const ClientSettings& s) {
             EXPECT_EQ(v(s, 0).number, 0);
             EXPECT_EQ(v(s, 2).number, 60);
             EXPECT_EQ(v(s, 1).text, nullptr);
         }},
        {{u"StartSystem", u"LEVEL", u"3", u"90", u"rl"},
         [](const ClientSettings& s) {
             EXPECT_EQ(v(s, 0).number, 5);
             EXPECT_EQ(text(v(s, 1).text), "3");
             EXPECT_EQ(v(s, 2).number, 90);
             EXPECT_EQ(text(v(s, 3).text), "rl");
         }},
        {{u"RestartSystem", u"J2EE", u"100", u"7", u"rl"},
         [](const ClientSettings& s) {
             // Sent as option, level, soft time-out, wait time-out, run level.
             EXPECT_EQ(v(s, 0).number, 4);
             EXPECT_EQ(v(s, 3).number, 100);
             EXPECT_EQ(v(s, 2).number, 7);
             EXPECT_EQ(text(v(s, 4).text), "rl");
         }},
        {{u"StopSystem"},
         [](const ClientSettings& s) {
             EXPECT_EQ(v(s, 3).number, 300);
             EXPECT_EQ(v(s, 2).number, 0);
         }},
        {{u"UpdateInstancePSE", u"0"},
         [](const ClientSettings& s) { EXPECT_EQ(v(s, 0).number, 0); }},
        {{u"UpdateSystemPKI", u"5"}, [](const ClientSettings& s) { EXPECT_EQ(v(s, 0).number, 1); }},
        {{u"ParameterValue"}, [](const ClientSettings& s) { EXPECT_EQ(text(v(s, 0).text), ""); }},
        {{u"ParameterValue", u"-host", u"x"},
         [](const ClientSettings& s) {
             // "-host" is the parameter; x is a stray word afterwards.
             EXPECT_EQ(text(v(s, 0).text), "-host");
             EXPECT_STREQ(s.host, "localhost");
         }},
        {{u"ReadLogFile", u"f"},
         [](const ClientSettings& s) {
             EXPECT_EQ(text(v(s, 1).text), "");
             EXPECT_EQ(text(v(s, 2).text), "EN");
             EXPECT_EQ(v(s, 3).number, 0);
             EXPECT_EQ(text(v(s, 4).text), "");
         }},
        {{u"AnalyseLogFiles"},
         [](const ClientSettings& s) {
             // Sent as start time, end time, severity, maximum.
             EXPECT_EQ(v(s, 2).number, 2);
             EXPECT_EQ(v(s, 3).number, 10000);
             EXPECT_EQ(text(v(s, 0).text), "");
             EXPECT_EQ(text(v(s, 1).text), "");
         }},
        {{u"ConfigureLogFileList", u"remove", u"a", u"-nr", u"5"},
         [](const ClientSettings& s) {
             EXPECT_EQ(v(s, 0).number, 2);
             EXPECT_EQ(texts(v(s, 1).list), (std::vector<std::string>{"a", "-nr", "5"}));
             EXPECT_EQ(s.instance_nr, 1);
         }},
        {{u"CreateSnapshot"},
         [](const ClientSettings& s) {
             EXPECT_EQ(v(s, 0).text, nullptr);
             EXPECT_EQ(v(s, 2).number, 2);
             EXPECT_EQ(v(s, 5).number, 10000);
             EXPECT_EQ(v(s, 6).number, -10000);
             EXPECT_EQ(texts(v(s, 7).list), (std::vector<std::string>{"DEFAULT"}));
         }},
        {{u"CreateSnapshot", u"d", u"p", u"1", u"5", u"s", u"e", u"9", u"f1", u"-host"},
         [](const ClientSettings& s) {
             // Sent as description, parameter, severity, start and end time,
             // analysis maximum, maximum, files.
             EXPECT_EQ(text(v(s, 0).text), "d");
             EXPECT_EQ(text(v(s, 1).text), "p");
             EXPECT_EQ(v(s, 2).number, 1);
             EXPECT_EQ(v(s, 5).number, 5);
             EXPECT_EQ(text(v(s, 3).text), "s");
             EXPECT_EQ(text(v(s, 4).text), "e");
             EXPECT_EQ(v(s, 6).number, 9);
             EXPECT_EQ(texts(v(s, 7).list), (std::vector<std::string>{"f1", "-host"}));
         }},
        {{u"ReadSnapshot", u"snap.zip"},
         [](const ClientSettings& s) {
             EXPECT_EQ(text(v(s, 0).text), "snap.zip");
             EXPECT_EQ(std::u16string(v(s, 1).word), u"snap.zip");
         }},
        {{u"OSExecute", u"ls", u"1", u"30"},
         [](const ClientSettings& s) {
             EXPECT_EQ(text(v(s, 0).text), "ls");
             EXPECT_EQ(v(s, 1).number, 1);
             EXPECT_EQ(v(s, 2).number, 30);
             EXPECT_EQ(text(v(s, 3).text), "");
         }},
        {{u"GetProcessParameter", u"DIA"},
         [](const ClientSettings& s) { EXPECT_EQ(v(s, 1).number, -1); }},
        {{u"SetProcessParameter", u"DIA", u"4", u"p"},
         [](const ClientSettings& s) {
             // The name and its values make the request's parameter record.
             EXPECT_EQ(text(v(s, 2).text), "p");
             EXPECT_TRUE(v(s, 2).list.empty());
         }},
        {{u"SetProcessParameter", u"DIA", u"4", u"p", u"v"},
         [](const ClientSettings& s) {
             EXPECT_EQ(texts(v(s, 2).list), (std::vector<std::string>{"v"}));
         }},
        {{u"SetProcessParameter2", u"DIA", u"4", u"p", u"v1", u"v2"},
         [](const ClientSettings& s) {
             EXPECT_EQ(v(s, 2).number, 0);
             EXPECT_EQ(text(v(s, 3).text), "p");
             EXPECT_EQ(texts(v(s, 3).list), (std::vector<std::string>{"v1", "v2"}));
         }},
        {{u"SetProcessParameter2", u"DIA", u"4", u"DYNAMIC_PERSIST", u"p", u"v"},
         [](const ClientSettings& s) {
             EXPECT_EQ(v(s, 2).number, 2);
             EXPECT_EQ(text(v(s, 3).text), "p");
             EXPECT_EQ(texts(v(s, 3).list), (std::vector<std::string>{"v"}));
         }},
        {{u"J2EEEnableDbgSession", u"client", u"proc", u"flags"},
         [](const ClientSettings& s) {
             // Sent as process name, flags, client.
             EXPECT_EQ(text(v(s, 2).text), "client");
             EXPECT_EQ(text(v(s, 0).text), "proc");
             EXPECT_EQ(text(v(s, 1).text), "flags");
         }},
        {{u"J2EEGetThreadCallStack"},
         [](const ClientSettings& s) { EXPECT_EQ(v(s, 0).number, -1); }},
        {{u"VORNGetSystemWPTable", u"1"},
         [](const ClientSettings& s) { EXPECT_EQ(v(s, 0).number, 1); }},
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
    EXPECT_EQ(std::u16string(before.settings.arguments.values[0].word), u"QOR");
    EXPECT_EQ(std::u16string(before.settings.format), u"script");
    // With -nr 99 given later, the next word is the system ID.
    const Parsed after = parse({u"-function", u"StartService", u"XYZ", u"-nr", u"99"});
    ASSERT_FALSE(after.usage);
    EXPECT_EQ(std::u16string(after.settings.arguments.values[0].word), u"XYZ");
}

} // namespace
