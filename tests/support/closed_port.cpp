#include "support/closed_port.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

#include "support/fake_service.h"

namespace qortest {

ClosedPort::ClosedPort() : ClosedPort(std::uint16_t{0}) {}

ClosedPort::ClosedPort(std::uint16_t port, Loopback where)
{
    const bool v6 = where == Loopback::V6;
    fd_ = ::socket(v6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0)
        throw std::runtime_error(std::string("socket: ") + std::strerror(errno));
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK + (where == Loopback::V4Second  ? 1
                                                    : where == Loopback::V4Third ? 2
                                                                                 : 0));
    addr.sin_port = htons(port);
    sockaddr_in6 addr6{};
    addr6.sin6_family = AF_INET6;
    addr6.sin6_addr = in6addr_loopback;
    addr6.sin6_port = htons(port);
    auto* any = v6 ? reinterpret_cast<sockaddr*>(&addr6) : reinterpret_cast<sockaddr*>(&addr);
    socklen_t len = v6 ? sizeof addr6 : sizeof addr;
    if (::bind(fd_, any, len) != 0 || ::getsockname(fd_, any, &len) != 0) {
        const int err = errno;
        ::close(fd_);
        throw std::runtime_error("bind port " + std::to_string(port) + ": " + std::strerror(err));
    }
    port_ = ntohs(v6 ? addr6.sin6_port : addr.sin_port);
}

ClosedPort::~ClosedPort()
{
    ::close(fd_);
}

std::unique_ptr<ClosedPort> ClosedPort::on_free_instance_port(int& nr, int first, int last)
{
    for (int candidate = first; candidate <= last; ++candidate) {
        try {
            auto held = std::make_unique<ClosedPort>(FakeService::instance_port(candidate));
            nr = candidate;
            return held;
        } catch (const std::runtime_error&) {
            // port taken: try the next instance number
        }
    }
    throw std::runtime_error("no free instance port between " + std::to_string(first) + " and " +
                             std::to_string(last));
}

} // namespace qortest
