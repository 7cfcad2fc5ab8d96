// Writes the replies of the reply-bounds tests into a folder as seeds of the
// fuzz target: each with both calls, read whole and in reads of 7 bytes, with
// its length and in chunks; and a few with character references where the
// toolkit's reader decodes them.
#include <cstdio>
#include <string>

#include "shape_replies.h"
#include "support/fake_service.h"

namespace {

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
        const std::string reply = r.make().bytes;
        const std::string framings[] = {reply, in_chunks(reply)};
        for (int chunked = 0; chunked < 2; ++chunked) {
            for (char call : {'\0', '\1'}) {
                for (char piece : {'\0', '\7'}) {
                    const std::string path = std::string(argv[1]) + "/" + r.name +
                                             (chunked ? "_chunked_" : "_") + std::to_string(call) +
                                             std::to_string(piece);
                    FILE* f = std::fopen(path.c_str(), "wb");
                    if (f == nullptr)
                        return 1;
                    const std::string bytes = std::string{call, piece} + framings[chunked];
                    std::fwrite(bytes.data(), 1, bytes.size(), f);
                    std::fclose(f);
                    ++written;
                }
            }
        }
    }
    for (const char* body : kReferenceBodies) {
        const std::string xml = qortest::envelope(body);
        const std::string reply = "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: " +
                                  std::to_string(xml.size()) + "\r\n\r\n" + xml;
        const std::string path = std::string(argv[1]) + "/References" + std::to_string(written);
        FILE* f = std::fopen(path.c_str(), "wb");
        if (f == nullptr)
            return 1;
        std::fwrite("\0\0", 1, 2, f);
        std::fwrite(reply.data(), 1, reply.size(), f);
        std::fclose(f);
        ++written;
    }
    std::printf("%d seeds\n", written);
    return 0;
}
