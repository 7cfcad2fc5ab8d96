// The HTTP framing of a response on its way from the connection to the toolkit.

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

#include "transport/http_fields.h"
#include "transport/plugin_data.h"

namespace qortransport {
namespace {

std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

// The end of the first header block that ends at or after from (just past
// its empty line), or npos. An empty line is a line feed, with or without a
// carriage return, right after the line feed of the line before.
size_t head_end(const std::string& head, size_t from)
{
    for (size_t lf = head.find('\n', from); lf != std::string::npos; lf = head.find('\n', lf + 1)) {
        size_t next = lf + 1;
        if (next < head.size() && head[next] == '\r')
            ++next;
        if (next < head.size() && head[next] == '\n')
            return next + 1;
    }
    return std::string::npos;
}

// The status code of a status line ("HTTP/1.1 200 OK"); -1 when the line is
// none. Codes of more than four digits read as 9999.
int status_code(const std::string& line)
{
    const size_t sp = line.find(' ');
    if (line.compare(0, 5, "HTTP/") != 0 || sp == std::string::npos)
        return -1;
    size_t i = sp + 1;
    if (i >= line.size() || !std::isdigit(static_cast<unsigned char>(line[i])))
        return -1;
    int code = 0;
    for (; i < line.size() && std::isdigit(static_cast<unsigned char>(line[i])); ++i)
        code = std::min(code * 10 + (line[i] - '0'), 9999);
    return code;
}

struct Framing
{
    bool chunked = false;
    bool has_length = false;
    unsigned long long length = 0;
    // The toolkit reads the body in chunks: the last Transfer-Encoding field
    // says "chunked" and nothing else.
    bool toolkit_chunks = false;
};

// The framing of a header block by its fields as the toolkit reads them.
Framing framing_of(const std::string& head)
{
    Framing f;
    for (const HttpField& field : http_fields(head)) {
        const std::string& value = field.value;
        if (toolkit_matches(field.name, "Transfer-Encoding")) {
            f.chunked = f.chunked || lower(value).find("chunked") != std::string::npos;
            f.toolkit_chunks = toolkit_matches(value, "chunked");
        }
        if (toolkit_matches(field.name, "Content-Length") && !value.empty() && value.size() <= 18 &&
            value.find_first_not_of("0123456789") == std::string::npos) {
            f.has_length = true;
            f.length = std::stoull(value);
        }
    }
    return f;
}

} // namespace

void ResponseFrame::reset()
{
    *this = ResponseFrame();
}

size_t ResponseFrame::want(size_t n) const
{
    switch (state_) {
    case State::Head:
        return std::min(n, kMaxHead - head_.size());
    case State::Body:
        return body_left_ < n ? static_cast<size_t>(body_left_) : n;
    case State::Unframed:
    case State::Chunked:
        return n;
    default:
        return 0;
    }
}

size_t ResponseFrame::feed(const char* data, size_t n)
{
    switch (state_) {
    case State::Head:
        // n <= want(): head_ stays within kMaxHead.
        head_.append(data, n);
        peak_held_ = std::max(peak_held_, head_.size());
        parse_heads();
        return 0;
    case State::Body:
        n = static_cast<size_t>(std::min<unsigned long long>(n, body_left_));
        body_left_ -= n;
        if (body_left_ == 0)
            state_ = State::Ended;
        return n;
    case State::Unframed:
        return n;
    case State::Chunked:
        return chunked(data, n);
    default:
        overrun_ = overrun_ || n > 0;
        return 0;
    }
}

// Takes bytes of a chunked body: the sizes as the toolkit reads them (after
// any bytes that are no hex digit, at most 16 digits, the rest of the line
// passed over; a byte 0xFF ends them all, and so does a size above the
// toolkit's largest chunk), the data after them, and after the size 0 the
// trailer lines up to an empty one, which the toolkit never reads. Returns
// how many bytes come before the end of the size 0 line.
size_t ResponseFrame::chunked(const char* data, size_t n)
{
    size_t i = 0;
    size_t handed = 0;
    while (i < n && state_ == State::Chunked) {
        const unsigned char c = static_cast<unsigned char>(data[i]);
        if (c == 0xFF &&
            (chunk_ == Chunk::Skip || chunk_ == Chunk::Size || chunk_ == Chunk::SizeLine)) {
            // Among the sizes the toolkit reads this byte as the end of its
            // input.
            handed = ++i;
            state_ = State::Ended;
            break;
        }
        switch (chunk_) {
        case Chunk::Skip:
            if (std::isxdigit(c)) {
                chunk_ = Chunk::Size;
                body_left_ = 0;
                size_digits_ = 0;
            } else {
                ++i;
            }
            break;
        case Chunk::Size:
            if (std::isxdigit(c) && size_digits_ < 16) {
                const int digit = std::isdigit(c) ? c - '0' : std::tolower(c) - 'a' + 10;
                body_left_ = body_left_ * 16 + static_cast<unsigned>(digit);
                ++size_digits_;
                ++i;
            } else {
                chunk_ = Chunk::SizeLine;
            }
            break;
        case Chunk::SizeLine:
            ++i;
            if (c == '\n' && body_left_ > SOAP_MAXHTTPCHUNK) {
                // The toolkit fails its read at this size, and were it asked
                // again it would go on where its last read from the
                // connection ended: only the bytes up to here reach it.
                handed = i;
                state_ = State::Ended;
                break;
            }
            if (c == '\n')
                chunk_ = body_left_ > 0 ? Chunk::Data : Chunk::TrailerLine;
            if (chunk_ == Chunk::TrailerLine)
                handed = i; // the toolkit's last byte of the body
            break;
        case Chunk::Data: {
            const size_t k = static_cast<size_t>(std::min<unsigned long long>(body_left_, n - i));
            i += k;
            body_left_ -= k;
            if (body_left_ == 0)
                chunk_ = Chunk::Skip;
            break;
        }
        case Chunk::TrailerLine:
        case Chunk::TrailerByte:
        case Chunk::TrailerCr:
            // An empty line ends the trailer and the reply.
            ++i;
            if (c == '\n' && chunk_ != Chunk::TrailerByte)
                state_ = State::Ended;
            else if (c == '\n')
                chunk_ = Chunk::TrailerLine;
            else if (c == '\r' && chunk_ == Chunk::TrailerLine)
                chunk_ = Chunk::TrailerCr;
            else
                chunk_ = Chunk::TrailerByte;
            break;
        }
    }
    if (chunk_ != Chunk::TrailerLine && chunk_ != Chunk::TrailerByte &&
        chunk_ != Chunk::TrailerCr && state_ == State::Chunked)
        handed = i;
    overrun_ = overrun_ || i < n;
    return handed;
}

void ResponseFrame::end_of_input()
{
    if (state_ == State::Head && !head_.empty())
        fail("the connection closed inside the HTTP header");
    else if (state_ != State::Failed)
        state_ = State::Ended;
}

size_t ResponseFrame::take(char* s, size_t n)
{
    const size_t k = std::min(n, out_.size() - out_pos_); // what s has room for
    if (k == 0)
        return 0;
    std::memcpy(s, out_.data() + out_pos_, k);
    out_pos_ += k;
    if (out_pos_ == out_.size()) {
        out_.clear();
        out_pos_ = 0;
    }
    return k;
}

void ResponseFrame::fail(std::string reason)
{
    state_ = State::Failed;
    error_ = std::move(reason);
    head_.clear();
}

// Drops every complete interim response and hands on the final one's header
// block with what follows of its body; an unfinished block stays held.
void ResponseFrame::parse_heads()
{
    size_t start = 0;
    for (;;) {
        // Line ends between two responses are no part of either.
        while (start < head_.size() && (head_[start] == '\r' || head_[start] == '\n'))
            ++start;
        const size_t from = std::max(start, scanned_ >= 2 ? scanned_ - 2 : 0);
        const size_t end = head_end(head_, from);
        if (end == std::string::npos) {
            head_.erase(0, start);
            scanned_ = head_.size();
            if (head_.size() >= kMaxHead)
                fail("HTTP header block longer than " + std::to_string(kMaxHead) + " bytes");
            return;
        }
        const std::string line = head_.substr(start, head_.find('\n', start) - start);
        const int status = status_code(line);
        if (status < 0) {
            fail("reply without an HTTP status line");
            return;
        }
        if (status < 100 || status > 599) {
            fail("HTTP status " + std::to_string(status) + " is outside 100 to 599");
            return;
        }
        if (status < 200) { // an interim response: the final one follows
            start = end;
            continue;
        }
        const Framing framing = framing_of(head_.substr(start, end - start));
        out_.assign(head_, start, end - start);
        const size_t rest = head_.size() - end;
        if (framing.toolkit_chunks) {
            state_ = State::Chunked;
            chunk_ = Chunk::Skip;
            out_.append(head_, end, chunked(head_.data() + end, rest));
        } else if (framing.chunked || !framing.has_length) {
            // A reply read up to the close ends by itself.
            state_ = State::Unframed;
            out_.append(head_, end, rest);
        } else {
            const size_t body =
                static_cast<size_t>(std::min<unsigned long long>(rest, framing.length));
            out_.append(head_, end, body);
            overrun_ = rest > body;
            body_left_ = framing.length - body;
            state_ = body_left_ > 0 ? State::Body : State::Ended;
        }
        head_.clear();
        scanned_ = 0;
        return;
    }
}

} // namespace qortransport
