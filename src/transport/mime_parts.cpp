// The parts of a MIME message, as the toolkit reads them.

#include "transport/mime_parts.h"

#include <stdsoap2.h>

#include <cstring>

namespace qortransport {
namespace {

// The toolkit's line buffer holds this many bytes of a line.
constexpr std::size_t kLineKept = 2047;
// A longer boundary does not fit the toolkit's scan for it.
constexpr std::size_t kMaxBoundary = 2000;

// A line as the toolkit's string functions see it: up to its first NUL.
std::string c_string(const std::string& s)
{
    return s.substr(0, s.find('\0'));
}

} // namespace

MimeParts::MimeParts(std::optional<std::string> boundary, std::optional<std::string> start)
    : boundary_(std::move(boundary)), start_(std::move(start)), scratch_(nullptr, soap_free)
{
}

MimeParts::~MimeParts() = default;

struct soap* MimeParts::scratch()
{
    if (!scratch_)
        scratch_.reset(soap_new());
    return scratch_.get();
}

std::size_t MimeParts::feed(const char* data, std::size_t n)
{
    std::size_t i = 0;
    while (i < n && error_.empty() && state_ != State::Found && state_ != State::Broken &&
           state_ != State::Ended) {
        const unsigned char c = static_cast<unsigned char>(data[i]);
        switch (state_) {
        case State::Preamble: {
            const void* dash = std::memchr(data + i, '-', n - i);
            i = dash != nullptr
                    ? static_cast<std::size_t>(static_cast<const char*>(dash) - data) + 1
                    : n;
            if (dash != nullptr)
                state_ = State::PreambleDash;
            break;
        }
        case State::PreambleDash:
            // The byte after a "-" is looked at, not taken.
            if (c == '-') {
                ++i;
                line_ = "--";
                state_ = State::LineByte;
            } else {
                state_ = State::Preamble;
            }
            break;
        case State::LineByte:
            ++i;
            if (c == '\r') {
                state_ = State::LineCr;
            } else if (c == '\n') {
                line_feed();
            } else {
                // At most kLineKept bytes: no byte is added once it is full.
                line_ += static_cast<char>(c);
                if (line_.size() == kLineKept)
                    state_ = State::LineFull;
            }
            break;
        case State::LineCr:
            ++i;
            if (c == '\n')
                line_feed();
            else
                state_ = State::LineByte;
            break;
        case State::LineFull:
            ++i;
            if (c == '\n')
                line_feed();
            break;
        case State::LinePeek:
            // A blank after the line feed goes on with the line as one of
            // its bytes; any other byte begins what follows the line.
            if (c == ' ' || c == '\t')
                state_ = line_.size() == kLineKept ? State::LineFull : State::LineByte;
            else
                line_done();
            break;
        case State::Content: {
            const void* cr = std::memchr(data + i, '\r', n - i);
            i = cr != nullptr ? static_cast<std::size_t>(static_cast<const char*>(cr) - data) + 1
                              : n;
            if (cr != nullptr) {
                state_ = State::Match;
                matched_ = 0;
            }
            break;
        }
        case State::Match:
            ++i;
            if (matched_ == pattern_.size()) {
                after_boundary(c);
            } else if (static_cast<signed char>(pattern_[matched_]) == static_cast<int>(c)) {
                ++matched_; // the toolkit compares signed bytes of the boundary
            } else if (c == '\r') {
                matched_ = 0;
            } else {
                state_ = State::Content;
            }
            break;
        case State::AfterBoundary:
            break;
        case State::BoundaryBlanks:
            ++i;
            if (c == '\r')
                state_ = State::BoundaryCr;
            else if (c > ' ')
                refuse("a MIME boundary followed by other bytes");
            break;
        case State::BoundaryCr:
            ++i;
            if (c != '\n') {
                refuse("a MIME boundary followed by other bytes");
                break;
            }
            line_.clear();
            header_lines_ = false;
            state_ = State::LineByte;
            break;
        case State::BoundaryDash:
            ++i;
            if (c == '-')
                state_ = State::Ended;
            else
                refuse("a MIME boundary followed by other bytes");
            break;
        case State::Found:
        case State::Broken:
        case State::Ended:
            break;
        }
    }
    return state_ == State::Found || !error_.empty() ? i : n;
}

void MimeParts::line_feed()
{
    if (line_.empty())
        line_done(); // an empty line ends the header lines
    else
        state_ = State::LinePeek;
}

void MimeParts::line_done()
{
    const std::string line = c_string(line_);
    line_.clear();
    state_ = State::LineByte;
    if (!header_lines_) {
        // Empty lines before a part's first line are passed over; a first
        // line that begins with "--" is its boundary.
        if (line.empty())
            return;
        header_lines_ = true;
        if (line.compare(0, 2, "--") == 0) {
            std::size_t last = line.size();
            while (last > 2 && static_cast<unsigned char>(line[last - 1]) <= ' ')
                --last;
            const std::string found = line.substr(2, last - 2);
            if (!boundary_)
                boundary_ = found;
            else if (found != *boundary_ && first_part_)
                state_ = State::Broken; // the toolkit fails before any XML
            else if (found != *boundary_)
                refuse("a MIME reply that ends or breaks before its SOAP part");
            return;
        }
    }
    if (line.empty()) {
        part_done();
        return;
    }
    header_line(line);
}

void MimeParts::header_line(const std::string& line)
{
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos)
        return;
    const std::string key = line.substr(0, colon);
    std::size_t at = colon + 1;
    while (at < line.size() && static_cast<signed char>(line[at]) <= ' ')
        ++at;
    const std::string value = line.substr(at);
    // The keys the toolkit looks for, in its order and with its comparison.
    if (!soap_tag_cmp(key.c_str(), "Content-ID")) {
        id_ = value;
    } else if (!soap_tag_cmp(key.c_str(), "Content-Location")) {
    } else if (!id_ && !soap_tag_cmp(key.c_str(), "Content-Disposition")) {
        if (const char* name = soap_http_header_attribute(scratch(), value.c_str(), "name"))
            id_ = std::string(name);
    } else if (!soap_tag_cmp(key.c_str(), "Content-Type")) {
        type_ = value;
    } else if (!soap_tag_cmp(key.c_str(), "Content-Transfer-Encoding")) {
        encoding_ = line.substr(colon + 1); // as written, blanks and all
        ++encoding_lines_;
    }
}

void MimeParts::part_done()
{
    if (encoding_)
        encodings_.push_back({parts_read_, std::move(*encoding_), encoding_lines_});
    ++parts_read_;
    encoding_.reset();
    encoding_lines_ = 0;
    if (first_part_ && type_)
        dime_ =
            soap_http_header_attribute(scratch(), type_->c_str(), "application/dime") != nullptr;
    first_part_ = false;
    // After the SOAP part every part is an attachment.
    const bool soap_part =
        !after_soap_part_ &&
        (!start_ || !id_ || soap_match_cid(scratch(), start_->c_str(), id_->c_str()) == 0);
    id_.reset();
    type_.reset();
    header_lines_ = false;
    if (soap_part) {
        state_ = State::Found;
        return;
    }
    if (!boundary_ || boundary_->size() > kMaxBoundary) {
        refuse("a MIME boundary that the SOAP part cannot be found with");
        return;
    }
    pattern_ = "\n--" + *boundary_;
    state_ = State::Content;
}

void MimeParts::follow_rest()
{
    if (state_ != State::Found || dime_) {
        refuse("a MIME reply whose SOAP part was not read as XML");
        return;
    }
    if (!boundary_ || boundary_->size() > kMaxBoundary) {
        refuse("a MIME boundary that the next part cannot be found with");
        return;
    }
    after_soap_part_ = true;
    pattern_ = "\n--" + *boundary_;
    state_ = State::Content;
}

void MimeParts::after_boundary(unsigned char c)
{
    // The byte after a boundary is taken with it: "--" ends the message, and
    // blanks up to a line end lead to the next part's header.
    if (c == '\r')
        state_ = State::BoundaryCr;
    else if (c != 0 && c <= ' ')
        state_ = State::BoundaryBlanks;
    else if (c == '-' && after_soap_part_)
        state_ = State::BoundaryDash;
    else
        refuse("a MIME reply that ends or breaks before its SOAP part");
}

void MimeParts::refuse(const char* why)
{
    error_ = why;
}

} // namespace qortransport
