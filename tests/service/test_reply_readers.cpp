// Replies that carry more than the plain literal form: members whose
// elements declare a foreign xsi:type, arrays that declare their size, and
// text in every form the toolkit's reader knows.
#include <functional>
#include <sstream>
#include <string>
#include <type_traits>

#include "service/service_call_support.h"
#include "service/test_records_support.h"

namespace {

using calltest::ServiceCall;
using qortest::Reply;

std::string Wrapped(const std::string& method, const std::string& content)
{
    return "<QORControl:" + method + "Response>" + content + "</QORControl:" + method + "Response>";
}

struct TypedCase
{
    const char* name;
    const char* member; // XML of one member; the rest of the record is absent
    const char* read;   // what arrived
};

void PrintTo(const TypedCase& c, std::ostream* os)
{
    *os << c.name;
}

// Cache entries carry a string, an int, a 64-bit number and a boolean;
// profile parameters an optional 64-bit number and an optional double.
const TypedCase kTyped[] = {
    {"IntDeclaredLong", "<version xsi:type=\"xsd:long\">42</version>", "- 42 0 0"},
    {"IntDeclaredString", "<version xsi:type=\"xsd:string\">42</version>", "- 42 0 0"},
    {"IntDeclaredForeignType", "<version xmlns:x=\"urn:x\" xsi:type=\"x:N\">-7</version>",
     "- -7 0 0"},
    {"StringDeclaredInt", "<name xsi:type=\"xsd:int\">qorwp</name>", "qorwp 0 0 0"},
    {"LongDeclaredInt", "<size xsi:type=\"xsd:int\">5000000000</size>", "- 0 5000000000 0"},
    {"BooleanDeclaredInt", "<valid xsi:type=\"xsd:int\">true</valid>", "- 0 0 1"},
    {"OptionalNumbersDeclaredOtherwise",
     "<restriction><int-min xsi:type=\"xsd:int\">-5</int-min>"
     "<float-max xsi:type=\"xsd:decimal\">1.5</float-max></restriction>",
     "-5 1.5"},
};

class ForeignType : public ServiceCall, public ::testing::WithParamInterface<TypedCase>
{
};

TEST_P(ForeignType, IsReadAsTheDeclaredMember)
{
    const TypedCase& c = GetParam();
    const std::string item = std::string("<item>") + c.member + "</item>";
    service().script("XCMGetCacheEntries",
                     Reply::ok(Wrapped("XCMGetCacheEntries", "<entry>" + item + "</entry>")));
    service().script(
        "GetProcessParameter",
        Reply::ok(Wrapped("GetProcessParameter", "<parameter>" + item + "</parameter>")));
    std::ostringstream read;
    if (std::string(c.member).rfind("<restriction>", 0) == 0) {
        QORControl__ArrayOfProfileParameter list;
        ASSERT_EQ(SOAP_OK, soap_call_QORControl__GetProcessParameter(
                               ctx(), endpoint(), "", calltest::Text("DIA"), -1, list))
            << FaultString();
        ASSERT_EQ(1, list.__size);
        const QORControl__ParameterRestriction& r = list.__ptr[0].restriction;
        ASSERT_TRUE(r.int_min && r.float_max);
        read << *r.int_min << " " << *r.float_max;
    } else {
        QORControl__ArrayOfXCMCacheEntry list;
        ASSERT_EQ(SOAP_OK, soap_call_QORControl__XCMGetCacheEntries(ctx(), endpoint(), "", list))
            << FaultString();
        ASSERT_EQ(1, list.__size);
        const QORControl__XCMCacheEntry& e = list.__ptr[0];
        read << (e.name ? e.name : "-") << " " << e.version << " " << e.size << " " << e.valid;
    }
    EXPECT_EQ(c.read, read.str());
}

INSTANTIATE_TEST_SUITE_P(Replies, ForeignType, ::testing::ValuesIn(kTyped),
                         recordtest::CaseName<TypedCase>);

// Items of an array of ints (no webmethod the client calls returns one).
TEST(IntItems, AreReadWhateverTypeTheyDeclare)
{
    recordtest::Reader reader;
    QORControl__ArrayOfInt alerts;
    const char* response = "QORControl:VORNAcknowledgeAlertsResponse";
    ASSERT_EQ(SOAP_OK, reader.ReadList(response, "alert",
                                       "<item xsi:type=\"xsd:long\">5</item>"
                                       "<item xsi:type=\"xsd:string\">6</item>",
                                       alerts));
    ASSERT_EQ(2, alerts.__size);
    EXPECT_EQ(5, alerts.__ptr[0]);
    EXPECT_EQ(6, alerts.__ptr[1]);
}

// A number element of another xsi:type that the runtime's number reader takes
// (an xsd:short for an int) is read like one of the expected type: its value
// whole, here with a long reference; any other type fails as in the runtime.
TEST(NumberTypes, RelatedOnesAreTheRuntimesAndReadWhole)
{
    struct Number
    {
        const char* type;
        std::function<bool(struct soap*)> mended, runtime;
    };
    const auto reads = [](auto* mended, auto* runtime, const char* type, int id) {
        return Number{type,
                      [=](struct soap* soap) {
                          std::remove_pointer_t<decltype(mended(soap, "", nullptr, ""))> value{};
                          return mended(soap, "x", &value, type) != nullptr && value == 1;
                      },
                      [=](struct soap* soap) {
                          std::remove_pointer_t<decltype(mended(soap, "", nullptr, ""))> value{};
                          return runtime(soap, "x", &value, type, id) != nullptr;
                      }};
    };
    const Number numbers[] = {
        reads(soap_in_int, soap_inint, "xsd:int", SOAP_TYPE_int),
        reads(soap_in_LONG64, soap_inLONG64, "xsd:long", SOAP_TYPE_LONG64),
        reads(soap_in_double, soap_indouble, "xsd:double", SOAP_TYPE_double),
        reads(soap_in_byte, soap_inbyte, "xsd:byte", SOAP_TYPE_byte),
        reads(soap_in_unsignedByte, soap_inunsignedByte, "xsd:unsignedByte",
              SOAP_TYPE_unsignedByte),
        reads(soap_in_unsignedInt, soap_inunsignedInt, "xsd:unsignedInt", SOAP_TYPE_unsignedInt),
    };
    const char* const kTypes[] = {"xsd:int",
                                  "xsd:short",
                                  "other:byte",
                                  "xsd:long",
                                  "xsd:integer",
                                  "xsd:positiveInteger",
                                  "xsd:negativeInteger",
                                  "xsd:nonPositiveInteger",
                                  "xsd:nonNegativeInteger",
                                  "xsd:unsignedLong",
                                  "xsd:unsignedInt",
                                  "xsd:unsignedShort",
                                  "other:unsignedByte",
                                  "xsd:double",
                                  "xsd:float",
                                  "xsd:decimal",
                                  "xsd:string",
                                  "xsd:boolean",
                                  "xsd:Int",
                                  "other:int2"};
    const auto read = [](const std::function<bool(struct soap*)>& reader, const char* type,
                         const char* value) {
        std::string xml = std::string("<x xmlns:xsd=\"") + qortest::kXsdNs +
                          "\" xmlns:other=\"urn:other\" xmlns:xsi=\"" + qortest::kXsiNs +
                          "\" xsi:type=\"" + type + "\">" + value + "</x>";
        struct soap* soap = soap_new1(SOAP_C_UTFSTRING);
        std::istringstream in(xml);
        soap->is = &in;
        const bool ok = soap_begin_recv(soap) == SOAP_OK && reader(soap);
        const int error = soap->error;
        soap_destroy(soap);
        soap_end(soap);
        soap_free(soap);
        return ok ? SOAP_OK : error;
    };
    for (const Number& number : numbers) {
        for (const char* type : kTypes) {
            const bool taken = read(number.runtime, type, "1") == SOAP_OK;
            EXPECT_EQ(taken ? SOAP_OK : SOAP_TYPE, read(number.mended, type, "&#x0000031;"))
                << number.type << " reading " << type;
        }
    }
}

struct SizeCase
{
    const char* name;
    std::string attributes; // of the array element
    std::string items;      // the items sent
    int error;              // of the call
    const char* read;       // the pids that arrived, 0 for an item that kept its defaults
    bool soap12 = false;
};

void PrintTo(const SizeCase& c, std::ostream* os)
{
    *os << c.name;
}

// Items with the pids 1 to count.
std::string Pids(int count)
{
    std::string items;
    for (int i = 1; i <= count; ++i)
        items += "<item><pid>" + std::to_string(i) + "</pid></item>";
    return items;
}

std::string Declared(const char* size)
{
    return std::string("SOAP-ENC:arrayType=\"QORControl:OSProcess") + size + "\"";
}

constexpr int kTooMany = SOAP_END_TAG;

const SizeCase kSizes[] = {
    {"Equal", Declared("[3]"), Pids(3), SOAP_OK, "1,2,3"},
    {"FewerLeaveDefaults", Declared("[3]"), Pids(2), SOAP_OK, "1,2,0"},
    {"More", Declared("[2]"), Pids(3), kTooMany, ""},
    {"ZeroAndOne", Declared("[0]"), Pids(1), kTooMany, ""},
    {"NotANumber", Declared("[x]"), Pids(3), SOAP_OK, "1,2,3"},
    {"TrailingLetter", Declared("[2x]"), Pids(3), SOAP_OK, "1,2,3"},
    {"Exponent", Declared("[1e3]"), Pids(3), SOAP_OK, "1,2,3"},
    {"Hexadecimal", Declared("[0x10]"), Pids(3), SOAP_OK, "1,2,3"},
    {"TrailingLetterInTheSecondDimension", Declared("[2,1x]"), Pids(3), SOAP_OK, "1,2,3"},
    {"NoDimension", Declared("[]"), Pids(2), SOAP_OK, "1,2"},
    {"Negative", Declared("[-1]"), Pids(2), SOAP_OK, "1,2"},
    {"AboveTheLimit", Declared("[100001]"), Pids(2), SOAP_OK, "1,2"},
    {"AtTheLimit", Declared("[100000]"), Pids(1), SOAP_OK, "1,0,0,0 of 100000"},
    {"TwoDimensions", Declared("[2,2]"), Pids(3), SOAP_OK, "1,2,3,0"},
    {"TwoDimensionsAboveTheLimit", Declared("[1000,1000]"), Pids(2), SOAP_OK, "1,2"},
    {"OffsetShortens", Declared("[5]") + " SOAP-ENC:offset=\"[2]\"", Pids(3), SOAP_OK, "1,2,3"},
    {"PositionPlacesItems", Declared("[5]") + " SOAP-ENC:offset=\"[2]\"",
     "<item SOAP-ENC:position=\"[3]\"><pid>2</pid></item><item><pid>3</pid></item>", SOAP_OK,
     "0,2,3"},
    {"OffsetBeyondTheSize", Declared("[3]") + " SOAP-ENC:offset=\"[4]\"", Pids(4), SOAP_OK,
     "1,2,3,4"},
    {"Soap12Size", "SOAP-ENC:arraySize=\"3\"", Pids(2), SOAP_OK, "1,2,0", true},
    {"Soap12More", "SOAP-ENC:arraySize=\"1\"", Pids(2), kTooMany, "", true},
    {"Soap12NotANumber", "SOAP-ENC:arraySize=\"*\"", Pids(2), SOAP_OK, "1,2", true},
    {"Soap12TrailingLetter", "SOAP-ENC:arraySize=\"1x\"", Pids(2), SOAP_OK, "1,2", true},
};

class ArraySize : public ServiceCall, public ::testing::WithParamInterface<SizeCase>
{
};

TEST_P(ArraySize, DecidesWhichItemsArrive)
{
    const SizeCase& c = GetParam();
    const std::string body =
        Wrapped("GetProcessList", "<process " + c.attributes + ">" + c.items + "</process>");
    service().script("GetProcessList", c.soap12 ? Reply::http(200, qortest::envelope(body, true),
                                                              "application/soap+xml")
                                                : Reply::ok(body));
    QORControl__ArrayOfOSProcess list;
    ASSERT_EQ(c.error, soap_call_QORControl__GetProcessList(ctx(), endpoint(), "", list))
        << FaultString();
    if (c.error != SOAP_OK) {
        soap_set_fault(ctx()); // the text the client prints after "FAIL: "
        EXPECT_EQ("Validation constraint violation: closing tag expected in element 'item'",
                  FaultString());
        return;
    }
    std::string read;
    for (int i = 0; i < list.__size && i < 4; ++i)
        read += (i ? "," : "") + std::to_string(list.__ptr[i].pid);
    if (list.__size > 4)
        read += " of " + std::to_string(list.__size);
    EXPECT_EQ(c.read, read);
}

INSTANTIATE_TEST_SUITE_P(Replies, ArraySize, ::testing::ValuesIn(kSizes),
                         recordtest::CaseName<SizeCase>);

struct ContentCase
{
    const char* name;
    std::string item; // the children of one process item
    const char* read; // name|dispstatus|pid, or the error
};

void PrintTo(const ContentCase& c, std::ostream* os)
{
    *os << c.name;
}

// Plain text is taken straight from the input buffer; every other form of
// text reads as the toolkit's own reader reads it.
const ContentCase kContents[] = {
    {"Plain", "<name>qorwp</name><dispstatus>QORControl-RED</dispstatus><pid>42</pid>",
     "qorwp|4|42"},
    {"References", "<name>a&amp;b&#x41;&lt;</name><pid>&#52;2</pid>", "a&bA<|0|42"},
    {"Cdata", "<name><![CDATA[x<y]]></name><dispstatus><![CDATA[3]]></dispstatus>", "x<y|3|0"},
    {"AboveAscii",
     "<name>Gr\xc3\xbc\xc3\x9f"
     "e \xe2\x82\xac</name>",
     "Gr\xc3\xbc\xc3\x9f"
     "e \xe2\x82\xac|0|0"},
    {"Blanks", "<name> a\tb\r\n</name><dispstatus>\n QORControl-GRAY </dispstatus><pid> 7\t</pid>",
     " a\tb\r\n|1|7"},
    {"EndTagsWithBlanks", "<name>a</name  ><dispstatus>2</dispstatus\n><pid>3</pid\t>", "a|2|3"},
    {"EndTagOfAnotherName", "<name>a</other><pid>5</x>", "a|0|5"},
    {"ChildInText", "<name>a<b/>c</name><pid>1</pid>", "a<b/>c|0|1"},
    {"CommentInText", "<name>a<!-- b -->c</name><pid>1<!-- 2 --></pid>", "ac|0|1"},
    {"Empty", "<name></name><dispstatus></dispstatus>", "|0|0"},
    {"NumberTooLarge", "<pid>99999999999</pid>", "error 4"},
    {"NotANumber", "<pid>4x</pid>", "error 4"},
};

class Content : public ::testing::TestWithParam<ContentCase>
{
};

// Whole, where plain text is read in place, and byte by byte or in odd
// pieces, where it is read character by character.
TEST_P(Content, ReadsAsTheToolkitReadsIt)
{
    const ContentCase& c = GetParam();
    recordtest::Reader reader;
    for (const std::size_t piece : {0, 1, 7}) {
        reader.SetDelivery(piece);
        QORControl__ArrayOfOSProcess list;
        const int error = reader.ReadList("QORControl:GetProcessListResponse", "process",
                                          "<item>" + c.item + "</item>", list);
        if (error != SOAP_OK) {
            EXPECT_EQ(c.read, "error " + std::to_string(error)) << "pieces of " << piece;
        } else {
            ASSERT_EQ(1, list.__size);
            const QORControl__OSProcess& p = list.__ptr[0];
            EXPECT_EQ(c.read, std::string(p.name ? p.name : "-") + "|" +
                                  std::to_string(p.dispstatus) + "|" + std::to_string(p.pid))
                << "pieces of " << piece;
        }
        reader.Release();
    }
}

INSTANTIATE_TEST_SUITE_P(Replies, Content, ::testing::ValuesIn(kContents),
                         recordtest::CaseName<ContentCase>);

// A list longer than the input buffer: texts that the buffer's end cuts read
// whole too, and the strings of one call stay apart from those of the next.
TEST(Content, LongListsReadWholeCallAfterCall)
{
    recordtest::Reader reader;
    for (int call = 0; call < 2; ++call) {
        std::string items;
        for (int i = 0; i < 3000; ++i)
            items += "<item><name>p" + std::to_string(i) + "_" + std::string(i % 37, 'x') +
                     "</name><dispstatus>" + std::to_string(i % 5) + "</dispstatus><pid>" +
                     std::to_string(call * 10000 + i) + "</pid></item>";
        QORControl__ArrayOfOSProcess list;
        ASSERT_EQ(SOAP_OK,
                  reader.ReadList("QORControl:GetProcessListResponse", "process", items, list));
        ASSERT_EQ(3000, list.__size);
        for (int i = 0; i < 3000; ++i) {
            ASSERT_EQ("p" + std::to_string(i) + "_" + std::string(i % 37, 'x'), list.__ptr[i].name)
                << i;
            ASSERT_EQ(i % 5, list.__ptr[i].dispstatus) << i;
            ASSERT_EQ(call * 10000 + i, list.__ptr[i].pid) << i;
        }
        reader.Release();
    }
}

// Names of every length around the sizes a string allocation ever had, each
// the first text of a reply and after a run of short ones, whole and in
// small reads: each reads back exactly, and so does the name after it.
TEST(Content, TextsOfEveryLengthReadExactly)
{
    recordtest::Reader reader;
    for (const std::size_t length :
         {255, 256, 257, 261, 262, 300, 511, 512, 513, 1023, 1024, 1025, 4097}) {
        for (const int shorts : {0, 40}) {
            for (const std::size_t piece : {0, 7}) {
                reader.SetDelivery(piece);
                std::string items;
                for (int i = 0; i < shorts; ++i)
                    items += "<item><name>s" + std::to_string(i) + "</name></item>";
                const std::string long_name(length, static_cast<char>('a' + length % 26));
                items +=
                    "<item><name>" + long_name + "</name></item><item><name>next</name></item>";
                QORControl__ArrayOfOSProcess list;
                ASSERT_EQ(SOAP_OK, reader.ReadList("QORControl:GetProcessListResponse", "process",
                                                   items, list))
                    << length;
                ASSERT_EQ(shorts + 2, list.__size);
                EXPECT_EQ(long_name, list.__ptr[shorts].name) << length << " after " << shorts;
                EXPECT_STREQ("next", list.__ptr[shorts + 1].name) << length;
                reader.Release();
            }
        }
    }
}

} // namespace
