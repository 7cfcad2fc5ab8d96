#ifndef QOR_TRANSPORT_WINHTTP_CHUNKS_H
#define QOR_TRANSPORT_WINHTTP_CHUNKS_H

// A chunked body as the WinHTTP stand-in's library reads it: curl hands on
// the body's bytes as they came, and this takes the data out of them, so
// that the stand-in knows where the body ends (after the chunk of size 0)
// without waiting for the trailer that curl reads before it ends the
// transfer. It reads as curl does (which still frames the transfer): a size
// of at most 16 hex digits that fits a signed 64-bit number, anything up to
// the line feed after it, the data, then any carriage returns and a line
// feed. Anything else is a broken body, which curl fails as well.

#include <cstddef>
#include <cstdint>
#include <string>

namespace qortransport {

class WinHttpChunks
{
  public:
    // Takes n more bytes of the body as it came, appending the data in them
    // to data (unless null). Returns how many of them belong to the body:
    // all until it ends, then those up to the line feed after the size 0,
    // none after it (the trailer, or what came past the body, is passed
    // over), and those before the first byte that breaks the framing.
    size_t feed(const char* bytes, size_t n, std::string* data);
    // The chunk of size 0 and the line feed after its size came: the body
    // has ended, its trailer may not have.
    bool ended() const { return state_ == State::Ended; }
    bool broken() const { return state_ == State::Broken; }

  private:
    enum class State { Size, SizeLine, Data, DataEnd, Ended, Broken };
    State state_ = State::Size;
    int digits_ = 0;
    uint64_t size_ = 0; // of the chunk being read, then what is left of its data
};

} // namespace qortransport

#endif
