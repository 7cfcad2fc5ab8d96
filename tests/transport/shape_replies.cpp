#include "shape_replies.h"

#include <cstdint>

#include "support/fake_service.h"

namespace {

using qortest::DimeRecord;

const std::string kTooManyNames = "more than 256 attribute names";
const std::string kTooManyNamespaces = "more than 128 namespace declarations in scope";
const std::string kNamedOutside = "DIME or MIME named outside the media type of a Content-Type";
const std::string kTooManyRefs = "more than 1000 id, href and ref attributes";

// Attribute names past the bound, in single quotes so that they fit in any
// double-quoted value.
std::string over_names()
{
    std::string xml = "<x";
    for (int i = 0; i < 300; ++i)
        xml += " a" + std::to_string(i) + "=''";
    return xml + "/>";
}

std::string response(const std::string& inner)
{
    return qortest::envelope("<QORControl:ReadSnapshotResponse>" + inner +
                             "</QORControl:ReadSnapshotResponse>");
}

const std::string kByReference = "<snapshot href=\"cid:s1\"/>";

// A process list whose items all have ids.
std::string process_list(int items)
{
    std::string xml = "<QORControl:GetProcessListResponse><process>";
    for (int i = 0; i < items; ++i)
        xml += "<item id=\"p" + std::to_string(i) + "\"><pid>1</pid></item>";
    return qortest::envelope(xml + "</process></QORControl:GetProcessListResponse>");
}

// Bytes of every value, in no order that spells a boundary.
std::string binary(std::size_t n)
{
    std::string out(n, '\0');
    std::uint32_t x = 12345;
    for (char& c : out) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(x >> 23);
    }
    return out;
}

ReplyBytes http(const std::string& content_type, const std::string& body,
                std::vector<std::size_t> body_marks = {})
{
    ReplyBytes r;
    r.bytes = "HTTP/1.1 200 OK\r\nContent-Type: " + content_type +
              "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n";
    r.marks.push_back(r.bytes.size());
    for (std::size_t m : body_marks)
        r.marks.push_back(r.bytes.size() + m);
    r.bytes += body;
    r.marks.push_back(r.bytes.size());
    return r;
}

// A DIME message; the marks are where its records begin.
std::string dime(const std::vector<DimeRecord>& records, std::vector<std::size_t>* marks)
{
    std::size_t at = 0;
    for (const DimeRecord& record : records) {
        marks->push_back(at);
        at += qortest::dime_message({record}).size();
    }
    return qortest::dime_message(records);
}

ReplyBytes dime_snapshot(const std::string& attachment, const std::string& content_type)
{
    std::vector<std::size_t> marks;
    const std::string body = dime({qortest::dime_envelope_record(response(kByReference)),
                                   DimeRecord{"cid:s1", "application/zip", attachment}},
                                  &marks);
    return http(content_type, body, marks);
}

struct Part
{
    std::string headers;
    std::string content;
};

// A MIME message with the boundary "b"; the marks are where its boundaries
// and their parts' contents begin.
std::string mime(const std::vector<Part>& parts, std::vector<std::size_t>* marks,
                 const std::string& epilogue = {})
{
    std::string body;
    for (const Part& part : parts) {
        marks->push_back(body.size());
        body += (body.empty() ? "--b\r\n" : "\r\n--b\r\n") + part.headers + "\r\n\r\n";
        marks->push_back(body.size());
        body += part.content;
    }
    marks->push_back(body.size());
    return body + "\r\n--b--\r\n" + epilogue;
}

const std::string kMultipart = "multipart/related; boundary=b; type=\"text/xml\"; start=\"<root>\"";
const std::string kRootHeaders = "Content-Type: text/xml\r\nContent-ID: <root>";
const std::string kZipHeaders =
    "Content-Type: application/zip\r\nContent-Transfer-Encoding: binary\r\nContent-ID: <s1>";

ReplyBytes mime_snapshot(const std::string& attachment)
{
    std::vector<std::size_t> marks;
    const std::string body =
        mime({{kRootHeaders, response(kByReference)}, {kZipHeaders, attachment}}, &marks);
    return http(kMultipart, body, marks);
}

std::vector<ShapeReply> make_replies()
{
    const auto snapshot = ReplyCall::Snapshot;
    std::vector<ShapeReply> rows;
    // Snapshots that earlier versions read, and layouts like them.
    for (const auto& [size, name] :
         {std::pair{std::size_t{15000}, "15K"}, std::pair{std::size_t{1} << 20, "1M"},
          std::pair{std::size_t{50} << 20, "50M"}}) {
        const bool large = size > 15000;
        rows.push_back({std::string("DimeSnapshot") + name, snapshot,
                        [size = size] { return dime_snapshot(binary(size), "application/dime"); },
                        "", false, large});
        rows.push_back({std::string("MimeSnapshot") + name, snapshot,
                        [size = size] { return mime_snapshot(binary(size)); }, "", false, large});
    }
    rows.push_back(
        {"InlineSnapshot", snapshot,
         [] { return http("text/xml; charset=utf-8", response("<snapshot>aGVsbG8=</snapshot>")); },
         "", false, false});
    rows.push_back({"DimeAttachmentLikeXml", snapshot,
                    [] { return dime_snapshot(over_names() + over_names(), "application/dime"); },
                    "", false, false});
    rows.push_back({"MediaTypeInCapitals", snapshot,
                    [] { return dime_snapshot(binary(100), "Application/DIME; x=1"); }, "", false,
                    false});
    rows.push_back({"ProfileParameterNamesDime", snapshot,
                    [] {
                        return http("text/xml; profile=\"application/dime\"",
                                    response("<snapshot>aGk=</snapshot>"));
                    },
                    "", false, false});
    rows.push_back({"MimeSoapPartAfterItsAttachment", snapshot,
                    [] {
                        std::vector<std::size_t> marks;
                        const std::string body = mime(
                            {{kZipHeaders, over_names()}, {kRootHeaders, response(kByReference)}},
                            &marks);
                        return http(kMultipart, body, marks);
                    },
                    "", false, false});
    rows.push_back({"MimeWithoutStart", snapshot,
                    [] {
                        std::vector<std::size_t> marks;
                        const std::string body =
                            mime({{"Content-Type: text/xml", response(kByReference)},
                                  {kZipHeaders, binary(3000)}},
                                 &marks);
                        return http("multipart/related; boundary=b", body, marks);
                    },
                    "", false, false});
    rows.push_back(
        {"MimeSoapPartHoldsDime", snapshot,
         [] {
             std::vector<std::size_t> marks;
             const std::string inner =
                 qortest::dime_message({qortest::dime_envelope_record(response(kByReference)),
                                        DimeRecord{"cid:s1", "application/zip", binary(3000)}});
             const std::string body =
                 mime({{"Content-Type: application/dime\r\nContent-ID: <root>", inner}}, &marks);
             return http(kMultipart, body, marks);
         },
         "", false, false});

    rows.push_back({"HttpErrorPage", snapshot,
                    [] {
                        // Read as the text of the error, not as XML.
                        ReplyBytes r =
                            http("text/html", "<html><a onclick=\"if (a<b) x()\"/></html>");
                        r.bytes.replace(9, 6, "404 No");
                        return r;
                    },
                    "", false, false});
    rows.push_back({"ProcessListWithIds", ReplyCall::ProcessList,
                    [] { return http("text/xml", process_list(1000)); }, "", false, false});

    // Replies that hide XML from the bounds, each as the toolkit reads it.
    rows.push_back({"ProfileParameterHidesNamespaces", snapshot,
                    [] {
                        std::string declarations;
                        for (int i = 0; i < 200; ++i)
                            declarations += " xmlns:n" + std::to_string(i) + "=\"urn:n\"";
                        return http("text/xml; profile=\"application/dime\"",
                                    response("<snapshot" + declarations + ">aGk=</snapshot>"));
                    },
                    kTooManyNamespaces, true, false});
    rows.push_back({"DimeAmongParameters", snapshot,
                    [] { return dime_snapshot(binary(100), "text/xml; application/dime"); },
                    kNamedOutside, false, false});
    rows.push_back({"MultipartAmongParameters", snapshot,
                    [] {
                        ReplyBytes r = mime_snapshot(binary(100));
                        const std::size_t at = r.bytes.find("multipart/related");
                        r.bytes.insert(at, "text/xml; x=1, ");
                        for (std::size_t& m : r.marks)
                            m += 15;
                        return r;
                    },
                    kNamedOutside, false, false});
    rows.push_back({"DimeEnvelopeLongerThanItsRecord", snapshot,
                    [] {
                        std::vector<std::size_t> marks;
                        std::string body = dime(
                            {qortest::dime_envelope_record(response(kByReference + over_names())),
                             DimeRecord{"cid:s1", "application/zip", binary(100)}},
                            &marks);
                        body.replace(8, 4, std::string("\0\0\0\x28", 4)); // 40 bytes
                        return http("application/dime", body, marks);
                    },
                    kTooManyNames, true, false});
    rows.push_back({"DimeChunkedEnvelope", snapshot,
                    [] {
                        const std::string xml = response(kByReference);
                        const std::size_t cut = xml.find("<QORControl:");
                        DimeRecord first = qortest::dime_envelope_record(xml.substr(0, cut));
                        first.chunked = true;
                        // The toolkit reads the id of a continuation record as XML.
                        std::vector<std::size_t> marks;
                        const std::string body =
                            dime({first, DimeRecord{over_names(), "", xml.substr(cut)}}, &marks);
                        return http("application/dime", body, marks);
                    },
                    "a chunked SOAP envelope in a DIME message", true, false});
    rows.push_back({"MimeEnvelopeGoesOnInTheNextPart", snapshot,
                    [] {
                        // A comment takes the boundary and the next part's header.
                        const std::string xml = response(kByReference);
                        const std::size_t cut = xml.find("</QORControl:");
                        std::vector<std::size_t> marks;
                        const std::string body =
                            mime({{kRootHeaders, xml.substr(0, cut) + "<!--"},
                                  {kZipHeaders, "-->" + over_names() + xml.substr(cut)}},
                                 &marks);
                        return http(kMultipart, body, marks);
                    },
                    kTooManyNames, true, false});
    rows.push_back({"MimeSoapPartAfterABinaryOne", snapshot,
                    [] {
                        std::vector<std::size_t> marks;
                        const std::string body =
                            mime({{kZipHeaders, binary(3000)},
                                  {kRootHeaders, response(kByReference + over_names())}},
                                 &marks);
                        return http(kMultipart, body, marks);
                    },
                    kTooManyNames, true, false});
    rows.push_back({"ProcessListIdsInTheSoapPart", ReplyCall::ProcessList,
                    [] {
                        std::vector<std::size_t> marks;
                        const std::string body =
                            mime({{kZipHeaders, binary(3000)}, {kRootHeaders, process_list(1100)}},
                                 &marks);
                        return http(kMultipart, body, marks);
                    },
                    kTooManyRefs, true, false});
    rows.push_back({"MimeStartNamesNoPart", snapshot,
                    [] {
                        // The toolkit reads what follows the last boundary as the envelope.
                        std::vector<std::size_t> marks;
                        const std::string body = mime({{kZipHeaders, binary(3000)}}, &marks,
                                                      response(kByReference + over_names()));
                        return http(kMultipart, body, marks);
                    },
                    "a MIME reply that ends or breaks before its SOAP part", true, false});
    rows.push_back(
        {"MimeBrokenPartBeforeTheSoapPart", snapshot,
         [] {
             // The toolkit reads on as XML after the broken header.
             std::vector<std::size_t> marks;
             const std::string body =
                 mime({{kZipHeaders, binary(100)}, {"--c", response(kByReference + over_names())}},
                      &marks);
             return http(kMultipart, body, marks);
         },
         "a MIME reply that ends or breaks before its SOAP part", true, false});
    rows.push_back({"MimeSoapPartHoldsDimeOver", snapshot,
                    [] {
                        std::vector<std::size_t> marks;
                        const std::string inner = qortest::dime_message(
                            {qortest::dime_envelope_record(response(kByReference + over_names()))});
                        const std::string body =
                            mime({{"Content-Type: application/dime\r\nContent-ID: <root>", inner}},
                                 &marks);
                        return http(kMultipart, body, marks);
                    },
                    kTooManyNames, true, false});
    rows.push_back({"SkippedElementHidesAttributes", snapshot,
                    [] {
                        // Where the toolkit passes over <u>, "</" in a value ends it.
                        return http("text/xml", response("<u><v a=\"</w></u>" + over_names() +
                                                         "\"/></u><snapshot>aGk=</snapshot>"));
                    },
                    "a \"<\" inside a tag", true, false});
    return rows;
}

} // namespace

const std::vector<ShapeReply>& shape_replies()
{
    static const std::vector<ShapeReply> rows = make_replies();
    return rows;
}
