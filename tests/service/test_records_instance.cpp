// Instance lists, access points, instance properties and file versions read
// from hand-written responses.
#include <gtest/gtest.h>

#include <string>

#include "service/test_records_support.h"

namespace {

using recordtest::Reader;

constexpr const char* kInstances = "QORControl:GetSystemInstanceListResponse";
constexpr const char* kAccessPoints = "QORControl:GetAccessPointListResponse";
constexpr const char* kProperties = "QORControl:GetInstancePropertiesResponse";
constexpr const char* kVersions = "QORControl:GetVersionInfoResponse";

TEST(SystemInstances, ReadsEveryMember)
{
    Reader reader;
    QORControl__ArrayOfQORInstance list;
    ASSERT_EQ(SOAP_OK,
              reader.ReadList(
                  kInstances, "instance",
                  "<item><hostname>qorhost1</hostname><instanceNr>2</instanceNr>"
                  "<httpPort>50213</httpPort><httpsPort>50214</httpsPort>"
                  "<startPriority>0.5</startPriority><features>MESSAGESERVER|ENQUEUE</features>"
                  "<dispstatus>QORControl-GREEN</dispstatus></item>"
                  "<item><hostname>qorhost2</hostname><instanceNr>3</instanceNr>"
                  "<httpPort>50313</httpPort></item>",
                  list));
    ASSERT_EQ(2, list.__size);
    const QORControl__QORInstance& i = list.__ptr[0];
    EXPECT_STREQ("qorhost1", i.hostname);
    EXPECT_EQ(2, i.instanceNr);
    EXPECT_EQ(50213, i.httpPort);
    EXPECT_EQ(50214, i.httpsPort);
    EXPECT_STREQ("0.5", i.startPriority);
    EXPECT_STREQ("MESSAGESERVER|ENQUEUE", i.features);
    EXPECT_EQ(2, i.dispstatus);
    const QORControl__QORInstance& j = list.__ptr[1];
    EXPECT_STREQ("qorhost2", j.hostname);
    EXPECT_EQ(3, j.instanceNr);
    EXPECT_EQ(50313, j.httpPort);
    EXPECT_EQ(0, j.httpsPort);
    EXPECT_EQ(nullptr, j.startPriority);
    EXPECT_EQ(nullptr, j.features);
    EXPECT_EQ(0, j.dispstatus);
}

TEST(SystemInstances, StrictModeRequiresTheNumbers)
{
    Reader reader;
    QORControl__ArrayOfQORInstance list;
    reader.SetStrict(true);
    EXPECT_EQ(
        SOAP_OCCURS,
        reader.ReadList(kInstances, "instance",
                        "<item><hostname>h</hostname><instanceNr>0</instanceNr>"
                        "<httpPort>1</httpPort><dispstatus>QORControl-GRAY</dispstatus></item>",
                        list));
}

struct ActiveCase
{
    const char* name;
    const char* text;
    friend void PrintTo(const ActiveCase& c, std::ostream* os) { *os << c.name; }
};

class AccessPointActive : public ::testing::TestWithParam<ActiveCase>
{
};

TEST_P(AccessPointActive, IsTextAsSent)
{
    Reader reader;
    QORControl__ArrayOfAccessPoint list;
    ASSERT_EQ(
        SOAP_OK,
        reader.ReadList(kAccessPoints, "accesspoint",
                        std::string("<item><address>10.0.0.1</address><port>3200</port>"
                                    "<protocol>DLGP</protocol><processname>dispatcher</processname>"
                                    "<active>") +
                            GetParam().text + "</active></item>",
                        list));
    ASSERT_EQ(1, list.__size);
    const QORControl__AccessPoint& p = list.__ptr[0];
    EXPECT_STREQ("10.0.0.1", p.address);
    EXPECT_EQ(3200, p.port);
    EXPECT_STREQ("DLGP", p.protocol);
    EXPECT_STREQ("dispatcher", p.processname);
    EXPECT_STREQ(GetParam().text, p.active);
}

const ActiveCase kActive[] = {{"True", "true"}, {"One", "1"}, {"Yes", "yes"}, {"No", "No"}};

INSTANTIATE_TEST_SUITE_P(Records, AccessPointActive, ::testing::ValuesIn(kActive),
                         recordtest::CaseName<ActiveCase>);

TEST(InstanceProperties, ReadsEveryMember)
{
    Reader reader;
    QORControl__ArrayOfInstanceProperties list;
    ASSERT_EQ(SOAP_OK,
              reader.ReadList(
                  kProperties, "properties",
                  "<item><property>StartPriority</property><propertytype>Attribute</propertytype>"
                  "<value>1</value></item><item/>",
                  list));
    ASSERT_EQ(2, list.__size);
    EXPECT_STREQ("StartPriority", list.__ptr[0].property);
    EXPECT_STREQ("Attribute", list.__ptr[0].propertytype);
    EXPECT_STREQ("1", list.__ptr[0].value);
    EXPECT_EQ(nullptr, list.__ptr[1].property);
    EXPECT_EQ(nullptr, list.__ptr[1].propertytype);
    EXPECT_EQ(nullptr, list.__ptr[1].value);
}

TEST(InstanceProperties, EmptyItemPassesStrictMode)
{
    Reader reader;
    QORControl__ArrayOfInstanceProperties list;
    reader.SetStrict(true);
    ASSERT_EQ(SOAP_OK, reader.ReadList(kProperties, "properties", "<item></item>", list));
    ASSERT_EQ(1, list.__size);
    EXPECT_EQ(nullptr, list.__ptr[0].value);
}

TEST(VersionInfo, ReadsEveryMemberWithCapitalisedNames)
{
    Reader reader;
    QORControl__ArrayOfInstanceVersionInfo list;
    ASSERT_EQ(SOAP_OK,
              reader.ReadList(
                  kVersions, "version",
                  "<item><Filename>dispatcher</Filename><VersionInfo>7.53, patch 1200</VersionInfo>"
                  "<Time>2026 01 02 03:04:05</Time></item>"
                  "<item><filename>qormsg</filename><versioninfo>x</versioninfo>"
                  "<Time>t</Time></item>",
                  list));
    ASSERT_EQ(2, list.__size);
    EXPECT_STREQ("dispatcher", list.__ptr[0].Filename);
    EXPECT_STREQ("7.53, patch 1200", list.__ptr[0].VersionInfo);
    EXPECT_STREQ("2026 01 02 03:04:05", list.__ptr[0].Time);
    // Lower-case names are other elements and are skipped.
    EXPECT_EQ(nullptr, list.__ptr[1].Filename);
    EXPECT_EQ(nullptr, list.__ptr[1].VersionInfo);
    EXPECT_STREQ("t", list.__ptr[1].Time);
}

} // namespace
