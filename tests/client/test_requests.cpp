// The request each argument rule produces, read back from what the fake
// service received.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "client_harness.h"

namespace {

using clienttest::element_text;
using clienttest::has_element;

struct Expect
{
    std::string element; // child element name
    std::string text;    // its text; "<absent>" when it must not be sent
};

struct RequestCase
{
    std::vector<std::string> words; // webmethod and its arguments
    std::vector<Expect> expected;
    std::vector<std::string> in_order = {}; // child elements in this order
};

TEST(ClientRequests, ArgumentRulesFillTheRequestElements)
{
    const RequestCase cases[] = {
        {{"Start"}, {{"runlevel", "<absent>"}}},
        {{"Start", "2"}, {{"runlevel", "2"}}},
        {{"Stop", "30"}, {{"softtimeout", "30"}, {"IsSystemStop", "0"}}},
        {{"StopBypassHA"}, {{"softtimeout", "0"}, {"IsSystemStop", "0"}}},
        {{"Shutdown"}, {{"IsSystemStop", "0"}}},
        {{"InstanceStart", "hostA", "12", "rl"},
         {{"host", "hostA"}, {"nr", "12"}, {"runlevel", "rl"}}},
        {{"InstanceStop", "hostA", "12"}, {{"host", "hostA"}, {"nr", "12"}, {"softtimeout", "0"}}},
        {{"Bootstrap"}, {{"host", "<absent>"}, {"nr", "-1"}}},
        {{"Bootstrap", "hostB", "4"}, {{"host", "hostB"}, {"nr", "4"}}},
        {{"InstanceStart", "hostA", "12"},
         {{"host", "hostA"}, {"nr", "12"}, {"runlevel", "<absent>"}}},
        {{"InstanceStop", "hostA", "12", "45"}, {{"softtimeout", "45"}}},
        {{"RestartInstance", "5", "rl"}, {{"softtimeout", "5"}, {"runlevel", "rl"}}},
        {{"SendSignal", "123", "KILL"}, {{"pid", "123"}, {"signal", "KILL"}}},
        {{"StartSystem"},
         {{"options", "QORControl-ALL-INSTANCES"},
          {"prioritylevel", "<absent>"},
          {"waittimeout", "60"}}},
        {{"StartSystem", "LEVEL", "3", "90", "rl"},
         {{"options", "QORControl-PRIORITY-LEVEL"},
          {"prioritylevel", "3"},
          {"waittimeout", "90"},
          {"runlevel", "rl"}}},
        {{"StopSystem", "SCS", "100", "7"},
         {{"options", "QORControl-SCS-INSTANCES"}, {"softtimeout", "7"}, {"waittimeout", "100"}},
         {"softtimeout", "waittimeout"}},
        {{"RestartSystem", "LEVEL", "2", "120", "9", "rl"},
         {{"options", "QORControl-PRIORITY-LEVEL"},
          {"prioritylevel", "2"},
          {"softtimeout", "9"},
          {"waittimeout", "120"},
          {"runlevel", "rl"}},
         {"options", "prioritylevel", "softtimeout", "waittimeout", "runlevel"}},
        {{"StopSystem", "ALLNOZDB"},
         {{"options", "QORControl-ALLNOZDB-INSTANCES"},
          {"softtimeout", "0"},
          {"waittimeout", "300"}}},
        {{"RestartSystem"},
         {{"softtimeout", "0"}, {"waittimeout", "300"}, {"runlevel", "<absent>"}}},
        {{"GetSystemInstanceList"}, {{"timeout", "0"}}},
        {{"GetSystemInstanceList", "25"}, {{"timeout", "25"}}},
        {{"ReadLogFile", "log.txt", "ERR", "DE", "20", "ck"},
         {{"filename", "log.txt"},
          {"filter", "ERR"},
          {"language", "DE"},
          {"maxentries", "20"},
          {"statecookie", "ck"}},
         {"filename", "filter", "language", "maxentries", "statecookie"}},
        {{"OSExecute", "ls", "1", "5", "proto.txt"},
         {{"async", "1"}, {"protocolfile", "proto.txt"}}},
        {{"GetProcessParameter", "DIA", "88"}, {{"pid", "88"}}},
        {{"AccessCheck", "Start"}, {{"function", "Start"}}},
        {{"HAFailoverToNode", "node1"}, {{"node", "node1"}}},
        {{"UpdateInstancePSE"}, {{"force", "false"}}},
        {{"UpdateSystemPKI", "1"}, {{"force", "true"}}},
        {{"ParameterValue"}, {{"parameter", ""}}},
        {{"ReadDeveloperTrace", "dev_w0", "100"}, {{"filename", "dev_w0"}, {"size", "100"}}},
        {{"ReadLogFile", "log.txt"},
         {{"filename", "log.txt"},
          {"filter", ""},
          {"language", "EN"},
          {"maxentries", "0"},
          {"statecookie", ""}}},
        {{"AnalyseLogFiles", "1", "50", "2026 01 01 00:00:00"},
         {{"starttime", "2026 01 01 00:00:00"},
          {"endtime", ""},
          {"severity-level", "1"},
          {"maxentries", "50"}},
         {"starttime", "endtime", "severity-level", "maxentries"}},
        {{"ConfigureLogFileList", "add", "a.log", "b.log"},
         {{"operation", "QORControl-ADD-LOGFILES"}, {"item", "a.log"}}},
        {{"ConfigureLogFileList", "set"},
         {{"operation", "QORControl-SET-LOGFILES"}, {"logfiles", ""}, {"item", "<absent>"}}},
        {{"ConfigureLogFileList", "remove", "c.log"},
         {{"operation", "QORControl-REMOVE-LOGFILES"}, {"item", "c.log"}}},
        {{"CreateSnapshot"},
         {{"description", "<absent>"},
          {"analyse-severity-level", "2"},
          {"analyze-maxentries", "10000"},
          {"maxentries", "-10000"},
          {"item", "DEFAULT"}}},
        {{"CreateSnapshot", "desc", "dc", "1", "500", "2026 01 01 00:00:00", "2026 01 02 00:00:00",
          "70", "f1.log", "-nr"},
         {{"description", "desc"},
          {"datcol-param", "dc"},
          {"analyse-severity-level", "1"},
          {"analyse-starttime", "2026 01 01 00:00:00"},
          {"analyse-endtime", "2026 01 02 00:00:00"},
          {"analyze-maxentries", "500"},
          {"maxentries", "70"},
          {"item", "f1.log"}},
         {"description", "datcol-param", "analyse-severity-level", "analyse-starttime",
          "analyse-endtime", "analyze-maxentries", "maxentries", "logfiles"}},
        {{"CreateSnapshot", "desc", "dc", "-1"},
         {{"analyse-severity-level", "-1"},
          {"analyse-starttime", ""},
          {"analyse-endtime", ""},
          {"analyze-maxentries", "10000"},
          {"maxentries", "-10000"},
          {"item", "DEFAULT"}}},
        {{"ReadSnapshot", "snap.zip", "/nonexistent/dir/local.zip"}, {{"filename", "snap.zip"}}},
        {{"DeleteSnapshots", "s1", "s2"}, {{"item", "s1"}}},
        {{"OSExecute", "ls", "0", "10"},
         {{"command", "ls"}, {"async", "0"}, {"timeout", "10"}, {"protocolfile", ""}}},
        {{"GetCallstack", "77"}, {{"pid", "77"}}},
        {{"GetProcessParameter", "DIA"}, {{"processtype", "DIA"}, {"pid", "-1"}}},
        {{"SetProcessParameter", "DIA", "3", "rdisp/x", "v"},
         {{"processtype", "DIA"}, {"pid", "3"}, {"name", "rdisp/x"}, {"value", "v"}}},
        {{"SetProcessParameter", "DIA", "3", "rdisp/x"},
         {{"name", "rdisp/x"}, {"value", "<absent>"}, {"values", ""}}},
        {{"SetProcessParameter2", "DIA", "3", "PERSIST", "rdisp/x", "v1", "v2"},
         {{"persistence", "QORControl-PERSIST"},
          {"name", "rdisp/x"},
          {"value", "<absent>"},
          {"item", "v1"}}},
        {{"SetProcessParameter2", "DIA", "3", "rdisp/x", "v"},
         {{"persistence", "QORControl-DYNAMIC"}, {"name", "rdisp/x"}, {"value", "v"}}},
        {{"VORNGetSystemWPTable", "1"}, {{"activeonly", "true"}}},
        {{"J2EEControlProcess", "server0", "restart"},
         {{"processname", "server0"}, {"function", "restart"}}},
        {{"J2EEControlCluster", "server0", "stop", "h", "3"},
         {{"processname", "server0"}, {"function", "stop"}, {"host", "h"}, {"nr", "3"}}},
        {{"J2EEControlComponents", "p", "start", "service", "a,b"},
         {{"processName", "p"},
          {"operation", "start"},
          {"componentType", "service"},
          {"componentNames", "a,b"}}},
        {{"J2EEEnableDbgSession", "me"},
         {{"client", "me"}, {"processname", "<absent>"}, {"flags", "<absent>"}}},
        {{"J2EEEnableDbgSession", "me", "server0", "7"},
         {{"client", "me"}, {"processname", "server0"}, {"flags", "7"}},
         {"processname", "flags", "client"}},
        {{"J2EEDisableDbgSession", "key1"}, {{"key", "key1"}}},
        {{"J2EEGetThreadCallStack"}, {{"index", "-1"}}},
        {{"J2EEGetThreadTaskStack", "4"}, {{"index", "4"}}},
        {{"GetAlerts"}, {{"RootTid", ""}}},
        {{"RequestLogonFile", "QOR\\adm"}, {{"user", "QOR\\adm"}}},
    };
    clienttest::Instance instance = clienttest::start_instance();
    for (const RequestCase& c : cases) {
        SCOPED_TRACE(c.words[0] + (c.words.size() > 1 ? " " + c.words[1] : ""));
        instance.service->clear_requests();
        clienttest::run(instance.call(c.words));
        ASSERT_EQ(instance.service->request_count(), 1u);
        const qortest::Request request = instance.service->last_request();
        EXPECT_EQ(request.element, c.words[0]);
        EXPECT_EQ(request.element_qname, "QORControl:" + c.words[0]);
        for (const Expect& e : c.expected) {
            if (e.text == "<absent>") {
                EXPECT_FALSE(has_element(request.body, e.element)) << e.element;
            } else {
                EXPECT_TRUE(has_element(request.body, e.element)) << e.element;
                EXPECT_EQ(element_text(request.body, e.element), e.text) << e.element;
            }
        }
        std::size_t last = 0;
        for (const std::string& name : c.in_order) {
            std::size_t pos = request.body.find("<" + name + ">");
            if (pos == std::string::npos)
                pos = request.body.find("<" + name + "/>");
            ASSERT_NE(pos, std::string::npos) << name;
            EXPECT_GT(pos, last) << name;
            last = pos;
        }
    }
}

TEST(ClientRequests, ListArgumentsAreSentInOrder)
{
    clienttest::Instance instance = clienttest::start_instance();
    clienttest::run(instance.call({"DeleteSnapshots", "s1", "-host", "s3"}));
    ASSERT_EQ(instance.service->request_count(), 1u);
    const std::string body = instance.service->last_request().body;
    const std::size_t a = body.find(">s1<");
    const std::size_t b = body.find(">-host<");
    const std::size_t c = body.find(">s3<");
    ASSERT_NE(a, std::string::npos);
    ASSERT_NE(b, std::string::npos);
    ASSERT_NE(c, std::string::npos);
    EXPECT_LT(a, b);
    EXPECT_LT(b, c);
}

// Each -function reads its own arguments: what an earlier one on the same
// command line read is not sent with the webmethod named last.
TEST(ClientRequests, AnEarlierFunctionLeavesNoArgumentBehind)
{
    const struct
    {
        std::vector<std::string> words;
        std::string element; // of the request
        std::vector<Expect> expected;
    } cases[] = {
        {{"InstanceStart", "h", "3", "rl", "-function", "Bootstrap"},
         "Bootstrap",
         {{"host", "<absent>"}, {"nr", "-1"}}},
        {{"J2EEControlProcess", "p", "f", "-function", "J2EEEnableDbgSession", "c"},
         "J2EEEnableDbgSession",
         {{"processname", "<absent>"}, {"client", "c"}}},
        {{"AnalyseLogFiles", "1", "5", "s", "e", "-function", "CreateSnapshot"},
         "CreateSnapshot",
         {{"analyse-severity-level", "2"}, {"analyze-maxentries", "10000"}}},
        {{"StopSystem", "SCS", "100", "7", "-function", "RestartSystem"},
         "RestartSystem",
         {{"options", "QORControl-ALL-INSTANCES"}, {"softtimeout", "0"}, {"waittimeout", "300"}}},
        {{"InstanceStop", "h", "3", "9", "-function", "Stop"}, "Stop", {{"softtimeout", "0"}}},
    };
    clienttest::Instance instance = clienttest::start_instance();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.words[0] + " then " + c.element);
        instance.service->clear_requests();
        clienttest::run(instance.call(c.words));
        ASSERT_EQ(instance.service->request_count(), 1u);
        const qortest::Request request = instance.service->last_request();
        EXPECT_EQ(request.element, c.element);
        for (const Expect& e : c.expected) {
            EXPECT_EQ(has_element(request.body, e.element), e.text != "<absent>") << e.element;
            if (e.text != "<absent>") {
                EXPECT_EQ(element_text(request.body, e.element), e.text) << e.element;
            }
        }
    }
}

} // namespace
