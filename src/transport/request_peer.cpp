// The peer of each request, and whether it is this machine: judged by the
// connection that carried the request, never by the host text, whose name
// may stand for several addresses or be a proxy's business.

#include <cerrno>
#include <cstring>
#include <string>

#include "transport/plugin_data.h"

namespace qortransport {
namespace {

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

} // namespace qortransport

int plugin_request_was_local(struct soap* soap, std::string* why_not)
{
    using qortransport::RequestPeer;
    std::string ignored;
    if (why_not == nullptr)
        why_not = &ignored;
    const qortransport::PluginData* d = qortransport::plugin_data(soap);
    const RequestPeer peer = d != nullptr ? d->peer : RequestPeer{};
    if (peer.kind == RequestPeer::Kind::Pipe)
        return 1;
    if (peer.kind == RequestPeer::Kind::Unknown) {
        *why_not = "the service's address is not known (" + peer.unknown + ")";
        return 0;
    }
    const std::string address = SiAddressText(peer.address);
    if (peer.proxied) {
        *why_not = "the request went through the proxy at " + address;
        return 0;
    }
    if (!SiIsLocalAddress(peer.address)) {
        *why_not = "the service at " + address + " does not run on this machine";
        return 0;
    }
    return 1;
}
