// Replies whose HTTP framing is wrong or hostile, over every transport that
// carries HTTP itself: each fails the call or costs no more than one reply.

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "client/snapshot_reply.h"
#include "soap_client.h"
#include "sssl/sssl.h"
#include "target.h"
#include "test_pki.h"
#include "transport/plugin_data.h"

namespace {

using qortest::Reply;

std::string head(int status, size_t length)
{
    return "HTTP/1.1 " + std::to_string(status) +
           " Reason\r\nContent-Type: text/xml; charset=utf-8\r\nContent-Length: " +
           std::to_string(length) + "\r\n\r\n";
}

class Framing : public ::testing::TestWithParam<int>
{
  protected:
    void SetUp() override
    {
        if (GetParam() == NI_HTTPS || GetParam() == WINHTTPS) {
            ASSERT_TRUE(test_pki().ok) << test_pki().error;
        }
        if (GetParam() == NI_HTTPS) {
            ssl_ = std::make_unique<SslSetup>(test_pki().client_dir, SSSL_CRED_CLIENT);
            ASSERT_EQ(ssl_->rc(), SSSLRC_OK);
        }
    }

  private:
    std::unique_ptr<SslSetup> ssl_;
};

TEST_P(Framing, FailsTheCallOnAStatusOutsideTheHttpRange)
{
    const std::string body = qortest::envelope(process_list_xml({"GREEN"}));
    for (int status : {0, 99, 600, 999}) {
        Target target(GetParam());
        target.fake().script("GetProcessList", Reply::raw(head(status, body.size()) + body));
        SoapClient client(GetParam(), USE_CLIENT_CERT, false);
        int count = -1;
        EXPECT_EQ(client.get_process_list(target.endpoint(), &count), SOAP_HTTP_ERROR) << status;
        EXPECT_EQ(count, -1);
        EXPECT_NE(client.fault().find("HTTP status " + std::to_string(status) + " is outside"),
                  std::string::npos)
            << status << ": " << client.fault();
    }
}

// The announced length ends the envelope early; the bytes after it would
// complete it. However they are cut into segments, they are never parsed.
TEST_P(Framing, NeverParsesBytesPastTheAnnouncedLength)
{
    const std::string body = qortest::envelope(process_list_xml({"GREEN", "GREEN"}));
    const size_t cut = body.size() - 30;
    const std::string framed = head(200, cut) + body.substr(0, cut);
    const std::string past = body.substr(cut);
    const std::vector<std::vector<std::string>> segmentations = {
        {framed + past},
        {head(200, cut), body.substr(0, cut) + past},
        {framed, past},
        {framed.substr(0, 20), framed.substr(20) + past.substr(0, 5), past.substr(5)},
    };
    for (size_t i = 0; i < segmentations.size(); ++i) {
        Target target(GetParam());
        target.fake().script("GetProcessList", Reply::raw_pieces(segmentations[i]));
        SoapClient client(GetParam(), USE_CLIENT_CERT, false);
        int count = -1;
        EXPECT_NE(client.get_process_list(target.endpoint(), &count), SOAP_OK) << i;
        EXPECT_EQ(count, -1) << i;
    }
}

// Interim replies before the real one are skipped, however many: the header
// bytes held at any time stay within one block's bound.
TEST_P(Framing, AFloodOfInterimRepliesCostsOneReply)
{
    const std::string body = qortest::envelope(process_list_xml({"GREEN", "RED", "GREEN"}));
    std::string flood;
    for (int i = 0; i < 100000; ++i)
        flood += i % 2 == 0
                     ? "HTTP/1.1 100 Continue\r\n\r\n"
                     : "HTTP/1.1 102 Processing\r\nX-Step: " + std::to_string(i) + "\r\n\r\n";
    ASSERT_GT(flood.size(), 40 * qortransport::ResponseFrame::kMaxHead);
    Target target(GetParam());
    target.fake().script("GetProcessList", Reply::raw(flood + head(200, body.size()) + body));
    SoapClient client(GetParam(), USE_CLIENT_CERT, false);
    int count = -1;
    ASSERT_EQ(client.get_process_list(target.endpoint(), &count), SOAP_OK) << client.fault();
    EXPECT_EQ(count, 3);
    const qortransport::PluginData* d = qortransport::plugin_data(client.ctx());
    ASSERT_NE(d, nullptr);
    EXPECT_LE(d->frame.peak_held(), qortransport::ResponseFrame::kMaxHead);
}

INSTANTIATE_TEST_SUITE_P(HttpTransports, Framing,
                         ::testing::Values(NI_HTTP, NI_HTTPS, PIPE, GSOAP_HTTP),
                         [](const ::testing::TestParamInfo<int>& p) {
                             return std::string(type_name(p.param));
                         });

class Streaming : public Framing
{
};

std::string chunk(const std::string& data)
{
    char size[16];
    std::snprintf(size, sizeof size, "%zx\r\n", data.size());
    return size + data + "\r\n";
}

// A reply without end, with or without chunks: every transport hands it to
// the parser as it comes, so the toolkit's bound on a message (here set to
// 1 MB) ends the call, and the service can write no more than the client
// takes (plus what the sockets buffer).
TEST_P(Streaming, AnEndlessReplyEndsAtTheToolkitsBound)
{
    const std::string env = qortest::envelope("<QORControl:GetProcessListResponse><process>");
    const std::string open = env.substr(0, env.find("</SOAP-ENV:Body>"));
    // Text members only: wherever the bound cuts an item, what is left can
    // fail no check of its own that would hide the bound's fault.
    const std::string item = "<item><name>qorwp</name><description>idle</description></item>";
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Type: text/xml; charset=utf-8\r\n";
    for (bool chunked : {false, true}) {
        auto sent = std::make_shared<std::atomic<std::size_t>>(0);
        {
            Target target(GetParam());
            target.fake().script(
                "GetProcessList",
                chunked ? Reply::endless(head + "Transfer-Encoding: chunked\r\n\r\n" + chunk(open),
                                         chunk(item), sent)
                        : Reply::endless(head + "\r\n" + open, item, sent));
            SoapClient client(GetParam(), USE_CLIENT_CERT, false);
            client.ctx()->recv_maxlength = 1 << 20;
            int count = -1;
            EXPECT_NE(client.get_process_list(target.endpoint(), &count), SOAP_OK) << chunked;
            EXPECT_NE(client.fault().find("max message length exceeded"), std::string::npos)
                << chunked << ": " << client.fault();
        }
        EXPECT_GT(sent->load(), 1u << 20) << chunked;
        EXPECT_LT(sent->load(), 32u << 20) << chunked;
    }
}

// A reply whose first element is wrong while its connection stays open: the
// call fails from what came, never from waiting for the rest.
TEST_P(Streaming, AReplyIsParsedBeforeItEnds)
{
    Target target(GetParam());
    target.fake().script("GetProcessList",
                         Reply::raw("HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\n"
                                    "Content-Length: 100000\r\n\r\n"
                                    "<Foo xmlns=\"urn:qor:other\"><Bar>text</Bar></Foo>")
                             .holding());
    SoapClient client(GetParam(), USE_CLIENT_CERT, false);
    client.ctx()->recv_timeout = 20;
    EXPECT_EQ(client.get_process_list(target.endpoint()), SOAP_TAG_MISMATCH) << client.fault();
    EXPECT_NE(client.fault().find("'Foo'"), std::string::npos) << client.fault();
}

// A reply that would take the parser time with the square of its size is
// refused before its excess is parsed, on every transport, as plain XML, in
// a DIME or MIME message, with its length, with chunks or up to the close,
// also while the service holds the connection open after it; one at the
// bound is read.
TEST_P(Streaming, AReplyOverAShapeBoundFails)
{
    const auto items = [](std::size_t n) {
        std::string xml = "<QORControl:GetProcessListResponse><process>";
        for (std::size_t i = 0; i < n; ++i)
            xml += "<item id=\"p" + std::to_string(i) + "\"><pid>1</pid></item>";
        return qortest::envelope(xml + "</process></QORControl:GetProcessListResponse>");
    };
    // An attachment that looks like XML with many attribute names.
    std::string zip = "PK\x03\x04<z";
    for (int i = 0; i < 300; ++i)
        zip += " z" + std::to_string(i) + "=''";
    const auto dime = [zip](const std::string& xml) {
        return qortest::dime_message({qortest::dime_envelope_record(xml),
                                      qortest::DimeRecord{"cid:z", "application/zip", zip}});
    };
    const struct
    {
        const char* name;
        std::string content_type;
        std::function<std::string(const std::string&)> body;
        bool readable; // at the bound
    } layouts[] = {
        {"XML", "text/xml; charset=utf-8", [](const std::string& xml) { return xml; }, true},
        {"XML with DIME in a parameter", "text/xml; profile=\"application/dime\"",
         [](const std::string& xml) { return xml; }, true},
        {"DIME", "application/dime", dime, true},
        // The toolkit reads the envelope to its end, then fails on the length.
        {"DIME with a short envelope record", "application/dime",
         [dime](const std::string& xml) { return dime(xml).replace(8, 4, "\0\0\0\x28", 4); },
         false},
        {"MIME", "multipart/related; boundary=b; start=\"<root>\"",
         [zip](const std::string& xml) {
             return "--b\r\nContent-Type: text/xml\r\nContent-ID: <root>\r\n\r\n" + xml +
                    "\r\n--b\r\nContent-Type: application/zip\r\n\r\n" + zip + "\r\n--b--\r\n";
         },
         true},
    };
    const std::size_t bound = qortransport::XmlShape::kMaxReferences;
    for (const auto& layout : layouts) {
        for (const char* framing : {"length", "chunks", "close", "held open"}) {
            for (std::size_t n : {bound, bound + 1}) {
                if (n == bound && (!layout.readable || std::string(framing) == "held open"))
                    continue;
                const std::string body = layout.body(items(n));
                Reply reply = Reply::http(200, body, layout.content_type);
                if (std::string(framing) == "chunks")
                    reply.as_chunked();
                if (std::string(framing) == "close")
                    reply = Reply::raw("HTTP/1.1 200 OK\r\nContent-Type: " + layout.content_type +
                                       "\r\nConnection: close\r\n\r\n" + body);
                // The header and the excess come in one read, and more is
                // announced than ever comes.
                if (std::string(framing) == "held open")
                    reply = Reply::raw("HTTP/1.1 200 OK\r\nContent-Type: " + layout.content_type +
                                       "\r\nContent-Length: " + std::to_string(2 * body.size()) +
                                       "\r\n\r\n" + body)
                                .holding();
                const std::string label =
                    std::string(layout.name) + ", " + framing + ", " + std::to_string(n);
                Target target(GetParam());
                target.fake().script("GetProcessList", reply);
                SoapClient client(GetParam(), USE_CLIENT_CERT, false);
                int count = -1;
                const int rc = client.get_process_list(target.endpoint(), &count);
                if (n == bound) {
                    EXPECT_EQ(rc, SOAP_OK) << label << ": " << client.fault();
                    EXPECT_EQ(count, static_cast<int>(n)) << label;
                } else {
                    // The code is whatever the parser makes of its input's end.
                    EXPECT_NE(rc, SOAP_OK) << label;
                    EXPECT_EQ(client.fault(),
                              "more than 1000 id, href and ref attributes, XML reply refused")
                        << label;
                }
            }
        }
    }
}

// Where the toolkit ends the envelope before the point at which the bounds
// refuse a reply (passing over <u>, it takes "/>" in text for the end of
// <v>), the reply is read, on every transport, whether it comes in one piece
// or in several.
TEST_P(Streaming, WhatLiesPastARefusalDependsOnNoSegment)
{
    std::string names = "<x";
    for (int i = 0; i < 300; ++i)
        names += " a" + std::to_string(i) + "=''";
    std::string xml = qortest::envelope(process_list_xml({"GREEN", "GREEN"}));
    xml.insert(xml.find("</QORControl:GetProcessListResponse>"), "<u><v>a/></v>");
    const std::string body = xml + names + "/></u></SOAP-ENV:Body></SOAP-ENV:Envelope>";
    const std::string reply = head(200, body.size()) + body;
    const std::size_t end = reply.find("</SOAP-ENV:Envelope>") + 20; // the toolkit's end
    const std::vector<std::vector<std::string>> segmentations = {
        {reply},
        {reply.substr(0, end), reply.substr(end)},
        {reply.substr(0, end - 300), reply.substr(end - 300, 320), reply.substr(end + 20)},
    };
    for (std::size_t i = 0; i < segmentations.size(); ++i) {
        Target target(GetParam());
        target.fake().script("GetProcessList", Reply::raw_pieces(segmentations[i]));
        SoapClient client(GetParam(), USE_CLIENT_CERT, false);
        int count = -1;
        EXPECT_EQ(client.get_process_list(target.endpoint(), &count), SOAP_OK)
            << i << ": " << client.fault();
        EXPECT_EQ(count, 2) << i;
    }
}

// The fields of a chunked reply's trailer are no header fields: whatever they
// say of the reply, it is read as its header describes it, in one piece or
// in small ones, the trailer's lines split anywhere.
TEST_P(Streaming, TrailerFieldsChangeNoResult)
{
    const std::string body = qortest::envelope(process_list_xml({"GREEN", "RED"}));
    const std::string chunks = "HTTP/1.1 200 OK\r\nContent-Type: text/xml; charset=utf-8\r\n"
                               "Transfer-Encoding: chunked\r\n\r\n" +
                               chunk(body.substr(0, 300)) + chunk(body.substr(300)) + "0\r\n";
    const char* trailers[] = {
        "Content-Type: application/dime\r\n",
        "Content-Type: multipart/related; boundary=b; start=\"<none>\"\r\n",
        "content-type: text/plain\r\nX-Checksum: 1\r\nContent-Type: application/dime\r\n",
        "Content-Length: 12\r\nTransfer-Encoding: identity\r\n",
        "HTTP/1.1 999 Not A Status\r\nContent-Type: application/dime\r\n",
    };
    const auto cut = [](const std::string& bytes, std::size_t step) {
        std::vector<std::string> pieces;
        for (std::size_t at = 0; at < bytes.size(); at += step)
            pieces.push_back(bytes.substr(at, step));
        return pieces;
    };
    for (const char* trailer : trailers) {
        const std::string tail = trailer + std::string("\r\n");
        std::vector<std::string> trailer_in_bits = cut(tail, 3);
        trailer_in_bits.insert(trailer_in_bits.begin(), chunks);
        const std::vector<std::vector<std::string>> segmentations = {
            {chunks + tail}, trailer_in_bits, cut(chunks + tail, 128)};
        for (std::size_t i = 0; i < segmentations.size(); ++i) {
            Target target(GetParam());
            target.fake().script("GetProcessList", Reply::raw_pieces(segmentations[i]));
            SoapClient client(GetParam(), USE_CLIENT_CERT, false);
            int count = -1;
            EXPECT_EQ(client.get_process_list(target.endpoint(), &count), SOAP_OK)
                << trailer << i << ": " << client.fault();
            EXPECT_EQ(count, 2) << trailer << i;
        }
    }
}

// A reply's transfer codings and chunk sizes give one result on every
// transport, the toolkit's: the body is read in chunks when the last
// Transfer-Encoding field (its name and value compared as the toolkit
// compares them, the lines that continue it joined) says "chunked" alone,
// else as it came; of a chunk size the first 16 hex digits count, after any
// bytes that are none, up to the line feed, and one above 0x7FFFFFFF fails
// the read. What the toolkit cannot read fails with the reply's status.
TEST_P(Streaming, TransferCodingsAndChunkSizesGiveOneResult)
{
    const std::string body = qortest::envelope(process_list_xml({"GREEN", "RED"}));
    const std::string first = body.substr(0, 300), rest = body.substr(300);
    const auto sized = [](const std::string& size, const std::string& data) {
        return size + "\r\n" + data + "\r\n";
    };
    const std::string chunks = chunk(first) + chunk(rest) + "0\r\n\r\n";
    const std::string but_last = chunk(first) + chunk(rest);
    const std::string then_rest = chunk(rest) + "0\r\n\r\n";
    const std::string length = "Content-Length: " + std::to_string(body.size()) + "\r\n";
    const std::string coding = "Transfer-Encoding: ";
    const struct
    {
        std::string fields; // after Content-Type
        std::string body;
        bool read;
    } rows[] = {
        {coding + "chunked\r\n", chunks, true},
        {coding + "CHUNKED\r\n", chunks, true},
        {coding + " \"chunked\" \t\r\n", chunks, true},
        {coding + "\"chunked\r\n", chunks, false},
        {coding + "gzip, chunked\r\n", chunks, false},
        {coding + "chunked, gzip\r\n", chunks, false},
        {coding + "chunked;q=1\r\n", chunks, false},
        {coding + "identity\r\n", chunks, false},
        {coding + "x-unknown\r\n", chunks, false},
        {coding + "\r\n", chunks, false},
        {coding + "chunked\r\n" + coding + "identity\r\n", chunks, false},
        {coding + "gzip\r\n" + coding + "chunked\r\n", chunks, true},
        {coding + "gzip,\r\n chunked\r\n", chunks, false},
        {coding + "\r\n chunked\r\n", chunks, true},
        {"Transfer_Encoding: chunked\r\n", chunks, true},
        {"Transfer-Encoding : chunked\r\n", chunks, false},
        {coding + "identity\r\n" + length, body, true},
        {coding + "x-unknown\r\n" + length, body, true},
        {coding + "gzip\r\n" + length, body, true},
        // Sizes of 15, 16 and 17 digits: of the last, 16 are read.
        {coding + "chunked\r\n", sized(std::string(12, '0') + "12c", first) + then_rest, true},
        {coding + "chunked\r\n", sized(std::string(13, '0') + "12c", first) + then_rest, true},
        {coding + "chunked\r\n", sized(std::string(14, '0') + "12c", first) + then_rest, false},
        {coding + "chunked\r\n", sized(std::string(17, '0') + "12c", first) + then_rest, false},
        {coding + "chunked\r\n", but_last + std::string(16, '0') + "\r\n\r\n", true},
        {coding + "chunked\r\n", but_last + std::string(17, '0') + "\r\n\r\n", true},
        {coding + "chunked\r\n", chunk(first) + sized(std::string(18, '0'), rest), false},
        {coding + "chunked\r\n", sized("12C", first) + then_rest, true},
        {coding + "chunked\r\n", sized("12c;a=b", first) + then_rest, true},
        {coding + "chunked\r\n", sized("12c \t", first) + then_rest, true},
        {coding + "chunked\r\n", sized(" 12c", first) + then_rest, true},
        // The largest size, and sizes above it, followed by the rest of the
        // envelope.
        {coding + "chunked\r\n", chunk(first) + sized("7fffffff", rest) + "0\r\n\r\n", true},
        {coding + "chunked\r\n", chunk(first) + sized("80000000", rest) + "0\r\n\r\n", false},
        {coding + "chunked\r\n", chunk(first) + sized("0000000080000000", rest), false},
        {coding + "chunked\r\n", chunk(first) + sized("ffffffffffffffff", rest), false},
    };
    for (const auto& row : rows) {
        Target target(GetParam());
        target.fake().script("GetProcessList",
                             Reply::raw("HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\n" +
                                        row.fields + "\r\n" + row.body));
        SoapClient client(GetParam(), USE_CLIENT_CERT, false);
        int count = -1;
        const int rc = client.get_process_list(target.endpoint(), &count);
        const std::string label = row.fields + row.body.substr(0, 24);
        EXPECT_EQ(rc, row.read ? SOAP_OK : 200) << label << ": " << client.fault();
        EXPECT_EQ(count, row.read ? 2 : -1) << label;
        if (!row.read) {
            EXPECT_EQ(client.fault(), "Error 200: HTTP 200 OK") << label;
        }
    }
}

// Where the toolkit ends the envelope before the point at which the bounds
// refuse the reply, it reads the rest of a chunked body after it and meets
// that point: the call is read, and the next one goes out on a connection
// of its own, as the rest of the reply (here held by the service until the
// client closes; WinHTTP's connections are the stand-in's, which keeps one
// whose reply its library took in to the end, as it takes in this one) was
// never read.
TEST_P(Streaming, NoConnectionIsUsedAgainAfterARefusal)
{
    std::string names = "<x";
    for (int i = 0; i < 300; ++i)
        names += " a" + std::to_string(i) + "=''";
    std::string xml = qortest::envelope(process_list_xml({"GREEN", "GREEN"}));
    xml.insert(xml.find("</QORControl:GetProcessListResponse>"), "<u><v>a/></v>");
    const std::string raw =
        "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nTransfer-Encoding: chunked\r\n\r\n" +
        chunk(xml + names + "/></u></SOAP-ENV:Body></SOAP-ENV:Envelope>") + "0\r\n\r\n";
    const std::size_t split = raw.find(" a280=");
    Reply first = Reply::raw_pieces({raw.substr(0, split), raw.substr(split)});
    if (GetParam() != WINHTTP && GetParam() != WINHTTPS)
        first.holding();
    Target target(GetParam());
    target.fake().script("GetProcessList", {first, Reply::ok(process_list_xml({"RED"}))});
    SoapClient client(GetParam(), USE_CLIENT_CERT, false);
    int count = -1;
    EXPECT_EQ(client.get_process_list(target.endpoint(), &count), SOAP_OK) << client.fault();
    EXPECT_EQ(count, 2);
    EXPECT_EQ(client.get_process_list(target.endpoint(), &count), SOAP_OK) << client.fault();
    EXPECT_EQ(count, 1);
    if (GetParam() != WINHTTP && GetParam() != WINHTTPS) {
        EXPECT_EQ(target.fake().connections_accepted(), 2u);
    }
}

// The rest of a body after the envelope, which the toolkit never reads, costs
// no wait however slowly it comes: here 1500 bytes, one every 20 ms at most
// (30 s in all), after a complete envelope (the connection is then unfit for
// the next call). When the call has returned, the service has written less
// than a tenth of them: its progress, which slows with the client's under
// load, stands for the time the call took.
TEST_P(Streaming, ASlowTailAfterTheEnvelopeCostsNoWait)
{
    const std::string body = qortest::envelope(process_list_xml({"GREEN", "RED"}));
    const size_t tail = 1500;
    std::vector<std::string> pieces = {
        "HTTP/1.1 200 OK\r\nContent-Type: text/xml; charset=utf-8\r\nContent-Length: " +
        std::to_string(body.size() + tail) + "\r\n\r\n" + body};
    const size_t envelope_end = pieces[0].size();
    pieces.resize(1 + tail, " ");
    Reply reply = Reply::raw_pieces(pieces);
    reply.sent = std::make_shared<std::atomic<std::size_t>>(0);
    Target target(GetParam());
    target.fake().script("GetProcessList", reply);
    SoapClient client(GetParam(), USE_CLIENT_CERT, false);
    int count = -1;
    EXPECT_EQ(client.get_process_list(target.endpoint(), &count), SOAP_OK) << client.fault();
    EXPECT_EQ(count, 2);
    EXPECT_LT(reply.sent->load(), envelope_end + tail / 10)
        << "the call waited for " << reply.sent->load() - envelope_end << " bytes of the tail";
}

// What the toolkit never reads of a reply (the rest of an announced length,
// the trailer after the last chunk, what follows a message's attachments)
// costs no wait, whether it never comes while the service holds the
// connection open or comes a byte at a time; and that connection, whose
// reply had not ended when the call did, carries no later call: the next one
// gets its own reply (the service answers no more on the old one). A wait
// for the rest would last the receive time-out, here 30 s.
TEST_P(Streaming, WhatFollowsTheReadPartOfAReplyCostsNoWait)
{
    const std::string body = qortest::envelope(process_list_xml({"GREEN", "RED"}));
    const std::string ok = "HTTP/1.1 200 OK\r\n";
    const std::string xml = ok + "Content-Type: text/xml; charset=utf-8\r\n";
    const auto length = [](const std::string& bytes, size_t more) {
        return "Content-Length: " + std::to_string(bytes.size() + more) + "\r\n\r\n" + bytes;
    };
    const std::string chunks = "Transfer-Encoding: chunked\r\n\r\n" + chunk(body.substr(0, 300)) +
                               chunk(body.substr(300)) + "0\r\n";
    const std::string mime = "--b\r\nContent-Type: text/xml\r\nContent-ID: <root>\r\n\r\n" + body +
                             "\r\n--b\r\nContent-Type: application/zip\r\nContent-ID: "
                             "<s1>\r\n\r\nPK\r\n--b--\r\n";
    const std::string dime =
        qortest::dime_message({qortest::dime_envelope_record(body),
                               qortest::DimeRecord{"cid:s1", "application/zip", "PK"}});
    const std::vector<std::string> bytes(12, " ");
    const auto then = [](std::string first, std::vector<std::string> rest) {
        rest.insert(rest.begin(), std::move(first));
        return rest;
    };
    const struct
    {
        const char* name;
        std::vector<std::string> pieces;
    } rows[] = {
        {"a length, nothing after the envelope", {xml + length(body, 12)}},
        {"a length, part of the rest", {xml + length(body + "      ", 6)}},
        {"a length, the rest a byte at a time", then(xml + length(body, 12), bytes)},
        {"a length, part of the rest a byte at a time", then(xml + length(body, 24), bytes)},
        {"chunks, no trailer after the last", {xml + chunks}},
        {"chunks, a trailer without its end", {xml + chunks + "X-Checksum: 1\r\n"}},
        {"chunks, a trailer line cut", {xml + chunks + "X-Check"}},
        {"chunks, the trailer a byte at a time", then(xml + chunks + "X:", bytes)},
        {"MIME, a length, nothing after the last part",
         {ok + "Content-Type: multipart/related; boundary=b; start=\"<root>\"\r\n" +
          length(mime, 12)}},
        {"DIME, a length, nothing after the last record",
         {ok + "Content-Type: application/dime\r\n" + length(dime, 12)}},
    };
    for (const auto& row : rows) {
        Target target(GetParam());
        target.fake().script("GetProcessList", {Reply::raw_pieces(row.pieces).holding(),
                                                Reply::ok(process_list_xml({"RED"}))});
        SoapClient client(GetParam(), USE_CLIENT_CERT, false);
        client.ctx()->recv_timeout = 30;
        int count = -1;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(client.get_process_list(target.endpoint(), &count), SOAP_OK)
            << row.name << ": " << client.fault();
        EXPECT_EQ(count, 2) << row.name;
        const auto waited = std::chrono::steady_clock::now() - start;
        EXPECT_LT(waited, std::chrono::seconds(15))
            << row.name << ": "
            << std::chrono::duration_cast<std::chrono::milliseconds>(waited).count() << " ms";
        count = -1;
        EXPECT_EQ(client.get_process_list(target.endpoint(), &count), SOAP_OK)
            << row.name << ": " << client.fault();
        EXPECT_EQ(count, 1) << row.name;
    }
}

// A DIME snapshot is read whatever the reads and HTTP chunks it comes in:
// whole, split at each byte around its records' headers and the envelope's
// end (where more follows the split than came before it), with a record's
// header in a read of its own, and in HTTP chunks of 7 bytes; with its
// envelope in one record or in chunk records (that end inside a tag, and
// with every padding), and after an envelope that ends the message.
TEST_P(Streaming, ReadsADimeSnapshotHoweverItIsSplit)
{
    using qortest::DimeRecord;
    const std::string envelope =
        qortest::envelope("<QORControl:ReadSnapshotResponse><snapshot href=\"cid:s1\"/>"
                          "</QORControl:ReadSnapshotResponse>");
    std::string zip(20000, '\0');
    for (std::size_t i = 0; i < zip.size(); ++i)
        zip[i] = static_cast<char>(i * 13 % 251);
    const auto chunked = [](const std::string& xml, const std::vector<std::size_t>& ends) {
        std::vector<DimeRecord> records;
        std::size_t at = 0;
        for (std::size_t end : ends) {
            records.push_back(records.empty() ? qortest::dime_envelope_record(xml.substr(0, end))
                                              : DimeRecord{"", "", xml.substr(at, end - at)});
            records.back().chunked = true;
            at = end;
        }
        records.push_back(DimeRecord{"", "", xml.substr(at)});
        return records;
    };
    const std::size_t tag = envelope.find("<QORControl:") + 4;
    std::vector<DimeRecord> in_chunks = chunked(envelope, {tag, tag + 1, tag + 3, tag + 6});
    in_chunks.push_back(DimeRecord{"cid:s1", "application/zip", zip});
    const struct
    {
        const char* name;
        std::vector<DimeRecord> records;
        bool snapshot; // else a process list
    } layouts[] = {
        {"one record",
         {qortest::dime_envelope_record(envelope), DimeRecord{"cid:s1", "application/zip", zip}},
         true},
        {"chunks", in_chunks, true},
        {"chunks that end the message",
         chunked(qortest::envelope(process_list_xml({"GREEN", "RED"})), {7, 300, 301}), false},
    };
    // Each reply has a connection of its own.
    const std::string head =
        "HTTP/1.1 200 OK\r\nContent-Type: application/dime\r\nConnection: close\r\n";
    for (const auto& layout : layouts) {
        const std::string body = qortest::dime_message(layout.records);
        const std::string whole =
            head + "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
        std::vector<std::pair<std::string, Reply>> deliveries = {{"whole", Reply::raw(whole)}};
        std::string in_sevens = head + "Transfer-Encoding: chunked\r\n\r\n";
        for (std::size_t at = 0; at < body.size(); at += 7)
            in_sevens += chunk(body.substr(at, 7));
        deliveries.emplace_back("in chunks of 7", Reply::raw(in_sevens + "0\r\n\r\n"));
        std::size_t record = whole.size() - body.size();
        for (const DimeRecord& r : layout.records) {
            const std::size_t next = record + qortest::dime_message({r}).size();
            for (std::size_t split = record - 8; split <= record + 12; ++split)
                deliveries.emplace_back(
                    "split at " + std::to_string(split),
                    Reply::raw_pieces({whole.substr(0, split), whole.substr(split)}));
            // The header with its id and type fields.
            const std::size_t header = 12 + (r.id.size() + 3) / 4 * 4 + (r.type.size() + 3) / 4 * 4;
            deliveries.emplace_back(
                "the header at " + std::to_string(record) + " alone",
                Reply::raw_pieces({whole.substr(0, record), whole.substr(record, header),
                                   whole.substr(record + header)}));
            record = next;
        }
        Target target(GetParam());
        std::vector<Reply> replies;
        for (const auto& delivery : deliveries)
            replies.push_back(delivery.second);
        target.fake().script(layout.snapshot ? "ReadSnapshot" : "GetProcessList", replies);
        SoapClient client(GetParam(), USE_CLIENT_CERT, false);
        for (const auto& delivery : deliveries) {
            const std::string label = std::string(layout.name) + ", " + delivery.first;
            if (!layout.snapshot) {
                int count = -1;
                EXPECT_EQ(client.get_process_list(target.endpoint(), &count), SOAP_OK)
                    << label << ": " << client.fault();
                EXPECT_EQ(count, 2) << label;
                continue;
            }
            char name[] = "s.zip";
            SnapshotData data;
            EXPECT_EQ(call_read_snapshot(client.ctx(), target.endpoint().c_str(), "", name, &data),
                      SOAP_OK)
                << label << ": " << client.fault();
            EXPECT_TRUE(data.size == zip.size() &&
                        std::string(reinterpret_cast<const char*>(data.bytes), data.size) == zip)
                << label;
            soap_destroy(client.ctx());
            soap_end(client.ctx());
        }
    }
}

// The Content-Type reaches the toolkit whole at any length (WinHTTP's is
// asked for in a buffer of 256 characters, then in one as large as it needs).
TEST_P(Streaming, ReadsAContentTypeOfAnyLength)
{
    const std::string envelope =
        qortest::envelope("<QORControl:ReadSnapshotResponse><snapshot href=\"cid:s1\"/>"
                          "</QORControl:ReadSnapshotResponse>");
    const std::string body = "--b\r\nContent-Type: text/xml\r\nContent-ID: <root>\r\n\r\n" +
                             envelope +
                             "\r\n--b\r\nContent-Type: application/zip\r\nContent-ID: "
                             "<s1>\r\n\r\nPK\r\n--b--\r\n";
    const std::string type = "multipart/related; boundary=b; start=\"<root>\"; x=\"";
    std::vector<Reply> replies;
    const std::size_t lengths[] = {255, 256, 257, 511, 512, 513, 1500};
    for (std::size_t length : lengths)
        replies.push_back(
            Reply::http(200, body, type + std::string(length - type.size() - 1, 'x') + "\""));
    Target target(GetParam());
    target.fake().script("ReadSnapshot", replies);
    SoapClient client(GetParam(), USE_CLIENT_CERT, false);
    for (std::size_t length : lengths) {
        char name[] = "s.zip";
        SnapshotData data;
        EXPECT_EQ(call_read_snapshot(client.ctx(), target.endpoint().c_str(), "", name, &data),
                  SOAP_OK)
            << length << ": " << client.fault();
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(data.bytes), data.size), "PK")
            << length;
        soap_destroy(client.ctx());
        soap_end(client.ctx());
    }
}

INSTANTIATE_TEST_SUITE_P(AllTransports, Streaming,
                         ::testing::Values(NI_HTTP, NI_HTTPS, WINHTTP, WINHTTPS, PIPE, GSOAP_HTTP),
                         [](const ::testing::TestParamInfo<int>& p) {
                             return std::string(type_name(p.param));
                         });

} // namespace
