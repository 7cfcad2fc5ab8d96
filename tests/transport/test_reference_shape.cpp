// Character references where only the toolkit's reader decodes them
// (attribute values, a fault's code, QNames): taken when it decodes them to
// the character they name, refused otherwise, whatever the split of the
// reply; elsewhere the schema's readers read them whole.

#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "reply_reader.h"
#include "soapH.h"
#include "support/fake_service.h"
#include "transport/xml_shape.h"

namespace {

using qortest::envelope;
using qortransport::XmlShape;

enum class Kind { Exact, Long, NoCharacter };

const std::string kInValue = " in an attribute value";
const std::string kInQName = " in a fault code or QName";

// A reply in which "@" stands for some characters of a value.
struct Form
{
    const char* name;
    char plain;               // what "@" stands for
    const std::string* where; // where its references are checked; null: read whole
    int rc;                   // what the call makes of the plain character
    int count;
    const char* body;
    bool soap12 = false;

    std::string xml(const std::string& slot) const
    {
        std::string out = body;
        return envelope(out.replace(out.find('@'), 1, slot), soap12);
    }
};

const Form kForms[] = {
    {"Href", '#', &kInValue, SOAP_OK, 3,
     "<QORControl:GetProcessListResponse><process href=\"@p\"/></QORControl:"
     "GetProcessListResponse><a id=\"p\" xsi:type=\"QORControl:ArrayOfOSProcess\"><item/>"
     "<item/><item/></a>"},
    {"ArrayType", '4', &kInValue, SOAP_OK, 4,
     "<QORControl:GetProcessListResponse><process SOAP-ENC:arrayType=\"QORControl:OSProcess[@]\">"
     "<item/><item/><item/></process></QORControl:GetProcessListResponse>"},
    {"XsiType", 'O', &kInValue, SOAP_OK, 3,
     "<QORControl:GetProcessListResponse><process xsi:type=\"QORControl:ArrayOf@SProcess\">"
     "<item/><item/><item/></process></QORControl:GetProcessListResponse>"},
    {"Xmlns", 'Q', &kInValue, SOAP_OK, 3,
     "<QORControl:GetProcessListResponse xmlns:QORControl=\"urn:@ORControl\"><process><item/>"
     "<item/><item/></process></QORControl:GetProcessListResponse>"},
    {"DetailAttribute", 'A', &kInValue, SOAP_SVR_FAULT, -1,
     "<SOAP-ENV:Fault><faultcode>SOAP-ENV:Server</faultcode><faultstring>t</faultstring><detail>"
     "<e a=\"x@y\">z</e></detail></SOAP-ENV:Fault>"},
    {"FaultCode", 'e', &kInQName, SOAP_SVR_FAULT, -1,
     "<SOAP-ENV:Fault><faultcode>SOAP-ENV:Serv@r</faultcode><faultstring>t</faultstring>"
     "</SOAP-ENV:Fault>"},
    {"FaultCode12", 'e', &kInQName, SOAP_CLI_FAULT, -1,
     "<SOAP-ENV:Fault><SOAP-ENV:Code><SOAP-ENV:Value>SOAP-ENV:S@nder</SOAP-ENV:Value></SOAP-ENV:"
     "Code><SOAP-ENV:Reason><SOAP-ENV:Text>t</SOAP-ENV:Text></SOAP-ENV:Reason></SOAP-ENV:Fault>",
     true},
    {"QNameByReference", 'e', &kInQName, SOAP_SVR_FAULT, -1,
     "<SOAP-ENV:Fault><faultcode href=\"#c\"/><faultstring>t</faultstring></SOAP-ENV:Fault>"
     "<c id=\"c\" xsi:type=\"xsd:QName\">SOAP-ENV:Serv@r</c>"},
    {"FaultString", 'A', nullptr, SOAP_SVR_FAULT, -1,
     "<SOAP-ENV:Fault><faultcode>SOAP-ENV:Server</faultcode><faultstring>x@y</faultstring>"
     "</SOAP-ENV:Fault>"},
};

std::string decimal(char c, int width = 0)
{
    std::string digits = std::to_string(static_cast<unsigned char>(c));
    return std::string(std::max<int>(0, width - static_cast<int>(digits.size())), '0') + digits;
}

std::string hex(char c, int width)
{
    static const char kDigits[] = "0123456789ABCDEF";
    const auto u = static_cast<unsigned char>(c);
    return std::string(static_cast<std::size_t>(width - 2), '0') + kDigits[u >> 4] +
           kDigits[u & 15];
}

struct Spelling
{
    const char* name;
    Kind kind;
    std::function<std::string(char)> spell;
    const char* stands_for = nullptr; // instead of the form's character
};

const Spelling kSpellings[] = {
    {"Decimal", Kind::Exact, [](char c) { return "&#" + decimal(c) + ";"; }},
    {"Hex", Kind::Exact, [](char c) { return "&#x" + hex(c, 2) + ";"; }},
    {"HexOfEightBytes", Kind::Exact, [](char c) { return "&#X" + hex(c, 4) + ";"; }},
    {"DecimalOfEightBytes", Kind::Exact, [](char c) { return "&#" + decimal(c, 5) + ";"; }},
    {"HexOfNineBytes", Kind::Long, [](char c) { return "&#x" + hex(c, 5) + ";"; }},
    {"DecimalOfNineBytes", Kind::Long, [](char c) { return "&#" + decimal(c, 6) + ";"; }},
    {"Zero", Kind::NoCharacter, [](char) { return "&#0;"; }},
    {"Surrogate", Kind::NoCharacter, [](char) { return "&#xD800;"; }},
    {"NoDigits", Kind::NoCharacter, [](char) { return "&#x;"; }},
    {"NotADigit", Kind::NoCharacter, [](char c) { return "&#" + decimal(c) + "x;"; }},
    {"Signed", Kind::NoCharacter, [](char c) { return "&#+" + decimal(c) + ";"; }},
    {"NoSemicolon", Kind::NoCharacter, [](char c) { return "&#" + decimal(c); }},
    {"UnknownName", Kind::NoCharacter, [](char) { return "&bogus;"; }},
    // Characters of more than one byte, where the slot takes any.
    {"ThreeBytes", Kind::Exact, [](char) { return "&#x1F60;"; }, "\xE1\xBD\xA0"},
    {"FourBytes", Kind::Exact, [](char) { return "&#99999;"; }, "\xF0\x98\x9A\x9F"},
    {"EmojiHex", Kind::Long, [](char) { return "&#x1F600;"; }, "\xF0\x9F\x98\x80"},
    {"NamedInTheWrongCase", Kind::NoCharacter, [](char) { return "&eacute;"; }, "\xC3\xA9"},
};

struct Row
{
    std::string name;
    const Form* form;
    const Spelling* spelling;
};

void PrintTo(const Row& row, std::ostream* os)
{
    *os << row.name;
}

std::vector<Row> rows()
{
    std::vector<Row> out;
    for (const Form& form : kForms) {
        for (const Spelling& spelling : kSpellings) {
            if (spelling.stands_for != nullptr && form.plain != 'A')
                continue; // the slot is part of a name
            out.push_back({std::string(form.name) + "_" + spelling.name, &form, &spelling});
        }
    }
    return out;
}

std::string refusal(const Row& row)
{
    if (row.form->where == nullptr || row.spelling->kind == Kind::Exact)
        return "";
    return (row.spelling->kind == Kind::Long ? "a character reference of more than 8 bytes"
                                             : "a character reference that names no character") +
           *row.form->where;
}

std::string http(const std::string& body)
{
    return "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\n\r\n" + body;
}

std::size_t odd(std::size_t at)
{
    static constexpr std::size_t kSizes[] = {7, 1, 13, 2, 5};
    return kSizes[at % 5];
}

class References : public ::testing::TestWithParam<Row>
{
};

TEST_P(References, TakenWhenReadExactlyElseRefused)
{
    const Row& row = GetParam();
    const std::string slot = row.spelling->spell(row.form->plain);
    const std::string xml = row.form->xml(slot);
    const std::string expected = refusal(row);
    // The checker alone, whole, byte by byte and in odd pieces.
    for (const ReadSizes& sizes :
         {ReadSizes([&xml](std::size_t) { return xml.size(); }),
          ReadSizes([](std::size_t) { return std::size_t{1}; }), ReadSizes(odd)}) {
        XmlShape shape;
        for (std::size_t at = 0; at < xml.size(); at += sizes(at))
            shape.feed(xml.data() + at, std::min(sizes(at), xml.size() - at));
        EXPECT_EQ(shape.error(), expected) << sizes(0);
    }
    // The whole receive path; what is taken reads as the plain character does.
    const char* stands_for = row.spelling->stands_for;
    const std::string plain = stands_for != nullptr ? stands_for : std::string(1, row.form->plain);
    const ReplyReading want = read_reply(http(row.form->xml(plain)), ReplyCall::ProcessList);
    EXPECT_EQ(want.rc, row.form->rc);
    EXPECT_EQ(want.count, row.form->count);
    const ReplyReading alone = read_reply(http(xml), ReplyCall::ProcessList, {}, false);
    for (const ReadSizes& sizes :
         {ReadSizes(), ReadSizes([](std::size_t) { return std::size_t{1}; }), ReadSizes(odd)}) {
        const ReplyReading r = read_reply(http(xml), ReplyCall::ProcessList, sizes);
        EXPECT_EQ(r.refusal, expected);
        if (!expected.empty()) {
            EXPECT_NE(r.rc, SOAP_OK);
            continue;
        }
        EXPECT_EQ(r.rc, alone.rc);
        EXPECT_EQ(r.fault, alone.fault);
        if (row.spelling->kind != Kind::NoCharacter) {
            EXPECT_EQ(r.rc, want.rc);
            EXPECT_EQ(r.fault, want.fault);
            EXPECT_EQ(r.count, want.count);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Forms, References, ::testing::ValuesIn(rows()),
                         [](const ::testing::TestParamInfo<Row>& p) { return p.param.name; });

// The HTML names of the characters from U+00A0 on.
const char* const kLatin1Names[] = {
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",
    "copy",   "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn",
    "sup2",   "sup3",   "acute",  "micro",  "para",   "middot", "cedil",  "sup1",   "ordm",
    "raquo",  "frac14", "frac12", "frac34", "iquest", "Agrave", "Aacute", "Acirc",  "Atilde",
    "Auml",   "Aring",  "AElig",  "Ccedil", "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave",
    "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde",
    "Ouml",   "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",
    "szlig",  "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil",
    "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",   "eth",
    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide", "oslash", "ugrave",
    "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml",
};

// A name is taken in an attribute value where the toolkit's reader decodes
// it to the character it names, and only there: of the names of XML and
// HTML, in their own case and in others.
TEST(ReferenceNames, TakenWhereTheToolkitDecodesThemRight)
{
    std::map<std::string, std::string> names = {
        {"lt", "<"}, {"gt", ">"}, {"amp", "&"}, {"quot", "\""}, {"apos", "'"}};
    for (unsigned i = 0; i < std::size(kLatin1Names); ++i) {
        const unsigned u = 0xA0 + i;
        names[kLatin1Names[i]] = {static_cast<char>(0xC0 | (u >> 6)),
                                  static_cast<char>(0x80 | (u & 0x3F))};
    }
    const auto in_case = [](std::string name, int (*change)(int)) {
        for (char& c : name)
            c = static_cast<char>(change(static_cast<unsigned char>(c)));
        return name;
    };
    std::set<std::string> spellings;
    for (const auto& [name, character] : names)
        spellings.insert({name, in_case(name, ::toupper), in_case(name, ::tolower)});
    const Form& detail_attribute = kForms[4];
    ASSERT_STREQ(detail_attribute.name, "DetailAttribute");
    std::size_t taken = 0;
    for (const std::string& spelled : spellings) {
        const std::string xml = detail_attribute.xml("&" + spelled + ";");
        const ReplyReading alone = read_reply(http(xml), ReplyCall::ProcessList, {}, false);
        const auto named = names.find(spelled);
        const bool exact =
            named != names.end() && alone.fault == "t, <e a=\"x" + named->second + "y\">z</e>";
        XmlShape shape;
        EXPECT_EQ(shape.feed(xml.data(), xml.size()), exact) << spelled << " " << alone.fault;
        taken += exact;
    }
    EXPECT_EQ(taken, 71u); // the five of XML, and the HTML names but of small accented letters
}

} // namespace
