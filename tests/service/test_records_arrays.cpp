// How record arrays are read: item counts, item names, declared sizes and the
// positions in them, and lists longer than the runtime's default item limit.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "service/test_records_support.h"

namespace {

using recordtest::Reader;
using recordtest::Response;

constexpr const char* kProcessList = "QORControl:GetProcessListResponse";
constexpr const char* kTraces = "QORControl:ListDeveloperTracesResponse";
constexpr const char* kRawSyslog = "QORControl:VORNReadRawSyslogResponse";
constexpr const char* kEnvironment = "QORControl:GetEnvironmentResponse";
constexpr const char* kAlerts = "QORControl:VORNAcknowledgeAlertsResponse";
constexpr const char* kParameters = "QORControl:GetProcessParameterResponse";

std::string PidItems(int count)
{
    std::string items;
    for (int i = 0; i < count; ++i)
        items += "<item><pid>" + std::to_string(i + 1) + "</pid></item>";
    return items;
}

struct CountCase
{
    const char* name;
    friend void PrintTo(const CountCase& c, std::ostream* os) { *os << c.name; }
    int count;
};

class ItemCount : public ::testing::TestWithParam<CountCase>
{
};

TEST_P(ItemCount, RecordItemsArriveInOrder)
{
    const int n = GetParam().count;
    Reader reader;
    QORControl__ArrayOfOSProcess list;
    ASSERT_EQ(SOAP_OK,
              reader.ReadMember(Response(kProcessList, "<process>" + PidItems(n) + "</process>"),
                                kProcessList, "process", list));
    ASSERT_EQ(n, list.__size);
    if (n == 0) {
        EXPECT_EQ(nullptr, list.__ptr);
    }
    for (int i = 0; i < n; ++i)
        ASSERT_EQ(i + 1, list.__ptr[i].pid) << "item " << i;
}

TEST_P(ItemCount, StringItemsArriveInOrder)
{
    const int n = GetParam().count;
    std::string items;
    for (int i = 0; i < n; ++i)
        items += "<item>entry " + std::to_string(i) + "</item>";
    Reader reader;
    QORControl__ArrayOfRawSyslogEntry log;
    ASSERT_EQ(SOAP_OK, reader.ReadMember(Response(kRawSyslog, "<log>" + items + "</log>"),
                                         kRawSyslog, "log", log));
    ASSERT_EQ(n, log.__size);
    if (n == 0) {
        EXPECT_EQ(nullptr, log.__ptr);
    }
    for (int i = 0; i < n; ++i)
        ASSERT_EQ("entry " + std::to_string(i), log.__ptr[i]) << "item " << i;
}

// Lists above 100,000 items are longer than the toolkit's default limit;
// a long process or trace list must still arrive whole.
const CountCase kCounts[] = {
    {"None", 0},
    {"One", 1},
    {"Three", 3},
    {"FullBlock", 64},
    {"OneIntoTheNextBlock", 65},
    {"Thousand", 1000},
    {"AboveDefaultLimit", 100001},
    {"WellAboveDefaultLimit", 250000},
};

INSTANTIATE_TEST_SUITE_P(Records, ItemCount, ::testing::ValuesIn(kCounts),
                         recordtest::CaseName<CountCase>);

TEST(RawSyslog, ItemsAreTheEntryTexts)
{
    Reader reader;
    QORControl__ArrayOfRawSyslogEntry log;
    ASSERT_EQ(
        SOAP_OK,
        reader.ReadMember(Response(kRawSyslog, "<log><item>a</item><item>b</item><item>c</item>"
                                               "<item></item><item>x &amp; &lt;y&gt;</item></log>"),
                          kRawSyslog, "log", log));
    ASSERT_EQ(5, log.__size);
    EXPECT_STREQ("a", log.__ptr[0]);
    EXPECT_STREQ("b", log.__ptr[1]);
    EXPECT_STREQ("c", log.__ptr[2]);
    EXPECT_STREQ("", log.__ptr[3]);
    EXPECT_STREQ("x & <y>", log.__ptr[4]);
}

TEST(RawSyslog, EntryTextKeepsUtf8)
{
    Reader reader;
    QORControl__ArrayOfRawSyslogEntry log;
    ASSERT_EQ(SOAP_OK, reader.ReadMember(Response(kRawSyslog, "<log><item>Gr\xC3\xBC\xC3\x9F"
                                                              "e \xE2\x82\xAC</item></log>"),
                                         kRawSyslog, "log", log));
    ASSERT_EQ(1, log.__size);
    EXPECT_STREQ("Gr\xC3\xBC\xC3\x9F"
                 "e \xE2\x82\xAC",
                 log.__ptr[0]);
}

TEST(DeclaredSize, PositionOutsideTheArrayFails)
{
    for (const char* position : {"[1]", "[5]", "[-1]"}) {
        Reader reader;
        QORControl__ArrayOfOSProcess list;
        EXPECT_EQ(
            SOAP_IOB,
            reader.ReadMember(
                Response(kProcessList,
                         std::string("<process SOAP-ENC:arrayType=\"QORControl:OSProcess[5]\" "
                                     "SOAP-ENC:offset=\"[2]\"><item SOAP-ENC:position=\"") +
                             position + "\"><pid>1</pid></item></process>"),
                kProcessList, "process", list))
            << position;
    }
}

// Positions in an array that declares its size, for each kind of item (the
// arrays of strings, of ints and of records have readers of their own):
// every item arrives in the slot the reply names, or the read fails.
struct PositionCase
{
    const char* name;
    friend void PrintTo(const PositionCase& c, std::ostream* os) { *os << c.name; }
    const char* size;                               // the dimensions of SOAP-ENC:arrayType
    const char* offset;                             // SOAP-ENC:offset; null for none
    std::vector<std::pair<const char*, int>> items; // position (null for none), value
    int error;
    const char* read; // the values of all slots, 0 for one left empty
};

constexpr int kTooMany = SOAP_END_TAG;

const PositionCase kPositions[] = {
    {"InOrder", "[3]", nullptr, {{nullptr, 1}, {nullptr, 2}}, SOAP_OK, "1,2,0"},
    {"BackToAnEmptySlot", "[3]", nullptr, {{"[1]", 2}, {"[0]", 1}}, SOAP_OK, "1,2,0"},
    {"AscendingWithGaps",
     "[5]",
     nullptr,
     {{"[0]", 1}, {"[2]", 3}, {"[4]", 5}},
     SOAP_OK,
     "1,0,3,0,5"},
    {"NextAroundAPosition",
     "[4]",
     nullptr,
     {{nullptr, 1}, {"[2]", 3}, {nullptr, 4}},
     SOAP_OK,
     "1,0,3,4"},
    {"NextAfterAPosition", "[5]", "[2]", {{"[3]", 2}, {nullptr, 3}}, SOAP_OK, "0,2,3"},
    {"BackWithAnOffset", "[5]", "[2]", {{"[3]", 2}, {"[2]", 1}}, SOAP_OK, "1,2,0"},
    // The items end when the one after the item before is beyond the last
    // slot, even with slots still empty.
    {"BackFromTheLastSlot", "[3]", nullptr, {{"[2]", 3}, {"[0]", 1}}, kTooMany, ""},
    {"DescendingFromTheLastSlot",
     "[3]",
     nullptr,
     {{"[2]", 3}, {"[1]", 2}, {"[0]", 1}},
     kTooMany,
     ""},
    {"BackFromTheLastSlotWithAnOffset", "[5]", "[2]", {{"[4]", 3}, {"[2]", 1}}, kTooMany, ""},
    {"NextPastTheLastSlot", "[4]", nullptr, {{"[2]", 3}, {nullptr, 4}, {nullptr, 5}}, kTooMany, ""},
    {"PositionOutsideAfterTheEnd", "[2]", nullptr, {{"[1]", 2}, {"[9]", 3}}, kTooMany, ""},
    {"PositionOutsideBeforeTheEnd",
     "[3]",
     nullptr,
     {{"[1]", 2}, {"[0]", 1}, {"[9]", 3}},
     SOAP_IOB,
     ""},
    {"SlotTakenByAPosition", "[2]", nullptr, {{"[0]", 1}, {"[0]", 2}}, kTooMany, ""},
    {"SlotTakenByTheNext", "[3]", nullptr, {{"[1]", 2}, {"[0]", 1}, {nullptr, 3}}, kTooMany, ""},
    {"NextAfterTheLastSlot", "[3]", nullptr, {{"[2]", 3}, {nullptr, 4}}, kTooMany, ""},
    {"PositionWhenAllAreFilled",
     "[2]",
     nullptr,
     {{nullptr, 1}, {nullptr, 2}, {"[7]", 3}},
     kTooMany,
     ""},
    {"PositionOutside", "[2]", nullptr, {{"[2]", 1}}, SOAP_IOB, ""},
    {"TwoDimensions", "[2,3]", nullptr, {{"[1,0]", 4}, {"[0,2]", 3}}, SOAP_OK, "0,0,3,4,0,0"},
    {"TwoDimensionsWithOffset", "[2,3]", "[0,2]", {{"[1,0]", 5}, {nullptr, 6}}, SOAP_OK, "0,5,6,0"},
    {"ThreeDimensions", "[2,2,3]", nullptr, {{"[1,0,2]", 7}}, SOAP_OK, "0,0,0,0,0,0,0,0,7,0,0,0"},
    {"IndexBeyondItsDimension", "[2,2]", nullptr, {{"[0,2]", 1}}, SOAP_IOB, ""},
    {"FewerIndicesThanDimensions", "[2,2]", nullptr, {{"[1]", 1}}, SOAP_IOB, ""},
    {"MoreIndicesThanDimensions", "[4]", nullptr, {{"[1,0]", 1}}, SOAP_IOB, ""},
    {"PositionNotANumber", "[2]", nullptr, {{"[x]", 1}}, SOAP_IOB, ""},
    {"PositionWithoutIndex", "[2]", nullptr, {{"[]", 1}}, SOAP_IOB, ""},
    {"PositionBeyondAnInt", "[2]", nullptr, {{"[4294967296]", 1}}, SOAP_IOB, ""},
    {"PositionAboveTheLimit", "[1,2]", nullptr, {{"[0,100001]", 1}}, SOAP_IOB, ""},
    // A position is read as the runtime reads it: its indices begin after
    // its first byte, blanks before an index are passed over and so is
    // whatever follows one up to "," or "]".
    {"BlankAfterTheIndex", "[3]", nullptr, {{"[1 ]", 2}}, SOAP_OK, "0,2,0"},
    {"BlanksAroundIndices", "[2,3]", nullptr, {{"[ 1 , 2 ]", 6}}, SOAP_OK, "0,0,0,0,0,6"},
    {"LetterAfterTheIndex", "[3]", nullptr, {{"[1x]", 2}}, SOAP_OK, "0,2,0"},
    {"BlankBetweenTwoNumbersIsOneIndex", "[3]", nullptr, {{"[1 2]", 2}}, SOAP_OK, "0,2,0"},
    {"BlankBetweenIndicesOfTwoDimensions", "[2,2]", nullptr, {{"[1 1]", 1}}, SOAP_IOB, ""},
    {"OtherFirstByte", "[3]", nullptr, {{"(2)", 3}}, SOAP_OK, "0,0,3"},
    {"WithoutBracket", "[3]", nullptr, {{"1]", 1}}, SOAP_IOB, ""},
    {"EmptyIndexBetweenCommas", "[2,2,2]", nullptr, {{"[1,,1]", 1}}, SOAP_IOB, ""},
    {"SixteenIndices",
     "[1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,2]",
     nullptr,
     {{"[0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,1]", 7}},
     SOAP_OK,
     "0,7"},
    // No more than 16 indices are read.
    {"SeventeenIndices",
     "[1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,2]",
     nullptr,
     {{"[0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,1]", 7}},
     SOAP_IOB,
     ""},
};

class DeclaredPositions : public ::testing::TestWithParam<PositionCase>
{
  protected:
    // Reads the case's items, of the XML type `type` and with the content
    // that `value` makes of each value, as the member `member` of
    // `response`; gives the values of all slots, or "error n".
    template <class List>
    std::string Read(const char* response, const char* member, const char* type,
                     std::string (*value)(int))
    {
        const PositionCase& c = GetParam();
        std::string xml =
            std::string("<") + member + " SOAP-ENC:arrayType=\"" + type + c.size + "\"" +
            (c.offset ? std::string(" SOAP-ENC:offset=\"") + c.offset + "\"" : "") + ">";
        for (const auto& [position, number] : c.items) {
            xml += std::string("<item") +
                   (position ? std::string(" SOAP-ENC:position=\"") + position + "\"" : "") + ">" +
                   value(number) + "</item>";
        }
        xml += std::string("</") + member + ">";
        Reader reader;
        List list;
        const int error = reader.ReadMember(Response(response, xml), response, member, list);
        if (error != SOAP_OK)
            return "error " + std::to_string(error);
        std::string read;
        for (int i = 0; i < list.__size; ++i)
            read += (i ? "," : "") + Shown(list.__ptr[i]);
        return read;
    }

  private:
    static std::string Shown(const char* text) { return text ? text : "0"; }
    static std::string Shown(int number) { return std::to_string(number); }
    static std::string Shown(const QORControl__OSProcess& process)
    {
        return std::to_string(process.pid);
    }
};

TEST_P(DeclaredPositions, PutEachItemWhereTheReplyNamesOrFail)
{
    const PositionCase& c = GetParam();
    const std::string expected = c.error == SOAP_OK ? c.read : "error " + std::to_string(c.error);
    const auto number = [](int n) { return std::to_string(n); };
    const auto pid = [](int n) { return "<pid>" + std::to_string(n) + "</pid>"; };
    EXPECT_EQ(expected, Read<QORControl__ArrayOfString>(kEnvironment, "env", "xsd:string", number))
        << "strings";
    EXPECT_EQ(expected, Read<QORControl__ArrayOfInt>(kAlerts, "alert", "xsd:int", number))
        << "ints";
    EXPECT_EQ(expected, Read<QORControl__ArrayOfOSProcess>(kProcessList, "process",
                                                           "QORControl:OSProcess", pid))
        << "records";
}

INSTANTIATE_TEST_SUITE_P(Records, DeclaredPositions, ::testing::ValuesIn(kPositions),
                         recordtest::CaseName<PositionCase>);

TEST(ArrayElement, FailedItemFailsTheList)
{
    Reader reader;
    QORControl__ArrayOfOSProcess list;
    EXPECT_NE(SOAP_OK,
              reader.ReadMember(Response(kProcessList, "<process><item><pid>1</pid></item>"
                                                       "<item><pid>one</pid></item></process>"),
                                kProcessList, "process", list));
}

// An item that fails after it registered an id or a reference (an href of
// its own, of a text or number member, an id), or that the input cuts off,
// fails the read and leaves the list empty; no registration of the toolkit
// is left in the items' freed memory, wherever the item stands among the
// blocks of 64 records, nor from an item before it. The context reads the
// next list.
struct FailedItemCase
{
    const char* name;
    friend void PrintTo(const FailedItemCase& c, std::ostream* os) { *os << c.name; }
    const char* response;
    const char* member;
    std::string items;
    int error;
    bool cut = false; // the document ends after the items
};

std::string FileItems(int count)
{
    std::string items;
    for (int i = 0; i < count; ++i)
        items += "<item><filename>f" + std::to_string(i) + "</filename></item>";
    return items;
}

std::string LineItems(int count)
{
    std::string items;
    for (int i = 0; i < count; ++i)
        items += "<item>l" + std::to_string(i) + "</item>";
    return items;
}

constexpr const char* kHrefBroken = "<item href=\"#x\">b</item c>";

// Parameters that each hold a list of values, the i-th with the id "p<i>".
std::string ParameterItems(int count)
{
    std::string items;
    for (int i = 0; i < count; ++i)
        items += "<item id=\"p" + std::to_string(i) + "\"><values><item>v</item></values></item>";
    return items;
}

const FailedItemCase kFailedItems[] = {
    {"RecordHrefFirst", kTraces, "file", "<item href=\"#x\"></item c>", SOAP_SYNTAX_ERROR},
    {"RecordHrefThird", kTraces, "file", FileItems(2) + "<item href=\"#x\"></item c>",
     SOAP_SYNTAX_ERROR},
    {"RecordHrefLastOfBlock", kTraces, "file", FileItems(63) + "<item href=\"#x\"></item c>",
     SOAP_SYNTAX_ERROR},
    {"RecordHrefFirstOfNextBlock", kTraces, "file", FileItems(64) + "<item href=\"#x\"></item c>",
     SOAP_SYNTAX_ERROR},
    {"RecordHrefFirstOfThirdBlock", kTraces, "file", FileItems(128) + "<item href=\"#x\"></item c>",
     SOAP_SYNTAX_ERROR},
    {"RecordTextHrefFirstOfNextBlock", kTraces, "file",
     FileItems(64) + "<item><filename href=\"#x\"/></item c>", SOAP_SYNTAX_ERROR},
    {"RecordNumberHrefFirstOfNextBlock", kTraces, "file",
     FileItems(64) + "<item><size href=\"#x\"/></item c>", SOAP_SYNTAX_ERROR},
    {"RecordNumberHrefSecondOfNextBlock", kTraces, "file",
     FileItems(65) + "<item><size href=\"#x\"/><filename>&#0;</filename></item>",
     SOAP_SYNTAX_ERROR},
    {"RecordIdFirstOfNextBlock", kTraces, "file",
     FileItems(64) + "<item id=\"x\"><filename>a</filename></item c>", SOAP_SYNTAX_ERROR},
    {"RecordHrefBeforeAFailedItem", kTraces, "file",
     FileItems(60) + "<item href=\"#x\"/>" + FileItems(10) + "<item></item c>", SOAP_SYNTAX_ERROR},
    {"RecordHrefCutOff", kTraces, "file", FileItems(64) + "<item><filename href=\"#x\"/>", SOAP_EOF,
     true},
    {"TextHref", kRawSyslog, "log", LineItems(1) + kHrefBroken, SOAP_SYNTAX_ERROR},
    {"TextHrefAfterMany", kRawSyslog, "log", LineItems(300) + kHrefBroken, SOAP_SYNTAX_ERROR},
    {"TextHrefBeforeAFailedItem", kRawSyslog, "log",
     "<item href=\"#x\"/>" + LineItems(5) + "<item>b</item c>", SOAP_SYNTAX_ERROR},
    {"TextHrefCutOff", kRawSyslog, "log", LineItems(3) + "<item href=\"#x\">b", SOAP_EOF, true},
    {"StringHref", kEnvironment, "env", LineItems(1) + kHrefBroken, SOAP_SYNTAX_ERROR},
    {"NumberHref", kAlerts, "alert", "<item>1</item><item href=\"#x\">2</item c>",
     SOAP_SYNTAX_ERROR},
    // Lists inside records: what the inner list registered, and what the
    // records around it did.
    {"InnerItemHref", kParameters, "parameter", "<item><values>" + std::string(kHrefBroken),
     SOAP_SYNTAX_ERROR},
    {"InnerItemHrefAfterManyRecords", kParameters, "parameter",
     ParameterItems(64) + "<item><values><item>a</item>" + kHrefBroken, SOAP_SYNTAX_ERROR},
    {"InnerListBeforeAFailedRecord", kParameters, "parameter",
     ParameterItems(3) + "<item id=\"x\"><values><item href=\"#y\"/></values></item>" +
         "<item><name>&#0;</name></item>",
     SOAP_SYNTAX_ERROR},
    {"InnerItemHrefCutOff", kParameters, "parameter",
     ParameterItems(65) + "<item><values><item href=\"#y\"/>", SOAP_EOF, true},
};

class FailedItem : public ::testing::TestWithParam<FailedItemCase>
{
};

template <class List> void ExpectFailedRead(Reader& reader, const FailedItemCase& c)
{
    std::string xml =
        Response(c.response, std::string("<") + c.member + ">" + c.items + "</" + c.member + ">");
    if (c.cut)
        xml.resize(xml.find(c.items) + c.items.size());
    List list;
    EXPECT_EQ(c.error, reader.ReadMember(xml, c.response, c.member, list));
    EXPECT_EQ(0, list.__size);
    EXPECT_EQ(nullptr, list.__ptr);
    reader.TouchRegistrations();
    reader.Release();
    const std::string next = c.response == kTraces       ? FileItems(1)
                             : c.response == kParameters ? ParameterItems(1)
                                                         : "<item>7</item>";
    ASSERT_EQ(SOAP_OK, reader.ReadList(c.response, c.member, next, list));
    EXPECT_EQ(1, list.__size);
}

TEST_P(FailedItem, LeavesNoRegistrationInFreedItems)
{
    const FailedItemCase& c = GetParam();
    Reader reader;
    for (const std::size_t piece : {0, 7}) {
        reader.SetDelivery(piece);
        if (c.response == kTraces)
            ExpectFailedRead<QORControl__ArrayOfDirEntry>(reader, c);
        else if (c.response == kRawSyslog)
            ExpectFailedRead<QORControl__ArrayOfRawSyslogEntry>(reader, c);
        else if (c.response == kEnvironment)
            ExpectFailedRead<QORControl__ArrayOfString>(reader, c);
        else if (c.response == kParameters)
            ExpectFailedRead<QORControl__ArrayOfProfileParameter>(reader, c);
        else
            ExpectFailedRead<QORControl__ArrayOfInt>(reader, c);
        reader.Release();
    }
}

INSTANTIATE_TEST_SUITE_P(Records, FailedItem, ::testing::ValuesIn(kFailedItems),
                         recordtest::CaseName<FailedItemCase>);

TEST(ArrayElement, SoapEnvelopeChildInAnItemFailsTheList)
{
    Reader reader;
    QORControl__ArrayOfOSProcess list;
    EXPECT_EQ(
        SOAP_TAG_MISMATCH,
        reader.ReadMember(
            Response(kProcessList, "<process><item><SOAP-ENV:Fault/><pid>1</pid></item></process>"),
            kProcessList, "process", list));
}

TEST(ArrayElement, ResultSurvivesUntilReleased)
{
    // The items live in the context: a second read in the same context must
    // not disturb the first result.
    Reader reader;
    QORControl__ArrayOfDirEntry first, second;
    ASSERT_EQ(SOAP_OK,
              reader.ReadMember(
                  Response(kTraces, "<file><item><filename>dev_w0</filename></item></file>"),
                  kTraces, "file", first));
    ASSERT_EQ(SOAP_OK,
              reader.ReadMember(
                  Response(kTraces, "<file><item><filename>dev_w1</filename></item></file>"),
                  kTraces, "file", second));
    ASSERT_EQ(1, first.__size);
    ASSERT_EQ(1, second.__size);
    EXPECT_STREQ("dev_w0", first.__ptr[0].filename);
    EXPECT_STREQ("dev_w1", second.__ptr[0].filename);
}

TEST(ArrayElement, AssignmentSharesTheItems)
{
    Reader reader;
    QORControl__ArrayOfDirEntry read, caller;
    caller.soap_default(reader.ctx());
    ASSERT_EQ(SOAP_OK,
              reader.ReadMember(Response(kTraces, "<file><item><filename>a</filename></item>"
                                                  "<item><filename>b</filename></item></file>"),
                                kTraces, "file", read));
    caller = read;
    EXPECT_EQ(read.__ptr, caller.__ptr);
    EXPECT_EQ(2, caller.__size);
    EXPECT_STREQ("b", caller.__ptr[1].filename);
}

} // namespace

namespace {

TEST(MultiReference, ItemsReferringToOneIndependentRecord)
{
    Reader reader;
    QORControl__ArrayOfOSProcess list;
    ASSERT_EQ(
        SOAP_OK,
        reader.ReadMember(
            Response(kProcessList,
                     "<process><item href=\"#p1\"/><item><pid>2</pid></item>"
                     "<item href=\"#p1\"/></process>",
                     "<QORControl:OSProcess id=\"p1\" xsi:type=\"QORControl:OSProcess\">"
                     "<name>shared</name><dispstatus>QORControl-GREEN</dispstatus><pid>1</pid>"
                     "</QORControl:OSProcess>"),
            kProcessList, "process", list));
    ASSERT_EQ(3, list.__size);
    for (int i : {0, 2}) {
        EXPECT_STREQ("shared", list.__ptr[i].name) << i;
        EXPECT_EQ(2, list.__ptr[i].dispstatus) << i;
        EXPECT_EQ(1, list.__ptr[i].pid) << i;
    }
    EXPECT_EQ(nullptr, list.__ptr[1].name);
    EXPECT_EQ(2, list.__ptr[1].pid);
}

TEST(MultiReference, ItemReferringToAnEarlierItem)
{
    Reader reader;
    QORControl__ArrayOfDirEntry list;
    ASSERT_EQ(
        SOAP_OK,
        reader.ReadList(kTraces, "file",
                        "<item id=\"f\"><filename>dev_w0</filename><size>5000000000</size></item>"
                        "<item href=\"#f\"/>",
                        list));
    ASSERT_EQ(2, list.__size);
    EXPECT_STREQ("dev_w0", list.__ptr[1].filename);
    EXPECT_EQ(5000000000LL, list.__ptr[1].size);
}

// Ids and references inside the items of a list move with the items when the
// list is put together, however many items there are and whichever comes
// first.
TEST(MultiReference, ReferencesAmongManyItems)
{
    std::string records, strings;
    for (int i = 0; i < 300; i += 2) {
        const std::string n = std::to_string(i);
        records += "<item id=\"f" + n + "\"><filename>t" + n + "</filename></item><item href=\"#f" +
                   n + "\"/>";
        strings += "<item href=\"#s" + n + "\"/><item id=\"s" + n + "\">l" + n + "</item>";
    }
    Reader reader;
    QORControl__ArrayOfDirEntry files;
    ASSERT_EQ(SOAP_OK, reader.ReadList(kTraces, "file", records, files));
    QORControl__ArrayOfRawSyslogEntry lines;
    ASSERT_EQ(SOAP_OK, reader.ReadList(kRawSyslog, "log", strings, lines));
    ASSERT_EQ(300, files.__size);
    ASSERT_EQ(300, lines.__size);
    for (int i = 0; i < 300; ++i) {
        const std::string n = std::to_string(i - i % 2);
        EXPECT_STREQ(("t" + n).c_str(), files.__ptr[i].filename) << i;
        ASSERT_NE(nullptr, lines.__ptr[i]) << i;
        EXPECT_STREQ(("l" + n).c_str(), lines.__ptr[i]) << i;
    }
}

// Reads the parameters of the records, and the elements of the trailer after
// the response.
int ReadParameters(Reader& reader, const std::string& records, const std::string& trailer,
                   QORControl__ArrayOfProfileParameter& list)
{
    return reader.ReadMember(
        Response(kParameters, "<parameter>" + records + "</parameter>", trailer), kParameters,
        "parameter", list);
}

// Lists inside records: the ids and references of the inner lists, of the
// records around them and of the records before and after, in three blocks
// of records, each lead where they were written. An inner list refers to one
// id twice, with another id between, and each of its items is moved once.
TEST(MultiReference, ReferencesInListsInsideRecords)
{
    std::string records, trailer;
    for (int i = 0; i < 130; ++i) {
        const std::string n = std::to_string(i);
        records += "<item id=\"p" + n + "\"><name>n" + n + "</name><values><item href=\"#v" + n +
                   "\"/><item id=\"w" + n + "\">w" + n + "</item><item href=\"#v" + n +
                   "\"/></values><dynamic-values><item href=\"#w" + n +
                   "\"/></dynamic-values></item>";
        trailer += "<x id=\"v" + n + "\">v" + n + "</x>";
    }
    records += "<item href=\"#p70\"/>";
    Reader reader;
    QORControl__ArrayOfProfileParameter list;
    ASSERT_EQ(SOAP_OK, ReadParameters(reader, records, trailer, list));
    ASSERT_EQ(131, list.__size);
    for (int i = 0; i < 131; ++i) {
        const QORControl__ProfileParameter& p = list.__ptr[i];
        const std::string n = std::to_string(i < 130 ? i : 70);
        EXPECT_STREQ(("n" + n).c_str(), p.name) << i;
        ASSERT_TRUE(p.values != nullptr && p.values->__size == 3) << i;
        ASSERT_TRUE(p.dynamic_values != nullptr && p.dynamic_values->__size == 1) << i;
        EXPECT_STREQ(("v" + n).c_str(), p.values->__ptr[0]) << i;
        EXPECT_STREQ(("w" + n).c_str(), p.values->__ptr[1]) << i;
        EXPECT_STREQ(("v" + n).c_str(), p.values->__ptr[2]) << i;
        EXPECT_STREQ(("w" + n).c_str(), p.dynamic_values->__ptr[0]) << i;
    }
    reader.TouchRegistrations();
}

// Lists of their own after the response, each read with room of its own for
// its strings, and lists without ids among them: those the records name
// hold what they were written with.
TEST(MultiReference, ManySmallListsOfTheirOwn)
{
    std::string records, trailer;
    for (int i = 0; i < 200; ++i) {
        const std::string n = std::to_string(i);
        records += "<item><values href=\"#v" + n + "\"/><sub-para href=\"#s" + n + "\"/></item>";
        trailer += "<QORControl:ArrayOfString id=\"v" + n + "\"><i>v" + n + "</i><i>" +
                   std::string(i, 'x') +
                   "</i></QORControl:ArrayOfString>"
                   "<QORControl:ArrayOfString><i>u</i></QORControl:ArrayOfString>"
                   "<QORControl:ArrayOfSubProfileParameter id=\"s" +
                   n + "\"><i><name>s" + n +
                   "</name><unit>u</unit></i></QORControl:ArrayOfSubProfileParameter>"
                   "<QORControl:ArrayOfSubProfileParameter><i><name>t</name></i>"
                   "</QORControl:ArrayOfSubProfileParameter>";
    }
    Reader reader;
    QORControl__ArrayOfProfileParameter list;
    ASSERT_EQ(SOAP_OK, ReadParameters(reader, records, trailer, list));
    ASSERT_EQ(200, list.__size);
    for (int i = 0; i < 200; ++i) {
        const QORControl__ProfileParameter& p = list.__ptr[i];
        const std::string n = std::to_string(i);
        ASSERT_TRUE(p.values != nullptr && p.values->__size == 2) << i;
        ASSERT_TRUE(p.sub_para != nullptr && p.sub_para->__size == 1) << i;
        EXPECT_STREQ(("v" + n).c_str(), p.values->__ptr[0]) << i;
        EXPECT_EQ(std::string(i, 'x'), p.values->__ptr[1]) << i;
        EXPECT_STREQ(("s" + n).c_str(), p.sub_para->__ptr[0].name) << i;
        EXPECT_STREQ("u", p.sub_para->__ptr[0].unit) << i;
    }
}

// The strings of a list share pieces of a string scope: the first piece is
// as large as the first string (its NUL included), each next one the larger
// of the string and twice the piece before, up to 4096 bytes; a string of
// more than 256 bytes gets room of its own. Each row is a list's strings by
// their sizes with the NUL: pieces filled to the byte, a string one byte
// over the room left in a growing piece and in a whole one, a string larger
// than twice the piece before, the longest shared string and the first
// one not shared. Read as a list, as lists inside records (whose names
// share the pieces) and as a list of its own after the response, every
// string reads back exactly (the sanitizer build reports a string written
// past its room).
struct PieceCase
{
    const char* name;
    friend void PrintTo(const PieceCase& c, std::ostream* os) { *os << c.name; }
    std::vector<std::size_t> sizes; // with the NUL
};

std::vector<std::size_t> Sizes(std::initializer_list<std::vector<std::size_t>> runs)
{
    std::vector<std::size_t> sizes;
    for (const std::vector<std::size_t>& run : runs)
        sizes.insert(sizes.end(), run.begin(), run.end());
    return sizes;
}

std::vector<std::size_t> Times(int n, std::size_t size)
{
    return std::vector<std::size_t>(static_cast<std::size_t>(n), size);
}

const PieceCase kPieceCases[] = {
    {"OneByteStrings", Times(9, 1)},
    {"OneByteThenTheLongestShared", {1, 256, 1}},
    {"TheLongestSharedThenOneByte", {256, 1, 255, 1, 256}},
    {"FirstNotShared", {257, 1, 257, 2}},
    {"EachGrowingPieceFilledToTheByte", Sizes({{16, 32, 64, 128, 256},
                                               Times(2, 256),
                                               Times(4, 256),
                                               Times(8, 256),
                                               Times(16, 256),
                                               Times(16, 256),
                                               {1}})},
    {"OneByteOverEachGrowingPiece", {16, 16, 17, 47, 2, 127, 256, 257, 255, 1, 256, 256, 256}},
    {"LargerThanTwiceThePieceBefore", {2, 5, 11, 23, 47, 95, 191, 256, 256}},
    // 15 strings of 256 bytes fill the growing pieces of 256 to 2048 bytes.
    {"WholePiecesFilledToTheByte",
     Sizes({Times(15, 256), Times(16, 256), {255, 1}, Times(15, 256), {1}})},
    {"OneByteOverAWholePiece", Sizes({Times(15, 256), Times(15, 256), {255, 2, 256, 1}})},
    {"ByteAfterByte", Times(8200, 1)},
};

// The string of `size` bytes with its NUL that stands at `index`: letters
// that differ from the strings around it.
std::string PieceString(std::size_t index, std::size_t size)
{
    std::string text(size - 1, static_cast<char>('a' + index % 26));
    for (std::size_t i = 0; i < text.size(); i += 7)
        text[i] = static_cast<char>('A' + (index + i) % 26);
    return text;
}

class StringPiece : public ::testing::TestWithParam<PieceCase>
{
};

TEST_P(StringPiece, EveryStringReadsBackAsAList)
{
    const std::vector<std::size_t>& sizes = GetParam().sizes;
    std::string items;
    for (std::size_t i = 0; i < sizes.size(); ++i)
        items += "<item>" + PieceString(i, sizes[i]) + "</item>";
    Reader reader;
    QORControl__ArrayOfString list;
    ASSERT_EQ(SOAP_OK, reader.ReadList(kEnvironment, "env", items, list));
    ASSERT_EQ(static_cast<int>(sizes.size()), list.__size);
    for (std::size_t i = 0; i < sizes.size(); ++i)
        ASSERT_EQ(PieceString(i, sizes[i]), list.__ptr[i]) << "string " << i;
}

TEST_P(StringPiece, EveryStringReadsBackInListsInsideRecordsAndOnItsOwn)
{
    const std::vector<std::size_t>& sizes = GetParam().sizes;
    std::string values, own;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        values += "<item>" + PieceString(i, sizes[i]) + "</item>";
        own += "<i>" + PieceString(i, sizes[i]) + "</i>";
    }
    std::string records;
    for (int r = 0; r < 3; ++r)
        records +=
            "<item><name>n" + std::to_string(r) + "</name><values>" + values + "</values></item>";
    records += "<item><name>own</name><values href=\"#own\"/></item>";
    Reader reader;
    QORControl__ArrayOfProfileParameter list;
    ASSERT_EQ(SOAP_OK,
              reader.ReadMember(Response(kParameters, "<parameter>" + records + "</parameter>",
                                         "<QORControl:ArrayOfString id=\"own\">" + own +
                                             "</QORControl:ArrayOfString>"),
                                kParameters, "parameter", list));
    ASSERT_EQ(4, list.__size);
    for (int r = 0; r < 4; ++r) {
        const QORControl__ProfileParameter& p = list.__ptr[r];
        EXPECT_STREQ(r < 3 ? ("n" + std::to_string(r)).c_str() : "own", p.name) << r;
        ASSERT_TRUE(p.values != nullptr) << r;
        ASSERT_EQ(static_cast<int>(sizes.size()), p.values->__size) << r;
        for (std::size_t i = 0; i < sizes.size(); ++i)
            ASSERT_EQ(PieceString(i, sizes[i]), p.values->__ptr[i])
                << "record " << r << ", string " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Replies, StringPiece, ::testing::ValuesIn(kPieceCases),
                         recordtest::CaseName<PieceCase>);

TEST(MultiReference, DanglingReferenceFailsTheMessage)
{
    // The referring item keeps its defaults, but a reference that nothing in
    // the message resolves is reported instead of passing as an empty record.
    Reader reader;
    QORControl__ArrayOfDirEntry list;
    EXPECT_EQ(SOAP_MISSING_ID,
              reader.ReadList(kTraces, "file",
                              "<item href=\"#missing\"/><item><size>1</size></item>", list));
    ASSERT_EQ(2, list.__size);
    EXPECT_EQ(nullptr, list.__ptr[0].filename);
    EXPECT_EQ(0, list.__ptr[0].size);
    EXPECT_EQ(1, list.__ptr[1].size);
}

} // namespace

namespace {

TEST(NilMembers, StringsAndPointersStayNull)
{
    Reader reader;
    QORControl__ArrayOfOSProcess processes;
    ASSERT_EQ(SOAP_OK, reader.ReadList(kProcessList, "process",
                                       "<item><name xsi:nil=\"true\"/><description/>"
                                       "<textstatus></textstatus><pid>1</pid></item>",
                                       processes));
    ASSERT_EQ(1, processes.__size);
    EXPECT_EQ(nullptr, processes.__ptr[0].name);
    EXPECT_EQ(nullptr, processes.__ptr[0].description); // the empty-tag form is absent text
    EXPECT_STREQ("", processes.__ptr[0].textstatus);    // an open and a close tag: empty text
    EXPECT_EQ(1, processes.__ptr[0].pid);

    QORControl__ArrayOfProfileParameter parameters;
    ASSERT_EQ(SOAP_OK,
              reader.ReadList("QORControl:GetProcessParameterResponse", "parameter",
                              "<item><values xsi:nil=\"true\"/><sub-para xsi:nil=\"true\"/>"
                              "<restriction><int-min xsi:nil=\"true\"/></restriction></item>",
                              parameters));
    ASSERT_EQ(1, parameters.__size);
    EXPECT_EQ(nullptr, parameters.__ptr[0].values);
    EXPECT_EQ(nullptr, parameters.__ptr[0].sub_para);
    EXPECT_EQ(nullptr, parameters.__ptr[0].restriction.int_min);

    QORControl__ArrayOfXCMProxyConnection connections;
    ASSERT_EQ(SOAP_OK,
              reader.ReadList("QORControl:XCMGetProxyConnectionListResponse", "connection",
                              "<item><snc-context-length xsi:nil=\"true\"/></item>", connections));
    ASSERT_EQ(1, connections.__size);
    EXPECT_EQ(nullptr, connections.__ptr[0].snc_context_length);
}

TEST(NilMembers, NilItemsAndListsAreEmpty)
{
    Reader reader;
    QORControl__ArrayOfOSProcess items, list;
    ASSERT_EQ(SOAP_OK, reader.ReadList(kProcessList, "process",
                                       "<item xsi:nil=\"true\"/><item><pid>2</pid></item>", items));
    ASSERT_EQ(2, items.__size);
    EXPECT_EQ(0, items.__ptr[0].pid);
    EXPECT_EQ(nullptr, items.__ptr[0].name);
    EXPECT_EQ(2, items.__ptr[1].pid);
    ASSERT_EQ(SOAP_OK, reader.ReadMember(Response(kProcessList, "<process xsi:nil=\"true\"/>"),
                                         kProcessList, "process", list));
    EXPECT_EQ(0, list.__size);
    EXPECT_EQ(nullptr, list.__ptr);
}

} // namespace
