#ifndef QOR_TRANSPORT_MIME_PARTS_H
#define QOR_TRANSPORT_MIME_PARTS_H

// Finds the SOAP part of a MIME multipart message the way the toolkit's
// reader finds it: it passes over the preamble up to the first "--", reads
// the header lines of a part as it reads lines (a carriage return takes the
// byte after it, a line that begins with a blank goes on the line before,
// long lines are cut), and takes the first part, or with a start parameter
// the first part that has no id or whose id the toolkit matches to it. The
// parts before it are passed over up to the boundary as the toolkit scans
// for it. Where the toolkit's reader would go on in a way that is not
// followed here (the message ends or breaks before the SOAP part), the reply
// is refused. Once the toolkit has read the SOAP part's XML, the rest of the
// message can be followed as well, part by part up to the closing boundary.
// Of every part whose header has been read, the Content-Transfer-Encoding
// lines are kept as written: the toolkit keeps a code for the values it knows
// and takes any other value for no encoding at all.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct soap;

namespace qortransport {

class MimeParts
{
  public:
    // A message with the boundary and start parameters of its header; without
    // a boundary the first line of the message gives it.
    MimeParts(std::optional<std::string> boundary, std::optional<std::string> start);
    ~MimeParts();
    MimeParts(const MimeParts&) = delete;
    MimeParts& operator=(const MimeParts&) = delete;

    // Takes the next bytes of the message; returns how many of them come
    // before the content of the SOAP part, or up to and with the byte for
    // which the message is refused (all while neither has come).
    std::size_t feed(const char* data, std::size_t n);
    // The toolkit has read the XML of the SOAP part: the rest of its
    // content comes next, then the parts after it. A message that cannot be
    // followed on (its SOAP part was not found, is read as DIME, or has a
    // boundary too long for the toolkit's scan) is refused.
    void follow_rest();
    // The content of the SOAP part begins.
    bool found() const { return state_ == State::Found; }
    // The boundary that closes the message has come after the SOAP part.
    bool ended() const { return state_ == State::Ended; }
    // The toolkit reads the SOAP part as a DIME message: the first part's
    // type names DIME.
    bool dime() const { return dime_; }
    // The toolkit fails on the message before any XML.
    bool broken() const { return state_ == State::Broken; }
    // Why the message is refused; empty while it is not.
    const std::string& error() const { return error_; }

    // The Content-Transfer-Encoding of a part: the text after the colon of
    // its line (the last one when there are more), and how many lines the
    // part's header has.
    struct TransferEncoding
    {
        std::size_t part; // its place among the parts, the first one 0
        std::string value;
        std::size_t lines;
    };
    // The parts whose header has been read.
    std::size_t parts_read() const { return parts_read_; }
    // Of those, the ones whose header names a transfer encoding, in order.
    const std::vector<TransferEncoding>& transfer_encodings() const { return encodings_; }

  private:
    enum class State : std::uint8_t {
        Preamble,
        PreambleDash, // a "-" of the preamble: a second one begins the first line
        LineByte,
        LineCr,   // after a carriage return, whose next byte is taken
        LineFull, // the line is cut: its bytes are passed over up to the line feed
        LinePeek, // after a line feed: a blank goes on with the line
        Content,  // of a part before the SOAP part
        Match,    // a carriage return and some bytes of the boundary after it
        AfterBoundary,
        BoundaryBlanks,
        BoundaryCr,
        BoundaryDash, // after the SOAP part, "-" after a boundary: "--" ends the message
        Found,
        Broken,
        Ended,
    };

    void line_feed();
    void line_done();
    void header_line(const std::string& line);
    void part_done();
    void after_boundary(unsigned char c);
    void refuse(const char* why);
    struct soap* scratch();

    State state_ = State::Preamble;
    std::optional<std::string> boundary_;
    std::optional<std::string> start_;
    std::string pattern_; // "\n--" and the boundary
    std::string line_;
    bool header_lines_ = false; // past a part's first line
    bool first_part_ = true;
    std::optional<std::string> id_;
    std::optional<std::string> type_;
    std::optional<std::string> encoding_; // of the part being read
    std::size_t encoding_lines_ = 0;
    std::size_t parts_read_ = 0;
    std::vector<TransferEncoding> encodings_;
    bool after_soap_part_ = false;
    std::size_t matched_ = 0;
    bool dime_ = false;
    std::string error_;
    // A context of its own for the toolkit's functions that read header
    // values: they use the context's buffers, which the reply's own context
    // may be using.
    std::unique_ptr<struct soap, void (*)(struct soap*)> scratch_;
};

} // namespace qortransport

#endif
