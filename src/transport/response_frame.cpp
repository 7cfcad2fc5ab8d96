// The HTTP framing of a response as it passes the receive step.

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>

#include "transport/plugin_data.h"

namespace qortransport {
namespace {

// Beyond this the header block is not followed any further.
constexpr size_t kMaxHead = 64 * 1024;

std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

std::string trimmed(const std::string& s)
{
    const size_t b = s.find_first_not_of(" \t");
    const size_t e = s.find_last_not_of(" \t\r");
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

// The end of the header block (just past its empty line), or npos.
size_t head_end(const std::string& head)
{
    const size_t crlf = head.find("\r\n\r\n");
    const size_t lf = head.find("\n\n");
    if (crlf != std::string::npos && (lf == std::string::npos || crlf < lf))
        return crlf + 4;
    return lf != std::string::npos ? lf + 2 : std::string::npos;
}

} // namespace

void ResponseFrame::reset()
{
    state_ = State::Head;
    head_.clear();
    body_left_ = 0;
}

size_t ResponseFrame::limit(size_t n) const
{
    if (state_ != State::Body)
        return n;
    return body_left_ < n ? static_cast<size_t>(body_left_) : n;
}

void ResponseFrame::consumed(const char* data, size_t n)
{
    if (state_ == State::Body) {
        body_left_ -= std::min<unsigned long long>(body_left_, n);
        return;
    }
    if (state_ != State::Head)
        return;
    head_.append(data, n);
    const size_t end = head_end(head_);
    if (end != std::string::npos) {
        head_complete(end);
    } else if (head_.size() > kMaxHead) {
        state_ = State::Unframed;
        head_.clear();
    }
}

void ResponseFrame::head_complete(size_t end)
{
    const std::string rest = head_.substr(end);
    const std::string head = head_.substr(0, end);
    head_.clear();
    // "HTTP/1.1 200 OK": the status code after the first blank of the first line.
    const std::string first = head.substr(0, head.find('\n'));
    const size_t sp = first.find(' ');
    const int status = first.compare(0, 5, "HTTP/") == 0 && sp != std::string::npos &&
                               sp + 1 < first.size() &&
                               std::isdigit(static_cast<unsigned char>(first[sp + 1]))
                           ? std::atoi(first.c_str() + sp + 1)
                           : 0;
    if (status >= 100 && status < 200) { // an interim response: the real one follows
        state_ = State::Head;
        if (!rest.empty())
            consumed(rest.data(), rest.size());
        return;
    }
    bool chunked = false;
    bool has_length = false;
    unsigned long long length = 0;
    size_t pos = head.find('\n');
    while (pos != std::string::npos && pos + 1 < head.size()) {
        const size_t next = head.find('\n', pos + 1);
        const std::string line =
            head.substr(pos + 1, next == std::string::npos ? std::string::npos : next - pos - 1);
        pos = next;
        const size_t colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        const std::string name = lower(trimmed(line.substr(0, colon)));
        const std::string value = trimmed(line.substr(colon + 1));
        if (name == "transfer-encoding" && lower(value).find("chunked") != std::string::npos)
            chunked = true;
        if (name == "content-length" && !value.empty() && value.size() <= 18 &&
            value.find_first_not_of("0123456789") == std::string::npos) {
            has_length = true;
            length = std::stoull(value);
        }
    }
    if (chunked || !has_length || status == 0) {
        // Chunks and replies read up to the close end by themselves.
        state_ = State::Unframed;
        return;
    }
    state_ = State::Body;
    body_left_ = length;
    consumed(rest.data(), rest.size());
}

} // namespace qortransport
