// Fetching a snapshot: inline base64 and DIME attachments of every length,
// and the replies that must fail the call instead of handing over no data.
#include <string>
#include <vector>

#include "service/service_call_support.h"

namespace {

using calltest::ServiceCall;
using calltest::Text;
using qortest::DimeRecord;
using qortest::Reply;

// Bytes 0, 1, 2, ... of the given length (all byte values, zeros included).
std::string Content(std::size_t length)
{
    std::string bytes(length, '\0');
    for (std::size_t i = 0; i < length; ++i)
        bytes[i] = static_cast<char>((i * 7 + 3) & 0xff);
    return bytes;
}

// Standard base64 with padding, written here so the test does not trust the
// runtime it checks.
std::string Base64(const std::string& bytes)
{
    static const char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const unsigned v = (static_cast<unsigned char>(bytes[i]) << 16) |
                           (static_cast<unsigned char>(bytes[i + 1]) << 8) |
                           static_cast<unsigned char>(bytes[i + 2]);
        out += {kAlphabet[v >> 18], kAlphabet[(v >> 12) & 63], kAlphabet[(v >> 6) & 63],
                kAlphabet[v & 63]};
    }
    if (bytes.size() - i == 1) {
        const unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
        out += {kAlphabet[v >> 18], kAlphabet[(v >> 12) & 63], '=', '='};
    } else if (bytes.size() - i == 2) {
        const unsigned v = (static_cast<unsigned char>(bytes[i]) << 16) |
                           (static_cast<unsigned char>(bytes[i + 1]) << 8);
        out += {kAlphabet[v >> 18], kAlphabet[(v >> 12) & 63], kAlphabet[(v >> 6) & 63], '='};
    }
    return out;
}

std::string SnapshotResponse(const std::string& snapshot_element)
{
    return "<QORControl:ReadSnapshotResponse>" + snapshot_element +
           "</QORControl:ReadSnapshotResponse>";
}

std::string Received(const QORControl__SnapshotZip& zip)
{
    if (!zip.__ptr)
        return {};
    return std::string(reinterpret_cast<const char*>(zip.__ptr),
                       static_cast<std::size_t>(zip.__size));
}

class SnapshotLength : public ServiceCall, public ::testing::WithParamInterface<std::size_t>
{
};

TEST_P(SnapshotLength, InlineBase64)
{
    const std::string content = Content(GetParam());
    // Line breaks inside the text, as some services write them, are no data.
    std::string text = Base64(content);
    for (std::size_t at = 76; at < text.size(); at += 77)
        text.insert(at, "\n");
    service().script("ReadSnapshot",
                     Reply::ok(SnapshotResponse("<snapshot>" + text + "</snapshot>")));
    QORControl__SnapshotZip zip;
    ASSERT_EQ(SOAP_OK,
              soap_call_QORControl__ReadSnapshot(ctx(), endpoint(), "", Text("s.zip"), zip))
        << FaultString();
    EXPECT_EQ(static_cast<int>(content.size()), zip.__size);
    EXPECT_EQ(content, Received(zip));
}

TEST_P(SnapshotLength, DimeAttachment)
{
    const std::string content = Content(GetParam());
    const std::string envelope =
        qortest::envelope(SnapshotResponse("<snapshot href=\"cid:snapshot-1\"/>"));
    service().script("ReadSnapshot",
                     Reply::dime({qortest::dime_envelope_record(envelope),
                                  DimeRecord{"cid:snapshot-1", "application/zip", content}}));
    QORControl__SnapshotZip zip;
    ASSERT_EQ(SOAP_OK,
              soap_call_QORControl__ReadSnapshot(ctx(), endpoint(), "", Text("s.zip"), zip))
        << FaultString();
    EXPECT_EQ(static_cast<int>(content.size()), zip.__size);
    EXPECT_EQ(content, Received(zip));
}

// Lengths around the multiples of 4 (base64 groups and DIME padding).
INSTANTIATE_TEST_SUITE_P(Lengths, SnapshotLength,
                         ::testing::Values(1u, 2u, 3u, 4u, 5u, 6u, 7u, 1021u, 65537u));

// The snapshot element is read as base64 whatever xsi:type it declares; the
// element that its href names must declare the class's type, base64Binary
// or base64, or none.
TEST_F(ServiceCall, SnapshotTypeCountsOnlyWhereAnHrefLeads)
{
    const struct
    {
        const char* label;
        std::string elements; // the response's content and what follows it
        int error;
    } cases[] = {
        {"typed as text", SnapshotResponse("<snapshot xsi:type=\"xsd:string\">aGk=</snapshot>"),
         SOAP_OK},
        {"of another type", SnapshotResponse("<snapshot xsi:type=\"xsd:int\">aGk=</snapshot>"),
         SOAP_OK},
        {"named, of the base64 type",
         SnapshotResponse("<snapshot href=\"#s\" xsi:type=\"xsd:int\"/>") +
             "<x id=\"s\" xsi:type=\"xsd:base64Binary\">aGk=</x>",
         SOAP_OK},
        {"named, typed as text",
         SnapshotResponse("<snapshot href=\"#s\"/>") +
             "<x id=\"s\" xsi:type=\"xsd:string\">aGk=</x>",
         SOAP_TYPE},
    };
    for (const auto& c : cases) {
        service().set_default(Reply::ok(c.elements));
        QORControl__SnapshotZip zip;
        ASSERT_EQ(c.error,
                  soap_call_QORControl__ReadSnapshot(ctx(), endpoint(), "", Text("s.zip"), zip))
            << c.label << ": " << FaultString();
        if (c.error == SOAP_OK) {
            EXPECT_EQ("hi", Received(zip)) << c.label;
        }
        Release();
    }
}

TEST_F(ServiceCall, LargeDimeAttachment)
{
    // Snapshots are archives of log files and easily exceed the runtime's
    // default limit for attachment data (8 MB).
    const std::string content = Content(9 * 1024 * 1024 + 3);
    const std::string envelope =
        qortest::envelope(SnapshotResponse("<snapshot href=\"cid:big\"/>"));
    service().script("ReadSnapshot",
                     Reply::dime({qortest::dime_envelope_record(envelope),
                                  DimeRecord{"cid:big", "application/zip", content}}));
    QORControl__SnapshotZip zip;
    ASSERT_EQ(SOAP_OK,
              soap_call_QORControl__ReadSnapshot(ctx(), endpoint(), "", Text("s.zip"), zip))
        << FaultString();
    EXPECT_EQ(static_cast<int>(content.size()), zip.__size);
    EXPECT_TRUE(content == Received(zip));
}

TEST_F(ServiceCall, DimeAttachmentIsFoundByItsIdAmongOthers)
{
    const std::string envelope =
        qortest::envelope(SnapshotResponse("<snapshot href=\"cid:second\"/>"));
    service().script("ReadSnapshot",
                     Reply::dime({qortest::dime_envelope_record(envelope),
                                  DimeRecord{"cid:first", "application/octet-stream", "abc"},
                                  DimeRecord{"cid:second", "application/zip", Content(10)}}));
    QORControl__SnapshotZip zip;
    ASSERT_EQ(SOAP_OK,
              soap_call_QORControl__ReadSnapshot(ctx(), endpoint(), "", Text("s.zip"), zip))
        << FaultString();
    EXPECT_EQ(Content(10), Received(zip));
}

TEST_F(ServiceCall, ChunkedDimeAttachmentIsJoined)
{
    const std::string envelope = qortest::envelope(SnapshotResponse("<snapshot href=\"cid:s\"/>"));
    const std::string content = Content(23);
    DimeRecord first{"cid:s", "application/zip", content.substr(0, 9)};
    first.chunked = true;
    DimeRecord rest{"", "", content.substr(9)};
    service().script("ReadSnapshot",
                     Reply::dime({qortest::dime_envelope_record(envelope), first, rest}));
    QORControl__SnapshotZip zip;
    ASSERT_EQ(SOAP_OK,
              soap_call_QORControl__ReadSnapshot(ctx(), endpoint(), "", Text("s.zip"), zip))
        << FaultString();
    EXPECT_EQ(content, Received(zip));
}

struct MissingCase
{
    const char* name;
    std::vector<DimeRecord> attachments; // after the envelope record
};

void PrintTo(const MissingCase& c, std::ostream* os)
{
    *os << c.name;
}

class MissingAttachment : public ServiceCall, public ::testing::WithParamInterface<MissingCase>
{
};

TEST_P(MissingAttachment, FailsTheCallAndHandsOverNoData)
{
    const std::string envelope =
        qortest::envelope(SnapshotResponse("<snapshot href=\"cid:wanted\"/>"));
    std::vector<DimeRecord> records{qortest::dime_envelope_record(envelope)};
    for (const auto& r : GetParam().attachments)
        records.push_back(r);
    service().script("ReadSnapshot", Reply::dime(records));
    QORControl__SnapshotZip zip;
    EXPECT_NE(SOAP_OK,
              soap_call_QORControl__ReadSnapshot(ctx(), endpoint(), "", Text("s.zip"), zip));
    EXPECT_EQ(nullptr, zip.__ptr);
    EXPECT_EQ(0, zip.__size);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, MissingAttachment,
    ::testing::Values(
        MissingCase{"NoAttachmentAtAll", {}},
        MissingCase{"OtherIdOnly", {DimeRecord{"cid:other", "application/zip", "data"}}},
        MissingCase{"SimilarId", {DimeRecord{"cid:wanted2", "application/zip", "data"}}}),
    [](const ::testing::TestParamInfo<MissingCase>& param) {
        return std::string(param.param.name);
    });

TEST_F(ServiceCall, AttachmentLongerThanItsDataFailsTheCall)
{
    // The attachment record claims far more bytes than follow: the declared
    // length does not fit the snapshot's size, and the data is not there.
    const std::string envelope =
        qortest::envelope(SnapshotResponse("<snapshot href=\"cid:big\"/>"));
    const auto head = qortest::dime_message({qortest::dime_envelope_record(envelope)});
    std::string message = qortest::dime_message({qortest::dime_envelope_record(envelope),
                                                 DimeRecord{"cid:big", "application/zip", "abcd"}});
    // Data length field (bytes 8 to 11, big-endian) of the second record.
    const std::size_t length_field = head.size() + 8;
    ASSERT_LT(length_field + 4, message.size());
    message[length_field] = '\xff';
    message[length_field + 1] = '\xff';
    message[length_field + 2] = '\xff';
    message[length_field + 3] = '\xf0';
    service().script("ReadSnapshot", Reply::http(200, message, "application/dime").closing());
    QORControl__SnapshotZip zip;
    EXPECT_NE(SOAP_OK,
              soap_call_QORControl__ReadSnapshot(ctx(), endpoint(), "", Text("s.zip"), zip));
    EXPECT_EQ(nullptr, zip.__ptr);
    EXPECT_EQ(0, zip.__size);
}

TEST_F(ServiceCall, SnapshotWithoutItsElementIsEmpty)
{
    service().script("ReadSnapshot", Reply::ok(SnapshotResponse("")));
    QORControl__SnapshotZip zip;
    ASSERT_EQ(SOAP_OK,
              soap_call_QORControl__ReadSnapshot(ctx(), endpoint(), "", Text("s.zip"), zip));
    EXPECT_EQ(nullptr, zip.__ptr);
    EXPECT_EQ(0, zip.__size);
}

} // namespace
