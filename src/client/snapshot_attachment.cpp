// The attachment that a ReadSnapshot reply's snapshot element names, and its
// bytes as its transfer encoding gives them.
#include "client/snapshot_attachment.h"

#include <stdsoap2.h>

#include <cstring>

#include "client/snapshot_reply.h"

namespace {

struct Found
{
    const soap_multipart* part = nullptr;
    bool mime = false;
    std::size_t place = 0; // in the list of MIME parts
};

bool names(struct soap* soap, const std::string& href, const soap_multipart* part)
{
    return part->id != nullptr && soap_match_cid(soap, href.c_str(), part->id) == 0;
}

// The toolkit binds the DIME records first. Of the MIME parts, it binds the
// SOAP part and those after it as it reads them, and the parts before it,
// read before the envelope, only at the end of the message.
Found find(struct soap* soap, const SnapshotAttachments& attachments, const std::string& href)
{
    for (const soap_multipart* p = soap->dime.list; p != nullptr; p = p->next) {
        if (names(soap, href, p))
            return {p, false, 0};
    }
    Found before;
    bool after_soap_part = false;
    std::size_t place = 0;
    for (const soap_multipart* p = soap->mime.list; p != nullptr; p = p->next, ++place) {
        after_soap_part = after_soap_part || p == attachments.soap_part;
        if (!names(soap, href, p))
            continue;
        if (after_soap_part)
            return {p, true, place};
        if (before.part == nullptr)
            before = {p, true, place};
    }
    return before;
}

// What the toolkit's code for a MIME part's Content-Transfer-Encoding says
// of its content.
enum class PartEncoding { kBytes, kBase64, kOther };

PartEncoding encoding_of(const soap_multipart* part)
{
    switch (part->encoding) {
    case SOAP_MIME_QUOTED_PRINTABLE:
    case SOAP_MIME_IETF_TOKEN:
    case SOAP_MIME_X_TOKEN:
        return PartEncoding::kOther;
    case SOAP_MIME_BASE64:
        return PartEncoding::kBase64;
    default:
        return PartEncoding::kBytes;
    }
}

// Decodes base64 text in place; false when it is not valid. Each group of
// four characters gives at most three bytes, written behind the characters
// read so far: no character is overwritten before it has been read.
bool decode_in_place(unsigned char* text, std::size_t* size)
{
    Base64Decoder decoder;
    std::size_t written = 0;
    for (std::size_t i = 0; i < *size && decoder.valid(); ++i) {
        unsigned char group[3];
        const int n = decoder.put(text[i], group);
        std::memcpy(text + written, group, static_cast<std::size_t>(n));
        written += static_cast<std::size_t>(n);
    }
    *size = written;
    return decoder.complete();
}

} // namespace

int bind_attachment(struct soap* soap, const SnapshotAttachments& attachments,
                    SnapshotElement& element)
{
    const Found found = find(soap, attachments, element.href);
    if (found.part == nullptr)
        return soap->error = SOAP_DIME_HREF;
    // The toolkit saved the attachment's bytes into a piece of the context's
    // memory of their own: they may be decoded where they lie.
    element.bytes = reinterpret_cast<unsigned char*>(const_cast<char*>(found.part->ptr));
    element.size = found.part->size;
    if (!found.mime)
        return SOAP_OK;
    switch (encoding_of(found.part)) {
    case PartEncoding::kBytes:
        return SOAP_OK;
    case PartEncoding::kBase64:
        element.valid = decode_in_place(element.bytes, &element.size);
        return SOAP_OK;
    case PartEncoding::kOther:
        break;
    }
    return soap_set_sender_error(soap, "Unsupported encoding of the snapshot", nullptr, SOAP_TYPE);
}
