// Scripted replies, recorded requests and DIME messages of the fake control
// service.
#include <algorithm>
#include <cctype>
#include <stdexcept>

#include "support/fake_service.h"

namespace qortest {

namespace {

bool iequals(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// DIME record header bits.
constexpr unsigned char kDimeVersion1 = 0x08;
constexpr unsigned char kDimeMessageBegin = 0x04;
constexpr unsigned char kDimeMessageEnd = 0x02;
constexpr unsigned char kDimeChunk = 0x01;
constexpr unsigned char kDimeTypeUnchanged = 0x00;
constexpr unsigned char kDimeTypeMedia = 0x10;
constexpr unsigned char kDimeTypeUri = 0x20;
constexpr unsigned char kDimeTypeNone = 0x40;

void put16(std::string& out, std::size_t v)
{
    if (v > 0xFFFF)
        throw std::length_error("DIME field longer than 65535 bytes");
    out += static_cast<char>((v >> 8) & 0xFF);
    out += static_cast<char>(v & 0xFF);
}

void put32(std::string& out, std::size_t v)
{
    if (v > 0xFFFFFFFFu)
        throw std::length_error("DIME data longer than 4 GiB");
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>((v >> shift) & 0xFF);
}

void put_padded(std::string& out, std::string_view field)
{
    out += field;
    out.append((4 - field.size() % 4) % 4, '\0');
}

} // namespace

DimeRecord dime_envelope_record(std::string envelope_xml)
{
    DimeRecord rec;
    rec.type = kSoap11EnvNs;
    rec.type_uri = true;
    rec.data = std::move(envelope_xml);
    return rec;
}

std::string dime_message(const std::vector<DimeRecord>& records)
{
    std::string out;
    bool continuation = false; // previous record had the chunk flag
    for (std::size_t i = 0; i < records.size(); ++i) {
        const DimeRecord& rec = records[i];
        unsigned char flags = kDimeVersion1;
        if (i == 0)
            flags |= kDimeMessageBegin;
        if (i + 1 == records.size())
            flags |= kDimeMessageEnd;
        if (rec.chunked)
            flags |= kDimeChunk;
        unsigned char type_format = kDimeTypeNone;
        if (!rec.type.empty())
            type_format = rec.type_uri ? kDimeTypeUri : kDimeTypeMedia;
        else if (continuation)
            type_format = kDimeTypeUnchanged;
        out += static_cast<char>(flags);
        out += static_cast<char>(type_format);
        put16(out, 0); // no options
        put16(out, rec.id.size());
        put16(out, rec.type.size());
        put32(out, rec.data.size());
        put_padded(out, rec.id);
        put_padded(out, rec.type);
        put_padded(out, rec.data);
        continuation = rec.chunked;
    }
    return out;
}

Reply Reply::ok(std::string_view body_xml)
{
    return http(200, envelope(body_xml));
}

Reply Reply::ok_empty(std::string_view webmethod)
{
    return ok("<QORControl:" + std::string(webmethod) + "Response/>");
}

Reply Reply::fault11(std::string_view code, std::string_view text, std::string_view detail)
{
    return http(500, envelope(fault11_xml(code, text, detail)));
}

Reply Reply::fault12(std::string_view code, std::string_view text, std::string_view detail)
{
    return http(500, envelope(fault12_xml(code, text, detail), true),
                "application/soap+xml; charset=utf-8");
}

Reply Reply::http(int status, std::string body, std::string content_type)
{
    Reply r;
    r.kind = Kind::Http;
    r.status = status;
    r.body = std::move(body);
    r.content_type = std::move(content_type);
    return r;
}

Reply Reply::raw(std::string bytes)
{
    Reply r;
    r.kind = Kind::Raw;
    r.body = std::move(bytes);
    r.close_after = true;
    return r;
}

Reply Reply::raw_pieces(std::vector<std::string> pieces)
{
    Reply r = raw({});
    r.pieces = std::move(pieces);
    return r;
}

Reply Reply::endless(std::string start, std::string piece,
                     std::shared_ptr<std::atomic<std::size_t>> sent)
{
    Reply r = raw(std::move(start));
    r.repeat = piece.empty() ? std::string(" ") : std::move(piece);
    r.sent = std::move(sent);
    return r;
}

Reply Reply::drop()
{
    Reply r;
    r.kind = Kind::Drop;
    r.close_after = true;
    return r;
}

Reply Reply::dime(const std::vector<DimeRecord>& records)
{
    return http(200, dime_message(records), "application/dime");
}

Reply& Reply::after(std::chrono::milliseconds d)
{
    delay = std::clamp(d, std::chrono::milliseconds{0}, kMaxDelay);
    return *this;
}

Reply& Reply::with_header(std::string name, std::string value)
{
    headers.emplace_back(std::move(name), std::move(value));
    return *this;
}

Reply& Reply::closing()
{
    close_after = true;
    return *this;
}

Reply& Reply::then_gone()
{
    close_after = true;
    last = true;
    return *this;
}

Reply& Reply::as_chunked()
{
    chunked = true;
    return *this;
}

Reply& Reply::holding()
{
    hold_open = true;
    return *this;
}

std::string Request::header(std::string_view name) const
{
    for (const auto& [key, value] : headers)
        if (iequals(key, name))
            return value;
    return {};
}

bool Request::has_header(std::string_view name) const
{
    return std::any_of(headers.begin(), headers.end(),
                       [name](const auto& h) { return iequals(h.first, name); });
}

std::optional<std::string> Request::basic_credentials() const
{
    static constexpr std::string_view kDigits =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const std::string value = header("Authorization");
    if (value.compare(0, 6, "Basic ") != 0 || (value.size() - 6) % 4 != 0)
        return std::nullopt;
    std::string bytes;
    for (std::size_t i = 6; i < value.size(); i += 4) {
        const bool last = i + 4 == value.size();
        unsigned long bits = 0;
        int digits = 0;
        for (std::size_t k = 0; k < 4; ++k) {
            const char c = value[i + k];
            const std::size_t v = kDigits.find(c);
            if (v != std::string_view::npos && digits == static_cast<int>(k)) {
                ++digits;
            } else if (c != '=' || !last || k < 2) {
                return std::nullopt;
            }
            bits = bits << 6 | (v != std::string_view::npos ? v : 0);
        }
        for (int k = 0; k < digits - 1; ++k)
            bytes += static_cast<char>((bits >> (16 - 8 * k)) & 0xFF);
        // The unused bits of the last digit are zero in exact base64.
        if ((bits & (0xFFFFFFul >> (8 * (digits - 1)))) != 0)
            return std::nullopt;
    }
    return bytes;
}

} // namespace qortest
