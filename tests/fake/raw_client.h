// A minimal blocking HTTP client over a raw socket, so the fake service's
// tests control every byte on the wire (chunking, keep-alive, pipelining).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "support/fake_service.h"

namespace qortest {

struct HttpReply
{
    bool complete = false; // a whole reply was read
    int status = 0;
    std::string reason;
    Headers headers;
    std::string body;
    std::string header(std::string_view name) const;
};

class RawClient
{
  public:
    explicit RawClient(std::uint16_t port);             // 127.0.0.1
    explicit RawClient(const std::string& socket_path); // unix domain
    ~RawClient();
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    bool connected() const { return fd_ >= 0; }
    bool send(std::string_view bytes);
    // Reads one reply (Content-Length, chunked, or up to end of stream).
    HttpReply read_reply();
    // Reads at least n bytes unless the peer closes first or ~5 s pass.
    std::string read_some(std::size_t n);
    // Reads until the peer closes or ~5 s pass; returns everything read.
    std::string read_to_close();
    // True when the peer has closed the connection (end of stream within ~5 s).
    bool peer_closed();

  private:
    bool fill(); // reads more into buf_; false on end of stream, error or time-out
    bool line(std::string& out);
    int fd_ = -1;
    std::string buf_;
};

// A POST request carrying `body` with Content-Length; `extra` lines end in CRLF.
std::string post(std::string_view body, std::string_view extra = {},
                 std::string_view version = "HTTP/1.1");
// The envelope of a request for `webmethod` without arguments.
std::string request_xml(std::string_view webmethod);

} // namespace qortest
