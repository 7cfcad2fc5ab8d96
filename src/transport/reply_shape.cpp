// The parts of a reply that the toolkit parses as XML.

#include "transport/reply_shape.h"

#include <algorithm>
#include <cctype>

#include "transport/plugin_data.h"

namespace qortransport {
namespace {

// A header line longer than this is kept only in part: what it says is read
// from its first bytes.
constexpr std::size_t kLineKept = 256;

std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

std::uint64_t padded(std::uint64_t n)
{
    return (n + 3) & ~std::uint64_t{3};
}

// The toolkit hands every piece of a reply here before it parses it; the
// first piece of a reply comes before anything was counted.
int reply_received(struct soap* soap, const char* data, size_t n)
{
    PluginData* d = plugin_data(soap);
    if (d == nullptr)
        return SOAP_OK;
    if (soap->count == 0)
        d->shape.reset();
    if (d->shape.feed(data, n))
        return d->saved.fpreparerecv != nullptr ? d->saved.fpreparerecv(soap, data, n) : SOAP_OK;
    // Nothing of this piece, nor of any later one, reaches the parser: the
    // toolkit would read on after a single failed read, taking it for the
    // end of an element.  The parser ends at the end of its input, and the
    // fault tells why.
    if (data == soap->buf + soap->bufidx)
        soap->buflen = soap->bufidx;
    soap_set_receiver_error(soap, soap_strdup(soap, d->shape.error().c_str()), "XML reply refused",
                            SOAP_LENGTH);
    if (d->shape.second_look()) {
        // The toolkit would take a failure here for one of HTTP and read the
        // whole reply as its text.
        soap->error = SOAP_OK;
        return SOAP_OK;
    }
    return SOAP_LENGTH;
}

} // namespace

void install_reply_shape(struct soap* soap, PluginData* data)
{
    data->saved.fpreparerecv = soap->fpreparerecv;
    soap->fpreparerecv = reply_received;
}

bool ReplyShape::feed(const char* data, std::size_t n)
{
    second_look_ = second_look_next_;
    second_look_next_ = false;
    const char* p = data;
    const char* const end = data + n;
    while (p < end && xml_.error().empty()) {
        switch (part_) {
        case Part::Start: {
            // The toolkit passes over blanks; a letter begins an HTTP header.
            const unsigned char c = static_cast<unsigned char>(*p);
            if (c <= ' ')
                ++p;
            else
                part_ = std::isalpha(c) ? Part::Head : Part::Xml;
            break;
        }
        case Part::Head:
            if (head_byte(*p++)) {
                part_ = dime_ ? Part::DimeHeader : Part::Xml;
                // The toolkit hands the bytes after the header to the
                // plug-in once more when it has read the header: as they
                // are, or from its reader of chunks.
                second_look_next_ = p < end && !chunked_;
                return true;
            }
            break;
        case Part::Xml:
            xml_.feed(p, static_cast<std::size_t>(end - p));
            p = end;
            break;
        case Part::DimeHeader:
            record_[record_have_++] = static_cast<unsigned char>(*p++);
            if (record_have_ == sizeof record_)
                dime_header_done();
            break;
        case Part::DimeSkip:
        case Part::DimeData: {
            std::uint64_t& left = part_ == Part::DimeSkip ? skip_ : data_left_;
            const std::size_t k = static_cast<std::size_t>(
                std::min<std::uint64_t>(left, static_cast<std::size_t>(end - p)));
            if (part_ == Part::DimeData)
                xml_.feed(p, k);
            p += k;
            left -= k;
            if (left > 0)
                break;
            if (part_ == Part::DimeData) {
                part_ = Part::DimeSkip;
                skip_ = padding_;
            } else if (data_left_ > 0) {
                part_ = Part::DimeData;
            } else {
                // The envelope goes on in the next record while its record
                // is chunked; the attachments follow it.
                part_ = chunked_record_ ? Part::DimeHeader : Part::Rest;
                record_have_ = 0;
            }
            break;
        }
        case Part::Rest:
            p = end;
            break;
        }
    }
    return xml_.error().empty();
}

bool ReplyShape::head_byte(char c)
{
    if (c == '\r')
        return false;
    if (c != '\n') {
        if (line_.size() < kLineKept)
            line_ += c;
        return false;
    }
    const std::string line = lower(line_);
    line_.clear();
    if (status_line_) {
        // An interim (1xx) response is followed by another header.
        const std::size_t space = line.find(' ');
        interim_ = line.compare(0, 5, "http/") == 0 && space != std::string::npos &&
                   line.compare(space, 2, " 1") == 0;
        status_line_ = false;
        return false;
    }
    if (!line.empty()) {
        if (line.compare(0, 13, "content-type:") == 0)
            dime_ = line.find("application/dime") != std::string::npos;
        if (line.compare(0, 18, "transfer-encoding:") == 0)
            chunked_ = line.find("chunked") != std::string::npos;
        return false;
    }
    if (interim_) {
        status_line_ = true;
        return false;
    }
    return true;
}

void ReplyShape::dime_header_done()
{
    const auto field = [this](int at) { return (record_[at] << 8) | record_[at + 1]; };
    // A record that is no DIME record fails the toolkit's reader.
    if ((record_[0] & 0xF8) != 0x08) {
        part_ = Part::Rest;
        return;
    }
    chunked_record_ = (record_[0] & 0x01) != 0;
    skip_ = padded(field(2)) + padded(field(4)) + padded(field(6));
    data_left_ = (std::uint64_t{record_[8]} << 24) | (std::uint64_t{record_[9]} << 16) |
                 (std::uint64_t{record_[10]} << 8) | record_[11];
    padding_ = padded(data_left_) - data_left_;
    part_ = Part::DimeSkip;
}

} // namespace qortransport
