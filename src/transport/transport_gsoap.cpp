// GSOAP_HTTP: the toolkit's own sockets, with every byte traced.

#include <sys/socket.h>

#include "platform/ni_si.h"
#include "transport/plugin_data.h"

namespace qortransport {
namespace {

SOAP_SOCKET gsoap_open(struct soap* soap, const char* endpoint, const char* host, int port)
{
    PluginData* d = plugin_data(soap);
    if (d == nullptr)
        return SOAP_INVALID_SOCKET;
    SOAP_SOCKET sock = d->saved.fopen(soap, endpoint, host, port);
    if (soap_valid_socket(sock))
        ++d->connections_opened;
    return sock;
}

int gsoap_send(struct soap* soap, const char* s, size_t n)
{
    PluginData* d = plugin_data(soap);
    if (d == nullptr)
        return SOAP_EOF;
    d->exchange_complete = false;
    d->frame.reset();
    trace_bytes(d->trace_sent, s, n);
    return d->saved.fsend(soap, s, n);
}

size_t gsoap_read(struct soap* soap, PluginData* d, char* s, size_t n)
{
    return d->saved.frecv(soap, s, n);
}

size_t gsoap_recv(struct soap* soap, char* s, size_t n)
{
    PluginData* d = plugin_data(soap);
    if (d == nullptr)
        return 0;
    return framed_recv(soap, d, s, n, gsoap_read);
}

// A connection whose last response broke off is not used again, nor one
// that holds unread bytes: the toolkit's own check takes them for a live
// connection, and the next call would read them as its reply.
int gsoap_poll(struct soap* soap)
{
    PluginData* d = plugin_data(soap);
    if (d == nullptr || !reusable(d))
        return SOAP_EOF;
    if (soap_valid_socket(soap->socket) && SiPendingOrClosed(soap->socket) != 0)
        return SOAP_EOF;
    return d->saved.fpoll != nullptr ? d->saved.fpoll(soap) : SOAP_OK;
}

} // namespace

void install_gsoap(struct soap* soap, PluginData* data)
{
    (void)data;
    // A peer that vanished must give a send error, not end the process.
    soap->socket_flags |= MSG_NOSIGNAL;
    soap->fopen = gsoap_open;
    soap->fsend = gsoap_send;
    soap->frecv = gsoap_recv;
    soap->fpoll = gsoap_poll;
}

} // namespace qortransport
