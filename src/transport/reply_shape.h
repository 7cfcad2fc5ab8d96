#ifndef QOR_TRANSPORT_REPLY_SHAPE_H
#define QOR_TRANSPORT_REPLY_SHAPE_H

// Follows a reply on its way into the toolkit's parser, in the pieces in
// which the toolkit hands it to the plug-in (the HTTP framing and chunks
// already undone), and bounds the shape of the XML that the toolkit parses
// (see XmlShape). Which bytes that is follows the toolkit's own reading:
// - the HTTP header is the toolkit's; the body follows once the toolkit has
//   read it, in the layout that its Content-Type gives (body_begins);
// - a plain body is XML from its first byte;
// - of a DIME message, the first record's data is, and the toolkit reads on
//   from there to the end of the envelope whatever length the record
//   declares; a chunked first record is refused, as the toolkit reads its
//   continuation records otherwise than their headers say;
// - of a MIME multipart message, the SOAP part is: the first part, or the
//   one that the start parameter names, found as the toolkit finds it; when
//   the first part's type names DIME, the toolkit reads that part as a DIME
//   message, and so is it read here.
// The toolkit reads no XML after the end of the envelope (see XmlShape), so
// the attachments that follow it are never bounded; of a MIME message, their
// headers are still followed, for the transfer encodings that they name
// (mime_parts).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "transport/mime_parts.h"
#include "transport/xml_shape.h"

namespace qortransport {

class ReplyShape
{
  public:
    // Text: the toolkit reads the body, if at all, as the text of an HTTP
    // error.
    enum class Body : std::uint8_t { Xml, Dime, Mime, Text };

    // A new reply begins: the toolkit looks for an HTTP header first.
    void reset();
    // The toolkit has read the HTTP header; its body follows in this layout,
    // a MIME message with the boundary and start that the header gave.
    void body_begins(Body body, std::optional<std::string> boundary = std::nullopt,
                     std::optional<std::string> start = std::nullopt);
    // Refuses the reply for what its header says.
    void refuse(std::string why);
    // What take() made of a piece: the toolkit reads its first `kept` bytes
    // now, and any after those come again in a later piece (unless the reply
    // is refused).
    struct Taken
    {
        std::size_t kept = 0;
        // The header of the DIME record that holds the envelope ended in this
        // piece: the toolkit begins to count the record's bytes after it.
        bool record_begins = false;
    };

    // Takes the next bytes that the toolkit received: up to the point at
    // which the reply is refused (error() says why; the parser may read up
    // to there: whatever it makes of those bytes does not depend on where
    // the reads of the reply ended), or at which the XML ends.
    Taken take(const char* data, std::size_t n);
    const std::string& error() const { return error_.empty() ? xml_.error() : error_; }
    // The toolkit is to read an HTTP header before the body.
    bool in_header() const { return part_ == Part::Head; }
    // No later byte of the reply is XML.
    bool xml_ended() const { return part_ == Part::Rest; }
    // Every byte from here on is counted as XML.
    bool counting() const { return part_ == Part::Xml; }
    // The parts of a MIME body as far as they have been read; null for any
    // other body.
    const MimeParts* mime_parts() const { return mime_.get(); }
    // The toolkit is reading the data of the DIME record that holds the
    // envelope, past its header: the size that its header gives, and the
    // bytes of its data taken so far.
    bool in_record() const { return envelope_record_ && counting(); }
    std::uint64_t record_size() const { return record_size_; }
    std::uint64_t record_taken() const { return record_taken_; }

  private:
    enum class Part : std::uint8_t {
        Start,     // blanks before the first byte that tells header from body
        StartDash, // a "-" first: a second one begins a MIME message
        Head,
        Xml,
        Mime,
        DimeHeader,
        DimeFields,
        Rest,
    };

    void begin(Body body, std::optional<std::string> boundary, std::optional<std::string> start);
    void xml(const char*& p, const char* end);
    void dime_header_done(Taken& taken);
    void record_data_begins(Taken& taken);

    Part part_ = Part::Start;
    std::string error_;
    // DIME: the first record's header, then its option, id and type fields.
    unsigned char record_[12] = {};
    std::size_t record_have_ = 0;
    std::uint64_t fields_left_ = 0;
    // The envelope's record: the size that its header gives, and its data
    // taken so far.
    bool envelope_record_ = false;
    std::uint64_t record_size_ = 0;
    std::uint64_t record_taken_ = 0;
    std::unique_ptr<MimeParts> mime_;
    XmlShape xml_;
    // A copy of xml_ and the XML bytes fed since it was made.
    static constexpr std::size_t kCopyEvery = 64 * 1024;
    XmlShape copy_;
    std::string since_copy_;
};

} // namespace qortransport

#endif
