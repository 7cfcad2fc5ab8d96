// NI_HTTP and NI_HTTPS: the HTTP bytes go over a raw NI handle, for NI_HTTPS
// through an SSL session on it.

#include <cerrno>
#include <string>

#include "transport/plugin_data.h"

namespace qortransport {
namespace {

void close_connection(PluginData* d)
{
    if (d->ssl != nullptr)
        QorSSLClose(&d->ssl);
    if (d->hdl != NI_INVALID_HDL)
        NiCloseHandle(d->hdl);
    d->hdl = NI_INVALID_HDL;
    d->sock = -1;
}

SOAP_SOCKET ni_open(struct soap* soap, const char* endpoint, const char* host, int port)
{
    (void)endpoint;
    PluginData* d = plugin_data(soap);
    if (d == nullptr)
        return SOAP_INVALID_SOCKET;
    close_connection(d);
    soap->errnum = 0;
    const std::string where = std::string(host) + ":" + std::to_string(port);
    if (port <= 0 || port > 65535)
        return connect_failed(soap, "NIEINVAL: invalid port", "connect to " + where + " failed");
    int rc = NiRawConnect(host, static_cast<uint16_t>(port),
                          soap_timeout_to_ms(soap->connect_timeout), &d->hdl);
    if (rc != QOR_O_K)
        return connect_failed(soap, std::string(NiErrName(rc)) + ": " + NiErrText(rc),
                              "connect to " + where + " failed");
    NiHdlToSock(d->hdl, &d->sock);
    if (d->arg.transport_type == NI_HTTPS) {
        int src = QorSSLConnect(d->hdl, static_cast<SSSL_AUTH_T>(d->arg.ssl_auth_type), host,
                                soap_timeout_to_ms(soap->connect_timeout), &d->ssl);
        if (src != SSSLRC_OK) {
            close_connection(d);
            return connect_failed(soap, std::string("SSL connection failed: ") + QorSSLErrText(src),
                                  "SSL handshake with " + where + " failed");
        }
    }
    ++d->connections_opened;
    return d->sock;
}

int ni_close(struct soap* soap)
{
    if (PluginData* d = plugin_data(soap))
        close_connection(d);
    soap->socket = SOAP_INVALID_SOCKET;
    return SOAP_OK;
}

int ni_closesocket(struct soap* soap, SOAP_SOCKET sock)
{
    PluginData* d = plugin_data(soap);
    if (d != nullptr && d->hdl != NI_INVALID_HDL && sock == d->sock) {
        close_connection(d);
        return SOAP_OK;
    }
    return d != nullptr && d->saved.fclosesocket != nullptr ? d->saved.fclosesocket(soap, sock)
                                                            : SOAP_OK;
}

int ni_send(struct soap* soap, const char* s, size_t n)
{
    PluginData* d = plugin_data(soap);
    if (d == nullptr || d->hdl == NI_INVALID_HDL)
        return SOAP_EOF;
    d->exchange_complete = false;
    d->frame.reset();
    trace_bytes(d->trace_sent, s, n);
    const int timeout = soap_timeout_to_ms(soap->send_timeout);
    if (d->ssl != nullptr) {
        int rc = QorSSLWrite(d->ssl, s, n, timeout);
        if (rc != SSSLRC_OK) {
            soap->errnum = rc == SSSLERR_TIMEOUT ? ETIMEDOUT : EPIPE;
            return SOAP_EOF;
        }
        return SOAP_OK;
    }
    int rc = NiRawWriteAll(d->hdl, s, n, timeout);
    if (rc != QOR_O_K) {
        soap->errnum = rc == NIETIMEOUT ? ETIMEDOUT : EPIPE;
        return SOAP_EOF;
    }
    return SOAP_OK;
}

size_t ni_read(struct soap* soap, PluginData* d, char* s, size_t n)
{
    const int timeout = soap_timeout_to_ms(soap->recv_timeout);
    size_t got = 0;
    if (d->ssl != nullptr) {
        int rc = QorSSLRead(d->ssl, s, n, timeout, &got);
        if (rc == SSSLERR_TIMEOUT)
            soap->errnum = ETIMEDOUT;
        return rc == SSSLRC_OK ? got : 0;
    }
    int rc = NiRawRead(d->hdl, s, n, timeout, &got);
    if (rc == NIETIMEOUT)
        soap->errnum = ETIMEDOUT;
    return rc == QOR_O_K ? got : 0;
}

size_t ni_recv(struct soap* soap, char* s, size_t n)
{
    PluginData* d = plugin_data(soap);
    if (d == nullptr || d->hdl == NI_INVALID_HDL)
        return 0;
    return framed_recv(soap, d, s, n, ni_read);
}

// A kept connection is fit for the next call only when its last response was
// read to the end, the peer has not closed it and nothing unread waits on it.
int ni_poll(struct soap* soap)
{
    PluginData* d = plugin_data(soap);
    if (d == nullptr || d->hdl == NI_INVALID_HDL || !reusable(d))
        return SOAP_EOF;
    if (d->ssl != nullptr && QorSSLPending(d->ssl) > 0)
        return SOAP_EOF;
    return NiCheckAlive(d->hdl) == QOR_O_K ? SOAP_OK : SOAP_EOF;
}

} // namespace

void install_ni(struct soap* soap, PluginData* data)
{
    (void)data;
    soap->fopen = ni_open;
    soap->fclose = ni_close;
    soap->fclosesocket = ni_closesocket;
    soap->fsend = ni_send;
    soap->frecv = ni_recv;
    soap->fpoll = ni_poll;
}

void release_ni(PluginData* data)
{
    close_connection(data);
}

} // namespace qortransport
