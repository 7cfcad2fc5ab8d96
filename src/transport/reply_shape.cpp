// The parts of a reply that the toolkit parses as XML.

#include "transport/reply_shape.h"

#include <algorithm>

namespace qortransport {
namespace {

std::uint64_t padded(std::uint64_t n)
{
    return (n + 3) & ~std::uint64_t{3};
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
    record_have_ = 0;
    fields_left_ = 0;
    envelope_record_ = false;
    record_size_ = record_taken_ = 0;
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

ReplyShape::Taken ReplyShape::take(const char* data, std::size_t n)
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
            const char* const from = p;
            xml(p, end);
            record_taken_ += static_cast<std::uint64_t>(p - from);
            stop = part_ == Part::Rest; // the end of the XML
            if (stop && mime_)
                mime_->follow_rest();
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
            record_[record_have_++] = c;
            ++p;
            if (record_have_ == sizeof record_)
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
        }
    }
    taken.kept = static_cast<std::size_t>(p - data);
    return taken;
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
    if ((record_[0] & 0xF8) != 0x08) {
        part_ = Part::Rest;
        return;
    }
    // The toolkit reads the continuation records of a chunked envelope with
    // headers of twelve bytes, whatever their fields, and goes on past the
    // last one in ways of its own: such a message is not followed.
    if ((record_[0] & 0x01) != 0) {
        refuse("a chunked SOAP envelope in a DIME message");
        return;
    }
    const auto field = [this](int at) {
        return static_cast<std::uint64_t>((record_[at] << 8) | record_[at + 1]);
    };
    record_size_ = field(8) << 16 | field(10);
    record_taken_ = 0;
    // The options, id and type; the XML of the envelope follows them, read
    // to its end whatever the length the record declares.
    fields_left_ = padded(field(2)) + padded(field(4)) + padded(field(6));
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

} // namespace qortransport
