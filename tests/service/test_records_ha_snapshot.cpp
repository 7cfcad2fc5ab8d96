// High-availability check results and snapshot lists read from hand-written
// responses.
#include <gtest/gtest.h>

#include <string>

#include "service/test_records_support.h"

namespace {

using recordtest::Reader;

constexpr const char* kHaCheck = "QORControl:HACheckConfigResponse";
constexpr const char* kSnapshots = "QORControl:ListSnapshotsResponse";

struct HaCase
{
    const char* name;
    const char* state;
    const char* category;
    int state_value;
    int category_value;
    friend void PrintTo(const HaCase& c, std::ostream* os) { *os << c.name; }
};

class HaCheckEnumerations : public ::testing::TestWithParam<HaCase>
{
};

TEST_P(HaCheckEnumerations, StateAndCategory)
{
    const HaCase& c = GetParam();
    Reader reader;
    QORControl__ArrayOfHACheck checks;
    ASSERT_EQ(SOAP_OK,
              reader.ReadList(kHaCheck, "check",
                              std::string("<item><state>") + c.state + "</state><category>" +
                                  c.category +
                                  "</category><description>Redundant enqueue server</description>"
                                  "<comment>replication active</comment></item>",
                              checks));
    ASSERT_EQ(1, checks.__size);
    const QORControl__HACheck& h = checks.__ptr[0];
    EXPECT_EQ(c.state_value, h.state);
    EXPECT_EQ(c.category_value, h.category);
    EXPECT_STREQ("Redundant enqueue server", h.description);
    EXPECT_STREQ("replication active", h.comment);
}

const HaCase kHaCases[] = {
    {"SuccessQorConfiguration", "QORControl-HA-SUCCESS", "QORControl-QOR-CONFIGURATION", 0, 0},
    {"WarningQorState", "QORControl-HA-WARNING", "QORControl-QOR-STATE", 1, 1},
    {"ErrorHaConfiguration", "QORControl-HA-ERROR", "QORControl-HA-CONFIGURATION", 2, 2},
    {"SuccessHaState", "QORControl-HA-SUCCESS", "QORControl-HA-STATE", 0, 3},
    {"Numbers", "2", "3", 2, 3},
    {"NumbersWithoutNames", "5", "11", 5, 11},
};

INSTANTIATE_TEST_SUITE_P(Records, HaCheckEnumerations, ::testing::ValuesIn(kHaCases),
                         recordtest::CaseName<HaCase>);

TEST(HaCheck, AbsentMembersKeepDefaultsAndStrictModeRequiresState)
{
    Reader reader;
    QORControl__ArrayOfHACheck checks;
    const char* item = "<item><category>QORControl-HA-STATE</category><comment>c</comment></item>";
    ASSERT_EQ(SOAP_OK, reader.ReadList(kHaCheck, "check", item, checks));
    ASSERT_EQ(1, checks.__size);
    EXPECT_EQ(0, checks.__ptr[0].state);
    EXPECT_EQ(3, checks.__ptr[0].category);
    EXPECT_EQ(nullptr, checks.__ptr[0].description);
    EXPECT_STREQ("c", checks.__ptr[0].comment);

    Reader strict;
    strict.SetStrict(true);
    QORControl__ArrayOfHACheck again;
    EXPECT_EQ(SOAP_OCCURS, strict.ReadList(kHaCheck, "check", item, again));
}

TEST(Snapshots, ReadsEveryMember)
{
    Reader reader;
    QORControl__ArrayOfSnapshotInfo list;
    ASSERT_EQ(SOAP_OK,
              reader.ReadList(kSnapshots, "snapshots",
                              "<item><filename>snapshot_2026-12-06_10-00.zip</filename>"
                              "<size>4294967300</size><modtime>2026 12 06 10:00:05</modtime>"
                              "<description>before restart</description></item>"
                              "<item><size>12</size></item>",
                              list));
    ASSERT_EQ(2, list.__size);
    EXPECT_STREQ("snapshot_2026-12-06_10-00.zip", list.__ptr[0].filename);
    EXPECT_EQ(4294967300LL, list.__ptr[0].size);
    EXPECT_STREQ("2026 12 06 10:00:05", list.__ptr[0].modtime);
    EXPECT_STREQ("before restart", list.__ptr[0].description);
    EXPECT_EQ(nullptr, list.__ptr[1].filename);
    EXPECT_EQ(12, list.__ptr[1].size);
    EXPECT_EQ(nullptr, list.__ptr[1].modtime);
    EXPECT_EQ(nullptr, list.__ptr[1].description);
}

TEST(Snapshots, EmptyListAndForeignItemNames)
{
    Reader reader;
    QORControl__ArrayOfSnapshotInfo none, named;
    ASSERT_EQ(SOAP_OK, reader.ReadList(kSnapshots, "snapshots", "", none));
    EXPECT_EQ(0, none.__size);
    EXPECT_EQ(nullptr, none.__ptr);
    ASSERT_EQ(SOAP_OK,
              reader.ReadList(kSnapshots, "snapshots",
                              "<snapshot><size>1</size></snapshot><entry><size>2</size></entry>",
                              named));
    ASSERT_EQ(2, named.__size);
    EXPECT_EQ(1, named.__ptr[0].size);
    EXPECT_EQ(2, named.__ptr[1].size);
}

} // namespace
