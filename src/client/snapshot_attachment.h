#ifndef QOR_CLIENT_SNAPSHOT_ATTACHMENT_H
#define QOR_CLIENT_SNAPSHOT_ATTACHMENT_H

#include <string>

#include "client/snapshot_references.h"

struct soap;
struct soap_multipart;
namespace qortransport {
class MimeParts;
}

/* What is known of a reply's attachments besides the toolkit's lists. */
struct SnapshotAttachments
{
    // The MIME parts' headers as written, as the transport followed them.
    const qortransport::MimeParts* parts = nullptr;
    // The MIME part that held the envelope.
    const soap_multipart* soap_part = nullptr;
};

/* Gives an attachment element (kAttachment) the bytes of the attachment its
 * href names, bound as the toolkit binds one: the first DIME record, else
 * the first MIME part in the order in which the toolkit reads them (the SOAP
 * part, the parts after it, those before it), whose id soap_match_cid
 * matches to the href. The reader registers no attachment link with the
 * toolkit, which would match every attachment against every link. A MIME
 * part whose Content-Transfer-Encoding line (part_encoding) names base64 is
 * decoded in place and its text checked (element.valid); a part in any
 * other encoding that is not the bytes themselves, with more than one such
 * line, or whose header was not followed, fails with "Unsupported encoding
 * of the snapshot"; an href that names no attachment fails with
 * SOAP_DIME_HREF, as the toolkit reports it. Returns the context's error
 * code. */
int bind_attachment(struct soap* soap, const SnapshotAttachments& attachments,
                    SnapshotElement& element);

#endif
