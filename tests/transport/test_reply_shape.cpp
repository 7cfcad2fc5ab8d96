// The bounds on a reply's shape: what counts toward them the way the
// toolkit's reader splits the bytes, and which parts of a reply are XML.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "support/fake_service.h"
#include "transport/reply_shape.h"

namespace {

using qortransport::ReplyShape;
using qortransport::XmlShape;

// n pieces, the i-th made by piece(i).
std::string repeat(std::size_t n, const std::function<std::string(std::size_t)>& piece)
{
    std::string out;
    for (std::size_t i = 0; i < n; ++i)
        out += piece(i);
    return out;
}

std::string attributes(std::size_t n, const char* quote = "\"")
{
    return repeat(
        n, [quote](std::size_t i) { return " a" + std::to_string(i) + "=" + quote + quote; });
}

std::string declarations(std::size_t n, std::size_t first = 0)
{
    return repeat(n, [first](std::size_t i) {
        return " xmlns:n" + std::to_string(first + i) + "=\"urn:n\"";
    });
}

constexpr std::size_t kNames = XmlShape::kMaxAttributeNames;
constexpr std::size_t kRefs = XmlShape::kMaxReferences;
constexpr std::size_t kScope = XmlShape::kMaxNamespaces;
const std::string kTooManyNames = "more than 256 attribute names";
const std::string kTooManyRefs = "more than 1000 id, href and ref attributes";
const std::string kTooManyNamespaces = "more than 128 namespace declarations in scope";
const std::string kLessThanInTag = "a \"<\" inside a tag";
const std::string kSlashInTag = "a \"/\" in a tag that is not followed by \">\"";

struct ShapeCase
{
    const char* name;
    std::string document;
    std::string refusal; // empty: the document is within the bounds
};

void PrintTo(const ShapeCase& c, std::ostream* os)
{
    *os << c.name;
}

const ShapeCase kShapes[] = {
    {"NamesAtTheBound", "<a" + attributes(kNames) + "/>", ""},
    {"NamesOverTheBound", "<a" + attributes(kNames + 1) + "/>", kTooManyNames},
    {"NamesOverElements",
     repeat(kNames + 1, [](std::size_t i) { return "<b a" + std::to_string(i) + "=''/>"; }),
     kTooManyNames},
    {"OneNameEverywhere",
     "<r>" + repeat(10000, [](std::size_t) { return "<b a='1' c=\"2\">x</b>"; }) + "</r>", ""},
    {"ReferencesAtTheBound",
     repeat(kRefs / 2,
            [](std::size_t i) {
                return "<i id='p" + std::to_string(i) + "'/><i href=\"#p" + std::to_string(i) +
                       "\"/>";
            }),
     ""},
    {"ReferencesOverTheBound",
     repeat(kRefs, [](std::size_t) { return "<i x:ref='a'/>"; }) + "<i SOAP-ENC:id='b'/>",
     kTooManyRefs},
    {"NamesLikeReferences", repeat(kRefs + 1, [](std::size_t) { return "<i idx='1' hrefs=''/>"; }),
     ""},
    {"NamespacesAtTheBound", "<a" + declarations(kScope - 1) + " xmlns='urn:d'><b/></a>", ""},
    {"NamespacesOverTheBound", "<a" + declarations(kScope + 1) + "/>", kTooManyNamespaces},
    {"NamespacesNested",
     "<a" + declarations(kScope / 2) + "><b" + declarations(kScope / 2 + 1, kScope) + "/></a>",
     kTooManyNamespaces},
    {"NamespacesOfSiblingsEndWithThem",
     "<r>" +
         repeat(40, [](std::size_t) { return "<a" + declarations(100) + "><b>t</b></a><c/>"; }) +
         "</r>",
     ""},
    // What the reader passes over carries no attributes.
    {"Comments",
     "<r><!-- <a" + attributes(kNames + 1) + "> --><!-- - -- x <a" + attributes(kNames + 1) +
         "> --></r>",
     ""},
    {"Declarations", "<!DOCTYPE r [<!ELEMENT a" + attributes(kNames + 1) + ">]><r/>", ""},
    {"Instructions", "<?xml version='1.0'" + attributes(kNames + 1) + "?><r/>", ""},
    {"CdataText", "<r><![CDATA[<a" + attributes(kNames + 1) + ">]]></r>", ""},
    {"MarkupInValues", "<r v=\"<!-- \" -->\" w='<![CDATA[ \" ]]>'" + attributes(kNames - 2) + "/>",
     ""},
    // What the reader takes for attributes counts, however it is hidden.
    {"UnquotedValueEndsAtTheTagEnd", "<a b=x>" + attributes(kNames) + ">text</a>", kTooManyNames},
    {"ReferenceTakesALessThan", "<r>&lt<a q=\"> <b" + attributes(kNames + 1, "'") + "></r>",
     kTooManyNames},
    {"CdataInAValue", "<a v=\"<![CDATA[\"]]>\"" + attributes(kNames) + "/>", kTooManyNames},
    // Where the toolkit passes over an element, a "<" in a tag or a "/" not
    // followed by ">" would make it read past the document's end.
    {"LessThanInAValue", "<r v='a<b'/>", kLessThanInTag},
    {"EndTagInAValue", "<r><u v=\"</u>\"/></r>", kLessThanInTag},
    {"LessThanInAnEndTag", "<r></r <x>", kLessThanInTag},
    {"LessThanInAName", "<r a<b='1'/>", kLessThanInTag},
    {"SlashBeforeABlank", "<r><a/ ></r>", kSlashInTag},
    {"EmptyTagTakesAnyByte", "<a/ <b" + attributes(kNames + 1) + ">", kSlashInTag},
    // Nothing after the end of the first element with content is read.
    {"AfterTheDocument", "<r></r>" + repeat(kRefs + 1, [](std::size_t) { return "<i id='a'/>"; }),
     ""},
    {"EmptyElementsBeforeTheDocument",
     repeat(kRefs + 1, [](std::size_t) { return "<i id='a'/>"; }) + "<r/>", kTooManyRefs},
    {"BlanksInTags", "< a\n" + attributes(kNames + 1) + "\t/ >", kTooManyNames},
    // Long texts and many references are read at the same pace.
    {"ManyCharacterReferences",
     "<r>" + repeat(100000, [](std::size_t) { return "&amp;x"; }) + std::string(100000, 'y') +
         "</r>",
     ""},
};

class Shape : public ::testing::TestWithParam<ShapeCase>
{
};

// The same verdict, whether the document comes at once or a few bytes at a
// time.
TEST_P(Shape, CountsAsTheToolkitReads)
{
    const ShapeCase& c = GetParam();
    for (std::size_t piece : {c.document.size(), std::size_t{1}, std::size_t{7}}) {
        XmlShape shape;
        bool ok = true;
        for (std::size_t at = 0; at < c.document.size() && ok; at += piece)
            ok = shape.feed(c.document.data() + at, std::min(piece, c.document.size() - at));
        EXPECT_EQ(ok, c.refusal.empty()) << piece;
        EXPECT_EQ(shape.error(), c.refusal) << piece;
    }
}

INSTANTIATE_TEST_SUITE_P(Documents, Shape, ::testing::ValuesIn(kShapes),
                         [](const ::testing::TestParamInfo<ShapeCase>& p) {
                             return std::string(p.param.name);
                         });

const std::string kOver = "<a" + attributes(kNames + 1) + "/>";

std::string head(const std::string& extra = "")
{
    return "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\n" + extra + "\r\n";
}

// The toolkit hands the bytes after the HTTP header to the plug-in again once
// it has read the header, so they count once, when they come again.
TEST(ReplyShape, CountsTheBodyOnceAfterTheHeader)
{
    for (const std::string& start : {head(), "HTTP/1.1 100 Continue\r\n\r\n" + head()}) {
        ReplyShape reply;
        EXPECT_TRUE(reply.feed((start + kOver).data(), start.size() + kOver.size()));
        EXPECT_FALSE(reply.feed(kOver.data(), kOver.size()));
        EXPECT_EQ(reply.error(), kTooManyNames);
        reply.reset();
        EXPECT_TRUE(reply.feed(start.data(), start.size()));
        EXPECT_TRUE(reply.feed("<r/>", 4));
    }
    ReplyShape bare; // a reply without HTTP header is XML from its first byte
    EXPECT_FALSE(bare.feed(kOver.data(), kOver.size()));
}

// Of a DIME message only the envelope's records are XML; attachments that
// look like anything are passed over.
TEST(ReplyShape, ReadsOnlyTheEnvelopeOfDime)
{
    using qortest::DimeRecord;
    const DimeRecord junk{"cid:j", "application/zip", kOver + kOver};
    const struct
    {
        const char* name;
        std::vector<DimeRecord> records;
        bool ok;
    } cases[] = {
        {"attachment", {qortest::dime_envelope_record("<r/>"), junk}, true},
        {"envelope", {qortest::dime_envelope_record(kOver), junk}, false},
        {"chunked envelope",
         {[] {
              DimeRecord first = qortest::dime_envelope_record("<r><x/>");
              first.chunked = true;
              return first;
          }(),
          DimeRecord{"", "", kOver + "</r>"}, junk},
         false},
    };
    for (const auto& c : cases) {
        const std::string message = qortest::dime_message(c.records);
        ReplyShape reply;
        const std::string dime = "HTTP/1.1 200 OK\r\nContent-Type: application/dime\r\n\r\n";
        reply.feed(dime.data(), dime.size());
        bool ok = true;
        for (std::size_t at = 0; at < message.size() && ok; at += 5)
            ok = reply.feed(message.data() + at, std::min<std::size_t>(5, message.size() - at));
        EXPECT_EQ(ok, c.ok) << c.name;
    }
}

} // namespace
