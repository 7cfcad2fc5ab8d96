#include "platform/ni_si.h"

#include <arpa/inet.h>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

// Milliseconds left until deadline, for poll(): -1 without a limit.
int remaining_ms(bool limited, Clock::time_point deadline)
{
    if (!limited)
        return -1;
    auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0)
        return 0;
    return left > INT_MAX ? INT_MAX : static_cast<int>(left);
}

int wait_for(int fd, short events, int timeout_ms)
{
    const bool limited = timeout_ms >= 0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(limited ? timeout_ms : 0);
    for (;;) {
        pollfd p{fd, events, 0};
        int n = ::poll(&p, 1, remaining_ms(limited, deadline));
        if (n > 0)
            return SI_OK;
        if (n == 0)
            return SI_ETIMEOUT;
        if (errno != EINTR)
            return SI_ESYSTEM;
    }
}

bool set_nonblocking(int fd)
{
    int flags = ::fcntl(fd, F_GETFL, 0);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

// Connects a non-blocking socket and waits for the result.
int connect_socket(int fd, const sockaddr* addr, socklen_t len, int timeout_ms, int* sys_errno)
{
    int rc;
    do {
        rc = ::connect(fd, addr, len);
    } while (rc != 0 && errno == EINTR);
    if (rc == 0)
        return SI_OK;
    if (errno != EINPROGRESS) {
        // EAGAIN: a unix-domain listener whose backlog is full is busy; the
        // socket is left unconnected, so waiting for it would report a
        // connection that does not exist.
        *sys_errno = errno;
        return (errno == ECONNREFUSED || errno == ENOENT || errno == EAGAIN) ? SI_ECONN_REFUSED
                                                                             : SI_ESYSTEM;
    }
    int w = wait_for(fd, POLLOUT, timeout_ms);
    if (w != SI_OK) {
        *sys_errno = w == SI_ETIMEOUT ? ETIMEDOUT : errno;
        return w;
    }
    int err = 0;
    socklen_t err_len = sizeof err;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &err_len) != 0)
        err = errno;
    if (err == 0)
        return SI_OK;
    *sys_errno = err;
    return err == ECONNREFUSED ? SI_ECONN_REFUSED : (err == ETIMEDOUT ? SI_ETIMEOUT : SI_ESYSTEM);
}

std::string raw_address(const sockaddr* sa)
{
    if (sa == nullptr)
        return {};
    if (sa->sa_family == AF_INET) {
        const auto* in = reinterpret_cast<const sockaddr_in*>(sa);
        return std::string(reinterpret_cast<const char*>(&in->sin_addr), 4);
    }
    if (sa->sa_family == AF_INET6) {
        const auto* in6 = reinterpret_cast<const sockaddr_in6*>(sa);
        return std::string(reinterpret_cast<const char*>(&in6->sin6_addr), 16);
    }
    return {};
}

} // namespace

const char* SiRcText(int rc)
{
    switch (rc) {
    case SI_OK:
        return "ok";
    case SI_ECONN_REFUSED:
        return "connection refused";
    case SI_ETIMEOUT:
        return "time-out";
    case SI_ECONN_BROKEN:
        return "connection broken";
    case SI_EHOST_UNKNOWN:
        return "host unknown";
    case SI_ESERV_UNKNOWN:
        return "service unknown";
    case SI_EINVAL:
        return "invalid argument";
    case SI_ESYSTEM:
        return "system call failed";
    default:
        return "unknown SI code";
    }
}

int SiConnect(const std::vector<SiAddress>& addresses, uint16_t port, int timeout_ms, int* fd,
              int* sys_errno)
{
    int dummy = 0;
    if (sys_errno == nullptr)
        sys_errno = &dummy;
    *sys_errno = 0;
    if (fd == nullptr || addresses.empty())
        return SI_EINVAL;
    *fd = -1;
    const bool limited = timeout_ms >= 0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(limited ? timeout_ms : 0);
    int result = SI_EINVAL;
    for (const SiAddress& address : addresses) {
        sockaddr_storage peer{};
        socklen_t peer_len = 0;
        if (address.family == AF_INET) {
            auto* in = reinterpret_cast<sockaddr_in*>(&peer);
            in->sin_family = AF_INET;
            in->sin_port = htons(port);
            std::memcpy(&in->sin_addr, address.bytes, 4);
            peer_len = sizeof *in;
        } else if (address.family == AF_INET6) {
            auto* in6 = reinterpret_cast<sockaddr_in6*>(&peer);
            in6->sin6_family = AF_INET6;
            in6->sin6_port = htons(port);
            std::memcpy(&in6->sin6_addr, address.bytes, 16);
            peer_len = sizeof *in6;
        } else {
            continue;
        }
        int s = ::socket(address.family, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
        if (s < 0) {
            *sys_errno = errno;
            result = SI_ESYSTEM;
            continue;
        }
        if (!set_nonblocking(s)) {
            *sys_errno = errno;
            result = SI_ESYSTEM;
            ::close(s);
            continue;
        }
        int one = 1;
        ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        result = connect_socket(s, reinterpret_cast<sockaddr*>(&peer), peer_len,
                                remaining_ms(limited, deadline), sys_errno);
        if (result == SI_OK) {
            *fd = s;
            break;
        }
        ::close(s);
        if (result == SI_ETIMEOUT)
            break;
    }
    return result;
}

int SiConnectUnix(const char* path, int timeout_ms, int* fd, int* sys_errno)
{
    int dummy = 0;
    if (sys_errno == nullptr)
        sys_errno = &dummy;
    *sys_errno = 0;
    if (path == nullptr || fd == nullptr)
        return SI_EINVAL;
    *fd = -1;
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (std::strlen(path) >= sizeof addr.sun_path)
        return SI_EINVAL;
    std::strcpy(addr.sun_path, path);
    int s = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (s < 0) {
        *sys_errno = errno;
        return SI_ESYSTEM;
    }
    if (!set_nonblocking(s)) {
        *sys_errno = errno;
        ::close(s);
        return SI_ESYSTEM;
    }
    int rc =
        connect_socket(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr, timeout_ms, sys_errno);
    if (rc != SI_OK) {
        ::close(s);
        return rc;
    }
    *fd = s;
    return SI_OK;
}

int SiWaitReadable(int fd, int timeout_ms)
{
    return fd < 0 ? SI_EINVAL : wait_for(fd, POLLIN, timeout_ms);
}
int SiWaitWritable(int fd, int timeout_ms)
{
    return fd < 0 ? SI_EINVAL : wait_for(fd, POLLOUT, timeout_ms);
}

int SiWrite(int fd, const void* buf, size_t len, int timeout_ms, size_t* written, int* sys_errno)
{
    int dummy = 0;
    if (sys_errno == nullptr)
        sys_errno = &dummy;
    *sys_errno = 0;
    if (written != nullptr)
        *written = 0;
    if (fd < 0 || (buf == nullptr && len > 0))
        return SI_EINVAL;
    if (len == 0)
        return SI_OK;
    for (;;) {
        ssize_t n = ::send(fd, buf, len, MSG_NOSIGNAL);
        if (n >= 0) {
            if (written != nullptr)
                *written = static_cast<size_t>(n);
            return SI_OK;
        }
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            int w = wait_for(fd, POLLOUT, timeout_ms);
            if (w != SI_OK)
                return w;
            continue;
        }
        *sys_errno = errno;
        return (errno == EPIPE || errno == ECONNRESET || errno == ENOTCONN) ? SI_ECONN_BROKEN
                                                                            : SI_ESYSTEM;
    }
}

int SiRead(int fd, void* buf, size_t len, int timeout_ms, size_t* got, int* sys_errno)
{
    int dummy = 0;
    if (sys_errno == nullptr)
        sys_errno = &dummy;
    *sys_errno = 0;
    if (got != nullptr)
        *got = 0;
    if (fd < 0 || buf == nullptr || len == 0)
        return SI_EINVAL;
    for (;;) {
        ssize_t n = ::recv(fd, buf, len, 0);
        if (n > 0) {
            if (got != nullptr)
                *got = static_cast<size_t>(n);
            return SI_OK;
        }
        if (n == 0)
            return SI_ECONN_BROKEN;
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            int w = wait_for(fd, POLLIN, timeout_ms);
            if (w != SI_OK)
                return w;
            continue;
        }
        *sys_errno = errno;
        return (errno == ECONNRESET || errno == ENOTCONN) ? SI_ECONN_BROKEN : SI_ESYSTEM;
    }
}

long SiPendingOrClosed(int fd)
{
    if (fd < 0)
        return -1;
    pollfd p{fd, POLLIN, 0};
    int n;
    do {
        n = ::poll(&p, 1, 0);
    } while (n < 0 && errno == EINTR);
    if (n < 0)
        return -1;
    if (n == 0)
        return 0;
    if ((p.revents & (POLLERR | POLLNVAL)) != 0)
        return -1;
    char c;
    ssize_t r = ::recv(fd, &c, 1, MSG_PEEK | MSG_DONTWAIT);
    if (r <= 0)
        return (r < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) ? 0 : -1;
    int avail = 0;
    if (::ioctl(fd, FIONREAD, &avail) != 0 || avail < 1)
        avail = 1;
    return avail;
}

void SiClose(int fd)
{
    if (fd >= 0)
        ::close(fd);
}

std::vector<std::string> SiLocalAddresses()
{
    std::vector<std::string> out;
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0)
        return out;
    for (ifaddrs* it = list; it != nullptr; it = it->ifa_next) {
        std::string raw = raw_address(it->ifa_addr);
        if (!raw.empty())
            out.push_back(std::move(raw));
    }
    ::freeifaddrs(list);
    return out;
}

bool SiAddressOf(const sockaddr* address, SiAddress* out)
{
    const std::string raw = raw_address(address);
    if (raw.empty() || out == nullptr)
        return false;
    *out = SiAddress{address->sa_family, {}};
    std::memcpy(out->bytes, raw.data(), raw.size());
    return true;
}

int SiPeerAddress(int fd, SiAddress* peer, int* sys_errno)
{
    int dummy = 0;
    if (sys_errno == nullptr)
        sys_errno = &dummy;
    *sys_errno = 0;
    if (fd < 0 || peer == nullptr)
        return SI_EINVAL;
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getpeername(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        *sys_errno = errno;
        return errno == ENOTCONN ? SI_ECONN_BROKEN : SI_ESYSTEM;
    }
    return SiAddressOf(reinterpret_cast<const sockaddr*>(&address), peer) ? SI_OK : SI_EINVAL;
}

std::string SiAddressText(const SiAddress& address)
{
    char text[INET6_ADDRSTRLEN] = "";
    if ((address.family != AF_INET && address.family != AF_INET6) ||
        ::inet_ntop(address.family, address.bytes, text, sizeof text) == nullptr)
        return "?";
    return text;
}

SiAddress SiUnmappedAddress(const SiAddress& address)
{
    static const unsigned char kMappedPrefix[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
    SiAddress a = address;
    if (a.family == AF_INET6 && std::memcmp(a.bytes, kMappedPrefix, sizeof kMappedPrefix) == 0) {
        a.family = AF_INET;
        std::memmove(a.bytes, a.bytes + sizeof kMappedPrefix, 4);
    }
    return a;
}

bool SiIsLocalAddress(const SiAddress& address)
{
    static const unsigned char kLoopback6[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    const SiAddress a = SiUnmappedAddress(address);
    if (a.family != AF_INET && a.family != AF_INET6)
        return false;
    if ((a.family == AF_INET && a.bytes[0] == 127) ||
        (a.family == AF_INET6 && std::memcmp(a.bytes, kLoopback6, 16) == 0))
        return true;
    const std::string raw(reinterpret_cast<const char*>(a.bytes), a.family == AF_INET ? 4 : 16);
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0)
        return false;
    bool found = false;
    for (ifaddrs* it = list; it != nullptr && !found; it = it->ifa_next)
        found = (it->ifa_flags & IFF_UP) != 0 && raw_address(it->ifa_addr) == raw;
    ::freeifaddrs(list);
    return found;
}
