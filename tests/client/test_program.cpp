// The built program as a whole: argument conversion, exit code and output.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "client_harness.h"
#include "soap_lite_service.h"

namespace {

struct ProgramResult
{
    int exit_code = -1;
    std::string out;
};

ProgramResult run_command(const std::string& command)
{
    ProgramResult result;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return result;
    char buf[4096];
    std::size_t n = 0;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0)
        result.out.append(buf, n);
    const int status = pclose(pipe);
    result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = clienttest::mask_time_stamps(result.out);
    return result;
}

ProgramResult run_program(const std::string& arguments)
{
    return run_command(std::string(QORCONTROL_BINARY) + " " + arguments + " 2>/dev/null");
}

TEST(ClientProgram, ExitCodesAndOutputOfWholeRuns)
{
    const ProgramResult usage = run_program("");
    EXPECT_EQ(usage.exit_code, 1);
    EXPECT_EQ(usage.out.rfind("NAME\n    qorcontrol (Version: ", 0), 0u);

    clienttest::Instance instance = clienttest::start_instance();
    instance.service->set_default(qortest::Reply::ok(
        "<QORControl:GetProcessListResponse><process><item><name>n\xc3\xa9</name>"
        "<dispstatus>QORControl-GREEN</dispstatus><pid>1</pid></item></process>"
        "</QORControl:GetProcessListResponse>"));
    const std::string address = "-host 127.0.0.1 -nr " + std::to_string(instance.nr);
    const ProgramResult list = run_program(address + " -function GetProcessList");
    EXPECT_EQ(list.exit_code, 3);
    EXPECT_EQ(list.out, clienttest::heading("GetProcessList") +
                            "OK\nname, description, dispstatus, textstatus, starttime, "
                            "elapsedtime, pid\nn\xc3\xa9, , GREEN, , , , 1\n");
    // A non-ASCII word on the command line reaches the request as UTF-8.
    const ProgramResult value = run_program(address + " -function ParameterValue 'p\xc3\xa4r'");
    EXPECT_EQ(value.exit_code, 1);
    EXPECT_EQ(clienttest::element_text(instance.service->last_request().body, "parameter"),
              "p\xc3\xa4r");
    // A word that is not UTF-8 keeps its other characters.
    const ProgramResult malformed = run_program(address + " -function ParameterValue 'ab\xff"
                                                          "cd'");
    EXPECT_EQ(malformed.exit_code, 1);
    EXPECT_EQ(clienttest::element_text(instance.service->last_request().body, "parameter"),
              "ab\xef\xbf\xbd"
              "cd");
    // User and password that are not UTF-8 keep every other character: a
    // broken character is one U+FFFD, and so is each byte of one cut off by
    // the end of the word. Such a user name is no empty user: no logon file
    // is asked for. An encoded surrogate is kept as a lone surrogate, which
    // has no UTF-8 form: that password is absent, and no credentials go out.
    const std::string r = "\xef\xbf\xbd"; // U+FFFD
    const struct
    {
        const char* user;
        const char* password;
        std::optional<std::string> sent;
    } credentials[] = {
        {"\xff", "pw", r + ":pw"},
        {"ab\xc3", "pw", "ab" + r + ":pw"},
        {"ab\xe2\x82", "pw", "ab" + r + r + ":pw"},
        {"M\xfcller", "B\xe4r", "M" + r + "ller:B" + r + "r"},
        {"\xe4\xf6", "x\xe2\x82y", r + r + ":x" + r + r + "y"},
        {"\xc0\x80u", "p\xf4\x90\x80\x80", r + "u:p" + r},
        {"u", "\xed\xa0\x80", std::nullopt},
        {"j\xc3\xb6rg\xef\xbf\xbd", "pw", "j\xc3\xb6rg" + r + ":pw"}, // all UTF-8
    };
    for (const auto& c : credentials) {
        instance.service->clear_requests();
        run_program("-user '" + std::string(c.user) + "' '" + c.password + "' " + address +
                    " -function Shutdown");
        ASSERT_EQ(instance.service->request_count(), 1u) << c.user;
        EXPECT_EQ(instance.service->last_request().element, "Shutdown") << c.user;
        EXPECT_EQ(instance.service->last_request().basic_credentials(), c.sent) << c.user;
    }
    const ProgramResult unknown = run_program(address + " -function Nothing");
    EXPECT_EQ(unknown.exit_code, 1);
    EXPECT_EQ(unknown.out, "Unknown webmethod: Nothing\n");
}

// A fault string of exactly `bytes` bytes after `start`, filled with digits
// that number their own places.
std::string fault_text(const std::string& start, std::size_t bytes)
{
    std::string text = start;
    for (std::size_t i = text.size(); i < bytes; ++i)
        text += static_cast<char>('0' + i % 10);
    return text;
}

// The replies of a service made with another SOAP stack (SOAP::Lite, in
// rpc/encoded style): arrays typed SOAP-ENC:Array with an arrayType, members
// typed by that stack, and faults with long fault strings. The program
// prints them as it prints any service's.
TEST(ClientProgram, PrintsTheRepliesOfAnotherSoapStack)
{
    const std::string missing = clienttest::soap_lite_missing();
    if (!missing.empty())
        GTEST_SKIP() << missing;
    // Plain text (read straight from the input buffer) around the sizes of
    // the reader's pieces, and text with references and a character beyond
    // ASCII (read character by character).
    std::vector<std::string> faults;
    for (std::size_t bytes : {255, 256, 257, 410, 1023, 1024, 1025})
        faults.push_back(fault_text("Permission denied: ", bytes));
    faults.push_back(fault_text("Permission denied for <qoradm> & \"ops\" on h\xc3\xb4te: ", 410));
    clienttest::SoapLiteService service(faults);
    ASSERT_GE(service.nr(), 0) << "the SOAP::Lite service did not start";
    char nr[8];
    std::snprintf(nr, sizeof nr, "%02d", service.nr());
    const std::string address = std::string("-host 127.0.0.1 -nr ") + nr;
    const std::string processes = "qorwp, Dispatcher, GREEN, Running, 2026 12 06 08:15:02, "
                                  "9:34:10, 24117\n"
                                  "qormsg, Message Server, YELLOW, Restarting, 2026 12 06 "
                                  "08:15:02, 9:34:10, 24118\n"
                                  "qorgw, Gateway, GRAY, Stopped, 2026 12 06 08:15:02, 9:34:10, "
                                  "24131\n";
    const std::string versions = "753, patch 400, changelist 2045011, optimized, 64-bit";
    struct Row
    {
        std::string words;
        std::string webmethod;
        std::string out; // after the heading
        int exit_code;
    };
    std::vector<Row> rows = {
        {"-function GetProcessList", "GetProcessList",
         "OK\nname, description, dispstatus, textstatus, starttime, elapsedtime, pid\n" + processes,
         0},
        {"-format script -function GetProcessList", "GetProcessList",
         "OK\n0 name: qorwp\n0 description: Dispatcher\n0 dispstatus: GREEN\n"
         "0 textstatus: Running\n0 starttime: 2026 12 06 08:15:02\n0 elapsedtime: 9:34:10\n"
         "0 pid: 24117\n1 name: qormsg\n1 description: Message Server\n1 dispstatus: YELLOW\n"
         "1 textstatus: Restarting\n1 starttime: 2026 12 06 08:15:02\n1 elapsedtime: 9:34:10\n"
         "1 pid: 24118\n2 name: qorgw\n2 description: Gateway\n2 dispstatus: GRAY\n"
         "2 textstatus: Stopped\n2 starttime: 2026 12 06 08:15:02\n2 elapsedtime: 9:34:10\n"
         "2 pid: 24131\n",
         0},
        {"-function GetVersionInfo", "GetVersionInfo",
         "OK\nFilename, VersionInfo, Time\n/usr/qor/QOR/D00/exe/qorwp, " + versions +
             ", 2026 11 02 10:21:45\n/usr/qor/QOR/D00/exe/qorgw, " + versions +
             ", 2026 11 02 10:21:45\n",
         0},
    };
    // The service answers with these faults in turn.
    for (const std::string& fault : faults)
        rows.push_back({"-function GetInstanceProperties", "GetInstanceProperties",
                        "FAIL: " + fault + "\n", 1});
    for (const Row& row : rows) {
        const ProgramResult r = run_program(address + " " + row.words);
        EXPECT_EQ(r.out, clienttest::heading(row.webmethod) + row.out) << row.words;
        EXPECT_EQ(r.exit_code, row.exit_code) << row.words;
    }
}

// A word as the shell takes it back, whatever bytes it holds.
std::string shell_quoted(const std::string& word)
{
    std::string quoted = "'";
    for (char c : word)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// The -trace names of scripts that name no file in a folder: the standard
// output, the null device, the standard error and the pipe of a process
// substitution (/dev/fd/63, whose link text is "pipe:[...]").
TEST(ClientProgram, TraceToTheStandardStreamsTheNullDeviceAndAPipe)
{
    clienttest::Instance instance = clienttest::start_instance();
    instance.service->set_default(qortest::Reply::ok_empty("Shutdown"));
    const std::string call =
        " -host 127.0.0.1 -nr " + std::to_string(instance.nr) + " -function Shutdown";
    const struct
    {
        std::string words; // after the program's name, in bash
        bool traced;       // else the output is the call's alone
    } cases[] = {
        {"-trace -" + call + " 2>/dev/null", true},
        {"-trace /dev/null" + call + " 2>/dev/null", false},
        {"-trace /dev/stderr" + call + " 2>&1 >/dev/null", true},
        {"-trace >(cat)" + call + " >/dev/null 2>&1", true},
    };
    for (const auto& c : cases) {
        const ProgramResult r =
            run_command("bash -c " + shell_quoted(std::string(QORCONTROL_BINARY) + " " + c.words));
        EXPECT_EQ(r.exit_code, 0) << c.words;
        if (!c.traced) {
            EXPECT_EQ(r.out, clienttest::heading("Shutdown") + "OK\n") << c.words;
        }
        EXPECT_EQ(r.out.find("POST / HTTP/1.1\r\n") != std::string::npos, c.traced) << c.words;
        EXPECT_EQ(r.out.find("<QORControl:ShutdownResponse/>") != std::string::npos, c.traced)
            << c.words;
    }
}

// A host text that names anything but one host is an invalid parameter on
// every transport: the usage text and nothing else, standard input (which
// holds a complete reply) left alone, and no connection to the instance or to
// the port the text names. Names and addresses of one host still work.
TEST(ClientProgram, HostTextThatNamesMoreThanAHostIsAnInvalidParameter)
{
    for (const char* proxy : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"})
        unsetenv(proxy);
    const std::string usage = run_program("").out;
    clienttest::Instance instance = clienttest::start_instance();
    instance.service->set_default(qortest::Reply::ok_empty("Shutdown"));
    qortest::FakeService named; // the port a host text names
    const std::string port = std::to_string(named.port());
    char input[] = "/tmp/qor_host_stdin_XXXXXX";
    ::close(mkstemp(input));
    const std::string reply = qortest::envelope("<QORControl:ShutdownResponse/>");
    std::ofstream(input) << "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: "
                         << reply.size() << "\r\n\r\n"
                         << reply;
    const std::string call = " -user qoradm secret -nr " + std::to_string(instance.nr) +
                             " -function Shutdown < " + input;
    const std::string bad[] = {"",
                               "[]",
                               "[127.0.0.1]:" + port,
                               "[127.0.0.1]x",
                               "::1]",
                               "x]",
                               "[::1]x",
                               "127.0.0.1:" + port,
                               "\xff",          // no UTF-8
                               "127.0.0.1\xc3", // a character cut off
                               "127.0.0.1%3a" + port,
                               "127.0.0.1\\pipe\\qorcontrol_00",
                               "fe80::1%lo"};
    for (const char* prot : {"NI_HTTP", "NI_HTTPS", "GSOAP_HTTP", "WINHTTP", "WINHTTPS", "PIPE"}) {
        for (const std::string& host : bad) {
            const ProgramResult r =
                run_program(std::string("-prot ") + prot + " -host " + shell_quoted(host) + call);
            EXPECT_EQ(r.exit_code, 1) << prot << " [" << host << "]";
            EXPECT_EQ(r.out, usage) << prot << " [" << host << "]";
        }
    }
    EXPECT_EQ(instance.service->connections_accepted(), 0u);
    EXPECT_EQ(named.connections_accepted(), 0u);
    for (const char* prot : {"NI_HTTP", "GSOAP_HTTP", "WINHTTP"}) {
        for (const char* host : {"127.0.0.1", "localhost"}) {
            const ProgramResult r =
                run_program(std::string("-prot ") + prot + " -host " + host + " -nr " +
                            std::to_string(instance.nr) + " -function Shutdown");
            EXPECT_EQ(r.exit_code, 0) << prot << " " << host;
            EXPECT_EQ(r.out, clienttest::heading("Shutdown") + "OK\n") << prot << " " << host;
        }
    }
    EXPECT_EQ(instance.service->request_count(), 6u);
    std::remove(input);
}

// The names of a folder, sorted.
std::vector<std::string> folder_names(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A local file name typed with bytes that are not UTF-8 would, as 16-bit
// text, name another file (U+FFFD in their place): ReadSnapshot fails as for
// a name it cannot open and -trace is not opened, and nothing in the folder
// is touched, least of all a file that holds U+FFFD in that place. A name
// typed with U+FFFD itself is written as before.
TEST(ClientProgram, LocalFileNamesThatAreNotUtf8AreNeverOpened)
{
    clienttest::Instance instance = clienttest::start_instance();
    instance.service->set_default(
        qortest::Reply::ok("<QORControl:ReadSnapshotResponse><snapshot>aGk=</snapshot>"
                           "</QORControl:ReadSnapshotResponse>"));
    std::string pattern = (std::filesystem::temp_directory_path() / "qorwords.XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    const std::string folder = pattern + "/";
    const std::string r = "\xef\xbf\xbd";                // U+FFFD
    const std::string pair = "\xed\xa0\x80\xed\xb0\x80"; // U+10000 as encoded surrogates
    const std::string u10000 = "\xf0\x90\x80\x80";
    const std::string address = "-host 127.0.0.1 -nr " + std::to_string(instance.nr);
    const std::string snapshot = clienttest::heading("ReadSnapshot") + "OK\n";
    const std::string refused = snapshot + "FAIL: cannot open local file " + folder;
    const struct
    {
        std::string words;
        std::string out;
        int exit_code;
        std::string written; // the new file's name, if any
    } cases[] = {
        {"-function ReadSnapshot s.zip " + shell_quoted(folder + "Gr\xfc\xdf" + "e"),
         refused + "Gr" + r + r + "e\n", 1, ""},
        {"-function ReadSnapshot s.zip " + shell_quoted(folder + "a\xff.zip"),
         refused + "a" + r + ".zip\n", 1, ""},
        {"-function ReadSnapshot s.zip " + shell_quoted(folder + "a\xc3"), refused + "a" + r + "\n",
         1, ""},
        // Without a local name the typed snapshot name is the local one.
        {"-function ReadSnapshot " + shell_quoted(folder + "a\xff.zip"),
         refused + "a" + r + ".zip\n", 1, ""},
        // The null device drops the snapshot.
        {"-trace " + shell_quoted(folder + "a\xff.zip") + " -function ReadSnapshot s.zip NUL",
         snapshot, 0, ""},
        {"-trace " + shell_quoted(folder + "t\xe2\x82") + " -function ReadSnapshot s.zip NUL",
         snapshot, 0, ""},
        // An encoded surrogate is a lone one, which names no file either
        // (it prints as "#").
        {"-function ReadSnapshot s.zip " + shell_quoted(folder + "x\xed\xa0\x80.zip"),
         refused + "x#.zip\n", 1, ""},
        {"-trace " + shell_quoted(folder + "t\xed\xa0\x80") + " -function ReadSnapshot s.zip NUL",
         snapshot, 0, ""},
        // A pair of them names the file of the character it encodes.
        {"-function ReadSnapshot s.zip " + shell_quoted(folder + "c" + pair + ".zip"),
         refused + "c" + u10000 + ".zip\n", 1, ""},
        {"-function ReadSnapshot " + shell_quoted(folder + "c" + pair + ".zip"),
         refused + "c" + u10000 + ".zip\n", 1, ""},
        {"-trace " + shell_quoted(folder + "c" + pair + ".zip") +
             " -function ReadSnapshot s.zip NUL",
         snapshot, 0, ""},
        {"-function ReadSnapshot s.zip " + shell_quoted(folder + "b" + r + ".zip"), snapshot, 0,
         "b" + r + ".zip"},
    };
    for (const auto& c : cases) {
        for (const std::string& decoy : {"a" + r + ".zip", "c" + u10000 + ".zip"})
            std::ofstream(folder + decoy) << "unrelated";
        instance.service->clear_requests();
        const ProgramResult result = run_program(address + " " + c.words);
        EXPECT_EQ(result.out, c.out) << c.words;
        EXPECT_EQ(result.exit_code, c.exit_code) << c.words;
        EXPECT_EQ(instance.service->request_count(), 1u) << c.words;
        std::vector<std::string> names = {"a" + r + ".zip", "c" + u10000 + ".zip"};
        for (const std::string& decoy : names)
            EXPECT_EQ(clienttest::read_file(folder + decoy), "unrelated") << c.words;
        if (!c.written.empty()) {
            EXPECT_EQ(clienttest::read_file(folder + c.written), "hi") << c.words;
            names.push_back(c.written);
        }
        std::sort(names.begin(), names.end());
        EXPECT_EQ(folder_names(folder), names) << c.words;
    }
    std::filesystem::remove_all(folder);
}

} // namespace
