#ifndef QOR_TRANSPORT_REPLY_SHAPE_H
#define QOR_TRANSPORT_REPLY_SHAPE_H

// Follows a reply on its way into the toolkit's parser, as the toolkit hands
// its bytes to the plug-in (the HTTP framing already undone) and bounds the
// shape of its XML (see XmlShape): the HTTP header is passed over, and of a
// DIME message only the records of the SOAP envelope are XML; the
// attachments are not looked at.

#include <cstddef>
#include <cstdint>
#include <string>

#include "transport/xml_shape.h"

namespace qortransport {

class ReplyShape
{
  public:
    // A new reply begins.
    void reset() { *this = ReplyShape(); }
    // Takes the next bytes that the toolkit received; false once the reply
    // exceeds a bound (error() says which).
    bool feed(const char* data, std::size_t n);
    const std::string& error() const { return xml_.error(); }
    // The bytes just fed are the toolkit's second look at those after the
    // HTTP header, which it hands over once more when it has read the header
    // of a reply without chunks.
    bool second_look() const { return second_look_; }

  private:
    enum class Part : std::uint8_t { Start, Head, Xml, DimeHeader, DimeSkip, DimeData, Rest };

    // One byte of the HTTP header; true at the end of the final header.
    bool head_byte(char c);
    void dime_header_done();

    Part part_ = Part::Start;
    // The HTTP header: the line being read (its first bytes), whether it is
    // the first one, and what the header says.
    std::string line_;
    bool status_line_ = true;
    bool interim_ = false;
    bool dime_ = false;
    bool chunked_ = false;
    bool second_look_ = false;
    bool second_look_next_ = false;
    // DIME: the record header being read, then the bytes to pass over or to
    // read as XML.
    unsigned char record_[12] = {};
    std::size_t record_have_ = 0;
    std::uint64_t skip_ = 0;
    std::uint64_t data_left_ = 0;
    std::uint64_t padding_ = 0;
    bool chunked_record_ = false;
    XmlShape xml_;
};

} // namespace qortransport

#endif
