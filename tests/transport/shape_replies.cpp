#include "shape_replies.h"

#include <stdsoap2.h>

#include <cstdint>
#include <cstdio>

#include "support/fake_service.h"

namespace {

using qortest::DimeRecord;

const std::string kTooManyNames = "more than 256 attribute names";
const std::string kNamedOutside = "DIME or MIME named outside the media type of a Content-Type";
const std::string kNoSoapPart = "a MIME reply that ends or breaks before its SOAP part";
const std::string kChunkWithFields =
    "a chunk of a SOAP envelope in a DIME message with options, an id or a type";

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
const std::string kSnapshot = response(kByReference);

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

// The body's marks are where its records or parts begin.
ReplyBytes http(const std::string& content_type, const std::string& body,
                const std::vector<std::size_t>& body_marks = {})
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

} // namespace

ReplyBytes in_chunks(const ReplyBytes& reply, std::size_t size)
{
    const std::size_t body = reply.marks.front();
    ReplyBytes r;
    r.bytes = reply.bytes.substr(0, body - 2);
    const std::size_t length = r.bytes.find("Content-Length:");
    r.bytes.replace(length, r.bytes.find("\r\n", length) - length, "Transfer-Encoding: chunked");
    r.bytes += "\r\n";
    auto mark = reply.marks.begin();
    for (std::size_t at = body; at < reply.bytes.size(); at += size) {
        const std::string chunk = reply.bytes.substr(at, size);
        char line[24];
        std::snprintf(line, sizeof line, "%zx\r\n", chunk.size());
        r.bytes += line;
        for (; mark != reply.marks.end() && *mark < at + chunk.size(); ++mark)
            r.marks.push_back(r.bytes.size() + (*mark - at));
        r.bytes += chunk + "\r\n";
    }
    r.marks.push_back(r.bytes.size());
    r.bytes += "0\r\n\r\n";
    return r;
}

namespace {

ReplyBytes dime(const std::vector<DimeRecord>& records,
                const std::string& content_type = "application/dime")
{
    std::vector<std::size_t> marks;
    std::size_t at = 0;
    for (const DimeRecord& record : records) {
        marks.push_back(at);
        at += qortest::dime_message({record}).size();
    }
    return http(content_type, qortest::dime_message(records), marks);
}

// The envelope in chunk records that end at these offsets, and one more
// after the last of them; only the first names the envelope's type.
std::vector<DimeRecord> envelope_chunks(const std::string& xml,
                                        const std::vector<std::size_t>& ends)
{
    std::vector<DimeRecord> chunks;
    std::size_t at = 0;
    for (std::size_t end : ends) {
        chunks.push_back(chunks.empty() ? qortest::dime_envelope_record(xml.substr(0, end))
                                        : DimeRecord{"", "", xml.substr(at, end - at)});
        chunks.back().chunked = true;
        at = end;
    }
    chunks.push_back(DimeRecord{"", "", xml.substr(at)});
    return chunks;
}

// Chunks of every padding, an empty one, one that ends inside a tag and one
// inside a value.
std::vector<std::size_t> chunk_ends(const std::string& xml)
{
    const std::size_t tag = xml.find("<QORControl:") + 5;
    const std::size_t value = xml.find("cid:") + 2;
    return {1, 3, 6, 10, tag, tag, tag + 1, value, value + 3};
}

// The toolkit reads a reply in pieces of up to this many bytes.
constexpr std::size_t kToolkitBuffer = SOAP_BUFLEN;

// A DIME snapshot whose envelope holds as many blanks in its Body as put
// its byte `at` (counted without them) at this offset in the reply; its
// envelope in one record or, `chunked`, in two of which the second begins
// with that byte.
ReplyBytes dime_snapshot_placing(std::size_t at, std::size_t offset, bool chunked)
{
    const std::string body = "<SOAP-ENV:Body>";
    const std::size_t blanks_at = kSnapshot.find(body) + body.size();
    std::size_t blanks = 0;
    for (;;) {
        std::string xml = kSnapshot;
        xml.insert(blanks_at, blanks, ' ');
        const std::size_t cut = at + (at >= blanks_at ? blanks : 0);
        std::vector<DimeRecord> records =
            chunked ? envelope_chunks(xml, {cut}) : std::vector{qortest::dime_envelope_record(xml)};
        records.push_back(DimeRecord{"cid:s1", "application/zip", binary(70000)});
        ReplyBytes r = dime(records);
        // After the first record's header and its type's field.
        const std::size_t placed = r.marks[1] + 12 + 44 + cut;
        if (placed == offset)
            return r;
        blanks += offset - placed; // the length's digits may move it again
    }
}

ReplyBytes dime_snapshot(const std::string& attachment,
                         const std::string& content_type = "application/dime")
{
    return dime({qortest::dime_envelope_record(kSnapshot),
                 DimeRecord{"cid:s1", "application/zip", attachment}},
                content_type);
}

struct Part
{
    std::string headers;
    std::string content;
};

const std::string kMultipart = "multipart/related; boundary=b; type=\"text/xml\"; start=\"<root>\"";
const std::string kRoot = "Content-Type: text/xml\r\nContent-ID: <root>";
const std::string kDimeRoot = "Content-Type: application/dime\r\nContent-ID: <root>";
const std::string kZip =
    "Content-Type: application/zip\r\nContent-Transfer-Encoding: binary\r\nContent-ID: <s1>";

// A MIME message with the boundary "b".
ReplyBytes mime(const std::vector<Part>& parts, const std::string& epilogue = {},
                const std::string& content_type = kMultipart)
{
    std::string body;
    std::vector<std::size_t> marks;
    for (const Part& part : parts) {
        marks.push_back(body.size());
        body += (body.empty() ? "--b\r\n" : "\r\n--b\r\n") + part.headers + "\r\n\r\n";
        marks.push_back(body.size());
        body += part.content;
    }
    marks.push_back(body.size());
    return http(content_type, body + "\r\n--b--\r\n" + epilogue, marks);
}

} // namespace

std::string attributes_of_one_hash()
{
    static const char* const kPairs[4][2] = {{"D7quU3rDOCj", "eVEeS4LYGFa"},
                                             {"VcH0wdCLp4o", "XnYuLlUEK0m"},
                                             {"sNBdN9TRHua", "746Zx3QzRuj"},
                                             {"mze6CjRU4Ok", "ggNsFwnR_4g"}};
    std::string out;
    for (unsigned pick = 0; pick < 16; ++pick) {
        out += ' ';
        for (unsigned pair = 0; pair < 4; ++pair)
            out += kPairs[pair][(pick >> pair) & 1];
        out += "=''";
    }
    return out;
}

namespace {

ShapeReply read(std::string name, std::function<ReplyBytes()> make, bool large = false,
                ReplyCall call = ReplyCall::Snapshot)
{
    return {std::move(name), call, std::move(make), "", false, large, "", {}};
}

ShapeReply read_like(std::string name, std::function<ReplyBytes()> make,
                     std::function<ReplyBytes()> like, bool large = false,
                     ReplyCall call = ReplyCall::Snapshot)
{
    return {std::move(name), call, std::move(make), "", false, large, "", std::move(like)};
}

ShapeReply fails(std::string name, std::function<ReplyBytes()> make, std::string fault,
                 ReplyCall call)
{
    ShapeReply row = read(std::move(name), std::move(make), false, call);
    row.fault = std::move(fault);
    return row;
}
ShapeReply refused(std::string name, std::function<ReplyBytes()> make, std::string refusal,
                   bool toolkit_over = true, ReplyCall call = ReplyCall::Snapshot)
{
    return {
        std::move(name), call, std::move(make), std::move(refusal), toolkit_over, false, "", {}};
}

std::vector<ShapeReply> make_replies()
{
    std::vector<ShapeReply> rows;
    // Snapshots that earlier versions read, and layouts like them.
    for (const auto& [size, name] :
         {std::pair{std::size_t{15000}, "15K"}, std::pair{std::size_t{1} << 20, "1M"},
          std::pair{std::size_t{50} << 20, "50M"}}) {
        const std::size_t n = size;
        rows.push_back(read(
            std::string("DimeSnapshot") + name, [n] { return dime_snapshot(binary(n)); },
            n > 15000));
        rows.push_back(read(
            std::string("MimeSnapshot") + name,
            [n] {
                return mime({{kRoot, kSnapshot}, {kZip, binary(n)}});
            },
            n > 15000));
    }
    // In chunks, the bytes after the envelope are held back until the
    // toolkit has read it, and then read as attachments.
    for (const auto& [size, name] :
         {std::pair{std::size_t{15000}, "15K"}, std::pair{std::size_t{1} << 20, "1M"}}) {
        const std::size_t n = size;
        rows.push_back(read(
            std::string("DimeSnapshotInChunks") + name,
            [n] { return in_chunks(dime_snapshot(binary(n)), 4093); }, n > 15000));
        rows.push_back(read(
            std::string("MimeSnapshotInChunks") + name,
            [n] {
                return in_chunks(mime({{kRoot, kSnapshot}, {kZip, binary(n)}}), 4093);
            },
            n > 15000));
    }
    rows.push_back(read("InlineSnapshot", [] {
        return http("text/xml; charset=utf-8", response("<snapshot>aGVsbG8=</snapshot>"));
    }));
    rows.push_back(read("DimeAttachmentLikeXml", [] { return dime_snapshot(over_names()); }));
    rows.push_back(read("MediaTypeInCapitals",
                        [] { return dime_snapshot(binary(100), "Application/DIME; x=1"); }));
    rows.push_back(read("ProfileParameterNamesDime", [] {
        return http("text/xml; profile=\"application/dime\"",
                    response("<snapshot>aGk=</snapshot>"));
    }));
    rows.push_back(read("MimeSoapPartAfterItsAttachment", [] {
        return mime({{kZip, over_names()}, {kRoot, kSnapshot}});
    }));
    rows.push_back(read("MimeWithoutStart", [] {
        return mime({{"Content-Type: text/xml", kSnapshot}, {kZip, binary(3000)}}, "",
                    "multipart/related; boundary=b");
    }));
    rows.push_back(read("MimeSoapPartHoldsDime", [] {
        return mime({{kDimeRoot, qortest::dime_message(
                                     {qortest::dime_envelope_record(kSnapshot),
                                      DimeRecord{"cid:s1", "application/zip", binary(3000)}})}});
    }));
    // The chunks of an envelope are read as one record, however many and
    // wherever they end, and the attachments after them as ever.
    rows.push_back(read_like(
        "DimeChunkedEnvelope",
        [] {
            std::vector<DimeRecord> records = envelope_chunks(kSnapshot, chunk_ends(kSnapshot));
            records.push_back(DimeRecord{"cid:s1", "application/zip", binary(3000)});
            return dime(records);
        },
        [] { return dime_snapshot(binary(3000)); }));
    rows.push_back(read_like(
        "DimeEnvelopeInChunksOfOneByte",
        [] {
            std::vector<std::size_t> ends;
            for (std::size_t end = 1; end < kSnapshot.size(); ++end)
                ends.push_back(end);
            std::vector<DimeRecord> records = envelope_chunks(kSnapshot, ends);
            records.push_back(DimeRecord{"cid:s1", "application/zip", binary(100)});
            return dime(records);
        },
        [] { return dime_snapshot(binary(100)); }));
    rows.push_back(read_like(
        "DimeChunkedEnvelopeEndsTheMessage",
        [] {
            const std::string xml = process_list(3);
            return dime(envelope_chunks(xml, chunk_ends(xml)));
        },
        [] { return dime({qortest::dime_envelope_record(process_list(3))}); }, false,
        ReplyCall::ProcessList));
    rows.push_back(read_like(
        "DimeChunkedEnvelopeWithABlankLastChunk",
        [] {
            std::vector<DimeRecord> records =
                envelope_chunks(kSnapshot + "\r\n", {5, kSnapshot.size()});
            records.push_back(DimeRecord{"cid:s1", "application/zip", binary(100)});
            return dime(records);
        },
        [] {
            return dime({qortest::dime_envelope_record(kSnapshot + "\r\n"),
                         DimeRecord{"cid:s1", "application/zip", binary(100)}});
        }));
    rows.push_back(read_like(
        "MimeSoapPartHoldsChunkedDime",
        [] {
            std::vector<DimeRecord> records = envelope_chunks(kSnapshot, chunk_ends(kSnapshot));
            records.push_back(DimeRecord{"cid:s1", "application/zip", binary(3000)});
            return mime({{kDimeRoot, qortest::dime_message(records)}});
        },
        [] {
            return mime(
                {{kDimeRoot,
                  qortest::dime_message({qortest::dime_envelope_record(kSnapshot),
                                         DimeRecord{"cid:s1", "application/zip", binary(3000)}})}});
        }));
    // Where the toolkit's first piece ends: at the envelope's end (more of
    // the reply held back than came before it), or at the end of a chunk of
    // the envelope or in the record header after it.
    for (const std::size_t end : {kToolkitBuffer - 1, kToolkitBuffer, kToolkitBuffer + 1})
        rows.push_back(read(
            "DimeEnvelopeEndsAt" + std::to_string(end),
            [end] { return dime_snapshot_placing(kSnapshot.size(), end, false); }, true));
    for (const std::size_t end : {kToolkitBuffer - 13, kToolkitBuffer - 12, kToolkitBuffer - 1,
                                  kToolkitBuffer, kToolkitBuffer + 1}) {
        const std::size_t tag = kSnapshot.find("<QORControl:") + 4;
        rows.push_back(read_like(
            "DimeChunkEndsAt" + std::to_string(end),
            [end, tag] { return dime_snapshot_placing(tag, end, true); },
            [] { return dime_snapshot(binary(70000)); }, true));
    }
    // Part header lines about as long as the toolkit keeps them (2047
    // bytes): the id of a part before the SOAP part, and that of the SOAP
    // part that the start parameter names. A longer line breaks the
    // toolkit's reading of the parts before the SOAP part is found, after
    // which it reads on in a way that is not followed.
    for (const std::size_t line : {2046, 2047, 2048}) {
        const std::string id =
            "<" + std::string(line - std::string("Content-ID: <>").size(), 'i') + ">";
        rows.push_back(read("MimeIdLineOf" + std::to_string(line), [id] {
            return mime({{"Content-Type: application/zip\r\nContent-ID: " + id, binary(100)},
                         {kRoot, kSnapshot},
                         {kZip, binary(100)}});
        }));
        const auto start_names = [id] {
            return mime(
                {{kZip, binary(100)}, {"Content-Type: text/xml\r\nContent-ID: " + id, kSnapshot}},
                "", "multipart/related; boundary=b; start=\"" + id + "\"");
        };
        const std::string name = "MimeStartIdLineOf" + std::to_string(line);
        rows.push_back(line <= 2047 ? read(name, start_names)
                                    : refused(name, start_names, kNoSoapPart, false));
    }
    // Boundaries about as long as the one the SOAP part is found with after
    // another part (2000 bytes).
    for (const std::size_t length : {1999, 2000, 2001}) {
        const auto make = [length] {
            const std::string b(length, 'b');
            return http("multipart/related; boundary=" + b + "; start=\"<root>\"",
                        "--" + b + "\r\n" + kZip + "\r\n\r\n" + binary(100) + "\r\n--" + b +
                            "\r\n" + kRoot + "\r\n\r\n" + kSnapshot + "\r\n--" + b + "--\r\n");
        };
        const std::string name = "MimeBoundaryOf" + std::to_string(length);
        rows.push_back(length <= 2000
                           ? read(name, make)
                           : refused(name, make,
                                     "a MIME boundary that the SOAP part cannot be found with",
                                     false));
    }
    rows.push_back(read("HttpErrorPage", [] {
        // Read as the text of the error, not as XML.
        ReplyBytes r = http("text/html", "<html><a onclick=\"if (a<b) x()\"/></html>");
        r.bytes.replace(9, 6, "404 No");
        return r;
    }));
    rows.push_back(read(
        "ProcessListWithIds", [] { return http("text/xml", process_list(1000)); }, false,
        ReplyCall::ProcessList));
    // What lies past the point at which the bounds refuse a reply, wherever
    // its reads end, is never parsed: the toolkit ends its envelope before
    // that point (passing over <u>, it takes "/>" in text for the end of
    // <v>), or fails on its own before it.
    rows.push_back(read(
        "EnvelopeEndsBeforeTheRefusal",
        [] {
            std::string xml = process_list(3);
            const std::string end = "</QORControl:GetProcessListResponse>";
            xml.insert(xml.find(end), "<u><v>a/></v>");
            return http("text/xml",
                        xml + over_names() + "</u></SOAP-ENV:Body></SOAP-ENV:Envelope>");
        },
        false, ReplyCall::ProcessList));
    rows.push_back(read("ToolkitFailsBeforeTheRefusal",
                        [] { return http("text/xml", "<Foo><a/>" + over_names() + "</Foo>"); }));
    rows.push_back(fails(
        "ChunkSizeAboveTheToolkitsLargest",
        [] {
            // The toolkit fails its read at a size above 0x7FFFFFFF; the body
            // ends there.
            ReplyBytes r = in_chunks(http("text/xml", process_list(200)), 97);
            const std::size_t at = r.bytes.find("\r\n61\r\n", r.bytes.size() / 2) + 2;
            r.bytes.replace(at, 2, "80000000");
            return r;
        },
        "An HTTP processing error occurred", ReplyCall::ProcessList));

    // Replies that hide XML from the bounds, as the toolkit alone reads them.
    rows.push_back(refused(
        "ProfileParameterHidesNamespaces",
        [] {
            std::string declarations;
            for (int i = 0; i < 200; ++i)
                declarations += " xmlns:n" + std::to_string(i) + "=\"urn:n\"";
            return http("text/xml; profile=\"application/dime\"",
                        response("<snapshot" + declarations + ">aGk=</snapshot>"));
        },
        "more than 128 namespace declarations in scope"));
    rows.push_back(refused(
        "DimeAmongParameters",
        [] { return dime_snapshot(binary(100), "text/xml; application/dime"); }, kNamedOutside,
        false));
    rows.push_back(refused(
        "DimeAmongParametersAndNoChunkSize",
        [] {
            // The toolkit reads the 0xFF among the chunk sizes as the end of
            // its input, and may not read on.
            ReplyBytes r;
            r.bytes = "HTTP/1.1 200 OK\r\nContent-Type: text/xml; application/dime\r\n"
                      "Transfer-Encoding: chunked\r\n\r\n";
            r.marks = {r.bytes.size()};
            r.bytes += "5\r\xff\nhello\r\n0\r\n\r\n";
            r.marks.push_back(r.bytes.size());
            return r;
        },
        kNamedOutside, false));
    rows.push_back(refused(
        "MultipartAmongParameters",
        [] {
            return mime({{kRoot, kSnapshot}, {kZip, binary(100)}}, "",
                        "text/xml; x=1, " + kMultipart);
        },
        kNamedOutside, false));
    rows.push_back(refused(
        "DimeEnvelopeLongerThanItsRecord",
        [] {
            ReplyBytes r =
                dime({qortest::dime_envelope_record(response(kByReference + over_names())),
                      DimeRecord{"cid:s1", "application/zip", binary(100)}});
            r.bytes.replace(r.marks[0] + 8, 4, std::string("\0\0\0\x28", 4)); // 40 bytes
            return r;
        },
        kTooManyNames));
    rows.push_back(refused(
        "DimeChunkWithAnId",
        [] {
            // The toolkit reads the id of a continuation record as XML.
            const std::size_t cut = kSnapshot.find("<QORControl:");
            DimeRecord first = qortest::dime_envelope_record(kSnapshot.substr(0, cut));
            first.chunked = true;
            return dime({first, DimeRecord{over_names(), "", kSnapshot.substr(cut)}});
        },
        kChunkWithFields));
    rows.push_back(refused(
        "DimeChunkWithAType",
        [] {
            std::vector<DimeRecord> records = envelope_chunks(kSnapshot, {10});
            records.back().type = "text/xml";
            return dime(records);
        },
        kChunkWithFields, false));
    rows.push_back(refused(
        "DimeChunkOfAnotherVersion",
        [] {
            ReplyBytes r = dime(envelope_chunks(kSnapshot, {10}));
            r.bytes[r.marks[2]] = static_cast<char>(r.bytes[r.marks[2]] ^ 0x10);
            return r;
        },
        "a chunk of a SOAP envelope in a DIME message that is no DIME record", false));
    // The toolkit alone loses its place at the end of a chunk and fails
    // before it has read them all.
    rows.push_back(refused(
        "DimeChunkedEnvelopeOverTheBound",
        [] {
            const std::string xml = response(kByReference + over_names());
            std::vector<DimeRecord> records = envelope_chunks(xml, chunk_ends(xml));
            records.push_back(DimeRecord{"cid:s1", "application/zip", binary(100)});
            return dime(records);
        },
        kTooManyNames, false));
    rows.push_back(refused(
        "MimeEnvelopeGoesOnInTheNextPart",
        [] {
            // A comment takes the boundary and the next part's header.
            const std::size_t cut = kSnapshot.find("</QORControl:");
            return mime({{kRoot, kSnapshot.substr(0, cut) + "<!--"},
                         {kZip, "-->" + over_names() + kSnapshot.substr(cut)}});
        },
        kTooManyNames));
    rows.push_back(refused(
        "MimeSoapPartAfterABinaryOne",
        [] {
            return mime({{kZip, binary(3000)}, {kRoot, response(kByReference + over_names())}});
        },
        kTooManyNames));
    rows.push_back(refused(
        "ProcessListIdsInTheSoapPart",
        [] {
            return mime({{kZip, binary(3000)}, {kRoot, process_list(1100)}});
        },
        "more than 1000 id, href and ref attributes", true, ReplyCall::ProcessList));
    // The toolkit reads on as XML after the last boundary, or after a broken
    // part header.
    rows.push_back(refused(
        "DimeNamesOfOneHash",
        [] {
            // With the names of the envelope, 266 for the toolkit.
            std::string x = "<x";
            for (int i = 0; i < 240; ++i)
                x += " a" + std::to_string(i) + "=''";
            return dime({qortest::dime_envelope_record(
                             response(kByReference + x + attributes_of_one_hash() + "/>")),
                         DimeRecord{"cid:s1", "application/zip", binary(100)}});
        },
        kTooManyNames));
    rows.push_back(refused(
        "MimeStartNamesNoPart",
        [] {
            return mime({{kZip, binary(3000)}}, response(kByReference + over_names()));
        },
        kNoSoapPart));
    rows.push_back(refused(
        "MimeBrokenPartBeforeTheSoapPart",
        [] {
            return mime({{kZip, binary(100)}, {"--c", response(kByReference + over_names())}});
        },
        kNoSoapPart));
    rows.push_back(refused(
        "MimeSoapPartHoldsDimeOver",
        [] {
            return mime({{kDimeRoot, qortest::dime_message({qortest::dime_envelope_record(
                                         response(kByReference + over_names()))})}});
        },
        kTooManyNames));
    rows.push_back(refused(
        "ReferenceInATagHidesEndTags",
        [] {
            // Where the toolkit passes over <u>, "&" in a tag takes the next
            // seven bytes, among them the end tags that end the document
            // for the bounds; it reads the process list after them.
            std::string xml = process_list(0);
            std::string hide = "<u>";
            for (int i = 0; i < 4; ++i)
                hide += "<v&b>c</v>";
            hide += "</a></b></c></d></u><process";
            for (int i = 0; i < 200; ++i)
                hide += " xmlns:n" + std::to_string(i) + "=\"urn:n\"";
            xml.replace(xml.find("<process>"), 8, hide);
            return http("text/xml", xml);
        },
        "a \"&\" inside a tag, outside its values", true, ReplyCall::ProcessList));
    rows.push_back(refused(
        "UnquotedValueHidesNames",
        [] {
            // After "a=b/" the toolkit reads every later value of the tag
            // as empty, and its bytes as one more attribute name.
            std::string tag = "<u a=b/";
            for (int i = 0; i < 200; ++i)
                tag += " n" + std::to_string(i) + "=v" + std::to_string(i);
            std::string xml = process_list(1);
            xml.insert(xml.find("<process>"), tag + "/>");
            return http("text/xml", xml);
        },
        "an unquoted attribute value that ends at \"/\" or \">\"", true, ReplyCall::ProcessList));
    rows.push_back(refused(
        "SkippedElementHidesAttributes",
        [] {
            // Where the toolkit passes over <u>, "</" in a value ends it.
            return http("text/xml", response("<u><v a=\"</w></u>" + over_names() +
                                             "\"/></u><snapshot>aGk=</snapshot>"));
        },
        "a \"<\" inside a tag"));
    rows.push_back(refused(
        "UnquotedValueTakesTheNextBytes",
        [] {
            // After "=" the toolkit reads a UTF-8 sequence whose third and
            // later bytes it takes unlooked at: here the blank that ends the
            // value, so that it reads the quoted value that follows as names.
            std::string tag = "<u v=\xE1\x80 \"=\"";
            for (int i = 0; i < 300; ++i)
                tag += " n" + std::to_string(i) + "=1";
            std::string xml = process_list(1);
            xml.insert(xml.find("<process>"), tag + " \"/>");
            return http("text/xml", xml);
        },
        "an unquoted attribute value that begins with the lead byte of a UTF-8 sequence", true,
        ReplyCall::ProcessList));
    // In a fault's detail the toolkit reads comments, instructions and
    // references as everywhere else: what they hold is no element, and what
    // follows them is counted.
    const auto fault = [](const std::string& detail) {
        return http("text/xml",
                    qortest::envelope("<SOAP-ENV:Fault><faultcode>SOAP-ENV:Server</faultcode>"
                                      "<faultstring>boom</faultstring><detail>" +
                                      detail + "</detail></SOAP-ENV:Fault>"));
    };
    for (const auto& [name, hiding] :
         {std::pair{"Comment", "<!--->"}, std::pair{"Instruction", "<?>"},
          std::pair{"Reference", "&lt"}, std::pair{"BrokenUtf8", "\xE1\x80<!--"}}) {
        const std::string hide = hiding;
        rows.push_back(read(
            std::string("FaultDetail") + name + "HidesAnElement",
            [fault, hide] { return fault("<e>1</e>" + hide + over_names() + "<g/>?>--></e>"); },
            false, ReplyCall::ProcessList));
    }
    rows.push_back(refused(
        "FaultDetailNamesAfterAComment",
        [fault] { return fault("<e>1</e><!----><?x?>" + over_names()); }, kTooManyNames, true,
        ReplyCall::ProcessList));
    rows.push_back(refused(
        "FaultDetailNamesAfterCdata",
        [fault] { return fault("<![CDATA[<!--]]>" + over_names() + "<!-- -->"); }, kTooManyNames,
        true, ReplyCall::ProcessList));
    return rows;
}

} // namespace

const std::vector<ShapeReply>& shape_replies()
{
    static const std::vector<ShapeReply> rows = make_replies();
    return rows;
}
