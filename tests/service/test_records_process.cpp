// Process lists, work-process tables and queue statistics read from
// hand-written responses.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "service/test_records_support.h"

namespace {

using recordtest::Reader;
using recordtest::Response;

constexpr const char* kProcessList = "QORControl:GetProcessListResponse";

std::string ProcessList(const std::string& items)
{
    return Response(kProcessList, "<process>" + items + "</process>");
}

struct OSProcessCase
{
    const char* name;
    friend void PrintTo(const OSProcessCase& c, std::ostream* os) { *os << c.name; }
    std::string xml;
    std::function<void(const QORControl__ArrayOfOSProcess&)> check;
};

class OSProcessList : public ::testing::TestWithParam<OSProcessCase>
{
};

TEST_P(OSProcessList, ReadsEveryMember)
{
    Reader reader;
    QORControl__ArrayOfOSProcess list;
    ASSERT_EQ(SOAP_OK, reader.ReadMember(GetParam().xml, kProcessList, "process", list));
    GetParam().check(list);
}

const OSProcessCase kOSProcessCases[] = {
    {"AllMembers",
     ProcessList("<item><name>dispatcher</name><description>Dispatcher</description>"
                 "<dispstatus>QORControl-GREEN</dispstatus><textstatus>Running</textstatus>"
                 "<starttime>2026 12 06 08:00:01</starttime><elapsedtime>9:51:00</elapsedtime>"
                 "<pid>4711</pid></item>"),
     [](const QORControl__ArrayOfOSProcess& a) {
         ASSERT_EQ(1, a.__size);
         const QORControl__OSProcess& p = a.__ptr[0];
         EXPECT_STREQ("dispatcher", p.name);
         EXPECT_STREQ("Dispatcher", p.description);
         EXPECT_EQ(2, p.dispstatus);
         EXPECT_STREQ("Running", p.textstatus);
         EXPECT_STREQ("2026 12 06 08:00:01", p.starttime);
         EXPECT_STREQ("9:51:00", p.elapsedtime);
         EXPECT_EQ(4711, p.pid);
     }},
    {"MembersInReverseOrder",
     ProcessList("<item><pid>12</pid><elapsedtime>e</elapsedtime><starttime>s</starttime>"
                 "<textstatus>t</textstatus><dispstatus>QORControl-RED</dispstatus>"
                 "<description>d</description><name>n</name></item>"),
     [](const QORControl__ArrayOfOSProcess& a) {
         ASSERT_EQ(1, a.__size);
         const QORControl__OSProcess& p = a.__ptr[0];
         EXPECT_EQ(12, p.pid);
         EXPECT_STREQ("e", p.elapsedtime);
         EXPECT_STREQ("s", p.starttime);
         EXPECT_STREQ("t", p.textstatus);
         EXPECT_EQ(4, p.dispstatus);
         EXPECT_STREQ("d", p.description);
         EXPECT_STREQ("n", p.name);
     }},
    {"AbsentMembersKeepDefaults", ProcessList("<item><textstatus>Stopped</textstatus></item>"),
     [](const QORControl__ArrayOfOSProcess& a) {
         ASSERT_EQ(1, a.__size);
         const QORControl__OSProcess& p = a.__ptr[0];
         EXPECT_EQ(nullptr, p.name);
         EXPECT_EQ(nullptr, p.description);
         EXPECT_EQ(0, p.dispstatus); // none of GRAY, GREEN, YELLOW, RED
         EXPECT_STREQ("Stopped", p.textstatus);
         EXPECT_EQ(nullptr, p.starttime);
         EXPECT_EQ(nullptr, p.elapsedtime);
         EXPECT_EQ(0, p.pid);
     }},
    {"SecondElementOfAMemberIsSkipped",
     ProcessList("<item><pid>1</pid><name>first</name><pid>2</pid><name>second</name></item>"),
     [](const QORControl__ArrayOfOSProcess& a) {
         ASSERT_EQ(1, a.__size);
         EXPECT_EQ(1, a.__ptr[0].pid);
         EXPECT_STREQ("first", a.__ptr[0].name);
     }},
    {"UnknownChildIsSkippedWithItsContent",
     ProcessList("<item><name>a</name><extra><pid>99</pid><deeper>x</deeper></extra>"
                 "<pid>3</pid></item>"),
     [](const QORControl__ArrayOfOSProcess& a) {
         ASSERT_EQ(1, a.__size);
         EXPECT_STREQ("a", a.__ptr[0].name);
         EXPECT_EQ(3, a.__ptr[0].pid);
     }},
    {"StateColourAsNumber", ProcessList("<item><dispstatus>3</dispstatus></item>"),
     [](const QORControl__ArrayOfOSProcess& a) {
         ASSERT_EQ(1, a.__size);
         EXPECT_EQ(3, a.__ptr[0].dispstatus);
     }},
    {"StateColourNumberWithoutName", ProcessList("<item><dispstatus>7</dispstatus></item>"),
     [](const QORControl__ArrayOfOSProcess& a) {
         ASSERT_EQ(1, a.__size);
         EXPECT_EQ(7, a.__ptr[0].dispstatus);
     }},
    {"EveryColourName",
     ProcessList("<item><dispstatus>QORControl-GRAY</dispstatus></item>"
                 "<item><dispstatus>QORControl-GREEN</dispstatus></item>"
                 "<item><dispstatus>QORControl-YELLOW</dispstatus></item>"
                 "<item><dispstatus>QORControl-RED</dispstatus></item>"),
     [](const QORControl__ArrayOfOSProcess& a) {
         ASSERT_EQ(4, a.__size);
         for (int i = 0; i < 4; ++i)
             EXPECT_EQ(i + 1, a.__ptr[i].dispstatus) << i;
     }},
    {"NoItems", ProcessList(""),
     [](const QORControl__ArrayOfOSProcess& a) {
         EXPECT_EQ(0, a.__size);
         EXPECT_EQ(nullptr, a.__ptr);
     }},
    {"ItemsNotNamedItem",
     ProcessList("<process1><pid>1</pid></process1><x><pid>2</pid></x>"
                 "<QORControl:OSProcess><pid>3</pid></QORControl:OSProcess>"),
     [](const QORControl__ArrayOfOSProcess& a) {
         ASSERT_EQ(3, a.__size);
         for (int i = 0; i < 3; ++i)
             EXPECT_EQ(i + 1, a.__ptr[i].pid);
     }},
    {"ItemTypedAsAnotherRecordIsReadAsProcess",
     ProcessList("<item xsi:type=\"QORControl:J2EEProcess\"><name>n</name><pid>8</pid>"
                 "<telnetPort>1</telnetPort></item>"),
     [](const QORControl__ArrayOfOSProcess& a) {
         ASSERT_EQ(1, a.__size);
         EXPECT_STREQ("n", a.__ptr[0].name);
         EXPECT_EQ(8, a.__ptr[0].pid);
     }},
    {"EmptyItemHasDefaults", ProcessList("<item/><item><pid>5</pid></item>"),
     [](const QORControl__ArrayOfOSProcess& a) {
         ASSERT_EQ(2, a.__size);
         EXPECT_EQ(nullptr, a.__ptr[0].name);
         EXPECT_EQ(0, a.__ptr[0].pid);
         EXPECT_EQ(0, a.__ptr[0].dispstatus);
         EXPECT_EQ(5, a.__ptr[1].pid);
     }},
};

INSTANTIATE_TEST_SUITE_P(Records, OSProcessList, ::testing::ValuesIn(kOSProcessCases),
                         recordtest::CaseName<OSProcessCase>);

TEST(OSProcessMembers, ColourTypedAsAnotherTypeFails)
{
    Reader reader;
    QORControl__ArrayOfOSProcess list;
    EXPECT_EQ(SOAP_TYPE,
              reader.ReadMember(
                  ProcessList("<item><dispstatus xsi:type=\"xsd:int\">2</dispstatus></item>"),
                  kProcessList, "process", list));
    QORControl__ArrayOfOSProcess typed;
    ASSERT_EQ(SOAP_OK,
              reader.ReadMember(ProcessList("<item><dispstatus xsi:type=\"QORControl:STATE-COLOR\">"
                                            "QORControl-RED</dispstatus></item>"),
                                kProcessList, "process", typed));
    ASSERT_EQ(1, typed.__size);
    EXPECT_EQ(4, typed.__ptr[0].dispstatus);
}

TEST(WorkProcessTable, ReadsEveryColumnOfBothForms)
{
    const std::string columns =
        "<No>0</No><Typ>DLG</Typ><Pid>1234</Pid><Status>Run</Status><Reason>PRIV</Reason>"
        "<Start>yes</Start><Err>2</Err><Sem>17</Sem><Cpu>0:01</Cpu><Time>12</Time>"
        "<Program>QORMHTTP</Program><Client>001</Client><User>ADMIN</User>"
        "<Action>Sequential Read</Action><Table>JOBTABLE</Table>";
    Reader reader;
    QORControl__ArrayOfWorkProcess wp;
    ASSERT_EQ(SOAP_OK,
              reader.ReadMember(Response("QORControl:VORNGetWPTableResponse",
                                         "<workprocess><item>" + columns +
                                             "</item><item><No>1</No></item></workprocess>"),
                                "QORControl:VORNGetWPTableResponse", "workprocess", wp));
    ASSERT_EQ(2, wp.__size);
    const QORControl__WorkProcess& w = wp.__ptr[0];
    EXPECT_EQ(0, w.No);
    EXPECT_STREQ("DLG", w.Typ);
    EXPECT_EQ(1234, w.Pid);
    EXPECT_STREQ("Run", w.Status);
    EXPECT_STREQ("PRIV", w.Reason);
    EXPECT_STREQ("yes", w.Start);
    EXPECT_STREQ("2", w.Err);
    EXPECT_STREQ("17", w.Sem);
    EXPECT_STREQ("0:01", w.Cpu);
    EXPECT_STREQ("12", w.Time);
    EXPECT_STREQ("QORMHTTP", w.Program);
    EXPECT_STREQ("001", w.Client);
    EXPECT_STREQ("ADMIN", w.User);
    EXPECT_STREQ("Sequential Read", w.Action);
    EXPECT_STREQ("JOBTABLE", w.Table);
    EXPECT_EQ(1, wp.__ptr[1].No);
    EXPECT_EQ(nullptr, wp.__ptr[1].Typ);

    QORControl__ArrayOfSystemWorkProcess swp;
    ASSERT_EQ(SOAP_OK,
              reader.ReadMember(Response("QORControl:VORNGetSystemWPTableResponse",
                                         "<workprocess><item><Instance>host_QOR_00</Instance>" +
                                             columns + "</item></workprocess>"),
                                "QORControl:VORNGetSystemWPTableResponse", "workprocess", swp));
    ASSERT_EQ(1, swp.__size);
    const QORControl__SystemWorkProcess& s = swp.__ptr[0];
    EXPECT_STREQ("host_QOR_00", s.Instance);
    EXPECT_EQ(0, s.No);
    EXPECT_STREQ("DLG", s.Typ);
    EXPECT_EQ(1234, s.Pid);
    EXPECT_STREQ("Run", s.Status);
    EXPECT_STREQ("PRIV", s.Reason);
    EXPECT_STREQ("yes", s.Start);
    EXPECT_STREQ("2", s.Err);
    EXPECT_STREQ("17", s.Sem);
    EXPECT_STREQ("0:01", s.Cpu);
    EXPECT_STREQ("12", s.Time);
    EXPECT_STREQ("QORMHTTP", s.Program);
    EXPECT_STREQ("001", s.Client);
    EXPECT_STREQ("ADMIN", s.User);
    EXPECT_STREQ("Sequential Read", s.Action);
    EXPECT_STREQ("JOBTABLE", s.Table);
}

TEST(WorkProcessTable, ColumnNamesAreMatchedWithCase)
{
    Reader reader;
    QORControl__ArrayOfWorkProcess wp;
    ASSERT_EQ(SOAP_OK, reader.ReadMember(Response("QORControl:VORNGetWPTableResponse",
                                                  "<workprocess><item><no>4</no><pid>9</pid>"
                                                  "<typ>BGD</typ></item></workprocess>"),
                                         "QORControl:VORNGetWPTableResponse", "workprocess", wp));
    ASSERT_EQ(1, wp.__size);
    EXPECT_EQ(0, wp.__ptr[0].No);
    EXPECT_EQ(0, wp.__ptr[0].Pid);
    EXPECT_EQ(nullptr, wp.__ptr[0].Typ);
}

TEST(QueueStatistic, ReadsEveryCounter)
{
    Reader reader;
    QORControl__ArrayOfTaskHandlerQueue q;
    ASSERT_EQ(SOAP_OK, reader.ReadMember(
                           Response("QORControl:GetQueueStatisticResponse",
                                    "<queue><item><Typ>VORN/NOWP</Typ><Now>1</Now><High>22</High>"
                                    "<Max>14000</Max><Writes>2147483647</Writes>"
                                    "<Reads>-5</Reads></item><item><Typ>WEB/Intern</Typ>"
                                    "</item></queue>"),
                           "QORControl:GetQueueStatisticResponse", "queue", q));
    ASSERT_EQ(2, q.__size);
    EXPECT_STREQ("VORN/NOWP", q.__ptr[0].Typ);
    EXPECT_EQ(1, q.__ptr[0].Now);
    EXPECT_EQ(22, q.__ptr[0].High);
    EXPECT_EQ(14000, q.__ptr[0].Max);
    EXPECT_EQ(2147483647, q.__ptr[0].Writes);
    EXPECT_EQ(-5, q.__ptr[0].Reads);
    EXPECT_STREQ("WEB/Intern", q.__ptr[1].Typ);
    EXPECT_EQ(0, q.__ptr[1].Now);
    EXPECT_EQ(0, q.__ptr[1].Reads);
}

TEST(QueueStatistic, CounterTooWideForThirtyTwoBitsFailsTheRead)
{
    Reader reader;
    QORControl__ArrayOfTaskHandlerQueue q;
    EXPECT_NE(SOAP_OK,
              reader.ReadMember(Response("QORControl:GetQueueStatisticResponse",
                                         "<queue><item><Now>4294967296</Now></item></queue>"),
                                "QORControl:GetQueueStatisticResponse", "queue", q));
}

} // namespace
