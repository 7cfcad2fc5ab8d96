// The peer of each request, and whether it is this machine: judged by the
// connection that carried the request, never by the host text, whose name
// may stand for several addresses or be a proxy's business.

#include <arpa/inet.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "transport/plugin_data.h"

namespace qortransport {
namespace {

// Those of this machine's addresses that a test lets count as it
// (plugin_narrow_this_machine); unset: every one.
struct Narrowing
{
    std::mutex lock;
    std::optional<std::vector<SiAddress>> only;
};

Narrowing& narrowing()
{
    static Narrowing n;
    return n;
}

bool same_address(const SiAddress& a, const SiAddress& b)
{
    return a.family == b.family &&
           std::memcmp(a.bytes, b.bytes, a.family == AF_INET ? 4 : sizeof a.bytes) == 0;
}

bool on_this_machine(const SiAddress& address)
{
    if (!SiIsLocalAddress(address))
        return false;
    Narrowing& n = narrowing();
    std::lock_guard<std::mutex> guard(n.lock);
    const SiAddress a = SiUnmappedAddress(address);
    return !n.only || std::any_of(n.only->begin(), n.only->end(),
                                  [&a](const SiAddress& b) { return same_address(a, b); });
}

RequestPeer peer_of_socket(int fd, bool proxied)
{
    RequestPeer peer;
    int sys_errno = 0;
    const int rc = SiPeerAddress(fd, &peer.address, &sys_errno);
    if (rc != SI_OK)
        return RequestPeer::unknown_because(
            std::string("the connection gives no peer: ") +
            (sys_errno != 0 ? std::strerror(sys_errno) : SiRcText(rc)));
    peer.kind = RequestPeer::Kind::Address;
    peer.proxied = proxied;
    return peer;
}

} // namespace

void take_request_peer(struct soap* soap, PluginData* d)
{
    switch (d->arg.transport_type) {
    case PIPE:
        d->peer = RequestPeer{};
        d->peer.kind = RequestPeer::Kind::Pipe;
        break;
    case WINHTTP:
    case WINHTTPS:
        d->peer = RequestPeer::unknown_because("no connection carried the request");
        break;
    case GSOAP_HTTP:
        // The toolkit's own sockets connect to its proxy when it has one.
        d->peer = peer_of_socket(soap->socket, soap->proxy_host != nullptr);
        break;
    default:
        d->peer = peer_of_socket(d->sock, false);
        break;
    }
}

RequestPeer winhttp_request_peer(HINTERNET request)
{
    WINHTTP_CONNECTION_INFO connection{};
    WINHTTP_PROXY_INFO proxy{};
    DWORD connection_length = sizeof connection;
    DWORD proxy_length = sizeof proxy;
    RequestPeer peer;
    if (!WinHttpQueryOption(request, WINHTTP_OPTION_CONNECTION_INFO, &connection,
                            &connection_length) ||
        !WinHttpQueryOption(request, WINHTTP_OPTION_PROXY, &proxy, &proxy_length) ||
        !SiAddressOf(reinterpret_cast<const sockaddr*>(&connection.RemoteAddress), &peer.address))
        return RequestPeer::unknown_because("the connection did not tell its peer");
    peer.kind = RequestPeer::Kind::Address;
    peer.proxied = proxy.dwAccessType != WINHTTP_ACCESS_TYPE_NO_PROXY;
    return peer;
}

bool peer_on_this_machine(const RequestPeer& peer, std::string* why_not)
{
    std::string ignored;
    if (why_not == nullptr)
        why_not = &ignored;
    if (peer.kind == RequestPeer::Kind::Pipe)
        return true;
    if (peer.kind == RequestPeer::Kind::Unknown) {
        *why_not = "the service's address is not known (" + peer.unknown + ")";
        return false;
    }
    const std::string address = SiAddressText(peer.address);
    if (peer.proxied) {
        *why_not = "the request went through the proxy at " + address;
        return false;
    }
    if (!on_this_machine(peer.address)) {
        *why_not = "the service at " + address + " does not run on this machine";
        return false;
    }
    return true;
}

} // namespace qortransport

int plugin_request_was_local(struct soap* soap, std::string* why_not)
{
    const qortransport::PluginData* d = qortransport::plugin_data(soap);
    return qortransport::peer_on_this_machine(d != nullptr ? d->peer : qortransport::RequestPeer{},
                                              why_not)
               ? 1
               : 0;
}

bool plugin_narrow_this_machine(const char* const* addresses, int count)
{
    qortransport::Narrowing& n = qortransport::narrowing();
    if (count < 0) {
        std::lock_guard<std::mutex> guard(n.lock);
        n.only.reset();
        return true;
    }
    std::vector<SiAddress> only;
    for (int i = 0; i < count; ++i) {
        SiAddress a{AF_INET, {}};
        if (addresses == nullptr || addresses[i] == nullptr)
            return false;
        if (inet_pton(AF_INET, addresses[i], a.bytes) != 1) {
            a.family = AF_INET6;
            if (inet_pton(AF_INET6, addresses[i], a.bytes) != 1)
                return false;
        }
        only.push_back(SiUnmappedAddress(a));
    }
    std::lock_guard<std::mutex> guard(n.lock);
    n.only = std::move(only);
    return true;
}
