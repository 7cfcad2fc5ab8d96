// Replies that carry more than the plain literal form: members whose
// elements declare a foreign xsi:type, arrays that declare their size, and
// text in every form the toolkit's reader knows.
#include <algorithm>
#include <cstdio>
#include <functional>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

#include "client/snapshot_reply.h"
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
    // Positions place items but never make room for more than declared: an
    // item at a position already taken is one item too many, and a position
    // names its place in every dimension (row by row, the last one fastest).
    {"PositionTakenTwice", Declared("[2]"),
     "<item SOAP-ENC:position=\"[0]\"><pid>1</pid></item>"
     "<item SOAP-ENC:position=\"[0]\"><pid>2</pid></item>"
     "<item SOAP-ENC:position=\"[0]\"><pid>3</pid></item>",
     kTooMany, ""},
    // The items end when the one after the item before is beyond the last
    // slot, even with slots still empty.
    {"PositionsDescending", Declared("[3]"),
     "<item SOAP-ENC:position=\"[2]\"><pid>3</pid></item>"
     "<item SOAP-ENC:position=\"[1]\"><pid>2</pid></item>"
     "<item SOAP-ENC:position=\"[0]\"><pid>1</pid></item>",
     kTooMany, ""},
    {"PositionWithABlank", Declared("[3]"), "<item SOAP-ENC:position=\"[1 ]\"><pid>2</pid></item>",
     SOAP_OK, "0,2,0"},
    {"PositionInTwoDimensions", Declared("[2,2]"),
     "<item SOAP-ENC:position=\"[1,1]\"><pid>4</pid></item>", SOAP_OK, "0,0,0,4"},
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
    // The toolkit's own reader reads a reference right after a CDATA section.
    {"NoCharacterAfterCdata", "<name><![CDATA[a]]>&#0;b</name>", "error 5"},
    {"NumberWithNoCharacterAfterCdata", "<pid><![CDATA[4]]>&#0;2</pid>", "error 5"},
    {"NulAfterASlashInAnElement", std::string("<name>x<b>/\0</b></name>", 23), "error 5"},
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

// The lengths of a text around each size that its readers give room by: the
// shared string pieces (256, 4096), the toolkit's tag and value buffers (1024,
// 2048; a value in place up to 2046), its input buffer (65536) and the sizes
// string pieces once had (512).
const std::size_t kLengths[] = {0,    1,    255,  256,  257,  258,  259,   260,   261,
                                262,  511,  512,  513,  1023, 1024, 1025,  2045,  2046,
                                2047, 2048, 2049, 4095, 4096, 4097, 65535, 65536, 65537};

// How a text of a given length is written, and what must be read from it.
enum class Form {
    kPlain,
    kReferences,      // "&amp;" and a long "&#x0003C;" among letters
    kCdata,           // one CDATA section holding "<" and "&"
    kAboveAscii,      // two- and three-byte characters
    kZeros,           // a number: leading zeros and 7
    kBlanks,          // a number: 7 amid blanks
    kReferencedDigit, // a number: leading zeros and "&#x37;"
    kBase64,          // snapshot bytes, blanks after the last group
    kBase64Reference, // the same with its first character as a reference
    kId,              // an id of that length, of an element that holds "held"
    kType,            // an xsi:type of that length, of an element that holds 7
    kName,            // the name of an element that holds "held"
};

struct Written
{
    std::string text;
    std::string read; // the value, or "error N"
};

constexpr std::size_t kLongestValue = 2047; // of the toolkit's value buffer

std::string Letters(std::size_t length)
{
    std::string text(length, 'a');
    for (std::size_t i = 0; i < length; ++i)
        text[i] = static_cast<char>('a' + (i * 7 + length) % 26);
    return text;
}

std::string Reference(unsigned char c)
{
    char reference[16];
    std::snprintf(reference, sizeof reference, "&#x000%X;", c);
    return reference;
}

// The bytes 0, 7, 14, ... of the given length, as a snapshot holds them.
std::string SnapshotBytes(std::size_t length)
{
    std::string bytes(length, '\0');
    for (std::size_t i = 0; i < length; ++i)
        bytes[i] = static_cast<char>(i * 7);
    return bytes;
}

std::string Base64(const std::string& bytes)
{
    static const char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i + 2 < bytes.size(); i += 3) {
        const unsigned v = (static_cast<unsigned char>(bytes[i]) << 16) |
                           (static_cast<unsigned char>(bytes[i + 1]) << 8) |
                           static_cast<unsigned char>(bytes[i + 2]);
        out += {kAlphabet[v >> 18], kAlphabet[(v >> 12) & 63], kAlphabet[(v >> 6) & 63],
                kAlphabet[v & 63]};
    }
    return out;
}

// A number written in `length` bytes reads as 7 while its value fits the
// toolkit's value buffer; blanks around it never count.
Written Number(std::string text, std::size_t value_length)
{
    return {std::move(text),
            value_length <= kLongestValue ? "7" : "error " + std::to_string(SOAP_LENGTH)};
}

Written Write(Form form, std::size_t length)
{
    switch (form) {
    case Form::kPlain:
        return {Letters(length), Letters(length)};
    case Form::kReferences: {
        Written w;
        w.read = Letters(length);
        for (std::size_t i = 0; i < length; ++i) {
            if (i % 5 == 2)
                w.read[i] = '&';
            else if (i % 5 == 4)
                w.read[i] = '<';
            w.text += w.read[i] == '&'   ? "&amp;"
                      : w.read[i] == '<' ? Reference('<')
                                         : w.read.substr(i, 1);
        }
        return w;
    }
    case Form::kCdata: {
        std::string read = Letters(length);
        for (std::size_t i = 1; i < length; i += 6)
            read[i] = i % 4 == 1 ? '<' : '&';
        return {"<![CDATA[" + read + "]]>", read};
    }
    case Form::kAboveAscii: {
        std::string read;
        while (read.size() + 5 <= length)
            read += "\xC3\xA9\xE2\x82\xAC"; // U+00E9, U+20AC
        read.append(length - read.size(), 'a');
        return {read, read};
    }
    case Form::kZeros:
        return Number(std::string(length - 1, '0') + "7", length);
    case Form::kBlanks:
        return Number(std::string((length - 1) / 2, ' ') + "7" + std::string(length / 2, '\t'), 1);
    case Form::kReferencedDigit:
        return Number(std::string(length - 1, '0') + Reference('7'), length);
    case Form::kBase64:
    case Form::kBase64Reference: {
        const std::string bytes = SnapshotBytes(length / 4 * 3);
        std::string text = Base64(bytes) + std::string(length % 4, '\n');
        if (form == Form::kBase64Reference && length >= 4)
            text = Reference(static_cast<unsigned char>(text[0])) + text.substr(1);
        return {text, bytes};
    }
    case Form::kId:
        return {std::string(length, 'i'), "held"};
    case Form::kName:
        return {std::string(length, 'e'), "held"};
    case Form::kType: {
        // A prefix and ":short", a type that an int's reader takes, from 7
        // bytes on; the toolkit keeps 1023 bytes of it.
        const bool related = length >= 7 && length <= 1023;
        const std::string type =
            length >= 7 ? std::string(length - 6, 'p') + ":short" : std::string(length, 't');
        return {type, related || length == 0 ? "7" : "error " + std::to_string(SOAP_TYPE)};
    }
    }
    return {};
}

// Where the text stands: the first string of the reply (in a shared row, in
// a piece of its own size), or after short strings that leave 255, 256 or
// 257 bytes of a whole shared string piece.
constexpr int kFirst = -1;
const int kRooms[] = {kFirst, 255, 256, 257};

std::vector<std::string> Shorts(int room)
{
    constexpr std::size_t kPiece = 4096;
    std::vector<std::string> shorts;
    if (room == kFirst)
        return shorts;
    // Strings of 16 bytes fill the pieces that grow to a whole one exactly
    // (16, 32, ... 2048 bytes: 255 strings), then part of the whole one.
    constexpr int kGrowing = 255;
    constexpr int kInWhole = 239;
    for (int i = 0; i < kGrowing + kInWhole; ++i) {
        std::string name = "s" + std::to_string(i);
        shorts.push_back(name + std::string(15 - name.size(), '.'));
    }
    shorts.push_back(std::string(kPiece - static_cast<std::size_t>(room) - kInWhole * 16 - 1, 'f'));
    return shorts;
}

struct Call
{
    qortest::FakeService& service;
    struct soap* soap;
    const char* endpoint;
    bool cut; // the reply ends halfway
};

// Scripts the reply of every call, or its first half and the connection's
// end.
void Serve(const Call& call, Reply reply)
{
    if (call.cut) {
        reply.body.resize(reply.body.size() / 2);
        reply.closing();
    }
    call.service.set_default(std::move(reply));
}

std::string Error(int error)
{
    return "error " + std::to_string(error);
}

// The first string that differs from the expected one, "" when none does.
std::string Difference(const std::vector<std::string>& expected,
                       const std::vector<std::string>& read)
{
    if (expected.size() != read.size())
        return std::to_string(read.size()) + " strings instead of " +
               std::to_string(expected.size());
    for (std::size_t i = 0; i < read.size(); ++i) {
        if (read[i] == expected[i])
            continue;
        const auto at =
            std::mismatch(read[i].begin(), read[i].end(), expected[i].begin(), expected[i].end());
        return "string " + std::to_string(i) + " of " + std::to_string(read[i].size()) +
               " bytes instead of " + std::to_string(expected[i].size()) + ", differing from " +
               std::to_string(at.first - read[i].begin()) + ": \"" + read[i].substr(0, 60) + "\"";
    }
    return "";
}

// A string read, "(null)" for none.
std::string Shown(const char* text)
{
    return text != nullptr ? text : "(null)";
}

// A process list: the shorts as names, an item that holds the text, an item
// named "next". The strings read: the shorts, the value, "next".
std::vector<std::string> ReadProcesses(const Call& call, const std::vector<std::string>& shorts,
                                       const std::string& item, const std::string& after,
                                       std::string (*value)(const QORControl__OSProcess&))
{
    std::string items;
    for (const std::string& name : shorts)
        items += "<item><name>" + name + "</name></item>";
    items += "<item>" + item + "</item><item><name>next</name></item>";
    Serve(call, Reply::ok(Wrapped("GetProcessList", "<process>" + items + "</process>") + after));
    QORControl__ArrayOfOSProcess list;
    const int error = soap_call_QORControl__GetProcessList(call.soap, call.endpoint, "", list);
    if (error != SOAP_OK)
        return {Error(error)};
    std::vector<std::string> read;
    for (int i = 0; i < list.__size; ++i) {
        const bool text = i == static_cast<int>(shorts.size());
        read.push_back(text ? value(list.__ptr[i]) : Shown(list.__ptr[i].name));
    }
    return read;
}

std::vector<std::string> Expected(const std::vector<std::string>& shorts, const std::string& read,
                                  const char* next)
{
    if (read.rfind("error ", 0) == 0)
        return {read};
    std::vector<std::string> strings = shorts;
    strings.push_back(read);
    if (next != nullptr)
        strings.push_back(next);
    return strings;
}

// A fault of the SOAP version with the content given, in reply to
// ParameterValue; `member` reads what the text went into.
std::vector<std::string> ReadFault(const Call& call, bool soap12, const std::string& content,
                                   char* (*member)(const struct SOAP_ENV__Fault&))
{
    const std::string code =
        soap12 ? "<SOAP-ENV:Code><SOAP-ENV:Value>SOAP-ENV:Receiver</SOAP-ENV:Value></SOAP-ENV:Code>"
               : "<faultcode>SOAP-ENV:Server</faultcode>";
    Serve(call,
          Reply::http(
              500,
              qortest::envelope("<SOAP-ENV:Fault>" + code + content + "</SOAP-ENV:Fault>", soap12),
              soap12 ? "application/soap+xml; charset=utf-8" : "text/xml; charset=utf-8"));
    char* value = nullptr;
    const int error = soap_call_QORControl__ParameterValue(call.soap, call.endpoint, "",
                                                           calltest::Text("p"), &value);
    if (error != SOAP_SVR_FAULT)
        return {Error(error)};
    return {Shown(member(*call.soap->fault))};
}

std::vector<std::string> ReadValue(const Call& call, const std::string& value,
                                   const std::string& after = "")
{
    Serve(call, Reply::ok(Wrapped("ParameterValue", value) + after));
    char* read = nullptr;
    const int error = soap_call_QORControl__ParameterValue(call.soap, call.endpoint, "",
                                                           calltest::Text("p"), &read);
    return {error != SOAP_OK ? Error(error) : Shown(read)};
}

struct LengthCase
{
    const char* name;
    Form form;
    // The strings read from a reply that holds the text after the shorts
    // (a shared row) or as its first string; `expected` those it must give.
    std::vector<std::string> (*read)(const Call& call, const std::vector<std::string>& shorts,
                                     const std::string& text);
    bool shared = false;       // the text's string is cut from a shared piece
    bool literal = false;      // the text reads as written
    const char* next = "next"; // read after the text, in a shared row
};

void PrintTo(const LengthCase& c, std::ostream* os)
{
    *os << c.name;
}

std::vector<std::string> RecordName(const Call& call, const std::vector<std::string>& shorts,
                                    const std::string& text)
{
    return ReadProcesses(call, shorts, "<name>" + text + "</name>", "",
                         [](const QORControl__OSProcess& p) { return Shown(p.name); });
}

std::vector<std::string> RecordNumber(const Call& call, const std::vector<std::string>& shorts,
                                      const std::string& text)
{
    return ReadProcesses(call, shorts, "<pid>" + text + "</pid>", "",
                         [](const QORControl__OSProcess& p) { return std::to_string(p.pid); });
}

std::vector<std::string> RecordEnumeration(const Call& call, const std::vector<std::string>& shorts,
                                           const std::string& text)
{
    return ReadProcesses(
        call, shorts, "<dispstatus>" + text + "</dispstatus>", "",
        [](const QORControl__OSProcess& p) { return std::to_string(p.dispstatus); });
}

std::vector<std::string> NumberOfType(const Call& call, const std::vector<std::string>& shorts,
                                      const std::string& type)
{
    std::string declared;
    if (!type.empty())
        declared = " xsi:type=\"" + type + "\"";
    if (type.find(':') != std::string::npos)
        declared += " xmlns:" + type.substr(0, type.find(':')) + "=\"" + qortest::kXsdNs + "\"";
    return ReadProcesses(call, shorts, "<pid href=\"#n\"/>", "<x id=\"n\"" + declared + ">7</x>",
                         [](const QORControl__OSProcess& p) { return std::to_string(p.pid); });
}

std::vector<std::string> EnvironmentItem(const Call& call, const std::vector<std::string>& shorts,
                                         const std::string& text)
{
    std::string items;
    for (const std::string& item : shorts)
        items += "<item>" + item + "</item>";
    items += "<item>" + text + "</item><item>next</item>";
    Serve(call, Reply::ok(Wrapped("GetEnvironment", "<env>" + items + "</env>")));
    QORControl__ArrayOfString env;
    const int error = soap_call_QORControl__GetEnvironment(call.soap, call.endpoint, "", env);
    if (error != SOAP_OK)
        return {Error(error)};
    std::vector<std::string> read;
    for (int i = 0; i < env.__size; ++i)
        read.push_back(Shown(env.__ptr[i]));
    return read;
}

std::vector<std::string> StringResult(const Call& call, const std::vector<std::string>&,
                                      const std::string& text)
{
    return ReadValue(call, "<value>" + text + "</value>");
}

std::vector<std::string> StringById(const Call& call, const std::vector<std::string>&,
                                    const std::string& id)
{
    return ReadValue(call, "<value href=\"#" + id + "\"/>", "<x id=\"" + id + "\">held</x>");
}

// The element that the value's href names, of a name of that length; the
// toolkit keeps 1023 bytes of the name of a start or end tag.
std::vector<std::string> StringInAnElementNamed(const Call& call, const std::vector<std::string>&,
                                                const std::string& name)
{
    return ReadValue(call, "<value href=\"#n\"/>", "<" + name + " id=\"n\">held</" + name + ">");
}

std::vector<std::string> FaultString(const Call& call, const std::vector<std::string>&,
                                     const std::string& text)
{
    return ReadFault(call, false, "<faultstring>" + text + "</faultstring>",
                     [](const struct SOAP_ENV__Fault& f) { return f.faultstring; });
}

std::vector<std::string> FaultActor(const Call& call, const std::vector<std::string>&,
                                    const std::string& text)
{
    return ReadFault(call, false,
                     "<faultstring>gone</faultstring><faultactor>" + text + "</faultactor>",
                     [](const struct SOAP_ENV__Fault& f) { return f.faultactor; });
}

std::vector<std::string> FaultDetail(const Call& call, const std::vector<std::string>&,
                                     const std::string& text)
{
    return ReadFault(call, false, "<faultstring>gone</faultstring><detail>" + text + "</detail>",
                     [](const struct SOAP_ENV__Fault& f) {
                         // An empty detail holds no text.
                         return f.detail == nullptr || f.detail->__any != nullptr
                                    ? (f.detail != nullptr ? f.detail->__any : nullptr)
                                    : const_cast<char*>("");
                     });
}

// The text inside a child element of the detail, where the detail's own
// text begins; the element's tags are taken off what was read.
std::vector<std::string> FaultDetailChild(const Call& call, const std::vector<std::string>& shorts,
                                          const std::string& text)
{
    std::vector<std::string> read = FaultDetail(call, shorts, "<d>" + text + "</d>");
    std::string& detail = read.back();
    if (detail.rfind("<d>", 0) == 0 && detail.size() >= 7 &&
        detail.compare(detail.size() - 4, 4, "</d>") == 0)
        detail = detail.substr(3, detail.size() - 7);
    return read;
}

std::vector<std::string> Reason(const Call& call, const std::vector<std::string>&,
                                const std::string& text)
{
    return ReadFault(call, true,
                     "<SOAP-ENV:Reason><SOAP-ENV:Text xml:lang=\"en\">" + text +
                         "</SOAP-ENV:Text></SOAP-ENV:Reason>",
                     [](const struct SOAP_ENV__Fault& f) {
                         return f.SOAP_ENV__Reason != nullptr ? f.SOAP_ENV__Reason->SOAP_ENV__Text
                                                              : nullptr;
                     });
}

const std::string kReason =
    "<SOAP-ENV:Reason><SOAP-ENV:Text xml:lang=\"en\">gone</SOAP-ENV:Text></SOAP-ENV:Reason>";

std::vector<std::string> Node(const Call& call, const std::vector<std::string>&,
                              const std::string& text)
{
    return ReadFault(call, true, kReason + "<SOAP-ENV:Node>" + text + "</SOAP-ENV:Node>",
                     [](const struct SOAP_ENV__Fault& f) { return f.SOAP_ENV__Node; });
}

std::vector<std::string> Role(const Call& call, const std::vector<std::string>&,
                              const std::string& text)
{
    return ReadFault(call, true,
                     kReason + "<SOAP-ENV:Node>n</SOAP-ENV:Node><SOAP-ENV:Role>" + text +
                         "</SOAP-ENV:Role>",
                     [](const struct SOAP_ENV__Fault& f) { return f.SOAP_ENV__Role; });
}

std::vector<std::string> Snapshot(const Call& call, const std::vector<std::string>&,
                                  const std::string& text)
{
    Serve(call, Reply::ok(Wrapped("ReadSnapshot", "<snapshot>" + text + "</snapshot>")));
    char filename[] = "s.zip";
    SnapshotData data;
    const int error = call_read_snapshot(call.soap, call.endpoint, "", filename, &data);
    if (error != SOAP_OK)
        return {Error(error)};
    return {std::string(reinterpret_cast<const char*>(data.bytes), data.size)};
}

const LengthCase kLengthCases[] = {
    {"RecordString", Form::kPlain, RecordName, true},
    {"RecordStringWithReferences", Form::kReferences, RecordName, true},
    {"RecordStringInCdata", Form::kCdata, RecordName, true},
    {"RecordStringAboveAscii", Form::kAboveAscii, RecordName, true},
    {"ArrayItem", Form::kPlain, EnvironmentItem, true},
    {"ArrayItemWithReferences", Form::kReferences, EnvironmentItem, true},
    {"StringResult", Form::kPlain, StringResult},
    {"StringResultWithReferences", Form::kReferences, StringResult},
    {"StringResultInCdata", Form::kCdata, StringResult},
    {"StringResultAboveAscii", Form::kAboveAscii, StringResult},
    {"FaultString", Form::kPlain, FaultString},
    {"FaultStringWithReferences", Form::kReferences, FaultString},
    {"FaultActor", Form::kPlain, FaultActor},
    {"FaultDetail", Form::kPlain, FaultDetailChild, false, true},
    {"FaultDetailInCdata", Form::kCdata, FaultDetailChild, false, true},
    {"Reason", Form::kPlain, Reason},
    {"ReasonAboveAscii", Form::kAboveAscii, Reason},
    {"Node", Form::kPlain, Node},
    {"Role", Form::kPlain, Role},
    {"NumberWithZeros", Form::kZeros, RecordNumber, true},
    {"NumberAmidBlanks", Form::kBlanks, RecordNumber, true},
    {"NumberWithAReference", Form::kReferencedDigit, RecordNumber, true},
    {"EnumerationWithZeros", Form::kZeros, RecordEnumeration, true},
    {"EnumerationAmidBlanks", Form::kBlanks, RecordEnumeration, true},
    {"EnumerationWithAReference", Form::kReferencedDigit, RecordEnumeration, true},
    {"StringById", Form::kId, StringById},
    {"StringInAnElementNamed", Form::kName, StringInAnElementNamed},
    {"NumberOfAType", Form::kType, NumberOfType, true},
    {"Snapshot", Form::kBase64, Snapshot},
    {"SnapshotWithAReference", Form::kBase64Reference, Snapshot},
};

class TextLength : public ServiceCall, public ::testing::WithParamInterface<LengthCase>
{
};

// Every kind of text at the lengths around each size its readers give room
// by, the first string of a reply and after many short ones, read whole and
// in reads of 7 bytes: each reads back exactly, and so do the strings around
// it (a text written past its room shows there, or in the sanitizer build).
TEST_P(TextLength, EveryKindReadsExactly)
{
    const LengthCase& c = GetParam();
    for (const std::size_t length : kLengths) {
        const bool number =
            c.form == Form::kZeros || c.form == Form::kBlanks || c.form == Form::kReferencedDigit;
        if ((number || c.form == Form::kName) && length == 0)
            continue; // an empty number element has rows of its own
        const Written written = Write(c.form, length);
        for (const int room : kRooms) {
            if (room != kFirst && !c.shared)
                continue;
            const std::vector<std::string> shorts = Shorts(room);
            const std::vector<std::string> expected = Expected(
                shorts, c.literal ? written.text : written.read, c.shared ? c.next : nullptr);
            for (const bool cut : {false, true}) {
                for (const std::size_t piece : {0, 7}) {
                    SetDelivery(piece);
                    const Call call{service(), ctx(), endpoint(), cut};
                    const std::vector<std::string> read = c.read(call, shorts, written.text);
                    const std::string where = std::to_string(length) + " bytes, room " +
                                              std::to_string(room) + ", reads of " +
                                              std::to_string(piece);
                    // A reply that ends halfway fails the call, whatever the
                    // text (the sanitizer build checks what was written).
                    if (cut)
                        EXPECT_TRUE(read.size() == 1 && read[0].rfind("error ", 0) == 0)
                            << where << ", cut: " << read[0].substr(0, 60);
                    else
                        EXPECT_EQ("", Difference(expected, read)) << where;
                    // The toolkit keeps a connection whose reply failed, and
                    // the next call would read the rest of that reply.
                    if (ctx()->error != SOAP_OK)
                        soap_force_closesock(ctx());
                    Release();
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Replies, TextLength, ::testing::ValuesIn(kLengthCases),
                         recordtest::CaseName<LengthCase>);

} // namespace
