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
//   declares. An envelope in chunk records is joined here before the
//   toolkit reads it (its reader of such records loses its place at their
//   ends): the first record shows it no chunk flag, and the padding and
//   header of each continuation record are taken out of the piece, so that
//   it reads the chunks' data as one record that ends with the last one. A
//   continuation record that carries options, an id or a type, or that is
//   no DIME record, is refused;
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
    // What take() made of a piece: its first `dropped` bytes are taken out
    // (the padding and header of a chunk record of the envelope), the `kept`
    // after them the toolkit reads now, and any after those come again in a
    // later piece (unless the reply is refused).
    struct Taken
    {
        std::size_t dropped = 0;
        std::size_t kept = 0;
        // The header of the DIME record that holds the envelope ended in this
        // piece: the toolkit begins to count the record's bytes after it.
        bool record_begins = false;
        // The envelope's last chunk is the message's last record.
        bool message_ends = false;
    };

    // Takes the next bytes that the toolkit received, in place: up to the
    // point at which the reply is refused (error() says why; the parser may
    // read up to there: whatever it makes of those bytes does not depend on
    // where the reads of the reply ended), at which the XML ends, or at which
    // a chunk record of the envelope begins after bytes for the toolkit: the
    // record is joined when the toolkit reads on into it, never while it
    // reads before it.
    Taken take(char* data, std::size_t n);
    // Of the next n bytes, which come after take() stopped before a chunk
    // record, how many the toolkit may have in one piece: up to the end of
    // that record's data when another record follows it.
    std::size_t reach(const char* next, std::size_t n) const;
    const std::string& error() const { return error_.empty() ? xml_.error() : error_; }
    // The toolkit is to read an HTTP header before the body.
    bool in_header() const { return part_ == Part::Head; }
    // No later byte of the reply is XML.
    bool xml_ended() const { return part_ == Part::Rest; }
    // Every byte from here on is counted as XML.
    bool counting() const { return part_ == Part::Xml || part_ == Part::DimeGap; }
    // The parts of a MIME body as far as they have been read; null for any
    // other body.
    const MimeParts* mime_parts() const { return mime_.get(); }
    // The toolkit is reading the data of the DIME record that holds the
    // envelope, past its header: its chunk that is read now, the size that
    // its header gives, and the bytes of its data taken so far.
    bool in_record() const { return envelope_record_ && counting(); }
    std::uint64_t record_size() const { return chunk_size_; }
    std::uint64_t record_taken() const { return chunk_taken_; }

  private:
    enum class Part : std::uint8_t {
        Start,     // blanks before the first byte that tells header from body
        StartDash, // a "-" first: a second one begins a MIME message
        Head,
        Xml,
        Mime,
        DimeHeader,
        DimeFields,
        DimeGap, // the padding after a chunk and the next chunk's header
        Rest,
    };

    void begin(Body body, std::optional<std::string> boundary, std::optional<std::string> start);
    void xml(const char*& p, const char* end);
    void dime_header_done(Taken& taken);
    void record_data_begins(Taken& taken);
    void gap_done(Taken& taken);

    Part part_ = Part::Start;
    std::string error_;
    // DIME: the header of the first record or of a continuation record, then
    // the first record's option, id and type fields.
    static constexpr std::size_t kHeader = 12;
    unsigned char header_[kHeader] = {};
    std::size_t header_have_ = 0;
    std::uint64_t fields_left_ = 0;
    // The envelope's record: its chunk being read, whether more follow, the
    // chunk's data left and taken, and the padding left after it.
    bool envelope_record_ = false;
    bool more_chunks_ = false;
    std::uint64_t chunk_size_ = 0;
    std::uint64_t chunk_left_ = 0;
    std::uint64_t chunk_taken_ = 0;
    std::size_t padding_left_ = 0;
    std::unique_ptr<MimeParts> mime_;
    XmlShape xml_;
    // A copy of xml_ and the XML bytes fed since it was made.
    static constexpr std::size_t kCopyEvery = 64 * 1024;
    XmlShape copy_;
    std::string since_copy_;
};

} // namespace qortransport

#endif
