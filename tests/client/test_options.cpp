// The option loop, the number reader, the keyword readers and the usage text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/options.h"
#include "client_harness.h"

namespace {

using clienttest::run;

struct Words
{
    std::vector<std::u16string> storage;
    std::vector<const QOR_UC*> argv;
    Words(std::initializer_list<const char16_t*> words) : Words(std::vector<const char16_t*>(words))
    {
    }
    explicit Words(const std::vector<const char16_t*>& words)
    {
        storage.emplace_back(u"qorcontrol");
        for (const char16_t* w : words)
            storage.emplace_back(w);
        for (const auto& s : storage)
            argv.push_back(s.c_str());
        argv.push_back(nullptr);
    }
    int argc() const { return static_cast<int>(storage.size()); }
};

// Parses the words; -1 when the usage text ended the parse.
int parse(Words& words, ClientSettings& settings)
{
    try {
        testing::internal::CaptureStdout();
        parse_command_line(words.argc(), words.argv.data(), settings);
        testing::internal::GetCapturedStdout();
        return 0;
    } catch (const ClientExit& exit) {
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_NE(out.find("SYNOPSIS"), std::string::npos);
        return exit.code == 1 ? -1 : -2;
    }
}

TEST(ClientWordToInt, ReadsLikeTheWindowsLibrary)
{
    const struct
    {
        const char16_t* word;
        int value;
    } cases[] = {
        {u"0", 0},
        {u"42", 42},
        {u"-7", -7},
        {u"+7", 7},
        {u"  12", 12},
        {u"\t-3", -3},
        {u"12abc", 12},
        {u"abc", 0},
        {u"", 0},
        {u"-", 0},
        {u"2147483647", 2147483647},
        {u"2147483648", 2147483647},
        {u"4294967296", 2147483647},
        {u"-2147483648", -2147483647 - 1},
        {u"-99999999999999999999", -2147483647 - 1},
        {u"0x10", 0},
        {u"010", 10},
    };
    for (const auto& c : cases)
        EXPECT_EQ(word_to_int(c.word), c.value) << std::u16string(c.word).size();
    EXPECT_EQ(word_to_int(nullptr), 0);
}

TEST(ClientKeywords, SystemOptionsAndPersistenceModes)
{
    const struct
    {
        const char16_t* word;
        int option;
        int mode;
    } cases[] = {
        {u"ALL", 0, -1},      {u"SCS", 1, -1},     {u"DIALOG", 2, -1},
        {u"VORN", 3, -1},     {u"J2EE", 4, -1},    {u"LEVEL", 5, -1},
        {u"TOVA", 6, -1},     {u"ENQREP", 7, -1},  {u"ZDB", 8, -1},
        {u"ALLNOZDB", 9, -1}, {u"all", -1, -1},    {u"60", -1, -1},
        {u"DYNAMIC", -1, 0},  {u"PERSIST", -1, 1}, {u"DYNAMIC_PERSIST", -1, 2},
        {u"dynamic", -1, -1}, {u"", -1, -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parse_system_option(c.word), c.option);
        EXPECT_EQ(parse_parameter_mode(c.word), c.mode);
    }
}

TEST(ClientOptionLoop, SettingsFromOptionWords)
{
    {
        Words w{u"-nr", u"7", u"-function", u"GetProcessList"};
        ClientSettings s;
        ASSERT_EQ(parse(w, s), 0);
        EXPECT_EQ(s.instance_nr, 7);
        EXPECT_EQ(std::u16string(s.webmethod), u"GetProcessList");
        EXPECT_STREQ(s.host, "localhost");
        EXPECT_EQ(std::u16string(s.format), u"list");
        EXPECT_EQ(s.transport, TRANSPORT_NI_HTTP);
        EXPECT_EQ(s.repeat_count, 1);
        EXPECT_EQ(s.repeat_delay, 0);
        EXPECT_EQ(s.user, nullptr);
        EXPECT_FALSE(s.query_user);
    }
    {
        // The webmethod may come first; stray words are skipped.
        Words w{u"-function", u"GetProcessList", u"stray", u"-nr",    u"0",     u"-format",
                u"script",    u"-repeat",        u"3",     u"5",      u"-user", u"bob",
                u"pw",        u"-queryuser",     u"-host", u"h\u00e9"};
        ClientSettings s;
        ASSERT_EQ(parse(w, s), 0);
        EXPECT_EQ(s.instance_nr, 0);
        EXPECT_EQ(std::u16string(s.format), u"script");
        EXPECT_EQ(s.repeat_count, 3);
        EXPECT_EQ(s.repeat_delay, 5);
        EXPECT_STREQ(s.user, "bob");
        EXPECT_STREQ(s.password, "pw");
        EXPECT_TRUE(s.query_user);
        EXPECT_STREQ(s.host, "h\xc3\xa9");
        EXPECT_EQ(std::u16string(s.host_typed), u"h\u00e9");
    }
    const struct
    {
        const char16_t* prot;
        int type;
    } protocols[] = {{u"NI_HTTP", 0},  {u"NI_HTTPS", 1}, {u"WINHTTP", 2},
                     {u"WINHTTPS", 3}, {u"PIPE", 4},     {u"GSOAP_HTTP", 5}};
    for (const auto& p : protocols) {
        Words w{u"-prot", p.prot, u"-nr", u"1", u"-function", u"Start"};
        ClientSettings s;
        ASSERT_EQ(parse(w, s), 0);
        EXPECT_EQ(s.transport, p.type);
    }
}

TEST(ClientOptionLoop, PipeMakesLocalhostTheLocalMachine)
{
    const struct
    {
        std::initializer_list<const char16_t*> words;
        const char* host;
    } cases[] = {
        {{u"-prot", u"PIPE", u"-nr", u"0", u"-function", u"Start"}, "."},
        {{u"-host", u"localhost", u"-prot", u"PIPE", u"-nr", u"0", u"-function", u"Start"}, "."},
        {{u"-prot", u"PIPE", u"-host", u"localhost", u"-nr", u"0", u"-function", u"Start"},
         "localhost"},
        {{u"-host", u"other", u"-prot", u"PIPE", u"-nr", u"0", u"-function", u"Start"}, "other"},
    };
    for (const auto& c : cases) {
        Words w(c.words);
        ClientSettings s;
        ASSERT_EQ(parse(w, s), 0);
        EXPECT_STREQ(s.host, c.host);
    }
}

TEST(ClientOptionLoop, CommandLineErrorsPrintTheUsage)
{
    // Vectors, not initializer_lists: a list copied into a vector outlives its array.
    const std::vector<std::vector<const char16_t*>> cases = {
        {},
        {u"-nr", u"0"},
        {u"-function", u"GetProcessList"},
        {u"-nr", u"100", u"-function", u"GetProcessList"},
        {u"-nr", u"-1", u"-function", u"GetProcessList"},
        {u"-nr", u"4294967296", u"-function", u"GetProcessList"},
        {u"-nr", u"0", u"-function", u"GetProcessList", u"-format", u"xml"},
        {u"-nr", u"0", u"-function", u"GetProcessList", u"-prot", u"HTTP"},
        {u"-nr", u"0", u"-function", u"GetProcessList", u"-prot"},
        {u"-nr", u"0", u"-function", u"GetProcessList", u"-host"},
        {u"-nr", u"0", u"-function", u"GetProcessList", u"-trace"},
        {u"-nr", u"0", u"-function", u"GetProcessList", u"-user", u"bob"},
        {u"-nr", u"0", u"-function", u"GetProcessList", u"-repeat", u"1"},
        {u"-nr", u"0", u"-function"},
        {u"-nr"},
    };
    for (const auto& words : cases) {
        Words w(words);
        ClientSettings s;
        EXPECT_EQ(parse(w, s), -1) << words.size();
    }
    // A -nr value without digits is instance 0.
    Words w{u"-nr", u"x", u"-function", u"GetProcessList"};
    ClientSettings s;
    EXPECT_EQ(parse(w, s), 0);
    EXPECT_EQ(s.instance_nr, 0);
}

TEST(ClientUsage, TextIsPrintedWithTheVersionAndExitCodeOne)
{
    const clienttest::RunResult r = run({});
    EXPECT_EQ(r.exit_code, 1);
    const std::string& out = r.out;
    ASSERT_GT(out.size(), 100u);
    EXPECT_EQ(out.substr(0, 5), "NAME\n");
    // The version replaces the one "%s"; a blank follows the closing bracket.
    const std::string second_line = out.substr(5, out.find('\n', 5) - 5);
    EXPECT_EQ(second_line.rfind("    qorcontrol (Version: ", 0), 0u) << second_line;
    EXPECT_EQ(second_line.substr(second_line.size() - 2), ") ");
    EXPECT_EQ(second_line.find('%'), std::string::npos);
    EXPECT_NE(out.find("\n    -queryuser \n        Query interactively for user and password\n"),
              std::string::npos);
    EXPECT_NE(
        out.find("\n    AnalyseLogFiles [<severity 0..2> [<maxentries>\n"
                 "        [<starttime YYYY MM DD HH:MM:SS> <endtime YYYY MM DD HH:MM:SS>]]]\n"),
        std::string::npos);
    const std::string tail = "EXAMPLES\n    qorcontrol -nr 0 -function GetProcessList\n"
                             "      Gets the list of processes on instance 00 on localhost\n";
    ASSERT_GE(out.size(), tail.size());
    EXPECT_EQ(out.substr(out.size() - tail.size()), tail);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 168);
    // Only these two lines end in a blank.
    int blank_ends = 0;
    for (std::size_t pos = out.find(" \n"); pos != std::string::npos;
         pos = out.find(" \n", pos + 1))
        ++blank_ends;
    EXPECT_EQ(blank_ends, 2);
    // Bypass and detach webmethods are not announced.
    EXPECT_EQ(out.find("StartBypassHA"), std::string::npos);
    EXPECT_EQ(out.find("StopBypassHA"), std::string::npos);
    EXPECT_EQ(out.find("ShmDetach"), std::string::npos);
}

// The whole usage text, byte for byte, with "%s" in place of the version.
constexpr const char kUsageGolden[] = R"GOLDEN(NAME
    qorcontrol (Version: %s) 

SYNOPSIS
    qorcontrol [-prot <protocol>]
               [-trace <filename>]
               [-debug]
               [-user <user> <password>]
               [-queryuser]
               [-repeat <N> <D>]
               [-format <format>]
               [-host <hostname>]
               -nr <instance number>
               -function <webmethod> [parameter list]

DESCRIPTION
    Control and monitor QOR instances via WebService interface of QOR Start Service.

OPTIONS
    -prot <protocol>
        Specify the protocol for the communication with the QOR instance.
        Available protocols are:
          NI_HTTP     HTTP  using QOR NI sockets (default, prefer Unix domain sockets)
          NI_HTTPS    HTTPS using QOR NI sockets (prefer Unix domain sockets)
          GSOAP_HTTP  HTTP  using gsoap build in sockets
          WINHTTP     HTTP  using Windows winhttp
          WINHTTPS    HTTPS using Windows winhttp
          PIPE        Windows named pipes (on Unix same as NI_HTTP)
    -trace <filename>
        Trace SOAP request/response
    -debug
        Write local trace to stderr
    -user <user> <password>
        OS user and password for Webservice authentication
    -queryuser 
        Query interactively for user and password
    -repeat <N> <D>
        Repeat webmethod call <N> times (-1=forever) with <D> sec delay
    -format <format>
        Specify the format for the output of the webmethod.
        Available formats are:
          list    List output format (default)
          script  Script output format
    -host <hostname>
        Host to connect to (default: localhost)

WEBMETHODS
    Start [runlevel]
    InstanceStart <hostname> <instance number> [runlevel]
    Bootstrap [<hostname> <instance number>]
    Stop [softtimeout sec]
    InstanceStop <hostname> <instance number> [softtimeout sec]
    Shutdown
    RestartInstance [<softtimeout sec> [runlevel]]
    StopService
    StartService <SID>
    RestartService
    ParameterValue [<parameter>]
    GetStartProfile
    GetTraceFile
    GetAlertTree
    GetAlerts
    GetEnvironment
    GetVersionInfo
    GetQueueStatistic
    GetProcessList
    GetInstanceProperties
    ListDeveloperTraces
    ReadDeveloperTrace <filename> <filesize>
    ListLogFiles
    ReadLogFile <filename> [<filter> [<language> [<maxentries> [<cookie>]]]]
    AnalyseLogFiles [<severity 0..2> [<maxentries>
        [<starttime YYYY MM DD HH:MM:SS> <endtime YYYY MM DD HH:MM:SS>]]]
    ConfigureLogFileList set|add|remove [<filename1> <filename2>... <filenameN>]
    GetLogFileList
    CreateSnapshot [<description> [<datcol_param> [<analyse_severity -1..2>
        [<analyse_maxentries> [<analyse_starttime YYYY MM DD HH:MM:SS>
        <analyse_endtime YYYY MM DD HH:MM:SS> [maxentries
        [<filename1> ... <filenameN>]]]]]]]
    ReadSnapshot <filename> [<local filename>]
    ListSnapshots
    DeleteSnapshots <filename1> [<filename2>... <filenameN>]
    GetAccessPointList
    GetProcessParameter <processtype> [pid]
    SetProcessParameter <processtype> <pid> <parameter> <value1>
        [<value2> ... <valueN>]
    SetProcessParameter2 <processtype> <pid> [DYNAMIC|PERSIST|DYNAMIC_PERSIST] <parameter> <value1>
        [<value2> ... <valueN>]
    OSExecute <command> <async> <timeout> <protocolfile>
    SendSignal <pid> <signal>
    GetCallstack <pid>
    GetSystemInstanceList [<timeout sec>]
    StartSystem [ALL|SCS|DIALOG|VORN|J2EE|TOVA|ENQREP|ZDB|ALLNOZDB|LEVEL <level>
        [<waittimeout sec> [runlevel]]]
    StopSystem [ALL|SCS|DIALOG|VORN|J2EE|TOVA|ENQREP|ZDB|ALLNOZDB|LEVEL <level>
        [<waittimeout sec> [<softtimeout sec>]]]
    RestartSystem [ALL|SCS|DIALOG|VORN|J2EE|TOVA|ENQREP|ZDB|ALLNOZDB|LEVEL <level>
        [<waittimeout sec> [<softtimeout sec> [runlevel]]]]
    AccessCheck <function>
    RequestLogonFile <user>
    UpdateSystemPKI [<force>]
    UpdateInstancePSE [<force>]
    HACheckConfig
    HACheckFailoverConfig
    HAGetFailoverConfig
    HAFailoverToNode <node>
    VORNReadSyslog
    VORNReadRawSyslog
    VORNGetWPTable
    VORNGetSystemWPTable [<activeonly>]
    J2EEControlProcess <processname> <function>
    J2EEControlCluster <processname> <function> [<hostname> <instance number>]
    J2EEEnableDbgSession <client> [<processname> <debugflags>]
    J2EEDisableDbgSession <debugkey>
    J2EEGetProcessList
    J2EEGetProcessList2
    J2EEGetThreadList
    J2EEGetThreadList2
    J2EEGetThreadCallStack [<threadindex>]
    J2EEGetThreadTaskStack [<threadindex>]
    J2EEGetSessionList
    J2EEGetCacheStatistic
    J2EEGetCacheStatistic2
    J2EEGetApplicationAliasList
    J2EEGetComponentList
    J2EEControlComponents <process name> <operation> <componenttype>
        <componentname1>,...,<componentnameN>
    J2EEGetWebSessionList
    J2EEGetWebSessionList2
    J2EEGetEJBSessionList
    J2EEGetRemoteObjectList
    J2EEGetVMGCHistory
    J2EEGetVMGCHistory2
    J2EEGetVMHeapInfo
    J2EEGetClusterMsgList
    J2EEGetSharedTableInfo
    XCMGetThreadList
    XCMGetConnectionList
    XCMGetProxyConnectionList
    XCMGetCacheEntries
    WebDispGetServerList
    EnqGetStatistic
    EnqGetLockTable
    StartWait <timeout sec> <delay sec>
    StopWait <timeout sec> <delay sec>
    WaitforStarted <timeout sec> <delay sec>
    WaitforStopped <timeout sec> <delay sec>
    RestartServiceWait <timeout sec> <delay sec>
    WaitforServiceStarted <timeout sec> <delay sec>
    CheckHostAgent

EXITCODES
    0  Last webmethod call successful
    1  Last webmethod call failed, invalid parameter
    2  StartWait, StopWait, WaitforStarted, WaitforStopped, RestartServiceWait
       timed out
    3  GetProcessList succeeded, all processes running correctly
    4  GetProcessList succeeded, all processes stopped

SECURITY
    Trusted connects without user and password check are possible through
    Unix domain socket or Windows named pipes. Protected webmethods like
    Start or Stop require a trusted connection or OS user and password
    authentication.

EXAMPLES
    qorcontrol -nr 0 -function GetProcessList
      Gets the list of processes on instance 00 on localhost
)GOLDEN";

TEST(ClientUsage, WholeTextByteForByte)
{
    const clienttest::RunResult r = run({"-nr", "0"});
    EXPECT_EQ(r.exit_code, 1);
    const std::string open = "(Version: ";
    const std::size_t from = r.out.find(open);
    ASSERT_NE(from, std::string::npos);
    const std::size_t to = r.out.find(')', from);
    ASSERT_NE(to, std::string::npos);
    const std::string version = r.out.substr(from + open.size(), to - from - open.size());
    EXPECT_FALSE(version.empty());
    std::string out = r.out;
    out.replace(from + open.size(), version.size(), "%s");
    EXPECT_EQ(out, kUsageGolden);
}

} // namespace
