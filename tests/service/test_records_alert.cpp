// Alerts, the alert tree, system-log entries and directory listings read
// from hand-written responses.
#include <gtest/gtest.h>

#include <string>

#include "service/test_records_support.h"

namespace {

using recordtest::Reader;
using recordtest::Response;

constexpr const char* kAlertTree = "QORControl:GetAlertTreeResponse";
constexpr const char* kSyslog = "QORControl:VORNReadSyslogResponse";
constexpr const char* kTraces = "QORControl:ListDeveloperTracesResponse";
constexpr const char* kAlerts = "QORControl:GetAlertsResponse";

TEST(Alerts, ReadsEveryMember)
{
    Reader reader;
    QORControl__ArrayOfAlert alerts;
    ASSERT_EQ(
        SOAP_OK,
        reader.ReadList(
            kAlerts, "alert",
            "<item><Object>QOR\\host_QOR_00\\Dialog</Object><Attribute>ResponseTime</Attribute>"
            "<Value>QORControl-YELLOW</Value><Description>1200 ms &gt; 1000 ms</Description>"
            "<Time>2026 12 06 10:11:12</Time><Tid>4A3F</Tid><Aid>20261206</Aid></item>"
            "<item><Value>QORControl-RED</Value></item>",
            alerts));
    ASSERT_EQ(2, alerts.__size);
    const QORControl__Alert& a = alerts.__ptr[0];
    EXPECT_STREQ("QOR\\host_QOR_00\\Dialog", a.Object);
    EXPECT_STREQ("ResponseTime", a.Attribute);
    EXPECT_EQ(3, a.Value);
    EXPECT_STREQ("1200 ms > 1000 ms", a.Description);
    EXPECT_STREQ("2026 12 06 10:11:12", a.Time);
    EXPECT_STREQ("4A3F", a.Tid);
    EXPECT_STREQ("20261206", a.Aid);
    const QORControl__Alert& b = alerts.__ptr[1];
    EXPECT_EQ(4, b.Value);
    EXPECT_EQ(nullptr, b.Object);
    EXPECT_EQ(nullptr, b.Attribute);
    EXPECT_EQ(nullptr, b.Description);
    EXPECT_EQ(nullptr, b.Time);
    EXPECT_EQ(nullptr, b.Tid);
    EXPECT_EQ(nullptr, b.Aid);
}

TEST(AlertTree, ReadsEveryMember)
{
    Reader reader;
    QORControl__ArrayOfAlertNode tree;
    ASSERT_EQ(
        SOAP_OK,
        reader.ReadList(
            kAlertTree, "tree",
            "<item><name>QOR</name><parent>-1</parent><ActualValue>QORControl-GREEN</ActualValue>"
            "<description>System</description><Time>t1</Time><AnalyseTool>MONITOR</AnalyseTool>"
            "<VisibleLevel>QORControl-EXPERT</VisibleLevel>"
            "<HighAlertValue>QORControl-RED</HighAlertValue><AlDescription>full</AlDescription>"
            "<AlTime>t2</AlTime><Tid>0001</Tid></item>"
            "<item><name>Dialog</name><parent>0</parent></item>",
            tree));
    ASSERT_EQ(2, tree.__size);
    const QORControl__AlertNode& n = tree.__ptr[0];
    EXPECT_STREQ("QOR", n.name);
    EXPECT_EQ(-1, n.parent);
    EXPECT_EQ(2, n.ActualValue);
    EXPECT_STREQ("System", n.description);
    EXPECT_STREQ("t1", n.Time);
    EXPECT_STREQ("MONITOR", n.AnalyseTool);
    EXPECT_EQ(2, n.VisibleLevel);
    EXPECT_EQ(4, n.HighAlertValue);
    EXPECT_STREQ("full", n.AlDescription);
    EXPECT_STREQ("t2", n.AlTime);
    EXPECT_STREQ("0001", n.Tid);
    // A node without levels and colours: VisibleLevel 0 is UNKNOWN, colour 0
    // is none of the four colours.
    const QORControl__AlertNode& m = tree.__ptr[1];
    EXPECT_STREQ("Dialog", m.name);
    EXPECT_EQ(0, m.parent);
    EXPECT_EQ(0, m.ActualValue);
    EXPECT_EQ(0, m.VisibleLevel);
    EXPECT_EQ(0, m.HighAlertValue);
    EXPECT_EQ(nullptr, m.description);
    EXPECT_EQ(nullptr, m.Tid);
}

struct LevelCase
{
    const char* name;
    const char* text;
    int value;
    friend void PrintTo(const LevelCase& c, std::ostream* os) { *os << c.name; }
};

class VisibleLevel : public ::testing::TestWithParam<LevelCase>
{
};

TEST_P(VisibleLevel, NamesAndNumbers)
{
    Reader reader;
    QORControl__ArrayOfAlertNode tree;
    ASSERT_EQ(SOAP_OK, reader.ReadList(kAlertTree, "tree",
                                       std::string("<item><VisibleLevel>") + GetParam().text +
                                           "</VisibleLevel></item>",
                                       tree));
    ASSERT_EQ(1, tree.__size);
    EXPECT_EQ(GetParam().value, tree.__ptr[0].VisibleLevel);
}

const LevelCase kLevels[] = {
    {"Unknown", "QORControl-UNKNOWN", 0},
    {"Operator", "QORControl-OPERATOR", 1},
    {"Expert", "QORControl-EXPERT", 2},
    {"Developer", "QORControl-DEVELOPER", 3},
    {"Number", "2", 2},
    {"NumberWithoutName", "9", 9},
};

INSTANTIATE_TEST_SUITE_P(Records, VisibleLevel, ::testing::ValuesIn(kLevels),
                         recordtest::CaseName<LevelCase>);

TEST(Syslog, ReadsEveryColumn)
{
    Reader reader;
    QORControl__ArrayOfSyslogEntry log;
    ASSERT_EQ(
        SOAP_OK,
        reader.ReadList(
            kSyslog, "log",
            "<item><Time>10:00:01</Time><Typ>DLG</Typ><Client>000</Client><User>QORSYS</User>"
            "<Tcode>SHOWLOG</Tcode><MNo>M01</MNo><Text>Operating system call recv failed</Text>"
            "<Severity>QORControl-RED</Severity></item>"
            "<item><Severity>1</Severity><Text></Text></item>",
            log));
    ASSERT_EQ(2, log.__size);
    const QORControl__SyslogEntry& e = log.__ptr[0];
    EXPECT_STREQ("10:00:01", e.Time);
    EXPECT_STREQ("DLG", e.Typ);
    EXPECT_STREQ("000", e.Client);
    EXPECT_STREQ("QORSYS", e.User);
    EXPECT_STREQ("SHOWLOG", e.Tcode);
    EXPECT_STREQ("M01", e.MNo);
    EXPECT_STREQ("Operating system call recv failed", e.Text);
    EXPECT_EQ(4, e.Severity);
    EXPECT_EQ(1, log.__ptr[1].Severity);
    EXPECT_STREQ("", log.__ptr[1].Text);
    EXPECT_EQ(nullptr, log.__ptr[1].Time);
}

struct SizeCase
{
    const char* name;
    const char* text;
    LONG64 value;
    friend void PrintTo(const SizeCase& c, std::ostream* os) { *os << c.name; }
};

class DirEntrySize : public ::testing::TestWithParam<SizeCase>
{
};

TEST_P(DirEntrySize, KeepsAllSixtyFourBits)
{
    Reader reader;
    QORControl__ArrayOfDirEntry files;
    ASSERT_EQ(SOAP_OK, reader.ReadList(kTraces, "file",
                                       std::string("<item><filename>dev_w0</filename><size>") +
                                           GetParam().text +
                                           "</size><modtime>2026 12 06 09:00:00</modtime></item>",
                                       files));
    ASSERT_EQ(1, files.__size);
    EXPECT_STREQ("dev_w0", files.__ptr[0].filename);
    EXPECT_EQ(GetParam().value, files.__ptr[0].size);
    EXPECT_STREQ("2026 12 06 09:00:00", files.__ptr[0].modtime);
}

const SizeCase kSizes[] = {
    {"Small", "1024", 1024},
    {"JustAbove32Bits", "4294967296", 4294967296LL},
    {"FiveBillion", "5000000000", 5000000000LL},
    {"Largest", "9223372036854775807", 9223372036854775807LL},
    {"Negative", "-2", -2},
};

INSTANTIATE_TEST_SUITE_P(Records, DirEntrySize, ::testing::ValuesIn(kSizes),
                         recordtest::CaseName<SizeCase>);

TEST(DirEntry, MembersInAnyOrderAndRepeatsSkipped)
{
    Reader reader;
    QORControl__ArrayOfDirEntry files;
    ASSERT_EQ(SOAP_OK,
              reader.ReadList(kTraces, "file",
                              "<item><modtime>m</modtime><size>7</size><filename>f</filename>"
                              "<size>8</size><filename>g</filename></item>",
                              files));
    ASSERT_EQ(1, files.__size);
    EXPECT_STREQ("f", files.__ptr[0].filename);
    EXPECT_EQ(7, files.__ptr[0].size);
    EXPECT_STREQ("m", files.__ptr[0].modtime);
}

} // namespace
