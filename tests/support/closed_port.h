#ifndef QOR_TESTS_SUPPORT_CLOSED_PORT_H
#define QOR_TESTS_SUPPORT_CLOSED_PORT_H

// A TCP port on a loopback address where nothing listens, kept for the object's
// lifetime: the socket is bound but never listens, so a connection is
// refused, and without SO_REUSEADDR no other test or process can take the
// port while a test relies on it being closed. (A port found free and then
// released may be taken by a parallel test's service at any moment.)

#include <cstdint>
#include <memory>

#include "support/fake_service.h"

namespace qortest {

class ClosedPort
{
  public:
    ClosedPort(); // an ephemeral port of 127.0.0.1
    // That port of the address; throws std::runtime_error when taken.
    explicit ClosedPort(std::uint16_t port, Loopback where = Loopback::V4);
    ~ClosedPort();
    ClosedPort(const ClosedPort&) = delete;
    ClosedPort& operator=(const ClosedPort&) = delete;

    // Holds the client's HTTP port of the first instance number in
    // [first, last] whose port is free and stores that number; throws when
    // none is.
    static std::unique_ptr<ClosedPort> on_free_instance_port(int& nr, int first = 1, int last = 98);

    std::uint16_t port() const { return port_; }

  private:
    int fd_ = -1;
    std::uint16_t port_ = 0;
};

} // namespace qortest

#endif
