// Enqueue statistics and lock tables read from hand-written responses.
#include <gtest/gtest.h>

#include <string>

#include "service/test_records_support.h"

namespace {

using recordtest::Envelope;
using recordtest::Reader;

constexpr const char* kStatistic = "QORControl:EnqStatistic";
constexpr const char* kLockTable = "QORControl:EnqGetLockTableResponse";

// The body of an EnqGetStatistic response is the statistic element itself.
std::string Statistic(const std::string& children)
{
    return Envelope("<QORControl:EnqStatistic>" + children + "</QORControl:EnqStatistic>");
}

const std::string kAllStatistics =
    "<owner-now>1</owner-now><owner-high>2</owner-high><owner-max>3</owner-max>"
    "<owner-state>QORControl-GREEN</owner-state>"
    "<arguments-now>4</arguments-now><arguments-high>5</arguments-high><arguments-max>6</"
    "arguments-max>"
    "<arguments-state>QORControl-YELLOW</arguments-state>"
    "<locks-now>7</locks-now><locks-high>8</locks-high><locks-max>2147483647</locks-max>"
    "<locks-state>QORControl-RED</locks-state>"
    "<enqueue-requests>4294967296</enqueue-requests><enqueue-rejects>11</enqueue-rejects>"
    "<enqueue-errors>12</enqueue-errors><dequeue-requests>5000000000</dequeue-requests>"
    "<dequeue-errors>13</dequeue-errors><dequeue-all-requests>14</dequeue-all-requests>"
    "<cleanup-requests>15</cleanup-requests><backup-requests>16</backup-requests>"
    "<reporting-requests>17</reporting-requests><compress-requests>18</compress-requests>"
    "<verify-requests>9223372036854775807</verify-requests>"
    "<lock-time>1.5</lock-time><lock-wait-time>0.25</lock-wait-time><server-time>12345.125</"
    "server-time>"
    "<replication-state>QORControl-GRAY</replication-state>";

TEST(EnqStatistic, ReadsEveryHyphenatedMember)
{
    Reader reader;
    QORControl__EnqStatistic s;
    ASSERT_EQ(SOAP_OK, reader.ReadBody(Statistic(kAllStatistics), kStatistic, s));
    EXPECT_EQ(1, s.owner_now);
    EXPECT_EQ(2, s.owner_high);
    EXPECT_EQ(3, s.owner_max);
    EXPECT_EQ(2, s.owner_state);
    EXPECT_EQ(4, s.arguments_now);
    EXPECT_EQ(5, s.arguments_high);
    EXPECT_EQ(6, s.arguments_max);
    EXPECT_EQ(3, s.arguments_state);
    EXPECT_EQ(7, s.locks_now);
    EXPECT_EQ(8, s.locks_high);
    EXPECT_EQ(2147483647, s.locks_max);
    EXPECT_EQ(4, s.locks_state);
    EXPECT_EQ(4294967296LL, s.enqueue_requests);
    EXPECT_EQ(11, s.enqueue_rejects);
    EXPECT_EQ(12, s.enqueue_errors);
    EXPECT_EQ(5000000000LL, s.dequeue_requests);
    EXPECT_EQ(13, s.dequeue_errors);
    EXPECT_EQ(14, s.dequeue_all_requests);
    EXPECT_EQ(15, s.cleanup_requests);
    EXPECT_EQ(16, s.backup_requests);
    EXPECT_EQ(17, s.reporting_requests);
    EXPECT_EQ(18, s.compress_requests);
    EXPECT_EQ(9223372036854775807LL, s.verify_requests);
    EXPECT_DOUBLE_EQ(1.5, s.lock_time);
    EXPECT_DOUBLE_EQ(0.25, s.lock_wait_time);
    EXPECT_DOUBLE_EQ(12345.125, s.server_time);
    EXPECT_EQ(1, s.replication_state);
}

TEST(EnqStatistic, MissingReplicationStateIsZeroUnlessStrict)
{
    std::string without = kAllStatistics;
    without.erase(without.find("<replication-state>"));
    Reader reader;
    QORControl__EnqStatistic s;
    ASSERT_EQ(SOAP_OK, reader.ReadBody(Statistic(without), kStatistic, s));
    EXPECT_EQ(0, s.replication_state);
    EXPECT_DOUBLE_EQ(12345.125, s.server_time);

    Reader strict;
    strict.SetStrict(true);
    QORControl__EnqStatistic again;
    EXPECT_EQ(SOAP_OCCURS, strict.ReadBody(Statistic(without), kStatistic, again));
    QORControl__EnqStatistic whole;
    EXPECT_EQ(SOAP_OK, strict.ReadBody(Statistic(kAllStatistics), kStatistic, whole));
}

TEST(EnqStatistic, ResourceCountsAreThirtyTwoBits)
{
    Reader reader;
    QORControl__EnqStatistic s;
    EXPECT_NE(SOAP_OK,
              reader.ReadBody(Statistic("<owner-now>4294967296</owner-now>"), kStatistic, s));
}

TEST(EnqStatistic, ResponseNamedAfterTheWebmethodIsNotTheStatistic)
{
    Reader reader;
    QORControl__EnqStatistic s;
    EXPECT_EQ(SOAP_TAG_MISMATCH,
              reader.ReadBody(Envelope("<QORControl:EnqGetStatisticResponse>" + kAllStatistics +
                                       "</QORControl:EnqGetStatisticResponse>"),
                              kStatistic, s));
}

TEST(EnqStatistic, UnderscoreNamesAreNotTheHyphenatedElements)
{
    Reader reader;
    QORControl__EnqStatistic s;
    ASSERT_EQ(SOAP_OK,
              reader.ReadBody(Statistic("<owner_now>5</owner_now><owner-high>6</owner-high>"),
                              kStatistic, s));
    EXPECT_EQ(0, s.owner_now);
    EXPECT_EQ(6, s.owner_high);
}

TEST(EnqLockTable, ReadsEveryHyphenatedMember)
{
    Reader reader;
    QORControl__ArrayOfEnqLock locks;
    ASSERT_EQ(SOAP_OK,
              reader.ReadList(
                  kLockTable, "lock",
                  "<item><lock-name>EQORTABLE</lock-name><lock-arg>001ITEMS</lock-arg>"
                  "<lock-mode>E</lock-mode><owner>20261206100000123456</owner>"
                  "<owner-vb>20261206100000654321</owner-vb><use-count-owner>1</use-count-owner>"
                  "<use-count-owner-vb>2</use-count-owner-vb><client>001</client>"
                  "<user>DEVELOPER</user><transaction>EDIT</transaction>"
                  "<object>EITEMLOCK</object><backup>true</backup></item>"
                  "<item><lock-name>second</lock-name></item>",
                  locks));
    ASSERT_EQ(2, locks.__size);
    const QORControl__EnqLock& l = locks.__ptr[0];
    EXPECT_STREQ("EQORTABLE", l.lock_name);
    EXPECT_STREQ("001ITEMS", l.lock_arg);
    EXPECT_STREQ("E", l.lock_mode);
    EXPECT_STREQ("20261206100000123456", l.owner);
    EXPECT_STREQ("20261206100000654321", l.owner_vb);
    EXPECT_EQ(1, l.use_count_owner);
    EXPECT_EQ(2, l.use_count_owner_vb);
    EXPECT_STREQ("001", l.client);
    EXPECT_STREQ("DEVELOPER", l.user);
    EXPECT_STREQ("EDIT", l.transaction);
    EXPECT_STREQ("EITEMLOCK", l.object);
    EXPECT_TRUE(l.backup);
    const QORControl__EnqLock& m = locks.__ptr[1];
    EXPECT_STREQ("second", m.lock_name);
    EXPECT_EQ(nullptr, m.lock_mode);
    EXPECT_EQ(0, m.use_count_owner);
    EXPECT_FALSE(m.backup);
}

struct BackupCase
{
    const char* name;
    const char* text;
    bool value;
    friend void PrintTo(const BackupCase& c, std::ostream* os) { *os << c.name; }
};

class EnqLockBackup : public ::testing::TestWithParam<BackupCase>
{
};

TEST_P(EnqLockBackup, BooleanNamesAndNumbers)
{
    Reader reader;
    QORControl__ArrayOfEnqLock locks;
    ASSERT_EQ(SOAP_OK,
              reader.ReadList(kLockTable, "lock",
                              std::string("<item><backup>") + GetParam().text + "</backup></item>",
                              locks));
    ASSERT_EQ(1, locks.__size);
    EXPECT_EQ(GetParam().value, locks.__ptr[0].backup);
}

const BackupCase kBackup[] = {
    {"True", "true", true}, {"False", "false", false}, {"One", "1", true},
    {"Zero", "0", false},   {"Two", "2", true},
};

INSTANTIATE_TEST_SUITE_P(Records, EnqLockBackup, ::testing::ValuesIn(kBackup),
                         recordtest::CaseName<BackupCase>);

TEST(EnqLockTable, BackupThatIsNeitherNameNorNumberFails)
{
    Reader reader;
    QORControl__ArrayOfEnqLock locks;
    EXPECT_EQ(SOAP_TYPE,
              reader.ReadList(kLockTable, "lock", "<item><backup>maybe</backup></item>", locks));
}

TEST(EnqLockTable, EmptyTableAndUnknownChild)
{
    Reader reader;
    QORControl__ArrayOfEnqLock none, one;
    ASSERT_EQ(SOAP_OK, reader.ReadList(kLockTable, "lock", "", none));
    EXPECT_EQ(0, none.__size);
    EXPECT_EQ(nullptr, none.__ptr);
    ASSERT_EQ(SOAP_OK, reader.ReadList(
                           kLockTable, "lock",
                           "<item><lock-owner>x</lock-owner><lock-name>n</lock-name></item>", one));
    ASSERT_EQ(1, one.__size);
    EXPECT_STREQ("n", one.__ptr[0].lock_name);
    EXPECT_EQ(nullptr, one.__ptr[0].owner);
}

} // namespace
