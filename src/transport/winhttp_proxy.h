#ifndef QOR_TRANSPORT_WINHTTP_PROXY_H
#define QOR_TRANSPORT_WINHTTP_PROXY_H

// The proxy that a request of the WinHTTP stand-in goes through. The
// stand-in chooses it itself and hands curl that choice, so that it knows
// whether a request went through a proxy; the environment is read as
// libcurl reads it.

#include <string>

#include "transport/winhttp.h"

namespace qortransport {

// The proxy for a request to host (https when secure), "" for none:
// - WINHTTP_ACCESS_TYPE_NO_PROXY: none;
// - a named proxy: that one;
// - otherwise none for a loopback host (is_loopback_host), else the
//   environment's: http_proxy for http (never HTTP_PROXY, which a CGI
//   program's environment takes from a request's Proxy header),
//   https_proxy or HTTPS_PROXY for https, else all_proxy or ALL_PROXY.
// None either when the bypass list (a named proxy's, else no_proxy or
// NO_PROXY) names the host (proxy_bypassed). An empty variable counts as
// unset.
std::string winhttp_proxy_for(DWORD access_type, const std::string& named_proxy,
                              const std::string& bypass, const std::string& host, bool secure);

// True when a no_proxy list names host: "*" alone names every host; else
// entries separated by commas or blanks, each naming a host and every host
// below it (a leading or trailing dot and the case do not count), or, for
// an IPv4 host, an IPv4 address or network ("192.0.2.0/24"). An IPv6
// host is compared as a name.
bool proxy_bypassed(const std::string& host, const std::string& list);

// A name or address of the machine's loopback: "localhost" and the names
// below it, 127.0.0.0/8 and 0.0.0.0/8 in any form the address parser takes,
// "::1", "::" and their IPv4-mapped kin.
bool is_loopback_host(std::string host);

} // namespace qortransport

#endif
