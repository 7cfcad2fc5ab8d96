// The toolkit's steps in reading a reply, through which the plug-in follows
// it with its ReplyShape: a reply begins, its HTTP header has been read, and
// every piece of it before the parser reads that piece.

#include <algorithm>
#include <cctype>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

#include "transport/plugin_data.h"

namespace qortransport {
namespace {

// The media type of a Content-Type value: what comes before any parameter,
// without blanks around it, in small letters.
std::string media_type(const char* value)
{
    std::string type(value, std::strcspn(value, ";"));
    const std::size_t first = type.find_first_not_of(" \t");
    const std::size_t last = type.find_last_not_of(" \t");
    type = first == std::string::npos ? std::string() : type.substr(first, last - first + 1);
    std::transform(type.begin(), type.end(), type.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    return type;
}

// The toolkit is reading the envelope's XML: its steps from the envelope's
// start tag to its end tag set soap->part to the values from
// SOAP_IN_ENVELOPE to SOAP_END_ENVELOPE.
bool reading_envelope(const struct soap* soap)
{
    return soap->part >= SOAP_IN_ENVELOPE && soap->part <= SOAP_END_ENVELOPE;
}

// The parser reads on past the point at which the reply was refused: the
// call fails, and the fault tells why.
int reading_refused(struct soap* soap, PluginData* d)
{
    if (!d->reply_refused)
        soap_set_receiver_error(soap, soap_strdup(soap, d->shape.error().c_str()),
                                "XML reply refused", SOAP_LENGTH);
    d->reply_refused = true;
    return soap->error = SOAP_LENGTH;
}

// A new reply begins: it is followed from its first byte.
int reply_begins(struct soap* soap)
{
    PluginData* d = plugin_data(soap);
    if (d == nullptr)
        return SOAP_OK;
    d->shape.reset();
    d->media_dime = d->media_mime = d->second_look = d->reply_refused = false;
    d->held_back.clear();
    d->held_back_at = d->held_back_counted = d->recounted = 0;
    d->record_count = 0;
    d->reading_on = false;
    return d->saved.fprepareinitrecv != nullptr ? d->saved.fprepareinitrecv(soap) : SOAP_OK;
}

// A line of the HTTP header: the Content-Type lines, as the toolkit knows
// them, tell the layout of the body by their media type.
int header_line(struct soap* soap, const char* key, const char* value)
{
    PluginData* d = plugin_data(soap);
    if (d == nullptr)
        return SOAP_OK;
    if (key != nullptr && value != nullptr && !soap_tag_cmp(key, "Content-Type")) {
        const std::string type = media_type(value);
        d->media_dime = d->media_dime || type == "application/dime";
        d->media_mime =
            d->media_mime || type == "multipart/related" || type == "multipart/form-data";
    }
    return d->saved.fparsehdr(soap, key, value);
}

// The toolkit has read the HTTP header. It reads the body as DIME or MIME
// when a Content-Type line names either anywhere among its parameters (its
// fparse step leaves that in soap->imode, and the MIME boundary and start
// parameters in soap->mime); the body is followed in the layout of the media
// type, and a header on which the two differ is refused.
int header_read(struct soap* soap)
{
    PluginData* d = plugin_data(soap);
    if (d == nullptr)
        return SOAP_OK;
    const int rc = d->saved.fparse(soap);
    const bool dime = (soap->imode & SOAP_ENC_DIME) != 0;
    const bool mime = (soap->imode & SOAP_ENC_MIME) != 0;
    if (rc != SOAP_OK && rc < SOAP_STOP) {
        // An HTTP error whose body the toolkit takes as its text, if at all.
        d->shape.body_begins(ReplyShape::Body::Text);
    } else if (dime != d->media_dime || mime != d->media_mime || (dime && mime)) {
        // No byte of the body may be parsed, so the call fails whatever the
        // toolkit makes of the rest: its fault is this one.
        d->shape.refuse("DIME or MIME named outside the media type of a Content-Type");
        reading_refused(soap, d);
    } else if (mime) {
        const auto text = [](const char* s) {
            return s != nullptr ? std::optional<std::string>(s) : std::nullopt;
        };
        d->shape.body_begins(ReplyShape::Body::Mime, text(soap->mime.boundary),
                             text(soap->mime.start));
    } else {
        d->shape.body_begins(dime ? ReplyShape::Body::Dime : ReplyShape::Body::Xml);
    }
    // Without chunks the toolkit hands over the bytes after the header once
    // more; with chunks they come from its reader of chunks.
    d->second_look = (soap->imode & SOAP_IO) != SOAP_IO_CHUNK;
    return rc;
}

// The toolkit's buffer holds the piece at [bufidx, buflen) and, reading a
// body in chunks, the raw bytes after this chunk's data at [buflen,
// chunkbuflen) when chunkbuflen is not 0; all within its SOAP_BUFLEN bytes.
bool piece_in_buffer(const struct soap* soap, const char* data, std::size_t n)
{
    return data == soap->buf + soap->bufidx && soap->bufidx <= soap->buflen &&
           soap->buflen - soap->bufidx == n && soap->buflen <= sizeof soap->buf;
}

bool reading_chunks(const struct soap* soap)
{
    return (soap->mode & SOAP_IO) == SOAP_IO_CHUNK;
}

// The parser reads the first `kept` bytes of the piece now, and the bytes
// after them in the next reads: they are held back until it has. The
// toolkit reads them once its envelope is read (attachments, the rest of a
// chunked body), or once it reaches the point before a chunk header of the
// envelope; a reader still in the envelope after its end would read more of
// it than was counted (see reply_read). `counted`: the toolkit's count holds
// them once it has added this read, as it does the bytes of any read; not
// so in the read that ends the header of the envelope's DIME record, after
// which it counts the bytes up to the end of its buffer afresh.
void hold_back(struct soap* soap, PluginData* d, std::size_t kept, bool counted)
{
    // bufidx + kept <= buflen <= chunkbuflen (when not 0) <= SOAP_BUFLEN.
    const std::size_t cut = soap->bufidx + kept;
    const std::size_t held = soap->buflen - cut;
    std::string next(soap->buf + cut, held);
    if (reading_chunks(soap)) {
        // The rest of this chunk comes as chunk data, then the raw bytes
        // after it with the next chunks' sizes.
        if (soap->chunkbuflen > soap->buflen)
            next.append(soap->buf + soap->buflen, soap->chunkbuflen - soap->buflen);
        soap->chunksize += held;
        soap->chunkbuflen = 0;
    }
    // What was held back before and not handed on yet (raw bytes after the
    // chunk data that the toolkit has just read) comes after them.
    next.append(d->held_back, d->held_back_at);
    d->held_back = std::move(next);
    d->held_back_at = 0;
    d->held_back_counted = counted ? held : 0;
    soap->buflen = cut;
}

// The toolkit skips to the end of the envelope's DIME record by its size
// less its position (its count less the bytes in its buffer not read yet),
// padded to four bytes. Both stay true to the bytes it reads (the chunks'
// data joined, their last chunk as a record of its own) whatever was taken
// out of a piece or held back: its count, to which it adds the `added`
// bytes of this read after this step, is set to the count of the toolkit
// alone (at least the bytes it adds, at most three more to keep the record's
// offset a multiple of four), and the size is shifted by as much as the count
// is ahead of the record's bytes.
void follow_record(struct soap* soap, const PluginData* d, std::size_t added)
{
    const ULONG64 alone = std::max<ULONG64>(d->record_count, added);
    const ULONG64 taken = d->shape.record_taken();
    const ULONG64 count = alone + ((taken - alone) & 3);
    soap->count = count - added;
    soap->dime.size = static_cast<size_t>(d->shape.record_size() + (count - taken));
}

// The toolkit hands every piece of a reply here before it parses it.
int reply_received(struct soap* soap, const char* data, size_t n)
{
    PluginData* d = plugin_data(soap);
    if (d == nullptr)
        return SOAP_OK;
    const bool in_buffer = piece_in_buffer(soap, data, n);
    const bool second_look =
        d->second_look && !d->shape.in_header() && soap->bufidx > 0 && in_buffer;
    if (!d->shape.in_header())
        d->second_look = false;
    // Whatever the toolkit reads once the envelope has ended is no XML; a
    // reader still in the envelope would read more of it than was counted.
    if (d->shape.xml_ended() && reading_envelope(soap))
        d->shape.refuse("XML after the end of the envelope");
    if (!in_buffer)
        d->shape.refuse("a piece of the reply outside the toolkit's buffer");
    // The toolkit adds the bytes of this read to its count after this step;
    // those of its second look at the bytes after the HTTP header were added
    // with the header.
    const std::size_t added = second_look ? 0 : n;
    const bool followed = d->shape.in_record();
    const std::size_t recounted = std::exchange(d->recounted, 0);
    const ReplyShape::Taken t =
        in_buffer ? d->shape.take(soap->buf + soap->bufidx, n) : ReplyShape::Taken{};
    // Dropped bytes lead the piece (dropped + kept <= n): the toolkit starts
    // after them, and never steps back before the first byte it read.
    soap->bufidx += t.dropped;
    if (!d->shape.error().empty()) {
        // The parser takes the bytes before the point at which the reply is
        // refused, and fails once it reads on past it: so what a reply comes
        // to does not depend on where its reads end, and a reply whose
        // envelope ends before that point (for the toolkit) is read. Nothing
        // later reaches the parser: the toolkit would read on after a single
        // failed read, taking it for the end of an element, and it would
        // read the rest of a chunked body's buffer as chunks.
        if (in_buffer) {
            // The toolkit's reader of chunks goes on at chunkbuflen: no raw
            // bytes are left after the piece for it.
            soap->buflen = soap->bufidx + t.kept;
            if (soap->chunkbuflen > soap->buflen)
                soap->chunkbuflen = soap->buflen;
            if (t.kept > 0)
                return d->saved.fpreparerecv != nullptr
                           ? d->saved.fpreparerecv(soap, soap->buf + soap->bufidx, t.kept)
                           : SOAP_OK;
            // The toolkit would take a failure here for one of HTTP and read
            // the whole reply as its text; the parser fails at its first read.
            if (second_look)
                return SOAP_OK;
        }
        return reading_refused(soap, d);
    }
    // The last chunk of the envelope ends the DIME message: the toolkit reads
    // no record after it.
    if (t.message_ends)
        soap->mode &= ~SOAP_ENC_DIME;
    if (t.dropped + t.kept < n)
        hold_back(soap, d, t.kept, !t.record_begins);
    if (followed) {
        d->record_count += n - recounted;
    } else {
        // The bytes handed on again were counted when they first came (and
        // the count holds them still, so it stays above 0).
        soap->count -= recounted;
        if (t.record_begins)
            d->record_count = d->shape.record_taken();
    }
    if (d->reading_on)
        return t.kept > 0 && d->saved.fpreparerecv != nullptr
                   ? d->saved.fpreparerecv(soap, soap->buf + soap->bufidx, t.kept)
                   : SOAP_OK;
    if (t.kept == 0 && n > 0) {
        // Nothing of this piece is for the toolkit (it held the header of a
        // chunk of the envelope), and it would read an empty piece as the end
        // of its input: the next pieces are read now, up to one that holds
        // something for it.
        d->reading_on = true;
        int rc = SOAP_OK;
        while (rc == SOAP_OK && soap->bufidx == soap->buflen)
            rc = soap_recv_raw(soap);
        d->reading_on = false;
        if (rc != SOAP_OK)
            return soap->error != SOAP_OK ? soap->error : SOAP_EOF;
        if (followed)
            follow_record(soap, d, added);
        return SOAP_OK;
    }
    if (followed)
        follow_record(soap, d, added);
    return d->saved.fpreparerecv != nullptr
               ? d->saved.fpreparerecv(soap, soap->buf + soap->bufidx, t.kept)
               : SOAP_OK;
}

// The bytes held back come first. Those held back after the end of the XML
// are never read by a reader still in the envelope. Nothing more of a
// refused reply is read from the connection: a service that holds it open
// would keep the call waiting.
size_t reply_read(struct soap* soap, char* s, size_t n)
{
    PluginData* d = plugin_data(soap);
    if (d == nullptr)
        return 0;
    const std::size_t held = d->held_back.size() - d->held_back_at;
    if (d->shape.error().empty() && held > 0 && d->shape.xml_ended() && reading_envelope(soap))
        d->shape.refuse("XML after the end of the envelope");
    if (!d->shape.error().empty()) {
        reading_refused(soap, d);
        return 0;
    }
    if (held > 0) {
        // At most n, the room the toolkit gave. A chunk record of the
        // envelope is joined at the front of a piece: the piece ends where
        // the next one begins, so that the toolkit reaches it in a piece of
        // its own without a copy of what follows.
        const std::size_t k =
            d->shape.reach(d->held_back.data() + d->held_back_at, std::min(n, held));
        std::memcpy(s, d->held_back.data() + d->held_back_at, k);
        if (d->held_back_at < d->held_back_counted)
            d->recounted += std::min(k, d->held_back_counted - d->held_back_at);
        d->held_back_at += k;
        return k;
    }
    return d->saved.recv_next(soap, s, n);
}

} // namespace

void install_reply_shape(struct soap* soap, PluginData* data)
{
    SavedCallbacks& s = data->saved;
    s.fprepareinitrecv = soap->fprepareinitrecv;
    s.fpreparerecv = soap->fpreparerecv;
    s.fparse = soap->fparse;
    s.fparsehdr = soap->fparsehdr;
    soap->fprepareinitrecv = reply_begins;
    soap->fpreparerecv = reply_received;
    soap->fparse = header_read;
    soap->fparsehdr = header_line;
    s.recv_next = soap->frecv;
    soap->frecv = reply_read;
}

} // namespace qortransport
