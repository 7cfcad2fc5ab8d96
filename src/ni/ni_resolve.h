#ifndef QOR_NI_NI_RESOLVE_H
#define QOR_NI_NI_RESOLVE_H

// NI's host-name resolution for its own connects.

#include <vector>

#include "platform/ni_si.h"
#include "u16/qor_uc.h"

// The addresses of a host name (or numeric address): 0, or NIEHOST_UNKNOWN
// when the name does not resolve to IPv4 or IPv6 addresses.
int ni_host_addresses(const QOR_UC* host, std::vector<SiAddress>* addresses);
// The same for the addresses of one family only (AF_INET or AF_INET6).
int ni_host_addresses(const QOR_UC* host, int family, std::vector<SiAddress>* addresses);

#endif
