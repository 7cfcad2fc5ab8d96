// Values in every form the text of a reply may give them, each reply read
// whole, byte by byte, in odd pieces and split at every byte around its
// item: character references of every length, references that name no
// character, and blanks around numbers, enumerations and booleans. The value
// read, or the error, never depends on where a read ends.
#include <sstream>
#include <string>
#include <vector>

#include "service/service_call_support.h"
#include "service/test_records_support.h"

namespace {

using calltest::ServiceCall;

enum class List { kProcess, kCache, kParameter };

struct FormCase
{
    std::string name;
    List list;
    std::string item;             // the children of one item
    std::string read;             // process: name|dispstatus|pid; cache: name|version|size|valid;
                                  // parameter: the restriction's int-min|float-max
    std::string independent = {}; // elements after the response, reached through href
    std::string fault = {};       // the fault text of an error, when it matters
};

void PrintTo(const FormCase& c, std::ostream* os)
{
    *os << c.name;
}

std::string Blanks(std::size_t n)
{
    std::string blanks;
    for (std::size_t i = 0; i < n; ++i)
        blanks += " \t\r\n"[i % 4];
    return blanks;
}

const std::string kBadReference = "error " + std::to_string(SOAP_SYNTAX_ERROR);
const std::string kInvalid = "Validation constraint violation: invalid value in element ";
const std::string kTooLong = "error " + std::to_string(SOAP_LENGTH);
const std::string kEmoji = "\xF0\x9F\x98\x80"; // U+1F600
const std::string kLast = "\xF4\x8F\xBF\xBF";  // U+10FFFF
const std::string k2046(2046, '0');            // with one more digit, the longest value

std::vector<FormCase> Cases()
{
    std::vector<FormCase> cases = {
        {"LongHexadecimal", List::kProcess, "<name>&#x1F600;</name>", kEmoji + "|0|0"},
        {"LongDecimal", List::kProcess, "<name>&#128512;</name>", kEmoji + "|0|0"},
        {"LeadingZeros", List::kProcess, "<name>&#x00041;&#x0000000041;&#0000065;</name>",
         "AAA|0|0"},
        {"LastCharacter", List::kProcess, "<name>&#x10FFFF;&#1114111;</name>",
         kLast + kLast + "|0|0"},
        {"Short", List::kProcess, "<name>&#65;&#x42;&#X43;&#xe9;</name>", "ABC\xC3\xA9|0|0"},
        {"MarkupStaysText", List::kProcess, "<name>&#60;b&#x3E;&#38;&#x00026;&lt;&amp;</name>",
         "<b>&&<&|0|0"},
        {"NamedAsTheRuntimeKnowsThem", List::kProcess, "<name>&quot;&apos;&gt;&nbsp;</name>",
         "\"'>\xC2\xA0|0|0"},
        {"InANumber", List::kProcess, "<pid>&#x0034;&#x000032;</pid>", "-|0|42"},
        {"InAnEnumeration", List::kProcess, "<dispstatus>QORControl-&#x000052;ED</dispstatus>",
         "-|4|0"},
        {"InABoolean", List::kCache, "<valid>&#x000074;rue</valid>", "-|0|0|1"},
        {"NoCharacterInANumber", List::kProcess, "<pid>4&#0;2</pid>", kBadReference},
        {"NoCharacterInAnEnumeration", List::kProcess, "<dispstatus>&#xD800;</dispstatus>",
         kBadReference},
        {"NoCharacterInABoolean", List::kCache, "<valid>&#x110000;</valid>", kBadReference},
        {"BlanksAfterANumber", List::kProcess, "<pid>42" + Blanks(3000) + "</pid>", "-|0|42"},
        {"BlanksBeforeANumber", List::kProcess, "<pid>" + Blanks(3000) + "42</pid>", "-|0|42"},
        {"BlanksAroundAnEnumeration", List::kProcess,
         "<dispstatus>" + Blanks(2500) + "QORControl-RED" + Blanks(2500) + "</dispstatus>",
         "-|4|0"},
        {"BlanksAroundABoolean", List::kCache,
         "<valid>" + Blanks(2500) + "true" + Blanks(2500) + "</valid>", "-|0|0|1"},
        {"BlanksAroundA64BitNumber", List::kCache,
         "<size>" + Blanks(2100) + "5000000000" + Blanks(2100) + "</size>", "-|0|5000000000|0"},
        {"BlanksAroundText", List::kProcess, "<name>" + Blanks(3000) + "</name>",
         Blanks(3000) + "|0|0"},
        {"OptionalNumbers", List::kParameter,
         "<restriction><int-min>&#x0002D;&#x000035;</int-min><float-max>" + Blanks(2100) + "1.5" +
             Blanks(2100) + "</float-max></restriction>",
         "-5|1.5"},
        {"LongestNumber", List::kProcess, "<pid>" + k2046 + "7" + Blanks(100) + "</pid>", "-|0|7"},
        {"NumberTooLong", List::kProcess, "<pid>" + k2046 + "07" + Blanks(100) + "</pid>",
         kTooLong},
        {"BlanksInsideANumber", List::kProcess, "<pid>4" + Blanks(3000) + "2</pid>", kTooLong},
        // Values that an href leads to, read when the message ends.
        {"TextThroughAReference", List::kProcess, "<name href=\"#n\"/>", kEmoji + "A|0|0",
         "<x id=\"n\">&#x1F600;&#x00041;</x>"},
        {"NoCharacterThroughAReference", List::kProcess, "<name href=\"#n\"/>", kBadReference,
         "<x id=\"n\">&#xD800;</x>"},
        {"NumberOfARelatedType", List::kProcess, "<pid href=\"#p\"/>", "-|0|42",
         "<x id=\"p\" xsi:type=\"xsd:short\">&#x000034;2" + Blanks(3000) + "</x>"},
        {"NoCharacterInANumberOfARelatedType", List::kCache, "<size href=\"#s\"/>", kBadReference,
         "<x id=\"s\" xmlns:b=\"urn:b\" xsi:type=\"b:byte\">4&#0;2</x>"},
        {"NumberOfAnotherType", List::kProcess, "<pid href=\"#p\"/>", "error 4",
         "<x id=\"p\" xsi:type=\"xsd:long\">42</x>"},
        // A NUL byte is no character either; as text it would cut the value.
        {"NulInText", List::kProcess, std::string("<name>a\0b</name>", 16), kBadReference},
        {"NulInCdata", List::kProcess, std::string("<name><![CDATA[a\0b]]></name>", 28),
         kBadReference},
        {"NulAfterANumber", List::kProcess, std::string("<pid>42 \0 </pid>", 17), kBadReference},
        {"NulBeforeAnEnumeration", List::kProcess,
         std::string("<dispstatus>\0 QORControl-RED</dispstatus>", 42), kBadReference},
        {"NilNumber", List::kProcess, "<pid xsi:nil=\"true\">&#x000034;2" + Blanks(3000) + "</pid>",
         "-|0|42"},
        // An invalid value names its own element, also where the end tag
        // that follows closes another one.
        {"InvalidNumber", List::kProcess, "<pid>></pid>", "error 4", {}, kInvalid + "'pid'"},
        {"InvalidNumberBeforeAnotherEndTag",
         List::kProcess,
         "<pid>>",
         "error 4",
         {},
         kInvalid + "'pid'"},
        {"InvalidEnumerationBeforeAnotherEndTag",
         List::kProcess,
         "<dispstatus>QORControl-X",
         "error 4",
         {},
         kInvalid + "'dispstatus'"},
        {"InvalidBooleanBeforeAnotherEndTag",
         List::kCache,
         "<valid>yes</x>",
         "error 4",
         {},
         kInvalid + "'valid'"},
        {"ValueBeforeAnotherEndTag", List::kProcess, "<pid>42</x><dispstatus>2</pid>", "-|2|42"},
    };
    // References that name no character, in a text.
    const struct
    {
        const char* name;
        const char* reference;
    } kNoCharacter[] = {
        {"Zero", "&#0;"},
        {"ZeroHexadecimal", "&#x0000;"},
        {"FirstSurrogate", "&#xD800;"},
        {"LastSurrogate", "&#57343;"},
        {"BeyondTheLast", "&#x110000;"},
        {"BeyondTheLastDecimal", "&#1114112;"},
        {"Huge", "&#99999999999999999999999;"},
        {"NoDigits", "&#;"},
        {"NoHexadecimalDigits", "&#x;"},
        {"NotEnded", "&#65"},
        {"Blank", "&#6 5;"},
        {"NotADigit", "&#x4G;"},
        {"Sign", "&#-65;"},
        {"UnknownName", "&bogus;"},
        {"BareAmpersand", "& b"},
    };
    for (const auto& bad : kNoCharacter)
        cases.push_back({std::string("NoCharacter") + bad.name, List::kProcess,
                         std::string("<name>a") + bad.reference + "b</name><pid>1</pid>",
                         kBadReference});
    // Named references: a name decodes to the character it names, in the
    // case that names it; any other spelling names no character (the
    // toolkit's reader takes its names in any case, the first that matches,
    // so "&eacute;" gave U+00C9).
    const struct
    {
        const char* name;
        const char* reference;
        std::string read;
    } kNamed[] = {
        {"CapitalEacute", "&Eacute;",
         "a\xC3\x89"
         "b|0|1"},
        {"SmallEacute", "&eacute;", kBadReference},
        {"Nbsp", "&nbsp;",
         "a\xC2\xA0"
         "b|0|1"},
        {"NbspInCapitals", "&NBSP;", kBadReference},
        {"Amp", "&amp;", "a&b|0|1"},
        {"AmpInCapitals", "&AMP;", kBadReference},
        {"Yuml", "&yuml;",
         "a\xC3\xBF"
         "b|0|1"},
        {"NotLatin1", "&euro;", kBadReference},
    };
    for (const auto& named : kNamed)
        cases.push_back({std::string("Named") + named.name, List::kProcess,
                         std::string("<name>a") + named.reference + "b</name><pid>1</pid>",
                         named.read});
    return cases;
}

// The document of a case: one item in the list's response.
struct ListNames
{
    const char* response;
    const char* member;
};

ListNames Names(List list)
{
    switch (list) {
    case List::kProcess:
        return {"QORControl:GetProcessListResponse", "process"};
    case List::kCache:
        return {"QORControl:XCMGetCacheEntriesResponse", "entry"};
    default:
        return {"QORControl:GetProcessParameterResponse", "parameter"};
    }
}

std::string Document(const FormCase& c)
{
    const ListNames names = Names(c.list);
    const std::string member = names.member;
    return recordtest::Response(names.response,
                                "<" + member + "><item>" + c.item + "</item></" + member + ">",
                                c.independent);
}

template <class List>
int ReadItems(recordtest::Reader& reader, const FormCase& c, const std::string& xml, List& list)
{
    const ListNames names = Names(c.list);
    const int error = reader.ReadMember(xml, names.response, names.member, list);
    return error == SOAP_OK && list.__size != 1 ? -1 : error;
}

// The value read, or the error and in *fault the fault text that a failed
// call prints.
std::string Read(recordtest::Reader& reader, const FormCase& c, const std::string& xml,
                 std::string* fault)
{
    std::ostringstream read;
    int error = SOAP_OK;
    if (c.list == List::kProcess) {
        QORControl__ArrayOfOSProcess list;
        if ((error = ReadItems(reader, c, xml, list)) == SOAP_OK) {
            const QORControl__OSProcess& p = list.__ptr[0];
            read << (p.name ? p.name : "-") << "|" << p.dispstatus << "|" << p.pid;
        }
    } else if (c.list == List::kCache) {
        QORControl__ArrayOfXCMCacheEntry list;
        if ((error = ReadItems(reader, c, xml, list)) == SOAP_OK) {
            const QORControl__XCMCacheEntry& e = list.__ptr[0];
            read << (e.name ? e.name : "-") << "|" << e.version << "|" << e.size << "|" << e.valid;
        }
    } else {
        QORControl__ArrayOfProfileParameter list;
        if ((error = ReadItems(reader, c, xml, list)) == SOAP_OK) {
            const QORControl__ParameterRestriction& r = list.__ptr[0].restriction;
            read << (r.int_min ? std::to_string(*r.int_min) : "-") << "|";
            if (r.float_max)
                read << *r.float_max;
        }
    }
    fault->clear();
    if (error != SOAP_OK) {
        soap_set_fault(reader.ctx());
        const char** text = soap_faultstring(reader.ctx());
        *fault = text != nullptr && *text != nullptr ? *text : "";
    }
    reader.Release();
    return error != SOAP_OK ? "error " + std::to_string(error) : read.str();
}

class ValueForm : public ::testing::TestWithParam<FormCase>
{
};

TEST_P(ValueForm, ReadsTheSameInEveryPiece)
{
    const FormCase& c = GetParam();
    const std::string xml = Document(c);
    recordtest::Reader reader;
    // The fault text too is the one of the reply read whole.
    std::string whole;
    ASSERT_EQ(c.read, Read(reader, c, xml, &whole));
    if (!c.fault.empty()) {
        EXPECT_EQ(c.fault, whole);
    }
    std::string fault;
    for (const std::size_t piece : {1, 3, 7, 4093}) {
        reader.SetDelivery(piece);
        ASSERT_EQ(c.read, Read(reader, c, xml, &fault)) << "pieces of " << piece;
        ASSERT_EQ(whole, fault) << "pieces of " << piece;
    }
    // A read that ends at each byte of the item and a few around it.
    const std::size_t item = xml.find("<item>");
    const std::size_t end = item + c.item.size() + c.independent.size() + 80;
    for (std::size_t split = item; split < end; ++split) {
        reader.SetDelivery(0, split);
        ASSERT_EQ(c.read, Read(reader, c, xml, &fault)) << "split at " << split - item;
        ASSERT_EQ(whole, fault) << "split at " << split - item;
    }
}

INSTANTIATE_TEST_SUITE_P(Replies, ValueForm, ::testing::ValuesIn(Cases()),
                         recordtest::CaseName<FormCase>);

// The same over HTTP in chunks of 1000 bytes: a chunk ends at each byte of a
// long reference, and among the blanks after a number.
TEST_F(ServiceCall, ChunkBoundariesChangeNoValue)
{
    const auto body = [](std::size_t pad) {
        return "<QORControl:GetProcessListResponse><process><item><description>" +
               std::string(pad, 'x') + "</description><name>&#x1F600;</name><pid>42" +
               Blanks(3000) + "</pid></item></process></QORControl:GetProcessListResponse>";
    };
    const std::size_t at = qortest::envelope(body(0)).find("&#x1F600;");
    for (std::size_t in = 1; in < 9; ++in) {
        service().script("GetProcessList", qortest::Reply::ok(body(2000 - at - in)).as_chunked());
        QORControl__ArrayOfOSProcess list;
        ASSERT_EQ(SOAP_OK, soap_call_QORControl__GetProcessList(ctx(), endpoint(), "", list))
            << FaultString();
        ASSERT_EQ(1, list.__size);
        EXPECT_EQ(kEmoji, list.__ptr[0].name) << in;
        EXPECT_EQ(42, list.__ptr[0].pid) << in;
        Release();
    }
}

} // namespace
