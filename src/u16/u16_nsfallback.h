#ifndef QOR_U16_U16_NSFALLBACK_H
#define QOR_U16_U16_NSFALLBACK_H

/* The IPv4 name service that answers for the protocol-independent name
 * functions when they cannot be bound (qorapi::getaddrinfo and its kin):
 * built on the classic host and service calls of platform/u16_netdb.h.
 * Signatures, records and flags are the C library's; the results are
 * socket error codes (Windows Sockets numbering, U16_WSA*). */

#include <netdb.h>
#include <sys/socket.h>

#include <cstddef>

/* One heap block holds every record, address and the canonical name; it
 * starts at 256 bytes and doubles up to 524288 when the answer does not
 * fit. On failure the result is null. */
int nlsui_fallback_getaddrinfo(const char* node, const char* service, const addrinfo* hints,
                               addrinfo** result);
/* Replaces the allocator of that block (malloc; the block is released with
 * free); null restores malloc (tests). */
void nlsui_fallback_set_allocator(void* (*allocate)(size_t size));
void nlsui_fallback_freeaddrinfo(addrinfo* list);
/* IPv4 and IPv6 addresses; flags NI_NOFQDN, NI_NUMERICHOST, NI_NAMEREQD,
 * NI_NUMERICSERV, NI_DGRAM. An address shorter than its family's record
 * is refused (U16_WSAEINVAL). */
int nlsui_fallback_getnameinfo(const sockaddr* address, socklen_t length, char* host,
                               socklen_t host_size, char* service, socklen_t service_size,
                               int flags);
/* The text of a socket error code; every text ends with a blank. */
const char* nlsui_fallback_gai_strerror(int code);

#endif
