// The attachment that a ReadSnapshot reply's snapshot element names, and its
// bytes as its transfer encoding gives them.
#include "client/snapshot_attachment.h"

#include <stdsoap2.h>

#include <algorithm>
#include <cstring>
#include <optional>

#include "client/snapshot_encoding.h"
#include "client/snapshot_reply.h"
#include "transport/mime_parts.h"

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
// read before the envelope, only at the end of the message. Once the message
// has been read, its lists hold every record and every part (the SOAP part
// among them), each in the order read.
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

// The encoding of a MIME part as the toolkit reads its header: its code for
// the values it knows, none for any other value or none at all.
std::optional<PartEncoding> toolkit_encoding(soap_mime_encoding encoding)
{
    switch (encoding) {
    case SOAP_MIME_NONE:
        return std::nullopt;
    case SOAP_MIME_7BIT:
    case SOAP_MIME_8BIT:
    case SOAP_MIME_BINARY:
        return PartEncoding::kBytes;
    case SOAP_MIME_BASE64:
        return PartEncoding::kBase64;
    default:
        return PartEncoding::kOther;
    }
}

// The encoding that the header of the MIME part at `place` names as
// written (the toolkit lists a part for each part header that it reads, as
// the transport counts them): a part without the line holds the bytes
// themselves (7bit, as RFC 2045 takes it), one with more lines names no one
// encoding. None when the part's header was not followed.
std::optional<PartEncoding> written_encoding(const qortransport::MimeParts* parts,
                                             std::size_t place)
{
    if (parts == nullptr || place >= parts->parts_read())
        return std::nullopt;
    const auto& lines = parts->transfer_encodings(); // in the order of their parts
    const auto found = std::lower_bound(lines.begin(), lines.end(), place,
                                        [](const qortransport::MimeParts::TransferEncoding& line,
                                           std::size_t p) { return line.part < p; });
    if (found == lines.end() || found->part != place)
        return PartEncoding::kBytes;
    return found->lines == 1 ? part_encoding(found->value) : PartEncoding::kOther;
}

// The encoding of the MIME part found. The toolkit's code is right for the
// values it knows; for any other value, and for none, it has no code, and
// the header as written tells. Any other encoding when neither tells, or the
// two differ.
PartEncoding encoding_of(const SnapshotAttachments& attachments, const Found& found)
{
    const std::optional<PartEncoding> known = toolkit_encoding(found.part->encoding);
    const std::optional<PartEncoding> written = written_encoding(attachments.parts, found.place);
    if (known && written && *known != *written)
        return PartEncoding::kOther;
    return known ? *known : written.value_or(PartEncoding::kOther);
}

// Decodes base64 text in place; false when it is not valid. Each group of
// four characters gives at most three bytes, written behind the characters
// read so far: no character is overwritten before it has been read.
bool decode_in_place(unsigned char* text, std::size_t* size)
{
    Base64Decoder decoder;
    std::size_t written = 0;
    std::size_t i = 0;
    unsigned char group[3];
    while (i < *size && decoder.valid()) {
        int n = 3;
        if (*size - i >= 4 && decoder.put_group(text + i, group))
            i += 4;
        else
            n = decoder.put(text[i++], group);
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
    switch (encoding_of(attachments, found)) {
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
