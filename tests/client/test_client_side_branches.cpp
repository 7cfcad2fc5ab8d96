// The branches that wait, start the service or look for the host agent, as
// the repeat loop runs them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client_harness.h"

namespace {

using clienttest::heading;
using qortest::Reply;

Reply processes(const std::string& color)
{
    return Reply::ok("<QORControl:GetProcessListResponse><process><item><name>disp</name>"
                     "<description>Dispatcher</description><dispstatus>" +
                     color +
                     "</dispstatus><pid>1</pid></item></process>"
                     "</QORControl:GetProcessListResponse>");
}

std::vector<std::string> elements(const qortest::FakeService& service)
{
    std::vector<std::string> names;
    for (const qortest::Request& r : service.requests())
        names.push_back(r.element);
    return names;
}

TEST(ClientWaitBranches, StartWaitGoesOnWhenTheInstanceRunsAlready)
{
    clienttest::Instance instance = clienttest::start_instance();
    instance.service->script("Start",
                             Reply::fault11("SOAP-ENV:Server", "Instance already started"));
    instance.service->script("GetProcessList", processes("QORControl-GREEN"));
    clienttest::FakeTime time;
    const clienttest::RunResult r =
        clienttest::run(instance.call({"StartWait", "60", "2"}), time.environment());
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.out, heading("Start") + "OK\n" + heading("StartWait") + "OK\n");
    const std::vector<std::string> names = elements(*instance.service);
    ASSERT_GE(names.size(), 3u);
    EXPECT_EQ(names[0], "Start");
    EXPECT_EQ(names.back(), "GetProcessList");
}

TEST(ClientWaitBranches, StopWaitAndWaitforStoppedReportTheirOwnName)
{
    const struct
    {
        std::vector<std::string> words;
        std::string expected;
        std::string first_request;
    } cases[] = {
        {{"StopWait", "30", "1"}, heading("Stop") + "OK\n" + heading("StopWait") + "OK\n", "Stop"},
        {{"WaitforStopped", "30", "1"}, heading("WaitforStopped") + "OK\n", "GetProcessList"},
    };
    for (const auto& c : cases) {
        clienttest::Instance instance = clienttest::start_instance();
        instance.service->script("Stop", Reply::ok_empty("Stop"));
        instance.service->script("GetProcessList", processes("QORControl-GRAY"));
        clienttest::FakeTime time;
        const clienttest::RunResult r = clienttest::run(instance.call(c.words), time.environment());
        EXPECT_EQ(r.exit_code, 0) << c.words[0];
        EXPECT_EQ(r.out, c.expected);
        EXPECT_EQ(elements(*instance.service).front(), c.first_request);
    }
}

TEST(ClientWaitBranches, WaitforServiceStartedPrintsOnlyItsVerdict)
{
    clienttest::Instance instance = clienttest::start_instance();
    instance.service->script("GetProcessList", processes("QORControl-GRAY"));
    clienttest::FakeTime time;
    const clienttest::RunResult r =
        clienttest::run(instance.call({"WaitforServiceStarted", "10", "1"}), time.environment());
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.out, "OK\n");
}

TEST(ClientWaitBranches, RestartServiceWaitWithoutAPidFails)
{
    clienttest::Instance instance = clienttest::start_instance();
    instance.service->script(
        "GetTraceFile",
        Reply::ok("<QORControl:GetTraceFileResponse><name>t</name><lines><item>1</item>"
                  "<item>2</item><item>3</item><item>4</item><item>pid       12</item></lines>"
                  "</QORControl:GetTraceFileResponse>"));
    clienttest::FakeTime time;
    const clienttest::RunResult r =
        clienttest::run(instance.call({"RestartServiceWait", "10", "1"}), time.environment());
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.out, heading("GetTraceFile") + "OK\n" + heading("RestartServiceWait") +
                         "FAIL: PID not found\n");
    EXPECT_EQ(elements(*instance.service), std::vector<std::string>{"GetTraceFile"});
}

TEST(ClientLocalBranches, StartServiceAndCheckHostAgent)
{
    // Neither needs the service; on this platform there is no service manager
    // and no host agent below the program folder.
    const clienttest::RunResult start =
        clienttest::run({"-nr", "3", "-function", "StartService", "ABC"});
    EXPECT_EQ(start.exit_code, 1);
    EXPECT_EQ(start.out.rfind(heading("StartService") + "FAIL: OpenSCManager failed [", 0), 0u)
        << start.out;
    const clienttest::RunResult agent =
        clienttest::run({"-nr", "0", "-function", "CheckHostAgent"});
    EXPECT_EQ(agent.exit_code, 1);
    EXPECT_EQ(agent.out, "QORHostAgent NOT Installed\n");
}

} // namespace

namespace {

TEST(ClientWaitBranches, WaitWithoutSuccessEndsWithExitCodeTwo)
{
    clienttest::Instance instance = clienttest::start_instance();
    instance.service->script("GetProcessList", processes("QORControl-GRAY"));
    clienttest::FakeTime time;
    const clienttest::RunResult r =
        clienttest::run(instance.call({"WaitforStarted", "60", "1"}), time.environment());
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.out, heading("WaitforStarted") + "FAIL: process disp Dispatcher not running\n");
}

} // namespace

namespace {

// StartWait's Start and StopWait's Stop carry no run level and soft time-out
// 0, whatever an earlier -function on the same command line stored.
TEST(ClientWaitBranches, EarlierFunctionsLeaveTheWaitsCallAlone)
{
    const struct
    {
        std::vector<std::string> words;
        std::string element;  // of the first request
        std::string expected; // its text, "<absent>" when not sent
    } cases[] = {
        {{"Start", "3", "-function", "StartWait", "10", "1"}, "runlevel", "<absent>"},
        {{"RestartInstance", "45", "rl", "-function", "StartWait", "10", "1"},
         "runlevel",
         "<absent>"},
        {{"Stop", "30", "-function", "StopWait", "10", "1"}, "softtimeout", "0"},
        {{"RestartInstance", "45", "rl", "-function", "StopWait", "10", "1"}, "softtimeout", "0"},
        // The last -function names the webmethod: Start keeps its run level.
        {{"StartWait", "10", "1", "-function", "Start", "3"}, "runlevel", "3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.words[0] + " then " + c.words[c.words.size() - 3]);
        clienttest::Instance instance = clienttest::start_instance();
        instance.service->script("Start", Reply::ok_empty("Start"));
        instance.service->script("Stop", Reply::ok_empty("Stop"));
        instance.service->script("GetProcessList", processes("QORControl-GREEN"));
        clienttest::FakeTime time;
        clienttest::run(instance.call(c.words), time.environment());
        ASSERT_GE(instance.service->request_count(), 1u);
        const std::string body = instance.service->request(0).body;
        EXPECT_EQ(clienttest::has_element(body, c.element), c.expected != "<absent>");
        if (c.expected != "<absent>") {
            EXPECT_EQ(clienttest::element_text(body, c.element), c.expected);
        }
    }
}

} // namespace
