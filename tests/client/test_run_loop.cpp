// The repeat loop, the exit codes and the credentials of the calls.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "client/options.h"
#include "client_harness.h"
#include "support/closed_port.h"

namespace {

using clienttest::heading;
using qortest::Reply;

std::string process(const std::string& name, const std::string& color)
{
    return "<item><name>" + name + "</name><description>d</description><dispstatus>" + color +
           "</dispstatus><textstatus>t</textstatus><starttime>s</starttime>"
           "<elapsedtime>e</elapsedtime><pid>1</pid></item>";
}

Reply process_list(const std::vector<std::string>& colors)
{
    std::string items;
    for (std::size_t i = 0; i < colors.size(); ++i)
        items += process("p" + std::to_string(i), colors[i]);
    return Reply::ok("<QORControl:GetProcessListResponse><process>" + items +
                     "</process></QORControl:GetProcessListResponse>");
}

TEST(ClientExitCodes, ProcessListStates)
{
    const struct
    {
        std::vector<std::string> colors;
        int exit_code;
    } cases[] = {
        {{"QORControl-GREEN"}, 3},
        {{"QORControl-GREEN", "QORControl-GREEN"}, 3},
        {{"QORControl-GREEN", "QORControl-YELLOW"}, 0},
        {{"QORControl-GRAY", "QORControl-RED"}, 4},
        {{"QORControl-GRAY", "QORControl-GREEN"}, 0},
        {{}, 4},
        {{"7"}, 0},
    };
    clienttest::Instance instance = clienttest::start_instance();
    for (const auto& c : cases) {
        instance.service->set_default(process_list(c.colors));
        const clienttest::RunResult r = clienttest::run(instance.call({"GetProcessList"}));
        EXPECT_EQ(r.exit_code, c.exit_code) << c.colors.size();
    }
    // The golden output of a process list in both formats.
    instance.service->set_default(process_list({"QORControl-GREEN", "QORControl-RED"}));
    const clienttest::RunResult list = clienttest::run(instance.call({"GetProcessList"}));
    EXPECT_EQ(list.out, heading("GetProcessList") +
                            "OK\nname, description, dispstatus, textstatus, starttime, "
                            "elapsedtime, pid\np0, d, GREEN, t, s, e, 1\np1, d, RED, t, s, e, 1\n");
    std::vector<std::string> words = instance.call({"GetProcessList"});
    words.insert(words.begin(), {"-format", "script"});
    const clienttest::RunResult script = clienttest::run(words);
    EXPECT_EQ(script.out, heading("GetProcessList") +
                              "OK\n0 name: p0\n0 description: d\n0 dispstatus: GREEN\n"
                              "0 textstatus: t\n0 starttime: s\n0 elapsedtime: e\n0 pid: 1\n"
                              "1 name: p1\n1 description: d\n1 dispstatus: RED\n1 textstatus: t\n"
                              "1 starttime: s\n1 elapsedtime: e\n1 pid: 1\n");
    // An empty list prints the column header only; a failure no records.
    instance.service->set_default(Reply::ok("<QORControl:GetProcessListResponse/>"));
    const clienttest::RunResult empty = clienttest::run(instance.call({"GetProcessList"}));
    EXPECT_EQ(empty.out, heading("GetProcessList") +
                             "OK\nname, description, dispstatus, textstatus, starttime, "
                             "elapsedtime, pid\n");
    EXPECT_EQ(empty.exit_code, 4);
    instance.service->set_default(Reply::fault11("SOAP-ENV:Server", "down"));
    const clienttest::RunResult failed = clienttest::run(instance.call({"GetProcessList"}));
    EXPECT_EQ(failed.out, heading("GetProcessList") + "FAIL: down\n");
    EXPECT_EQ(failed.exit_code, 1);
}

TEST(ClientRepeatLoop, CountsSleepsAndLastCallWins)
{
    clienttest::Instance instance = clienttest::start_instance();
    {
        clienttest::FakeTime time;
        instance.service->set_default(Reply::ok_empty("Shutdown"));
        std::vector<std::string> words = instance.call({"Shutdown"});
        words.insert(words.end(), {"-repeat", "3", "5"});
        const clienttest::RunResult r = clienttest::run(words, time.environment());
        EXPECT_EQ(r.exit_code, 0);
        EXPECT_EQ(instance.service->request_count(), 3u);
        EXPECT_EQ(time.loop_sleeps, (std::vector<int>{5, 5}));
        EXPECT_EQ(r.out, heading("Shutdown") + "OK\n" + heading("Shutdown") + "OK\n" +
                             heading("Shutdown") + "OK\n");
    }
    const struct
    {
        std::vector<Reply> replies;
        int exit_code;
    } orders[] = {
        {{Reply::fault11("SOAP-ENV:Server", "x"), Reply::ok_empty("Shutdown")}, 0},
        {{Reply::ok_empty("Shutdown"), Reply::fault11("SOAP-ENV:Server", "x")}, 1},
    };
    for (const auto& o : orders) {
        clienttest::FakeTime time;
        clienttest::Instance fresh = clienttest::start_instance();
        fresh.service->script("Shutdown", o.replies);
        std::vector<std::string> words = fresh.call({"Shutdown"});
        words.insert(words.end(), {"-repeat", "2", "0"});
        EXPECT_EQ(clienttest::run(words, time.environment()).exit_code, o.exit_code);
        EXPECT_EQ(time.loop_sleeps, (std::vector<int>{0}));
    }
    // A count of 0 calls nothing, even for a name no branch knows.
    for (const char* name : {"Shutdown", "NoSuchMethod"}) {
        instance.service->clear_requests();
        clienttest::FakeTime time;
        std::vector<std::string> words = instance.call({name});
        words.insert(words.end(), {"-repeat", "0", "9"});
        const clienttest::RunResult r = clienttest::run(words, time.environment());
        EXPECT_EQ(r.exit_code, 0);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(instance.service->request_count(), 0u);
        EXPECT_TRUE(time.loop_sleeps.empty());
    }
}

TEST(ClientRepeatLoop, UnknownWebmethodsAfterTheSetUp)
{
    clienttest::Instance instance = clienttest::start_instance();
    for (const char* name : {"NoSuchMethod", "getprocesslist", "EnqRemoveLocks", "RequestTicket"}) {
        const clienttest::RunResult r = clienttest::run(instance.call({name, "-repeat", "3", "1"}));
        EXPECT_EQ(r.exit_code, 1);
        EXPECT_EQ(r.out, std::string("Unknown webmethod: ") + name + "\n");
    }
    EXPECT_EQ(instance.service->request_count(), 0u);
}

TEST(ClientRepeatLoop, WaitAfterCallEndsAtOnceWhenItsCallFails)
{
    const struct
    {
        const char* webmethod;
        const char* call;
    } cases[] = {{"StartWait", "Start"}, {"StopWait", "Stop"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.webmethod);
        clienttest::Instance instance = clienttest::start_instance();
        instance.service->set_default(Reply::fault11("SOAP-ENV:Server", "no"));
        clienttest::FakeTime time;
        std::vector<std::string> words = instance.call({c.webmethod, "10", "1"});
        words.insert(words.end(), {"-repeat", "3", "1"});
        const clienttest::RunResult r = clienttest::run(words, time.environment());
        EXPECT_EQ(r.exit_code, 1);
        EXPECT_EQ(r.out, heading(c.call) + "FAIL: no\n");
        ASSERT_EQ(instance.service->request_count(), 1u);
        EXPECT_EQ(instance.service->last_request().element, c.call);
        EXPECT_TRUE(time.loop_sleeps.empty());
        EXPECT_TRUE(time.wait_sleeps.empty());
    }
}

TEST(ClientRepeatLoop, UnknownWebmethodIsReportedAfterTheLogonFileStep)
{
    clienttest::Instance instance = clienttest::start_instance();
    instance.service->script("RequestLogonFile",
                             Reply::ok("<QORControl:RequestLogonFileResponse><filename>"
                                       "/nonexistent/logon</filename>"
                                       "</QORControl:RequestLogonFileResponse>"));
    std::vector<std::string> words = {"-user", "", "x"};
    const std::vector<std::string> call = instance.call({"NoSuchMethod", "-repeat", "2", "0"});
    words.insert(words.end(), call.begin(), call.end());
    const clienttest::RunResult r = clienttest::run(words);
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.out, heading("RequestLogonFile") + "OK\n\nUnknown webmethod: NoSuchMethod\n");
    ASSERT_EQ(instance.service->request_count(), 1u);
    EXPECT_EQ(instance.service->last_request().element, "RequestLogonFile");
}

TEST(ClientExitCodes, StopServiceThatCannotBeReachedCountsAsStopped)
{
    int nr = 0;
    const auto closed = qortest::ClosedPort::on_free_instance_port(nr);
    char nr_text[8];
    std::snprintf(nr_text, sizeof nr_text, "%02d", nr);
    const clienttest::RunResult stop =
        clienttest::run({"-host", "127.0.0.1", "-nr", nr_text, "-function", "StopService"});
    EXPECT_EQ(stop.exit_code, 0);
    EXPECT_EQ(stop.out.rfind(heading("StopService") + "FAIL: ", 0), 0u) << stop.out;
    const clienttest::RunResult restart =
        clienttest::run({"-host", "127.0.0.1", "-nr", nr_text, "-function", "RestartService"});
    EXPECT_EQ(restart.exit_code, 1);
    EXPECT_EQ(restart.out.rfind(heading("RestartService") + "FAIL: ", 0), 0u) << restart.out;
}

std::string basic_auth(const std::string& credentials)
{
    return "Basic " + clienttest::base64(credentials);
}

TEST(ClientCredentials, UserAndPasswordReachEveryCall)
{
    clienttest::Instance instance = clienttest::start_instance();
    instance.service->set_default(Reply::ok_empty("Shutdown"));
    std::vector<std::string> words = {"-user", "bob", "p\xc3\xa4ss"};
    const std::vector<std::string> call = instance.call({"Shutdown", "-repeat", "2", "0"});
    words.insert(words.end(), call.begin(), call.end());
    EXPECT_EQ(clienttest::run(words).exit_code, 0);
    ASSERT_EQ(instance.service->request_count(), 2u);
    for (const qortest::Request& request : instance.service->requests())
        EXPECT_EQ(request.header("Authorization"), basic_auth("bob:p\xc3\xa4ss"));
}

TEST(ClientCredentials, LogonFileIsRequestedOncePerRun)
{
    char path[] = "/tmp/qor_logon_XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    {
        std::ofstream file(path, std::ios::binary);
        file << "s3cret\nsecond line\n";
    }
    clienttest::Instance instance = clienttest::start_instance();
    instance.service->script("RequestLogonFile",
                             Reply::ok("<QORControl:RequestLogonFileResponse><filename>" +
                                       std::string(path) +
                                       "</filename></QORControl:RequestLogonFileResponse>"));
    instance.service->set_default(Reply::ok_empty("Shutdown"));
    clienttest::FakeTime time;
    time.account = "myhost\\me";
    std::vector<std::string> words = {"-user", "", "ignored"};
    const std::vector<std::string> call = instance.call({"Shutdown", "-repeat", "3", "0"});
    words.insert(words.end(), call.begin(), call.end());
    const clienttest::RunResult r = clienttest::run(words, time.environment());
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.out, heading("RequestLogonFile") + "OK\n\n" + heading("Shutdown") + "OK\n" +
                         heading("Shutdown") + "OK\n" + heading("Shutdown") + "OK\n");
    const std::vector<qortest::Request> requests = instance.service->requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[0].element, "RequestLogonFile");
    EXPECT_FALSE(requests[0].has_header("Authorization"));
    EXPECT_EQ(clienttest::element_text(requests[0].body, "user"), "myhost\\me");
    // The first line with its line end is the password.
    const std::string expected = basic_auth("{5D2A9C41-7B3E-4F08-9A61-C2E4B7D08F13}:s3cret\n");
    for (std::size_t i = 1; i < requests.size(); ++i) {
        EXPECT_EQ(requests[i].element, "Shutdown");
        EXPECT_EQ(requests[i].header("Authorization"), expected);
    }
    std::remove(path);
}

TEST(ClientCredentials, FailedLogonFileRequestLeavesAnEmptyPassword)
{
    clienttest::Instance instance = clienttest::start_instance();
    instance.service->script("RequestLogonFile", Reply::fault11("SOAP-ENV:Server", "denied"));
    instance.service->set_default(Reply::ok_empty("Shutdown"));
    std::vector<std::string> words = {"-user", "", "x"};
    const std::vector<std::string> call = instance.call({"Shutdown"});
    words.insert(words.end(), call.begin(), call.end());
    const clienttest::RunResult r = clienttest::run(words);
    EXPECT_EQ(r.out, heading("RequestLogonFile") + "FAIL: denied\n" + heading("Shutdown") + "OK\n");
    EXPECT_EQ(r.exit_code, 0);
    ASSERT_EQ(instance.service->request_count(), 2u);
    EXPECT_EQ(instance.service->request(1).header("Authorization"),
              basic_auth("{5D2A9C41-7B3E-4F08-9A61-C2E4B7D08F13}:"));
}

} // namespace

namespace {

TEST(ClientTraceOption, RawRequestAndResponseGoToTheTraceFile)
{
    char path[] = "/tmp/qor_trace_XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    clienttest::Instance instance = clienttest::start_instance();
    instance.service->set_default(Reply::ok_empty("Shutdown"));
    std::vector<std::string> words = {"-trace", path};
    const std::vector<std::string> call = instance.call({"Shutdown"});
    words.insert(words.end(), call.begin(), call.end());
    EXPECT_EQ(clienttest::run(words).exit_code, 0);
    std::ifstream file(path, std::ios::binary);
    const std::string trace((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
    const std::size_t request = trace.find("<QORControl:Shutdown");
    const std::size_t response = trace.find("<QORControl:ShutdownResponse");
    EXPECT_NE(request, std::string::npos) << trace;
    EXPECT_NE(response, std::string::npos) << trace;
    EXPECT_LT(request, response);
    std::remove(path);

    // A trace file that cannot be opened leaves tracing off without a message.
    words = {"-trace", "/nonexistent/dir/trace.txt"};
    words.insert(words.end(), call.begin(), call.end());
    const clienttest::RunResult r = clienttest::run(words);
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.out, heading("Shutdown") + "OK\n");
}

} // namespace

namespace {

TEST(ClientRepeatLoop, NegativeCountRepeatsWithoutEnd)
{
    clienttest::Instance instance = clienttest::start_instance();
    instance.service->set_default(Reply::ok_empty("Shutdown"));
    // The sleeper ends the endless run after its fourth sleep.
    std::vector<int> sleeps;
    clienttest::FakeTime time;
    ClientEnvironment environment = time.environment();
    environment.sleep = [&sleeps](int seconds) {
        sleeps.push_back(seconds);
        if (sleeps.size() == 4)
            throw ClientExit{7};
    };
    std::vector<std::string> words = instance.call({"Shutdown"});
    words.insert(words.end(), {"-repeat", "-1", "2"});
    const clienttest::RunResult r = clienttest::run(words, environment);
    EXPECT_EQ(r.exit_code, 7);
    EXPECT_EQ(sleeps, (std::vector<int>{2, 2, 2, 2}));
    EXPECT_EQ(instance.service->request_count(), 4u);
}

} // namespace
