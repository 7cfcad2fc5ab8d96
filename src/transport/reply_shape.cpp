// The parts of a reply that the toolkit parses as XML.

#include "transport/reply_shape.h"

#include <algorithm>

namespace qortransport {
namespace {

// The first byte of a DIME record header: the format's version and flags.
constexpr unsigned char kDimeVersionBits = 0xF8;
constexpr unsigned char kDimeVersion1 = 0x08;
constexpr unsigned char kDimeMessageEnd = 0x02;
constexpr unsigned char kDimeChunk = 0x01;

std::uint64_t padded(std::uint64_t n)
{
    return (n + 3) & ~std::uint64_t{3};
}

std::size_t padding(std::uint64_t n)
{
    return static_cast<std::size_t>(padded(n) - n);
}

// A field of a DIME record header, of two or four bytes.
std::uint64_t header_field(const unsigned char* header, int at, int bytes)
{
    std::uint64_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value = (value << 8) | header[at + i];
    return value;
}

bool letter(unsigned char c)
{
    return (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
}

} // namespace

void ReplyShape::reset()
{
    part_ = Part::Start;
    error_.clear();
    header_have_ = 0;
    fields_left_ = 0;
    envelope_record_ = false;
    more_chunks_ = false;
    chunk_size_ = chunk_left_ = chunk_taken_ = 0;
    padding_left_ = 0;
    mime_.reset();
    xml_ = XmlShape();
    copy_ = XmlShape();
    since_copy_.clear();
}

void ReplyShape::body_begins(Body body, std::optional<std::string> boundary,
                             std::optional<std::string> start)
{
    if (part_ == Part::Head)
        begin(body, std::move(boundary), std::move(start));
}

void ReplyShape::begin(Body body, std::optional<std::string> boundary,
                       std::optional<std::string> start)
{
    switch (body) {
    case Body::Xml:
        part_ = Part::Xml;
        break;
    case Body::Dime:
        part_ = Part::DimeHeader;
        break;
    case Body::Mime:
        part_ = Part::Mime;
        mime_ = std::make_unique<MimeParts>(std::move(boundary), std::move(start));
        break;
    case Body::Text:
        part_ = Part::Rest;
        break;
    }
}

void ReplyShape::refuse(std::string why)
{
    if (error_.empty())
        error_ = std::move(why);
}

ReplyShape::Taken ReplyShape::take(char* data, std::size_t n)
{
    Taken taken;
    const char* p = data;
    const char* const end = data + n;
    bool stop = false;
    while (p < end && error().empty() && !stop) {
        const unsigned char c = static_cast<unsigned char>(*p);
        switch (part_) {
        case Part::Start:
            // The toolkit passes over blanks; a letter begins an HTTP header,
            // "--" a MIME message, anything else the XML.
            if (c <= ' ') {
                ++p;
            } else if (letter(c)) {
                part_ = Part::Head;
            } else if (c == '-') {
                ++p;
                part_ = Part::StartDash;
            } else {
                part_ = Part::Xml;
            }
            break;
        case Part::StartDash:
            if (c == '-') {
                begin(Body::Mime, std::nullopt, std::nullopt);
                mime_->feed("-", 1);
            } else {
                part_ = Part::Xml;
                const char* dash = "-";
                xml(dash, dash + 1);
            }
            break;
        case Part::Head:
            // The toolkit reads the header; the bytes after it come again
            // once it has (see body_begins).
            p = end;
            break;
        case Part::Rest:
            // Only the parts' headers are looked at; they bound nothing.
            if (mime_)
                mime_->feed(p, static_cast<std::size_t>(end - p));
            p = end;
            break;
        case Part::Xml: {
            // Of a chunk that others follow, its data.
            const char* const from = p;
            const char* const run =
                more_chunks_ ? p + std::min<std::uint64_t>(chunk_left_, end - p) : end;
            xml(p, run);
            chunk_taken_ += static_cast<std::uint64_t>(p - from);
            if (more_chunks_)
                chunk_left_ -= static_cast<std::uint64_t>(p - from);
            if (part_ == Part::Rest) {
                stop = true; // the end of the XML
                if (mime_)
                    mime_->follow_rest();
            } else if (more_chunks_ && chunk_left_ == 0 && error().empty()) {
                part_ = Part::DimeGap;
                padding_left_ = padding(chunk_size_);
                header_have_ = 0;
                stop = p > data + taken.dropped;
            }
            break;
        }
        case Part::Mime: {
            p += mime_->feed(p, static_cast<std::size_t>(end - p));
            if (!mime_->error().empty())
                refuse(mime_->error());
            else if (mime_->broken())
                part_ = Part::Rest;
            else if (mime_->found())
                part_ = mime_->dime() ? Part::DimeHeader : Part::Xml;
            break;
        }
        case Part::DimeHeader:
            // The toolkit reads the chunks of the envelope as one record. The
            // byte lies in the piece (p < end), before the toolkit reads it.
            if (header_have_ == 0)
                data[p - data] = static_cast<char>(c & ~kDimeChunk);
            header_[header_have_++] = c; // header_have_ < kHeader: it ends at kHeader
            ++p;
            if (header_have_ == kHeader)
                dime_header_done(taken);
            break;
        case Part::DimeFields: {
            const std::size_t k = static_cast<std::size_t>(
                std::min<std::uint64_t>(fields_left_, static_cast<std::size_t>(end - p)));
            p += k;
            fields_left_ -= k;
            if (fields_left_ == 0)
                record_data_begins(taken);
            break;
        }
        case Part::DimeGap:
            // Only ever at the front of a piece (see the Xml case): taken out.
            if (padding_left_ > 0) {
                const std::size_t k = std::min(padding_left_, static_cast<std::size_t>(end - p));
                p += k;
                padding_left_ -= k;
            } else {
                header_[header_have_++] = c; // from 0 at the gap's start, up to kHeader
                ++p;
                if (header_have_ == kHeader)
                    gap_done(taken);
            }
            taken.dropped = static_cast<std::size_t>(p - data);
            break;
        }
    }
    taken.kept = static_cast<std::size_t>(p - data) - taken.dropped;
    return taken;
}

std::size_t ReplyShape::reach(const char* next, std::size_t n) const
{
    // The header lies whole within the n bytes, or nothing is known.
    if (part_ != Part::DimeGap || header_have_ != 0 || n < padding_left_ + kHeader)
        return n;
    const auto* header = reinterpret_cast<const unsigned char*>(next + padding_left_);
    if ((header[0] & kDimeChunk) == 0)
        return n;
    const std::uint64_t through = padding_left_ + kHeader + header_field(header, 8, 4);
    return through < n ? static_cast<std::size_t>(through) : n;
}

void ReplyShape::xml(const char*& p, const char* end)
{
    const std::size_t n = static_cast<std::size_t>(end - p);
    const bool fed = xml_.feed(p, n);
    if (fed && !xml_.ended()) {
        // The bytes since the last copy of the counts, to find the byte at
        // which a later piece is refused or the XML ends; a new copy now and
        // then.
        if (since_copy_.size() + n > kCopyEvery) {
            copy_ = xml_;
            since_copy_.clear();
        } else {
            since_copy_.append(p, n);
        }
        p = end;
    } else {
        // The byte at which the document is refused, or after which it has
        // ended: from the last copy, the bytes of this piece are fed again
        // one at a time.
        XmlShape whole = std::move(xml_);
        xml_ = copy_;
        xml_.feed(since_copy_.data(), since_copy_.size());
        const char* const start = p;
        while (p < end && xml_.error().empty() && !xml_.ended())
            p += xml_.feed(p, 1) ? 1 : 0;
        if (xml_.error() != whole.error() || xml_.ended() != whole.ended()) {
            xml_ = std::move(whole);
            p = fed ? end : start;
        }
    }
    if (xml_.ended())
        part_ = Part::Rest;
}

void ReplyShape::dime_header_done(Taken& taken)
{
    // A record that is no DIME record fails the toolkit's reader.
    if ((header_[0] & kDimeVersionBits) != kDimeVersion1) {
        part_ = Part::Rest;
        return;
    }
    more_chunks_ = (header_[0] & kDimeChunk) != 0;
    chunk_size_ = chunk_left_ = header_field(header_, 8, 4);
    chunk_taken_ = 0;
    // The options, id and type; the XML of the envelope follows them.
    fields_left_ = padded(header_field(header_, 2, 2)) + padded(header_field(header_, 4, 2)) +
                   padded(header_field(header_, 6, 2));
    if (fields_left_ > 0)
        part_ = Part::DimeFields;
    else
        record_data_begins(taken);
}

void ReplyShape::record_data_begins(Taken& taken)
{
    envelope_record_ = true;
    taken.record_begins = true;
    part_ = Part::Xml;
}

void ReplyShape::gap_done(Taken& taken)
{
    if ((header_[0] & kDimeVersionBits) != kDimeVersion1) {
        refuse("a chunk of a SOAP envelope in a DIME message that is no DIME record");
        return;
    }
    if (header_field(header_, 2, 6) != 0) {
        refuse("a chunk of a SOAP envelope in a DIME message with options, an id or a type");
        return;
    }
    // The last chunk is read as the first record is: the toolkit reads on
    // from there to the end of the envelope.
    more_chunks_ = (header_[0] & kDimeChunk) != 0;
    taken.message_ends = !more_chunks_ && (header_[0] & kDimeMessageEnd) != 0;
    chunk_size_ = chunk_left_ = header_field(header_, 8, 4);
    chunk_taken_ = 0;
    part_ = Part::Xml;
}

} // namespace qortransport
