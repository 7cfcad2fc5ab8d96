#include "service/test_records_support.h"

#include <algorithm>

namespace recordtest {

namespace {
constexpr std::string_view kEnvelopeHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<SOAP-ENV:Envelope"
    " xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\""
    " xmlns:SOAP-ENC=\"http://schemas.xmlsoap.org/soap/encoding/\""
    " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\""
    " xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\""
    " xmlns:QORControl=\"urn:QORControl\">"
    "<SOAP-ENV:Body>";
constexpr std::string_view kEnvelopeTail = "</SOAP-ENV:Body></SOAP-ENV:Envelope>\n";
} // namespace

std::string Envelope(std::string_view body)
{
    std::string xml(kEnvelopeHead);
    xml += body;
    xml += kEnvelopeTail;
    return xml;
}

std::string Response(std::string_view response, std::string_view member_xml,
                     std::string_view trailer)
{
    std::string body = "<";
    body += response;
    body += ">";
    body += member_xml;
    body += "</";
    body += response;
    body += ">";
    body += trailer;
    return Envelope(body);
}

Reader::Reader() : soap_(soap_new1(SOAP_C_UTFSTRING))
{
    soap_->user = this;
    soap_->frecv = Receive;
}

std::size_t Reader::Receive(struct soap* soap, char* s, std::size_t n)
{
    Reader* reader = static_cast<Reader*>(soap->user);
    std::size_t limit = n;
    if (reader->piece_ != 0)
        limit = std::min(limit, reader->piece_);
    if (reader->split_ > reader->delivered_)
        limit = std::min(limit, reader->split_ - reader->delivered_);
    reader->in_.read(s, static_cast<std::streamsize>(limit));
    const std::size_t got = static_cast<std::size_t>(reader->in_.gcount());
    reader->delivered_ += got;
    return got;
}

void Reader::SetDelivery(std::size_t piece, std::size_t split)
{
    piece_ = piece;
    split_ = split;
}

Reader::~Reader()
{
    Release();
    soap_free(soap_);
}

void Reader::SetStrict(bool on)
{
    if (on)
        soap_set_imode(soap_, SOAP_XML_STRICT);
    else
        soap_clr_imode(soap_, SOAP_XML_STRICT);
}

std::size_t Reader::TouchRegistrations() const
{
    std::size_t count = 0;
    volatile char sink = 0;
    const auto touch = [&](const void* p) {
        if (p != nullptr) {
            sink = sink + *static_cast<const volatile char*>(p);
            ++count;
        }
    };
    for (const soap_ilist* first : soap_->iht) {
        for (const soap_ilist* ip = first; ip != nullptr; ip = ip->next) {
            touch(ip->ptr);
            touch(ip->smart);
            for (void* const* q = static_cast<void* const*>(ip->link); q != nullptr;
                 q = static_cast<void* const*>(*q))
                touch(q);
            for (void* const* q = static_cast<void* const*>(ip->copy); q != nullptr;
                 q = static_cast<void* const*>(*q))
                touch(q);
            for (const soap_flist* fp = ip->flist; fp != nullptr; fp = fp->next)
                touch(fp->ptr);
        }
    }
    for (const soap_xlist* xp = soap_->xlist; xp != nullptr; xp = xp->next)
        touch(xp->ptr);
    return count;
}

void Reader::Release()
{
    soap_destroy(soap_);
    soap_end(soap_);
}

int Reader::Begin(std::string_view xml)
{
    in_.clear();
    in_.str(std::string(xml));
    delivered_ = 0;
    if (soap_begin_recv(soap_) || soap_envelope_begin_in(soap_) || soap_recv_header(soap_) ||
        soap_body_begin_in(soap_))
        return soap_->error;
    return SOAP_OK;
}

int Reader::End()
{
    if (soap_body_end_in(soap_) || soap_envelope_end_in(soap_) || soap_end_recv(soap_))
        return soap_->error;
    return SOAP_OK;
}

void Reader::StartWrite()
{
    out_.str(std::string());
    out_.clear();
    soap_->os = &out_;
    soap_begin_send(soap_);
}

std::string Reader::FinishWrite(const char* tag)
{
    const int error = soap_end_send(soap_);
    soap_->os = nullptr;
    const std::string xml = out_.str();
    const std::string open = std::string("<") + tag;
    const std::string close = std::string("</") + tag + ">";
    const auto root = xml.find(open);
    if (error != SOAP_OK || root == std::string::npos)
        return "<no element>";
    const auto content = xml.find('>', root);
    const auto end = xml.rfind(close);
    if (content == std::string::npos || end == std::string::npos || end < content)
        return "<no element>";
    return xml.substr(content + 1, end - content - 1);
}

} // namespace recordtest
