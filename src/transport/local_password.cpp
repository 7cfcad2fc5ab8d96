// The password of this machine (the logon file's) goes only to this
// machine. Every connection that is to carry it is judged just before the
// request goes out on it, fresh or kept: a name may lead to another address
// on the next connect, and curl reconnects on its own. Any address of this
// machine will do, not only the one that handed out the password: the
// password may not leave the machine, and every address of it is as much
// this machine as another (a service may answer at ::1 and 127.0.0.1, or
// come back at the next address of its name after a restart), while a
// process of this machine can take the very address once the service is
// gone. So nothing goes out that could not have been read.

#include <string>

#include "transport/plugin_data.h"

namespace qortransport {

void refuse_password(struct soap* soap, const PluginData* d)
{
    std::string why_not;
    peer_on_this_machine(d->peer, &why_not);
    soap_set_receiver_error(soap, soap_strdup(soap, why_not.c_str()),
                            "request with the logon file's password not sent", SOAP_TCP_ERROR);
}

bool password_may_go_out(struct soap* soap, PluginData* d)
{
    d->request_carries_password = d->password_stays_here && !d->authorization.empty();
    if (!d->request_carries_password || d->arg.transport_type == WINHTTP ||
        d->arg.transport_type == WINHTTPS || peer_on_this_machine(d->peer, nullptr))
        return true;
    refuse_password(soap, d);
    return false;
}

BOOL winhttp_password_peer_check(const sockaddr* remote, BOOL proxied, void* context)
{
    auto* d = static_cast<PluginData*>(context);
    RequestPeer peer = RequestPeer::unknown_because("the connection did not tell its peer");
    if (remote != nullptr && SiAddressOf(remote, &peer.address)) {
        peer.kind = RequestPeer::Kind::Address;
        peer.proxied = proxied != 0;
    }
    d->peer = peer;
    return peer_on_this_machine(peer, nullptr) ? 1 : 0;
}

} // namespace qortransport

int plugin_keep_password_on_this_machine(struct soap* soap)
{
    if (qortransport::PluginData* d = qortransport::plugin_data(soap))
        d->password_stays_here = true;
    return 0;
}
