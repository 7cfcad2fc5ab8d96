// Texts the fake service builds and reads: envelopes, the request element
// scanner and DIME messages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/fake_service.h"

namespace qortest {
namespace {

std::size_t count(const std::string& s, const std::string& what)
{
    std::size_t n = 0;
    for (auto pos = s.find(what); pos != std::string::npos; pos = s.find(what, pos + 1))
        ++n;
    return n;
}

TEST(FakeServiceXml, EnvelopeDeclaresTheNineNamespacesInOrder)
{
    for (bool soap12 : {false, true}) {
        SCOPED_TRACE(soap12);
        std::string env = envelope("<QORControl:StartResponse/>", soap12);
        EXPECT_EQ(count(env, " xmlns:"), 9u);
        const std::vector<std::string> decls = {
            std::string("xmlns:SOAP-ENV=\"") + (soap12 ? kSoap12EnvNs : kSoap11EnvNs) + "\"",
            std::string("xmlns:SOAP-ENC=\"") + (soap12 ? kSoap12EncNs : kSoap11EncNs) + "\"",
            std::string("xmlns:xsi=\"") + kXsiNs + "\"",
            std::string("xmlns:xsd=\"") + kXsdNs + "\"",
            "xmlns:QORControl=\"urn:QORControl\"",
            "xmlns:QORPVRX=\"urn:QORPVRX\"",
            "xmlns:QORHostControl=\"urn:QORHostControl\"",
            "xmlns:QOROscol=\"urn:QOROscol\"",
            "xmlns:QORDSR=\"urn:QORDSR\"",
        };
        std::size_t last = 0;
        for (const auto& d : decls) {
            auto pos = env.find(d);
            ASSERT_NE(pos, std::string::npos) << d;
            EXPECT_GT(pos, last) << d;
            last = pos;
        }
        BodyElement e = first_body_element(env);
        EXPECT_EQ(e.qname, "QORControl:StartResponse");
        EXPECT_EQ(e.ns, "urn:QORControl");
    }
}

TEST(FakeServiceXml, XmlEscapeCoversTheFiveSpecialCharacters)
{
    EXPECT_EQ(xml_escape("a<b>c&d\"e'f"), "a&lt;b&gt;c&amp;d&quot;e&apos;f");
    EXPECT_EQ(xml_escape(""), "");
    EXPECT_EQ(xml_escape("plain \xC3\xA4"), "plain \xC3\xA4");
}

TEST(FakeServiceXml, FirstBodyElementFindsTheRequestElement)
{
    struct Case
    {
        const char* name;
        std::string xml;
        const char* local;
        const char* qname;
        const char* ns;
    };
    const Case cases[] = {
        {"prefixed", envelope("<QORControl:GetProcessList/>"), "GetProcessList",
         "QORControl:GetProcessList", "urn:QORControl"},
        {"other prefix, declared on the element",
         "<e:Envelope xmlns:e=\"x\"><e:Body><ns1:Start "
         "xmlns:ns1=\"urn:QORControl\"><runlevel>1</runlevel>"
         "</ns1:Start></e:Body></e:Envelope>",
         "Start", "ns1:Start", "urn:QORControl"},
        {"default namespace",
         "<Envelope xmlns=\"urn:e\"><Body><Stop><softtimeout>3</softtimeout></Stop></Body>"
         "</Envelope>",
         "Stop", "Stop", "urn:e"},
        {"header, comments and processing instructions first",
         "<?xml version=\"1.0\"?><!-- c --><S:Envelope xmlns:S=\"u\" "
         "xmlns:q=\"urn:QORControl\"><S:Header>"
         "<q:Auth a=\"1>2\"/><S:Body><q:Decoy/></S:Body></S:Header><!-- <S:Body><q:No/></S:Body> "
         "-->"
         "<S:Body><![CDATA[<q:No/>]]><q:ReadSnapshot><filename>a</filename></q:ReadSnapshot></"
         "S:Body>"
         "</S:Envelope>",
         "ReadSnapshot", "q:ReadSnapshot", "urn:QORControl"},
        {"unbound prefix", "<E><Body><zz:Start/></Body></E>", "Start", "zz:Start", ""},
        {"empty body", envelope(""), "", "", ""},
        {"self-closing body", "<E><Body/><Start/></E>", "", "", ""},
        {"no body", "<E><Header><Start/></Header></E>", "", "", ""},
        {"truncated", "<E><Body><QORControl:Sta", "", "", ""},
        {"not xml", "GET / HTTP/1.1", "", "", ""},
        {"empty", "", "", "", ""},
    };
    for (const Case& tc : cases) {
        SCOPED_TRACE(tc.name);
        BodyElement e = first_body_element(tc.xml);
        EXPECT_EQ(e.local, tc.local);
        EXPECT_EQ(e.qname, tc.qname);
        EXPECT_EQ(e.ns, tc.ns);
    }
}

std::string bytes(std::initializer_list<int> values)
{
    std::string out;
    for (int v : values)
        out += static_cast<char>(v);
    return out;
}

TEST(FakeServiceDime, SingleRecordLayout)
{
    DimeRecord rec{"id1", "application/x", "ABCDE", false, false};
    std::string msg = dime_message({rec});
    // version 1, message begin and end; media type; lengths; padded fields.
    std::string expected = bytes({0x0E, 0x10, 0, 0, 0, 3, 0, 13, 0, 0, 0, 5}) + "id1" + bytes({0}) +
                           "application/x" + bytes({0, 0, 0}) + "ABCDE" + bytes({0, 0, 0});
    EXPECT_EQ(msg, expected);
    EXPECT_EQ(msg.size() % 4, 0u);
}

TEST(FakeServiceDime, FlagsAndTypeFormatsAcrossRecords)
{
    std::vector<DimeRecord> recs = {
        dime_envelope_record("<env/>"),
        {"snap", "application/zip", "12", false, true}, // first chunk
        {"", "", "345", false, false},                  // last chunk: type unchanged
        {"", "", "", false, false},                     // no type at all
    };
    std::string msg = dime_message(recs);
    struct Expect
    {
        unsigned char flags, type_format;
        std::size_t id_len, type_len, data_len;
    };
    const Expect expected[] = {
        {0x0C, 0x20, 0, std::string(kSoap11EnvNs).size(), 6},
        {0x09, 0x10, 4, 15, 2},
        {0x08, 0x00, 0, 0, 3},
        {0x0A, 0x40, 0, 0, 0},
    };
    auto pad = [](std::size_t n) { return (n + 3) / 4 * 4; };
    std::size_t pos = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        ASSERT_LE(pos + 12, msg.size());
        auto u = [&](std::size_t k) { return static_cast<unsigned char>(msg[pos + k]); };
        EXPECT_EQ(u(0), expected[i].flags);
        EXPECT_EQ(u(1), expected[i].type_format);
        EXPECT_EQ((u(4) << 8) | u(5), expected[i].id_len);
        EXPECT_EQ((u(6) << 8) | u(7), expected[i].type_len);
        std::size_t data_len = (std::size_t{u(8)} << 24) | (u(9) << 16) | (u(10) << 8) | u(11);
        EXPECT_EQ(data_len, expected[i].data_len);
        pos += 12 + pad(expected[i].id_len) + pad(expected[i].type_len);
        EXPECT_EQ(msg.substr(pos, data_len), recs[i].data);
        pos += pad(data_len);
    }
    EXPECT_EQ(pos, msg.size());
}

TEST(FakeServiceDime, OverlongFieldsAreRejected)
{
    EXPECT_THROW(dime_message({{std::string(70000, 'i'), "t", "", false, false}}),
                 std::length_error);
    EXPECT_THROW(dime_message({{"", std::string(65536, 't'), "", false, false}}),
                 std::length_error);
    EXPECT_NO_THROW(dime_message({{std::string(65535, 'i'), "", "", false, false}}));
    EXPECT_EQ(dime_message({}), "");
    Reply r = Reply::dime({dime_envelope_record("<e/>")});
    EXPECT_EQ(r.content_type, "application/dime");
    EXPECT_EQ(r.status, 200);
}

} // namespace
} // namespace qortest
