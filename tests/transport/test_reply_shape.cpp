// The bounds on a reply's shape: what counts toward them the way the
// toolkit's reader splits the bytes, and which parts of a reply are XML.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "reply_reader.h"
#include "shape_replies.h"
#include "soapH.h"
#include "support/fake_service.h"
#include "transport/xml_shape.h"

namespace {

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
const std::string kAmpersandInTag = "a \"&\" inside a tag, outside its values";
const std::string kUnquotedValueEnd = "an unquoted attribute value that ends at \"/\" or \">\"";
const std::string kUnquotedValueLead =
    "an unquoted attribute value that begins with the lead byte of a UTF-8 sequence";

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
    // Names count as the toolkit compares them: whole, in their case, cut
    // where it cuts them (after 2047 bytes).
    {"NamesOfOneHash", "<a" + attributes(kNames - 15) + attributes_of_one_hash() + "/>",
     kTooManyNames},
    {"PrefixesAndCaseMakeNamesDistinct", "<a" + attributes(kNames - 1) + " A0='' x:a0=''/>",
     kTooManyNames},
    {"LongNamesCut",
     "<a" + attributes(kNames - 1) + "/><b " + std::string(2047, 'n') + "x=''/><c " +
         std::string(2047, 'n') + "y=''/>",
     ""},
    {"LongNamesDifferInTheirLastByteKept",
     "<a" + attributes(kNames - 2) + "/><b " + std::string(2046, 'n') + "x=''/><c " +
         std::string(2046, 'n') + "y=''/><d " + std::string(2047, 'n') + "x=''/>",
     kTooManyNames},
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
    // A comment ends at its first "--" after "<!--" and the ">" that
    // balances it, an instruction at its first "?" and that ">".
    {"CommentOfOneDash", "<r><!---><a" + attributes(kNames + 1) + "/>--></r>", ""},
    {"CommentEndsAtItsFirstDashes", "<r><!-- -- <a" + attributes(kNames + 1) + "/> > --></r>", ""},
    {"CommentEndedByTwoDashes", "<r><!----><a" + attributes(kNames + 1) + "/></r>", kTooManyNames},
    {"InstructionOfNoName", "<r><?><a" + attributes(kNames + 1) + "/>?></r>", ""},
    {"InstructionEndsAtItsFirstQuestionMark", "<r><?x?><a" + attributes(kNames + 1) + "/></r>",
     kTooManyNames},
    {"MarkupInValues", "<r v=\"<!-- \" -->\" w='<![CDATA[ \" ]]>'" + attributes(kNames - 2) + "/>",
     ""},
    // What the reader takes for attributes counts, however it is hidden.
    {"UnquotedValuesEndAtBlanks",
     "<a" + repeat(kNames + 1, [](std::size_t i) { return " a" + std::to_string(i) + "=x"; }) +
         "\t/>",
     kTooManyNames},
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
    // An unquoted value that ends at "/" or ">" leaves that byte to the
    // reader, which reads each later value of the tag as empty and its bytes
    // as a name.
    {"UnquotedValueEndsAtTheTagEnd", "<a b=x>" + attributes(kNames) + ">text</a>",
     kUnquotedValueEnd},
    {"UnquotedValueEndsAtASlash",
     "<u a=b/" + repeat(kNames, [](std::size_t i) { return " n" + std::to_string(i) + "=v"; }) +
         "/>",
     kUnquotedValueEnd},
    {"EmptyUnquotedValue", "<a b=>t</a>", kUnquotedValueEnd},
    {"UnquotedValueInCdataEndsAtASlash", "<a v=<![CDATA[x/ c=d]]> />", kUnquotedValueEnd},
    // A value that begins with the lead byte of a UTF-8 sequence: the reader
    // takes its third byte unlooked at.
    {"UnquotedValueOfUtf8", "<a v=\xE1\x80 \"=\"" + attributes(2) + " \"/>", kUnquotedValueLead},
    {"UnquotedValueOfUtf8InCdata", "<a v=<![CDATA[\xC3\xA9]]>/>", kUnquotedValueLead},
    {"ValuesOfUtf8", "<a v='\xE1\x80 ' w=\x80\xBF x=\"\xC3\xA9\"/>", ""},
    // There it reads a reference after "&", which takes seven bytes.
    {"AmpersandInAName", "<r><v&b>c</v></r>", kAmpersandInTag},
    {"AmpersandInAnEndTag", "<r><v>c</v&b></r>", kAmpersandInTag},
    {"AmpersandInAnAttributeName", "<r a&b='1'/>", kAmpersandInTag},
    {"AmpersandBetweenAttributes", "<r a='1' &b/>", kAmpersandInTag},
    {"AmpersandAfterAName", "<r a &b/>", kAmpersandInTag},
    {"AmpersandBeginsAName", "< &r/>", kAmpersandInTag},
    {"AmpersandInValues", "<r a='&amp;' b=&lt;x >&amp;</r>", ""},
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

bool over_a_bound(const ReplyReading& r)
{
    return r.attribute_names > kNames + 1 || r.most_namespaces > kScope + 1 || r.ids > kRefs + 1;
}

// Whole; byte by byte (around the starts of the body, its records and parts,
// and its end, where the reply is large); in pieces of odd sizes; in two
// reads split near each start, where the toolkit's count of the bytes before
// a cut is smaller than what follows it; with each record's header in a read
// of its own.
std::vector<std::pair<std::string, ReadSizes>> deliveries(const ReplyBytes& reply)
{
    constexpr std::size_t kNear = 64;
    const bool small = reply.bytes.size() < 100000;
    auto bytewise = [small, marks = reply.marks](std::size_t at) -> std::size_t {
        if (small)
            return 1;
        for (std::size_t m : marks) {
            if (at + kNear < m)
                return std::min<std::size_t>(m - kNear - at, 65536);
            if (at < m + kNear)
                return 1;
        }
        return 65536;
    };
    auto odd = [](std::size_t at) -> std::size_t {
        static constexpr std::size_t kSizes[] = {7, 1, 13, 4093, 2, 65521};
        return kSizes[(at / 7) % 6];
    };
    std::vector<std::pair<std::string, ReadSizes>> out = {
        {"whole", ReadSizes()}, {"byte by byte", bytewise}, {"odd pieces", odd}};
    if (reply.bytes.size() > (std::size_t{2} << 20))
        return out;
    // Of many records, those at either end.
    constexpr std::size_t kEnds = 6;
    for (std::size_t i = 0; i < reply.marks.size(); ++i) {
        if (i == kEnds && reply.marks.size() > 2 * kEnds)
            i = reply.marks.size() - kEnds;
        const std::size_t m = reply.marks[i];
        for (std::size_t s = m > kNear / 4 ? m - kNear / 4 : 1; s <= m + kNear / 4; ++s)
            out.emplace_back("split at " + std::to_string(s),
                             [s](std::size_t at) -> std::size_t { return at < s ? s - at : 0; });
        // A DIME record's header with its fields.
        const auto byte = [&reply](std::size_t at) -> std::size_t {
            return at < reply.bytes.size() ? static_cast<unsigned char>(reply.bytes[at]) : 0;
        };
        std::size_t header = 12;
        for (std::size_t field = 2; field < 8 && (byte(m) & 0xF8) == 0x08; field += 2)
            header += ((byte(m + field) << 8 | byte(m + field + 1)) + 3) / 4 * 4;
        out.emplace_back("a read of its own at " + std::to_string(m),
                         [m, header](std::size_t at) -> std::size_t {
                             return at < m ? m - at : at < m + header ? m + header - at : 0;
                         });
    }
    return out;
}

class Replies : public ::testing::TestWithParam<std::size_t>
{
};

// Beside the toolkit's own reading: a reply that hides XML from the bounds
// is refused, however it comes, before the toolkit takes in more than a
// bound allows, and nothing more of it is read from the connection; any
// other reply is read as the toolkit alone reads it (or the reply like it),
// with its length and in HTTP chunks of 7 bytes, except one that the toolkit
// fails on its own where, alone, it would read on as its reads came: that
// one fails alike in every delivery.
TEST_P(Replies, TheBoundsCountWhatTheToolkitParses)
{
    const ShapeReply& row = shape_replies()[GetParam()];
    const ReplyBytes reply = row.make();
    // Reads of a few bytes let the parser's namespaces in scope be seen.
    const ReplyReading alone = read_reply(
        row.like ? row.like().bytes : reply.bytes, row.call, [](std::size_t) { return 256; },
        false);
    EXPECT_EQ(over_a_bound(alone), row.toolkit_over) << alone.fault;
    std::vector<std::pair<std::string, ReplyBytes>> framings = {{"", reply}};
    if (reply.bytes.size() < 100000 && reply.bytes.find("Content-Length:") < reply.marks.front())
        framings.emplace_back("in chunks of 7, ", in_chunks(reply, 7));
    for (const auto& [framing, bytes] : framings) {
        for (const auto& [delivery, sizes] : deliveries(bytes)) {
            const std::string how = framing + delivery;
            const ReplyReading r = read_reply(bytes.bytes, row.call, sizes);
            EXPECT_FALSE(over_a_bound(r)) << how;
            // In chunks the toolkit reads a body to its end after the
            // envelope, and may so meet the point at which the bounds refuse
            // it once it has read the envelope: the call comes to the same.
            if (!row.refusal.empty() || framing.empty()) {
                EXPECT_EQ(r.refusal, row.refusal) << how;
            }
            EXPECT_EQ(r.reads_after_refusal, 0) << how;
            if (!row.fault.empty()) {
                EXPECT_NE(r.rc, SOAP_OK) << how;
                EXPECT_EQ(r.fault, row.fault) << how;
            } else if (row.refusal.empty()) {
                EXPECT_EQ(r.rc, alone.rc) << how;
                EXPECT_EQ(r.fault, alone.fault) << how;
                EXPECT_EQ(r.count, alone.count) << how;
                // The toolkit may end an envelope before the bounds see it
                // end, never while they do not count what it reads.
                EXPECT_TRUE(r.envelope_ended || r.counting || alone.rc != SOAP_OK) << how;
            } else {
                EXPECT_NE(r.rc, SOAP_OK) << how;
                EXPECT_EQ(r.fault, row.refusal + ", XML reply refused") << how;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, Replies, ::testing::Range(std::size_t{0}, shape_replies().size()),
                         [](const ::testing::TestParamInfo<std::size_t>& p) {
                             return shape_replies()[p.param].name;
                         });

// Refused exactly when the toolkit's own list of names would exceed the
// bound, with names that differ in the last byte that it keeps of a name or
// only after it.
TEST(AttributeNames, RefusedWhereTheToolkitsListExceedsTheBound)
{
    std::string long_names;
    for (std::size_t kept : {std::size_t{2046}, std::size_t{2047}}) {
        for (const char* last : {"x", "y"})
            long_names += "<v " + std::string(kept, 'n') + last + "=''/>";
    }
    const auto reply = [&long_names](std::size_t names) {
        const std::string xml = qortest::envelope(
            "<QORControl:GetProcessListResponse><u" + attributes(names, "'") + "/>" + long_names +
            "<process><item><pid>1</pid></item></process></QORControl:GetProcessListResponse>");
        return "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: " +
               std::to_string(xml.size()) + "\r\n\r\n" + xml;
    };
    const std::size_t others =
        read_reply(reply(0), ReplyCall::ProcessList, {}, false).attribute_names;
    ASSERT_LT(others, kNames);
    for (std::size_t total : {kNames, kNames + 1}) {
        const std::string bytes = reply(total - others);
        ASSERT_EQ(read_reply(bytes, ReplyCall::ProcessList, {}, false).attribute_names, total);
        for (const auto& [how, sizes] : deliveries({bytes, {}})) {
            const ReplyReading r = read_reply(bytes, ReplyCall::ProcessList, sizes);
            EXPECT_EQ(r.refusal, total > kNames ? kTooManyNames : "") << total << " " << how;
            EXPECT_EQ(r.count, total > kNames ? -1 : 1) << total << " " << how;
        }
    }
}

} // namespace
