// The reply of ReadSnapshot: whether snapshot data came, and whether it is
// valid base64, which the runtime's own reader does not tell.
#include "client/snapshot_reply.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "client/snapshot_attachment.h"
#include "client/snapshot_references.h"
#include "soapH.h"
#include "transport/plugin.h"

namespace {

constexpr const char* kResponseTag = "QORControl:ReadSnapshotResponse";
constexpr const char* kSnapshotTag = "snapshot";
constexpr const char* kSnapshotType = "QORControl:SnapshotZip";

constexpr int base64_value(int c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

using Kind = SnapshotElement::Kind;

// Collects decoded bytes in the context's blocks of a megabyte, written in
// place. Blocks that large go back to the system as soon as they have been
// copied into the snapshot's one piece, so that the two never take room
// together. The list is always named, never taken as the context's newest:
// the toolkit's own lists may lie above it while the text is read. A list
// not saved is ended with the sink, whatever broke off the reading.
class BlockSink
{
  public:
    explicit BlockSink(struct soap* soap) : soap_(soap), blocks_(soap_alloc_block(soap)) {}
    ~BlockSink()
    {
        if (blocks_ != nullptr)
            soap_end_block(soap_, blocks_);
    }
    BlockSink(const BlockSink&) = delete;
    BlockSink& operator=(const BlockSink&) = delete;

    bool ok() const { return blocks_ != nullptr; }
    // False when no new block can be had; nothing is written then.
    bool add(const unsigned char* bytes, int n)
    {
        for (int i = 0; i < n; ++i) {
            if (used_ == kBlock && !next_block())
                return false;
            block_[used_++] = bytes[i]; // used_ < kBlock here
        }
        return true;
    }
    // The bytes in one piece of the context's memory (null when none, or when
    // there is no room for them); the list is ended either way.
    unsigned char* save(std::size_t* size)
    {
        if (block_ != nullptr)
            soap_size_block(soap_, blocks_, used_); // the last block is full up to here
        *size = blocks_->size;
        struct soap_blist* const blocks = std::exchange(blocks_, nullptr);
        if (*size == 0) {
            soap_end_block(soap_, blocks);
            return nullptr;
        }
        return static_cast<unsigned char*>(soap_save_block(soap_, blocks, nullptr, 0));
    }

  private:
    static constexpr std::size_t kBlock = std::size_t{1} << 20;

    // On failure the last block stays the current one, full.
    bool next_block()
    {
        void* block = soap_push_block(soap_, blocks_, kBlock);
        if (block == nullptr)
            return false;
        block_ = static_cast<unsigned char*>(block);
        used_ = 0;
        return true;
    }

    struct soap* soap_;
    struct soap_blist* blocks_;
    unsigned char* block_ = nullptr; // kBlock bytes, used_ of them written
    std::size_t used_ = kBlock;      // no block yet: the first byte asks for one
};

// The character of the text that qor_get gave: a character reference comes
// with the high bit set, and ">", '"' and "'" as marks of their own; false for
// a tag or the end of the input.
bool text_character(soap_wchar c, int* character)
{
    constexpr soap_wchar kGt = -4, kQuote = -5, kApostrophe = -6;
    const uint32_t bits = static_cast<uint32_t>(c);
    if (c >= 0 || (bits & 0x7FFFFFFFu) <= 0x10FFFFu) {
        *character = static_cast<int>(bits & 0x7FFFFFFFu);
        return true;
    }
    const char marked = c == kGt ? '>' : c == kQuote ? '"' : c == kApostrophe ? '\'' : '\0';
    *character = marked;
    return marked != '\0';
}

// The value of each character of the alphabet; 255 for any other.
constexpr auto kBase64Values = [] {
    std::array<unsigned char, 256> values{};
    for (int c = 0; c < 256; ++c)
        values[c] = static_cast<unsigned char>(base64_value(c) >= 0 ? base64_value(c) : 255);
    return values;
}();

// A character that qor_get hands on as it is and that base64 text holds:
// the alphabet, "=" and the blanks.
bool plain_base64(unsigned char c)
{
    return base64_value(c) >= 0 || c == '=' || c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Base64 text taken straight from the input buffer while it is plain: what
// qor_get would give, without a call per character. False with the
// context's error set when the decoded bytes find no room. Only the bytes
// of buf[bufidx, buflen) that qor_get hands on unchanged are taken, and
// bufidx is left at the first byte not taken; a byte the parser has put
// back (ahead) or a CDATA section leaves the text to qor_get.
bool read_plain_base64(struct soap* soap, Base64Decoder& decoder, BlockSink& sink)
{
    if (soap->ahead || soap->cdata)
        return true;
    const char* p = soap->buf + soap->bufidx;
    const char* const end = soap->buf + soap->buflen;
    bool ok = true;
    while (p < end && ok && plain_base64(static_cast<unsigned char>(*p))) {
        // Whole groups at once up to the next blank or padding; the four
        // bytes of a group lie before the buffer's end.
        unsigned char out[3];
        while (ok && end - p >= 4 &&
               decoder.put_group(reinterpret_cast<const unsigned char*>(p), out)) {
            ok = sink.add(out, 3);
            p += 4;
        }
        if (p == end || !ok || !plain_base64(static_cast<unsigned char>(*p)))
            break;
        const int n = decoder.valid() ? decoder.put(static_cast<unsigned char>(*p), out) : 0;
        ok = n == 0 || sink.add(out, n);
        ++p;
    }
    soap->bufidx = static_cast<std::size_t>(p - soap->buf);
    if (!ok)
        soap->error = SOAP_EOM;
    return ok;
}

// The text of an inline snapshot, after its start tag, up to and including
// its end tag. False with the context's error set when the message breaks.
bool read_inline(struct soap* soap, const char* tag, SnapshotElement& element)
{
    BlockSink sink(soap);
    if (!sink.ok()) {
        soap->error = SOAP_EOM;
        return false;
    }
    Base64Decoder decoder;
    for (;;) {
        if (!read_plain_base64(soap, decoder, sink))
            return false;
        const soap_wchar c = qor_get(soap);
        int character = 0;
        if (!text_character(c, &character)) {
            if (soap->error != SOAP_OK)
                return false; // a reference that names no character
            soap_unget(soap, c);
            // An element inside the text is no base64 either.
            if (soap_peek_element(soap) == SOAP_OK) {
                decoder.reject();
                if (soap_ignore_element(soap))
                    return false;
                continue;
            }
            if (soap->error != SOAP_NO_TAG)
                return false;
            soap->error = SOAP_OK;
            break;
        }
        unsigned char out[3];
        const int n = decoder.valid() ? decoder.put(character, out) : 0;
        if (n > 0 && !sink.add(out, n)) {
            soap->error = SOAP_EOM;
            return false;
        }
    }
    if (soap_element_end_in(soap, tag))
        return false;
    element.valid = decoder.complete();
    element.bytes = sink.save(&element.size);
    if (element.size != 0 && element.bytes == nullptr) {
        soap->error = SOAP_EOM;
        return false;
    }
    return true;
}

// The base64 type's rule, as the class's own reader keeps it when it is given
// the class's type, which the generic reader gives for an element that an
// href names: an xsi:type other than the class's, base64Binary or base64 (in
// any namespace).
bool another_type(struct soap* soap)
{
    if (!*soap->type)
        return false;
    const int error = soap->error;
    const bool other = soap_match_tag(soap, soap->type, kSnapshotType) &&
                       soap_match_tag(soap, soap->type, ":base64Binary") &&
                       soap_match_tag(soap, soap->type, ":base64");
    soap->error = error;
    return other;
}

// The content of an element that holds snapshot data, after its start tag
// (its xsi:type has passed where it counts): nil, an href to an attachment or
// to another element, or base64 text. Leaves the context's error set when
// the message breaks.
void read_data(struct soap* soap, const char* tag, SnapshotElement& element)
{
    if (soap->null) {
        element.kind = Kind::kNil;
        if (soap->body)
            soap_element_end_in(soap, tag);
        return;
    }
    if (*soap->href) {
        // Another element, or an attachment, bound once the message has been
        // read: no link of the toolkit's, which it would walk once for every
        // attachment.
        element.kind = *soap->href == '#' ? Kind::kReference : Kind::kAttachment;
        element.href = soap->href;
        if (soap->body)
            soap_element_end_in(soap, tag);
        return;
    }
    element.kind = Kind::kInline;
    if (soap->body)
        read_inline(soap, tag, element);
}

// Reads the snapshot member when it is next, whatever its xsi:type, as the
// response's reader reads it through a pointer, which expects no type;
// leaves SOAP_TAG_MISMATCH in the context when another element is.
void read_snapshot(struct soap* soap, SnapshotElement& element)
{
    if (soap_element_begin_in(soap, kSnapshotTag, 1, nullptr))
        return;
    read_data(soap, kSnapshotTag, element);
}

// Another element than the snapshot member, in the response or after it.
// One with an id is kept while the snapshot's href may still name it: read
// as snapshot data when its xsi:type allows, otherwise only noted and left
// to the runtime like any other. Returns the context's error code.
int read_other(struct soap* soap, SnapshotReferences& references)
{
    if (soap_peek_element(soap))
        return soap->error;
    if (!*soap->id)
        return soap_ignore_element(soap);
    const std::string id = soap->id;
    if (references.has(id))
        return soap->error = SOAP_DUPLICATE_ID;
    if (!references.open())
        return soap_ignore_element(soap);
    SnapshotElement element;
    if (another_type(soap)) {
        element.kind = Kind::kOtherType;
        element.type = soap->type;
        element.tag = soap->tag;
        references.keep(id, element);
        return soap_ignore_element(soap);
    }
    if (soap_element_begin_in(soap, nullptr, 1, nullptr))
        return soap->error;
    read_data(soap, nullptr, element);
    if (soap->error == SOAP_OK)
        references.keep(id, element);
    return soap->error;
}

// The response element, as the generated reader reads it, with the snapshot
// member read above. False with the context's error set.
bool read_response(struct soap* soap, SnapshotReferences& references)
{
    if (soap_element_begin_in(soap, kResponseTag, 0, nullptr))
        return false;
    if (!soap->body)
        return true;
    bool seen = false;
    for (;;) {
        soap->error = SOAP_TAG_MISMATCH;
        if (!seen) {
            SnapshotElement element;
            read_snapshot(soap, element);
            if (soap->error == SOAP_OK) {
                seen = true;
                references.start(element);
                continue;
            }
        }
        if (soap->error == SOAP_TAG_MISMATCH)
            soap->error = read_other(soap, references);
        if (soap->error == SOAP_NO_TAG)
            break;
        if (soap->error)
            return false;
    }
    return soap_element_end_in(soap, kResponseTag) == SOAP_OK;
}

// The elements of the Body after the response, which SOAP 1.1 encoding gives
// the values that hrefs name. Read, as the runtime reads them for other
// responses, when the snapshot came through an href; skipped otherwise.
bool read_independent(struct soap* soap, SnapshotReferences& references)
{
    if (soap->version != 1 || !references.by_reference())
        return true;
    for (;;) {
        soap->error = read_other(soap, references);
        if (soap->error == SOAP_NO_TAG) {
            soap->error = SOAP_OK;
            return true;
        }
        if (soap->error)
            return false;
    }
}

int recv_read_snapshot(struct soap* soap, SnapshotData* data)
{
    SnapshotReferences references;
    if (soap_begin_recv(soap) || soap_envelope_begin_in(soap) || soap_recv_header(soap) ||
        soap_body_begin_in(soap))
        return soap_closesock(soap);
    if (!read_response(soap, references))
        return qor_recv_fault(soap);
    if (!read_independent(soap, references))
        return soap_closesock(soap);
    // An href that names no element is reported by the runtime at the end of
    // the message, as it reports such an href for other types.
    void* unresolved = nullptr;
    if (references.result().kind == Kind::kReference &&
        soap_id_lookup(soap, references.result().href.c_str(), &unresolved,
                       SOAP_TYPE_QORControl__SnapshotZip, sizeof(QORControl__SnapshotZip), 0,
                       nullptr) == nullptr)
        return soap_closesock(soap);
    if (soap_body_end_in(soap) || soap_envelope_end_in(soap))
        return soap_closesock(soap);
    // The newest entry of the toolkit's queue of MIME parts is the one it has
    // read the envelope from (null for a reply that is not MIME); it reads
    // the rest of the message next.
    const SnapshotAttachments attachments{plugin_mime_parts(soap), soap->mime.last};
    if (soap_end_recv(soap))
        return soap_closesock(soap);
    if (soap_closesock(soap))
        return soap->error;
    SnapshotElement element = references.result();
    if (element.kind == Kind::kOtherType) {
        // As the base64 type's reader reports it, for the element that has it.
        std::snprintf(soap->type, sizeof soap->type, "%s", element.type.c_str());
        std::snprintf(soap->tag, sizeof soap->tag, "%s", element.tag.c_str());
        return soap->error = SOAP_TYPE;
    }
    if (element.kind == Kind::kAttachment && bind_attachment(soap, attachments, element))
        return soap->error;
    // An href still open here led to no element read above (the runtime may
    // know the id from an element of its own): no data either.
    if (element.kind == Kind::kAbsent || element.kind == Kind::kNil ||
        element.kind == Kind::kReference)
        return soap_set_sender_error(soap, "No snapshot data in the reply", nullptr, SOAP_NO_DATA);
    if (!element.valid)
        return soap_set_sender_error(soap, "Invalid base64 data in the snapshot", nullptr,
                                     SOAP_TYPE);
    data->bytes = element.bytes;
    data->size = element.size;
    return SOAP_OK;
}

} // namespace

int Base64Decoder::put(int c, unsigned char out[3])
{
    if (!valid_ || c == ' ' || c == '\t' || c == '\r' || c == '\n')
        return 0;
    const int value = base64_value(c);
    if (closed_ || (c != '=' && (value < 0 || padding_ > 0)) || (c == '=' && count_ < 2)) {
        valid_ = false; // outside the alphabet, or data after the padding
        return 0;
    }
    if (c == '=')
        ++padding_;
    else
        bits_ = (bits_ << 6) | static_cast<uint32_t>(value);
    if (++count_ < 4)
        return 0;
    bits_ <<= 6 * padding_;
    const int produced = 3 - padding_;
    for (int i = 0; i < produced; ++i)
        out[i] = static_cast<unsigned char>(bits_ >> (16 - 8 * i));
    closed_ = padding_ > 0;
    bits_ = 0;
    count_ = 0;
    padding_ = 0;
    return produced;
}

bool Base64Decoder::put_group(const unsigned char in[4], unsigned char out[3])
{
    if (!valid_ || count_ != 0 || closed_)
        return false;
    const unsigned a = kBase64Values[in[0]], b = kBase64Values[in[1]], c = kBase64Values[in[2]],
                   d = kBase64Values[in[3]];
    if ((a | b | c | d) > 63)
        return false; // another character than the alphabet's
    const unsigned bits = (a << 18) | (b << 12) | (c << 6) | d;
    out[0] = static_cast<unsigned char>(bits >> 16);
    out[1] = static_cast<unsigned char>(bits >> 8);
    out[2] = static_cast<unsigned char>(bits);
    return true;
}

int call_read_snapshot(struct soap* soap, const char* endpoint, const char* action, char* filename,
                       SnapshotData* data)
{
    *data = SnapshotData{};
    if (soap_send_QORControl__ReadSnapshot(soap, endpoint, action, filename) ||
        recv_read_snapshot(soap, data))
        return soap->error;
    return SOAP_OK;
}
