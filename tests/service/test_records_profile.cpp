// Profile parameters: read from hand-written GetProcessParameter responses,
// and written as the parameter list of the set-parameter requests.
#include <gtest/gtest.h>

#include <string>

#include "service/test_records_support.h"

namespace {

using recordtest::Reader;

constexpr const char* kParameters = "QORControl:GetProcessParameterResponse";

const char kFullParameter[] =
    "<item><name>dispatcher/dialog_processes</name><group>Dispatcher</group>"
    "<description>Number of dialog work processes</description><unit>count</unit>"
    "<restriction><type>QORControl-RESTRICT-INTRANGE</type><int-min>-4294967296</int-min>"
    "<int-max>4294967296</int-max><float-min>-0.5</float-min><float-max>2.5</float-max>"
    "<valuemap><item>2</item><item>4</item></valuemap></restriction>"
    "<sub-para><item><name>sub1</name><description>first</description><unit>ms</unit>"
    "<mandatory>true</mandatory><restriction><type>QORControl-RESTRICT-BOOL</type></restriction></"
    "item>"
    "<item><name>sub2</name><mandatory>false</mandatory>"
    "<restriction><type>QORControl-RESTRICT-NONE</type></restriction></item></sub-para>"
    "<value>10</value><dynamic-value>12</dynamic-value>"
    "<values><item>10</item><item>11</item><item>12</item></values>"
    "<dynamic-values><item>12</item></dynamic-values></item>";

TEST(ProfileParameter, ReadsEveryMemberAndNestedRecord)
{
    Reader reader;
    QORControl__ArrayOfProfileParameter list;
    ASSERT_EQ(SOAP_OK, reader.ReadList(kParameters, "parameter", kFullParameter, list));
    ASSERT_EQ(1, list.__size);
    const QORControl__ProfileParameter& p = list.__ptr[0];
    EXPECT_STREQ("dispatcher/dialog_processes", p.name);
    EXPECT_STREQ("Dispatcher", p.group);
    EXPECT_STREQ("Number of dialog work processes", p.description);
    EXPECT_STREQ("count", p.unit);

    const QORControl__ParameterRestriction& r = p.restriction;
    EXPECT_EQ(3, r.type);
    ASSERT_NE(nullptr, r.int_min);
    EXPECT_EQ(-4294967296LL, *r.int_min);
    ASSERT_NE(nullptr, r.int_max);
    EXPECT_EQ(4294967296LL, *r.int_max);
    ASSERT_NE(nullptr, r.float_min);
    EXPECT_DOUBLE_EQ(-0.5, *r.float_min);
    ASSERT_NE(nullptr, r.float_max);
    EXPECT_DOUBLE_EQ(2.5, *r.float_max);
    ASSERT_NE(nullptr, r.valuemap);
    ASSERT_EQ(2, r.valuemap->__size);
    EXPECT_STREQ("2", r.valuemap->__ptr[0]);
    EXPECT_STREQ("4", r.valuemap->__ptr[1]);

    ASSERT_NE(nullptr, p.sub_para);
    ASSERT_EQ(2, p.sub_para->__size);
    const QORControl__SubProfileParameter& s = p.sub_para->__ptr[0];
    EXPECT_STREQ("sub1", s.name);
    EXPECT_STREQ("first", s.description);
    EXPECT_STREQ("ms", s.unit);
    EXPECT_TRUE(s.mandatory);
    EXPECT_EQ(6, s.restriction.type);
    EXPECT_EQ(nullptr, s.restriction.int_min);
    EXPECT_EQ(nullptr, s.restriction.valuemap);
    const QORControl__SubProfileParameter& t = p.sub_para->__ptr[1];
    EXPECT_STREQ("sub2", t.name);
    EXPECT_FALSE(t.mandatory);
    EXPECT_EQ(nullptr, t.description);
    EXPECT_EQ(0, t.restriction.type);

    EXPECT_STREQ("10", p.value);
    EXPECT_STREQ("12", p.dynamic_value);
    ASSERT_NE(nullptr, p.values);
    ASSERT_EQ(3, p.values->__size);
    EXPECT_STREQ("10", p.values->__ptr[0]);
    EXPECT_STREQ("11", p.values->__ptr[1]);
    EXPECT_STREQ("12", p.values->__ptr[2]);
    ASSERT_NE(nullptr, p.dynamic_values);
    ASSERT_EQ(1, p.dynamic_values->__size);
    EXPECT_STREQ("12", p.dynamic_values->__ptr[0]);
}

TEST(ProfileParameter, AbsentOptionalMembersStayNull)
{
    Reader reader;
    QORControl__ArrayOfProfileParameter list;
    ASSERT_EQ(SOAP_OK, reader.ReadList(kParameters, "parameter",
                                       "<item><name>vorn/buffersize</name><value>500000</value>"
                                       "<restriction><type>QORControl-RESTRICT-INTRANGE</type>"
                                       "<int-min>4294967297</int-min></restriction></item>"
                                       "<item><name>bare</name><values/></item>",
                                       list));
    ASSERT_EQ(2, list.__size);
    const QORControl__ProfileParameter& p = list.__ptr[0];
    EXPECT_EQ(nullptr, p.group);
    EXPECT_EQ(nullptr, p.sub_para);
    EXPECT_EQ(nullptr, p.dynamic_value);
    EXPECT_EQ(nullptr, p.values);
    EXPECT_EQ(nullptr, p.dynamic_values);
    ASSERT_NE(nullptr, p.restriction.int_min);
    EXPECT_EQ(4294967297LL, *p.restriction.int_min);
    EXPECT_EQ(nullptr, p.restriction.int_max);
    EXPECT_EQ(nullptr, p.restriction.float_min);
    EXPECT_EQ(nullptr, p.restriction.float_max);

    // Without a restriction element the embedded record keeps its defaults;
    // an empty "values" element gives an empty list, not a missing one.
    const QORControl__ProfileParameter& q = list.__ptr[1];
    EXPECT_EQ(0, q.restriction.type);
    EXPECT_EQ(nullptr, q.restriction.int_min);
    EXPECT_EQ(nullptr, q.restriction.valuemap);
    ASSERT_NE(nullptr, q.values);
    EXPECT_EQ(0, q.values->__size);
}

TEST(ProfileParameter, StrictModeRequiresTheRestriction)
{
    Reader strict;
    strict.SetStrict(true);
    QORControl__ArrayOfProfileParameter list;
    EXPECT_EQ(SOAP_OCCURS,
              strict.ReadList(kParameters, "parameter", "<item><name>x</name></item>", list));
    QORControl__ArrayOfProfileParameter full;
    EXPECT_EQ(SOAP_OK, strict.ReadList(kParameters, "parameter", kFullParameter, full));
}

TEST(ProfileParameter, RepeatedReadsWithReleaseBetween)
{
    // Nested records, pointer members and string lists are all owned by the
    // context; releasing between reads must leave nothing behind and nothing
    // dangling (the sanitizers watch this).
    Reader reader;
    for (int round = 0; round < 20; ++round) {
        QORControl__ArrayOfProfileParameter list;
        ASSERT_EQ(SOAP_OK, reader.ReadList(kParameters, "parameter", kFullParameter, list))
            << round;
        ASSERT_EQ(1, list.__size);
        ASSERT_NE(nullptr, list.__ptr[0].sub_para);
        EXPECT_STREQ("sub2", list.__ptr[0].sub_para->__ptr[1].name);
        ASSERT_NE(nullptr, list.__ptr[0].restriction.valuemap);
        EXPECT_STREQ("4", list.__ptr[0].restriction.valuemap->__ptr[1]);
        reader.Release();
    }
}

struct RestrictionCase
{
    const char* name;
    const char* text;
    int value;
    friend void PrintTo(const RestrictionCase& c, std::ostream* os) { *os << c.name; }
};

class RestrictionType : public ::testing::TestWithParam<RestrictionCase>
{
};

TEST_P(RestrictionType, NamesAndNumbers)
{
    Reader reader;
    QORControl__ArrayOfProfileParameter list;
    ASSERT_EQ(SOAP_OK, reader.ReadList(kParameters, "parameter",
                                       std::string("<item><restriction><type>") + GetParam().text +
                                           "</type></restriction></item>",
                                       list));
    ASSERT_EQ(1, list.__size);
    EXPECT_EQ(GetParam().value, list.__ptr[0].restriction.type);
}

const RestrictionCase kRestrictions[] = {
    {"None", "QORControl-RESTRICT-NONE", 0},
    {"Int", "QORControl-RESTRICT-INT", 1},
    {"Float", "QORControl-RESTRICT-FLOAT", 2},
    {"IntRange", "QORControl-RESTRICT-INTRANGE", 3},
    {"FloatRange", "QORControl-RESTRICT-FLOATRANGE", 4},
    {"Enum", "QORControl-RESTRICT-ENUM", 5},
    {"Bool", "QORControl-RESTRICT-BOOL", 6},
    {"Number", "5", 5},
};

INSTANTIATE_TEST_SUITE_P(Records, RestrictionType, ::testing::ValuesIn(kRestrictions),
                         recordtest::CaseName<RestrictionCase>);

TEST(SetProfileParameter, WritesNameValueAndNoNullList)
{
    Reader reader;
    QORControl__SetProfileParameter items[2];
    for (auto& item : items)
        item.soap_default(reader.ctx());
    char name0[] = "dispatcher/dialog_processes", value0[] = "12",
         name1[] = "dispatcher/background_processes";
    char v1[] = "3", v2[] = "4 & 5";
    char* values[] = {v1, v2};
    QORControl__ArrayOfString list1;
    list1.soap_default(reader.ctx());
    list1.__ptr = values;
    list1.__size = 2;
    items[0].name = name0;
    items[0].value = value0;
    items[1].name = name1;
    items[1].values = &list1;
    QORControl__ArrayOfSetProfileParameter list;
    list.soap_default(reader.ctx());
    list.__ptr = items;
    list.__size = 2;

    EXPECT_EQ(
        "<item><name>dispatcher/dialog_processes</name><value>12</value></item>"
        "<item><name>dispatcher/background_processes</name><values><item>3</item><item>4 &amp; "
        "5</item></values></item>",
        reader.WriteContent(list, "parameter"));
}

TEST(SetProfileParameter, WrittenListReadsBack)
{
    Reader reader;
    QORControl__SetProfileParameter item;
    item.soap_default(reader.ctx());
    char name[] = "logon/default_client", value[] = "001";
    item.name = name;
    item.value = value;
    QORControl__ArrayOfSetProfileParameter list;
    list.soap_default(reader.ctx());
    list.__ptr = &item;
    list.__size = 1;
    const std::string xml = "<parameter>" + reader.WriteContent(list, "parameter") + "</parameter>";

    QORControl__ArrayOfSetProfileParameter back;
    ASSERT_EQ(SOAP_OK,
              reader.ReadMember(recordtest::Response("QORControl:SetProcessParameter", xml),
                                "QORControl:SetProcessParameter", "parameter", back));
    ASSERT_EQ(1, back.__size);
    EXPECT_STREQ("logon/default_client", back.__ptr[0].name);
    EXPECT_STREQ("001", back.__ptr[0].value);
    EXPECT_EQ(nullptr, back.__ptr[0].values);
}

} // namespace
