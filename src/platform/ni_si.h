#ifndef QOR_PLATFORM_NI_SI_H
#define QOR_PLATFORM_NI_SI_H

// SI, the socket layer under NI: thin wrappers of the POSIX socket calls with
// millisecond time-outs (negative: no limit). Every function returns one of
// the SI codes below; the failing call's errno is kept in *sys_errno where
// asked for.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct sockaddr;

enum SiRc {
    SI_OK = 0,
    SI_ECONN_REFUSED = 1, // nobody listens
    SI_ETIMEOUT = 2,      // nothing happened in time
    SI_ECONN_BROKEN = 3,  // the peer closed or reset the connection
    SI_EHOST_UNKNOWN = 4, // name resolution failed
    SI_ESERV_UNKNOWN = 5, // service name unknown
    SI_EINVAL = 6,        // invalid argument
    SI_ESYSTEM = 7,       // another system call failure
};

// Text of an SI code.
const char* SiRcText(int rc);

// An address to connect to: AF_INET with 4 bytes, or AF_INET6 with 16.
struct SiAddress
{
    int family;
    unsigned char bytes[16];
};

// Connects a stream socket to port at each address in turn until one
// answers, all within timeout_ms. The socket is left in non-blocking mode.
int SiConnect(const std::vector<SiAddress>& addresses, uint16_t port, int timeout_ms, int* fd,
              int* sys_errno);
// Connects to the unix-domain socket at path within timeout_ms.
int SiConnectUnix(const char* path, int timeout_ms, int* fd, int* sys_errno);
// Waits until fd is readable (events POLLIN) or writable (POLLOUT).
int SiWaitReadable(int fd, int timeout_ms);
int SiWaitWritable(int fd, int timeout_ms);
// One write of at most len bytes, waiting up to timeout_ms until possible.
int SiWrite(int fd, const void* buf, size_t len, int timeout_ms, size_t* written, int* sys_errno);
// One read of at most len bytes, waiting up to timeout_ms for data. A
// closed connection gives SI_ECONN_BROKEN.
int SiRead(int fd, void* buf, size_t len, int timeout_ms, size_t* got, int* sys_errno);
// Bytes waiting to be read without blocking, or -1 when the peer has closed
// the connection (or it failed); 0 when the connection is idle and open.
long SiPendingOrClosed(int fd);
void SiClose(int fd);

// The unicast addresses of this machine's network interfaces, as raw bytes
// (4 for IPv4, 16 for IPv6).
std::vector<std::string> SiLocalAddresses();

// The address of an IPv4 or IPv6 socket address; false for another family.
bool SiAddressOf(const sockaddr* address, SiAddress* out);
// The address that a connected socket reaches: SI_ECONN_BROKEN when it is
// not connected (any more), SI_EINVAL for a socket of another family.
int SiPeerAddress(int fd, SiAddress* peer, int* sys_errno);
// The IPv4 address that an IPv4-mapped IPv6 address (::ffff:a.b.c.d)
// carries; any other address as it is.
SiAddress SiUnmappedAddress(const SiAddress& address);
// The address as text ("127.0.0.1", "::1").
std::string SiAddressText(const SiAddress& address);
// True when the address is this machine's: a loopback address (127.0.0.0/8,
// ::1) or an address of a network interface that is up (one that is down
// has no local route, so its address may lead elsewhere). An IPv4-mapped
// IPv6 address (::ffff:a.b.c.d) counts as the IPv4 address it carries,
// which it reaches.
bool SiIsLocalAddress(const SiAddress& address);
#endif
