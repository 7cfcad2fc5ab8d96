// The client-side waits against the fake service, with an injected clock
// and sleeper: success, time-out and error paths of each.

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "client/waits.h"
#include "client/webmethods.h"
#include "soap_client.h"
#include "support/closed_port.h"
#include "support/fake_service.h"

namespace {

// The state wait of a webmethod's row; none for a name without one.
StateWait state_wait_of(const char16_t* name)
{
    const Webmethod* webmethod = find_webmethod(name);
    return webmethod != nullptr ? webmethod->wait : StateWait::kNone;
}

using qortest::Reply;

// Time moves only when the wait sleeps.
struct FakeClock
{
    int64_t t = 1000000;
    std::vector<int> sleeps;
    WaitTiming timing()
    {
        return WaitTiming{[this] { return t; },
                          [this](int s) {
                              sleeps.push_back(s);
                              t += s;
                          }};
    }
};

struct Outcome
{
    int result = -1;
    std::string out;
};

std::string process_xml(const std::vector<std::pair<const char*, const char*>>& named)
{
    std::string xml = "<QORControl:GetProcessListResponse><process>";
    for (const auto& [name, colour] : named) {
        xml += "<item>";
        if (name != nullptr)
            xml += std::string("<name>") + name + "</name><description>" + name +
                   " process</description>";
        xml += std::string("<dispstatus>QORControl-") + colour + "</dispstatus><pid>1</pid></item>";
    }
    return xml + "</process></QORControl:GetProcessListResponse>";
}

Reply processes(std::initializer_list<const char*> colours)
{
    return Reply::ok(process_list_xml(colours));
}

class Waits : public ::testing::Test
{
  protected:
    Outcome run_state_wait(const char16_t* name, int timeout, int delay)
    {
        SoapClient client(GSOAP_HTTP, 3, false);
        ::testing::internal::CaptureStdout();
        Outcome o;
        o.result = state_wait(client.ctx(), fake().endpoint().c_str(), name, state_wait_of(name),
                              timeout, delay, clock.timing());
        std::fflush(stdout);
        o.out = ::testing::internal::GetCapturedStdout();
        return o;
    }
    size_t calls(const std::string& element)
    {
        size_t n = 0;
        for (const auto& r : fake().requests())
            n += r.element == element;
        return n;
    }
    // A new service with empty scripts (scripts only ever queue up).
    void fresh() { fake_ = std::make_unique<qortest::FakeService>(); }
    qortest::FakeService& fake()
    {
        if (!fake_)
            fresh();
        return *fake_;
    }
    std::unique_ptr<qortest::FakeService> fake_;
    FakeClock clock;
};

// The last line of the output and whether a time-stamp heading with the name precedes it.
std::string last_line(const std::string& out)
{
    std::string s = out;
    if (!s.empty() && s.back() == '\n')
        s.pop_back();
    return s.substr(s.rfind('\n') + 1);
}

TEST_F(Waits, StartWaitConfirmsAllGreenTenSecondsLater)
{
    struct Case
    {
        int delay;
        std::vector<int> sleeps;
    } cases[] = {{1, {9, 1}}, {0, {10, 0}}, {10, {10}}, {15, {15}}, {-3, {10, 0}}};
    for (const Case& c : cases) {
        fresh();
        clock.sleeps.clear();
        fake().script("GetProcessList", processes({"GREEN", "GREEN"}));
        Outcome o = run_state_wait(u"StartWait", 100, c.delay);
        EXPECT_EQ(o.result, 0) << "delay " << c.delay;
        EXPECT_EQ(last_line(o.out), "OK");
        EXPECT_NE(o.out.find("\nStartWait\nOK\n"), std::string::npos) << o.out;
        EXPECT_EQ(calls("GetProcessList"), 2u) << "delay " << c.delay;
        EXPECT_EQ(calls("GetInstanceProperties"), 1u);
        EXPECT_EQ(clock.sleeps, c.sleeps) << "delay " << c.delay;
    }
}

TEST_F(Waits, StartWaitEndsOkWhenTheDeadlineComesBeforeTheConfirmation)
{
    fake().script("GetProcessList", processes({"GREEN"}));
    Outcome o = run_state_wait(u"WaitforStarted", 5, 1);
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(last_line(o.out), "OK");
    EXPECT_EQ(calls("GetProcessList"), 1u);
}

TEST_F(Waits, StopKindsEndWhenEveryProcessIsDown)
{
    struct Case
    {
        const char16_t* name;
        std::vector<Reply> replies;
        int result;
        size_t polls;
        const char* last;
    } cases[] = {
        {u"StopWait", {Reply::ok(process_list_xml({}))}, 0, 1, "OK"},
        {u"WaitforStopped", {processes({"GREEN", "GRAY"}), processes({"RED", "GRAY"})}, 0, 2, "OK"},
        {u"WaitforStopped",
         {processes({"GREEN"})},
         2,
         3,
         "FAIL: Timeout"}, // time-out 3, delay 1: 0, 1, 2 s
        {u"StopWait", {processes({"YELLOW"})}, 2, 1, "FAIL: Timeout"}, // time-out 0: one poll
    };
    int timeouts[] = {10, 10, 3, 0};
    int i = 0;
    for (Case& c : cases) {
        fresh();
        fake().script("GetProcessList", c.replies);
        Outcome o = run_state_wait(c.name, timeouts[i++], 1);
        EXPECT_EQ(o.result, c.result) << o.out;
        EXPECT_EQ(last_line(o.out), c.last);
        EXPECT_EQ(calls("GetProcessList"), c.polls) << o.out;
        EXPECT_EQ(calls("GetInstanceProperties"), 0u)
            << "only the start kinds ask for the properties";
    }
}

TEST_F(Waits, AProcessThatStaysGrayFailsAfterTheGraceRetry)
{
    fake().script("GetProcessList", Reply::ok(process_xml({{"disp", "GREEN"}, {"igs", "GRAY"}})));
    Outcome o = run_state_wait(u"StartWait", 1000, 2);
    EXPECT_EQ(o.result, 2);
    EXPECT_EQ(last_line(o.out), "FAIL: process igs igs process not running");
    EXPECT_EQ(calls("GetProcessList"), 2u);
    EXPECT_EQ(clock.sleeps, (std::vector<int>{8, 2}));
}

TEST_F(Waits, AProcessGrayOnlyOnceKeepsTheWaitGoing)
{
    fake().script("GetProcessList",
                  {processes({"GRAY"}), processes({"YELLOW"}), processes({"GRAY"}),
                   processes({"GREEN"}), processes({"GREEN"})});
    Outcome o = run_state_wait(u"StartWait", 1000, 1);
    EXPECT_EQ(o.result, 0) << o.out;
    EXPECT_EQ(calls("GetProcessList"), 5u) << "the grace is refilled after the YELLOW poll";
}

TEST_F(Waits, ProcessesWithoutNamesAreReportedWithoutThem)
{
    fake().script("GetProcessList", Reply::ok(process_xml({{nullptr, "RED"}})));
    Outcome o = run_state_wait(u"WaitforStarted", 1000, 1);
    EXPECT_EQ(o.result, 2);
    EXPECT_EQ(last_line(o.out), "FAIL: process   not running");
}

TEST_F(Waits, AFailureAtTheFirstPollEndsTheWaitWithTheFault)
{
    for (const char16_t* name : {u"StartWait", u"StopWait", u"WaitforStarted", u"WaitforStopped"}) {
        fresh();
        fake().script("GetProcessList", Reply::fault11("SOAP-ENV:Server", "Permission denied"));
        Outcome o = run_state_wait(name, 1000, 1);
        EXPECT_EQ(o.result, 1);
        EXPECT_EQ(last_line(o.out), "FAIL: Permission denied");
        EXPECT_EQ(calls("GetProcessList"), 1u);
        EXPECT_TRUE(clock.sleeps.empty());
    }
}

TEST_F(Waits, AFailedJ2eeListInTheLastPollGivesItsFault)
{
    fake().script(
        "GetInstanceProperties",
        Reply::ok(
            "<QORControl:GetInstancePropertiesResponse><properties><item><property>J2EE Process "
            "Table</property><propertytype>NodeWebmethod</propertytype><value>J2EEGetProcessList"
            "</value></item></properties></QORControl:GetInstancePropertiesResponse>"));
    fake().script("GetProcessList", processes({"YELLOW"}));
    fake().script("J2EEGetProcessList", Reply::fault11("SOAP-ENV:Server", "J2EE not reachable"));
    Outcome o = run_state_wait(u"WaitforStarted", 3, 1);
    EXPECT_EQ(o.result, 1);
    EXPECT_EQ(last_line(o.out), "FAIL: J2EE not reachable");
    EXPECT_EQ(calls("J2EEGetProcessList"), calls("GetProcessList"));
}

TEST_F(Waits, FailuresAfterASuccessAreToleratedForSixtySeconds)
{
    // YELLOW, then two failures 30 s apart, then GREEN twice: tolerated.
    fake().script("GetProcessList", {processes({"YELLOW"}), Reply::drop(), Reply::drop(),
                                     processes({"GREEN"}), processes({"GREEN"})});
    Outcome o = run_state_wait(u"StartWait", 1000, 30);
    EXPECT_EQ(o.result, 0) << o.out;
    EXPECT_EQ(calls("GetProcessList"), 5u);

    // YELLOW, then failures only: the third failure comes 60 s after the first.
    fresh();
    fake().script("GetProcessList", {processes({"YELLOW"}), Reply::drop()});
    o = run_state_wait(u"WaitforStopped", 1000, 30);
    EXPECT_EQ(o.result, 1) << o.out;
    EXPECT_EQ(last_line(o.out).rfind("FAIL: ", 0), 0u) << o.out;
    EXPECT_NE(last_line(o.out), "FAIL: Timeout");
    EXPECT_EQ(calls("GetProcessList"), 4u);
}

TEST_F(Waits, AFailedJ2eeProcessEndsAStartWait)
{
    fake().script(
        "GetInstanceProperties",
        Reply::ok(
            "<QORControl:GetInstancePropertiesResponse><properties><item><property>J2EE Process "
            "Table</property><propertytype>NodeWebmethod</propertytype><value>J2EEGetProcessList"
            "</value></item></properties></QORControl:GetInstancePropertiesResponse>"));
    fake().script("GetProcessList", processes({"GREEN", "YELLOW"}));
    const std::string ok_proc =
        "<item><name>server0</name><restart>Yes</restart><state>QORControl-J2EE-STOPPED"
        "</state><statetext>Stopped</statetext><errorCount>3</errorCount></item>";
    const std::string bad_proc =
        "<item><name>server1</name><restart>No</restart><state>QORControl-J2EE-STOPPED"
        "</state><statetext>Stopped</statetext><errorCount>1</errorCount></item>";
    fake().script("J2EEGetProcessList",
                  Reply::ok("<QORControl:J2EEGetProcessListResponse><process>" + ok_proc +
                            bad_proc + "</process></QORControl:J2EEGetProcessListResponse>"));
    Outcome o = run_state_wait(u"StartWait", 1000, 1);
    EXPECT_EQ(o.result, 2);
    EXPECT_EQ(last_line(o.out), "FAIL: j2ee process server1 failed");
    EXPECT_EQ(calls("J2EEGetProcessList"), 2u);
}

TEST_F(Waits, AJ2eeCheckIsSkippedWithoutThePropertyAndForDisabledProcesses)
{
    fake().script(
        "GetInstanceProperties",
        Reply::ok(
            "<QORControl:GetInstancePropertiesResponse><properties><item><property>J2EE Process "
            "Table</property><propertytype>Attribute</propertytype><value>J2EEGetProcessList</"
            "value>"
            "</item><item/></properties></QORControl:GetInstancePropertiesResponse>"));
    fake().script("GetProcessList", processes({"YELLOW"}));
    Outcome o = run_state_wait(u"StartWait", 3, 1);
    EXPECT_EQ(o.result, 2);
    EXPECT_EQ(last_line(o.out), "FAIL: Timeout");
    EXPECT_EQ(calls("J2EEGetProcessList"), 0u);

    // With the property, processes that are disabled, restarted or without
    // errors do not count as failed; one without a name is no crash either.
    fresh();
    fake().script(
        "GetInstanceProperties",
        Reply::ok(
            "<QORControl:GetInstancePropertiesResponse><properties><item><property>J2EE Process "
            "Table</property><propertytype>NodeWebmethod</"
            "propertytype><value>x,J2EEGetProcessList,y"
            "</value></item></properties></QORControl:GetInstancePropertiesResponse>"));
    fake().script("GetProcessList", processes({"YELLOW"}));
    fake().script(
        "J2EEGetProcessList",
        Reply::ok("<QORControl:J2EEGetProcessListResponse><process>"
                  "<item><name>a</name><restart>No</restart><state>QORControl-J2EE-STOPPED</state>"
                  "<statetext>Disabled</statetext><errorCount>2</errorCount></item>"
                  "<item><name>b</name><restart>Yes</restart><state>QORControl-J2EE-STOPPED</state>"
                  "<statetext>Stopped</statetext><errorCount>2</errorCount></item>"
                  "<item><name>c</name><restart>No</restart><state>QORControl-J2EE-STOPPED</state>"
                  "<statetext>Stopped</statetext><errorCount>0</errorCount></item>"
                  "<item><restart>No</restart><state>QORControl-J2EE-RUNNING</state><errorCount>5</"
                  "errorCount>"
                  "</item></process></QORControl:J2EEGetProcessListResponse>"));
    o = run_state_wait(u"StartWait", 3, 1);
    EXPECT_EQ(o.result, 2);
    EXPECT_EQ(last_line(o.out), "FAIL: Timeout");
    EXPECT_EQ(calls("J2EEGetProcessList"), 3u);
}

TEST_F(Waits, LongTimeoutsDoNotWrap)
{
    clock.t = INT64_C(4000000000);
    fake().script("GetProcessList", {processes({"GREEN"}), processes({"GRAY"})});
    Outcome o = run_state_wait(u"StopWait", INT_MAX, 1);
    EXPECT_EQ(o.result, 0) << o.out;
    EXPECT_EQ(calls("GetProcessList"), 2u);
    EXPECT_EQ(clock.sleeps, (std::vector<int>{1}));
}

TEST_F(Waits, NegativeTimeoutMakesOnePoll)
{
    fake().script("GetProcessList", processes({"GREEN"}));
    Outcome o = run_state_wait(u"WaitforStopped", -5, 1);
    EXPECT_EQ(o.result, 2);
    EXPECT_EQ(calls("GetProcessList"), 1u);
}

TEST(WaitNames, KnowsTheStateWaits)
{
    struct Case
    {
        const char16_t* name;
        StateWait wait;
    } cases[] = {{u"StartWait", StateWait::kStarted},
                 {u"StopWait", StateWait::kStopped},
                 {u"WaitforStarted", StateWait::kStarted},
                 {u"WaitforStopped", StateWait::kStopped},
                 {u"startwait", StateWait::kNone},
                 {u"RestartServiceWait", StateWait::kNone},
                 {u"WaitforServiceStarted", StateWait::kNone},
                 {u"", StateWait::kNone}};
    for (const Case& c : cases)
        EXPECT_EQ(state_wait_of(c.name), c.wait);
    EXPECT_EQ(state_wait_of(nullptr), StateWait::kNone);
}

// RestartServiceWait and WaitforServiceStarted.
class ServiceWaits : public Waits
{
  protected:
    static Reply trace_file(std::initializer_list<const char*> lines)
    {
        std::string xml = "<QORControl:GetTraceFileResponse><name>dev_ctrl</name><lines>";
        for (const char* l : lines)
            xml += std::string("<item>") + l + "</item>";
        return Reply::ok(xml + "</lines></QORControl:GetTraceFileResponse>");
    }
    static Reply trace_with_pid(const char* pid_line)
    {
        return trace_file({"a", "b", "c", "d", pid_line, "f"});
    }

    Outcome run_restart(int timeout, int delay)
    {
        SoapClient client(GSOAP_HTTP, 3, false);
        ::testing::internal::CaptureStdout();
        Outcome o;
        o.result = restart_service_wait(client.ctx(), fake().endpoint().c_str(), u"list",
                                        u"RestartServiceWait", timeout, delay, clock.timing());
        std::fflush(stdout);
        o.out = ::testing::internal::GetCapturedStdout();
        return o;
    }
};

size_t count_of(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1))
        ++n;
    return n;
}

TEST_F(ServiceWaits, RestartServiceWaitSeesANewPid)
{
    fake().script("GetTraceFile",
                  {trace_with_pid("pid        4711"), trace_with_pid("pid        4711"),
                   trace_with_pid("pid        5000")});
    fake().script("RestartService", Reply::ok_empty("RestartService"));
    Outcome o = run_restart(100, 2);
    EXPECT_EQ(o.result, 0) << o.out;
    EXPECT_NE(o.out.find("\nGetTraceFile\nOK\n"), std::string::npos) << o.out;
    EXPECT_NE(o.out.find("\nRestartService\nOK\n"), std::string::npos) << o.out;
    EXPECT_EQ(last_line(o.out), "OK");
    EXPECT_EQ(count_of(o.out, "FAIL"), 0u);
    EXPECT_EQ(calls("RestartService"), 1u);
    EXPECT_EQ(calls("GetTraceFile"), 3u);
}

TEST_F(ServiceWaits, RestartServiceWaitWithoutAUsablePidDoesNotRestart)
{
    const char* bad_lines[] = {"pid       4711", // seven blanks
                               "pid        abc", "pid        0", "pid        -4",
                               "PID        4711"};
    for (const char* line : bad_lines) {
        fresh();
        fake().script("GetTraceFile", trace_with_pid(line));
        Outcome o = run_restart(100, 1);
        EXPECT_EQ(o.result, 1) << line;
        EXPECT_EQ(last_line(o.out), "FAIL: PID not found") << line;
        EXPECT_EQ(calls("RestartService"), 0u) << line;
    }
    fresh();
    fake().script("GetTraceFile", trace_file({"a", "b", "c", "d"}));
    Outcome o = run_restart(100, 1);
    EXPECT_EQ(o.result, 1);
    EXPECT_EQ(last_line(o.out), "FAIL: PID not found");
}

TEST_F(ServiceWaits, RestartServiceWaitTimesOutWhileThePidStaysOrIsUnusable)
{
    const char* later[] = {"pid        4711", "pid        0", "pid        xyz", "short"};
    for (const char* line : later) {
        fresh();
        fake().script("GetTraceFile", {trace_with_pid("pid        4711"), trace_with_pid(line)});
        fake().script("RestartService", Reply::fault11("SOAP-ENV:Server", "restart refused"));
        Outcome o = run_restart(4, 1);
        EXPECT_EQ(o.result, 2) << line;
        EXPECT_NE(o.out.find("\nRestartService\nFAIL: restart refused\n"), std::string::npos)
            << o.out;
        EXPECT_EQ(last_line(o.out), "FAIL: Timeout") << line;
        EXPECT_EQ(count_of(o.out, "FAIL: Timeout"), 1u);
        EXPECT_EQ(calls("GetTraceFile"), 5u) << "one read, then polls at 0..3 s of a 4 s time-out";
    }
}

TEST_F(ServiceWaits, RestartServiceWaitStopsWhenTheFirstReadFails)
{
    fake().script("GetTraceFile", Reply::fault11("SOAP-ENV:Server", "no trace"));
    Outcome o = run_restart(100, 1);
    EXPECT_EQ(o.result, 1);
    EXPECT_EQ(last_line(o.out), "FAIL: no trace");
    EXPECT_EQ(calls("RestartService"), 0u);
}

TEST_F(ServiceWaits, WaitforServiceStartedPrintsOnlyItsVerdict)
{
    fake().script("GetProcessList", {Reply::drop(), Reply::drop(), processes({"GRAY"})});
    SoapClient client(GSOAP_HTTP, 3, false);
    ::testing::internal::CaptureStdout();
    int result =
        wait_for_service_started(client.ctx(), fake().endpoint().c_str(), 100, 5, clock.timing());
    std::fflush(stdout);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "OK\n");
    EXPECT_EQ(result, 0);
    EXPECT_EQ(clock.sleeps, (std::vector<int>{5, 5}));
}

TEST_F(ServiceWaits, WaitforServiceStartedTimesOutWithResultOne)
{
    const qortest::ClosedPort closed;
    const uint16_t closed_port = closed.port();
    SoapClient client(NI_HTTP, 3, false);
    const std::string endpoint = "http://127.0.0.1:" + std::to_string(closed_port);
    ::testing::internal::CaptureStdout();
    int result = wait_for_service_started(client.ctx(), endpoint.c_str(), 10, 5, clock.timing());
    std::fflush(stdout);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "FAIL: Timeout\n");
    EXPECT_EQ(result, 1);
    EXPECT_EQ(clock.sleeps, (std::vector<int>{5, 5})) << "polls at 0 and 5 s of a 10 s time-out";
}

} // namespace
