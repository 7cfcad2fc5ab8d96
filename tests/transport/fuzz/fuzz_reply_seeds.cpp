// Writes the replies of the reply-bounds tests into a folder as seeds of the
// fuzz target: each with the process list and the snapshot call, read whole
// and in reads of 7 bytes, with its length and in chunks (those whose DIME
// envelope comes in chunk records in HTTP chunks of 7 bytes too); a few with
// character references where the toolkit's reader decodes them; and replies
// of other webmethods with long texts (in items, record members, fault
// strings and details) and with ids and references among the items of lists.
#include <cstdio>
#include <string>
#include <vector>

#include "reply_calls.h"
#include "shape_replies.h"
#include "support/fake_service.h"

namespace {

// The first byte of a seed: the row of the call in the reply reader's table.
char call_byte(const char* name)
{
    return static_cast<char>(find_reply_call(name) - reply_calls_begin());
}

bool write_seed(const std::string& path, char call, char piece, const std::string& reply)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        return false;
    const std::string bytes = std::string{call, piece} + reply;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return true;
}

struct Body
{
    const char* call;
    std::string xml; // of the Body
};

std::string response(const char* method, const std::string& content)
{
    return std::string("<QORControl:") + method + "Response>" + content + "</QORControl:" + method +
           "Response>";
}

// Texts around the sizes the readers and the input buffer have, plain and
// with a reference that sends them through the reader of characters.
std::vector<Body> long_text_bodies()
{
    std::vector<Body> bodies;
    for (const std::size_t length : {256, 1023, 4097, 65535, 70000}) {
        std::string text(length, 'x');
        for (std::size_t i = 0; i < length; i += 61)
            text[i] = static_cast<char>('a' + i % 26);
        for (const std::string& t : {text, "&#x41;" + text}) {
            bodies.push_back(
                {"GetEnvironment",
                 response("GetEnvironment", "<env><item>" + t + "</item><item>b</item></env>")});
            bodies.push_back(
                {"GetProcessList", response("GetProcessList", "<process><item><name>" + t +
                                                                  "</name><pid>1</pid></item>"
                                                                  "</process>")});
            bodies.push_back(
                {"ListDeveloperTraces",
                 "<SOAP-ENV:Fault><faultcode>SOAP-ENV:Server</faultcode><faultstring>" + t +
                     "</faultstring><detail><e>" + t + "</e><f>" + t +
                     "</f></detail></SOAP-ENV:Fault>"});
        }
    }
    return bodies;
}

std::string process_items(int count)
{
    std::string items;
    for (int i = 0; i < count; ++i)
        items += "<item><pid>" + std::to_string(i) + "</pid></item>";
    return items;
}

// Ids and references among the items of lists of texts and records, some of
// them in items that fail, before and beyond the first block of 64 records.
std::vector<Body> reference_item_bodies()
{
    const std::string shared =
        "<QORControl:OSProcess id=\"p\"><name>s</name><pid>9</pid></QORControl:OSProcess>";
    return {
        {"GetEnvironment",
         response("GetEnvironment", "<env><item>a</item><item href=\"#x\">b</item c></env>")},
        {"GetEnvironment", response("GetEnvironment", "<env><item href=\"#s\"/><item id=\"s\">l"
                                                      "</item><item href=\"#s\"/></env>")},
        {"VORNReadRawSyslog",
         response("VORNReadRawSyslog", "<log><item href=\"#x\"/><item>a</item></log>") +
             "<x id=\"x\">r</x>"},
        {"GetProcessList", response("GetProcessList", "<process>" + process_items(64) +
                                                          "<item href=\"#p\"/></process>") +
                               shared},
        {"GetProcessList", response("GetProcessList", "<process>" + process_items(64) +
                                                          "<item href=\"#x\"></item c>"
                                                          "</process>")},
        {"GetProcessList",
         response("GetProcessList", "<process>" + process_items(3) +
                                        "<item><name href=\"#n\"/><pid>one</pid></item>"
                                        "</process>") +
             "<n id=\"n\">t</n>"},
        {"ListDeveloperTraces",
         response("ListDeveloperTraces",
                  "<file><item id=\"f\"><filename>a</filename><size href=\"#z\"/></item>"
                  "<item href=\"#f\"/></file>") +
             "<z id=\"z\">5</z>"},
    };
}

// The reply with its body in chunks of 97 bytes instead of its length; one
// in chunks already stays as it is.
std::string in_chunks(const std::string& reply)
{
    const std::size_t body = reply.find("\r\n\r\n") + 4;
    std::string out = reply.substr(0, body - 2);
    const std::size_t length = out.find("Content-Length:");
    if (length == std::string::npos)
        return reply;
    out.erase(length, out.find("\r\n", length) + 2 - length);
    out += "Transfer-Encoding: chunked\r\n\r\n";
    for (std::size_t at = body; at < reply.size(); at += 97) {
        const std::string chunk = reply.substr(at, 97);
        char size[16];
        std::snprintf(size, sizeof size, "%zx\r\n", chunk.size());
        out += size + chunk + "\r\n";
    }
    return out + "0\r\n\r\n";
}

// Process lists and faults with references in attribute values and codes.
const char* const kReferenceBodies[] = {
    "<QORControl:GetProcessListResponse><process href=\"&#x000023;p\"/>"
    "</QORControl:GetProcessListResponse><a id=\"p\"><item><pid>1</pid></item></a>",
    "<QORControl:GetProcessListResponse><process xsi:type=\"QORControl:ArrayOf&#79;SProcess\" "
    "SOAP-ENC:arrayType=\"QORControl:OSProcess[&#x0032;]\"><item/><item/></process>"
    "</QORControl:GetProcessListResponse>",
    "<SOAP-ENV:Fault><faultcode>SOAP-ENV:Serv&#x00065;r</faultcode><faultstring>&#x1F600;"
    "</faultstring><detail><e a=\"&#65;&lt;&eacute;&#0;\">&#x1F600;</e></detail></SOAP-ENV:Fault>",
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_reply_seeds FOLDER\n");
        return 2;
    }
    int written = 0;
    for (const ShapeReply& r : shape_replies()) {
        if (r.large)
            continue;
        const ReplyBytes made = r.make();
        const std::string& reply = made.bytes;
        std::vector<std::string> framings = {reply, in_chunks(reply)};
        if (r.like)
            framings.push_back(in_chunks(made, 7).bytes);
        for (std::size_t chunked = 0; chunked < framings.size(); ++chunked) {
            for (char call : {call_byte("GetProcessList"), call_byte("ReadSnapshot (client)")}) {
                for (char piece : {'\0', '\7'}) {
                    static const char* const kFramings[] = {"_", "_chunked_", "_chunked7_"};
                    const std::string path = std::string(argv[1]) + "/" + r.name +
                                             kFramings[chunked] + std::to_string(call) +
                                             std::to_string(piece);
                    if (!write_seed(path, call, piece, framings[chunked]))
                        return 1;
                    ++written;
                }
            }
        }
    }
    std::vector<Body> bodies = long_text_bodies();
    for (Body& b : reference_item_bodies())
        bodies.push_back(std::move(b));
    for (const Body& b : bodies) {
        const std::string xml = qortest::envelope(b.xml);
        const bool fault = b.xml.rfind("<SOAP-ENV:Fault>", 0) == 0;
        const std::string reply =
            std::string(fault ? "HTTP/1.1 500 Internal Server Error" : "HTTP/1.1 200 OK") +
            "\r\nContent-Type: text/xml\r\nContent-Length: " + std::to_string(xml.size()) +
            "\r\n\r\n" + xml;
        for (char piece : {'\0', '\7'}) {
            const std::string path =
                std::string(argv[1]) + "/" + b.call + "_" + std::to_string(written);
            if (!write_seed(path, call_byte(b.call), piece, reply))
                return 1;
            ++written;
        }
    }
    for (const char* body : kReferenceBodies) {
        const std::string xml = qortest::envelope(body);
        const std::string reply = "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: " +
                                  std::to_string(xml.size()) + "\r\n\r\n" + xml;
        const std::string path = std::string(argv[1]) + "/References" + std::to_string(written);
        if (!write_seed(path, call_byte("GetProcessList"), '\0', reply))
            return 1;
        ++written;
    }
    std::printf("%d seeds\n", written);
    return 0;
}
