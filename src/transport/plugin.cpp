// Registration of the transport plug-in and its trace files.

#include <climits>
#include <cstring>
#include <memory>
#include <sys/socket.h>

#include "transport/plugin_data.h"

namespace qortransport {
namespace {

const char kPluginId[] = QOR_PLUGIN_ID;

void plugin_delete(struct soap* soap, struct soap_plugin* p)
{
    (void)soap;
    std::unique_ptr<PluginData> data(static_cast<PluginData*>(p->data));
    p->data = nullptr;
    if (!data)
        return;
    release_ni(data.get());
    release_pipe(data.get());
    release_winhttp(data.get());
}

// A copied context gets its own data without the connection of the original.
int plugin_copy(struct soap* soap, struct soap_plugin* dst, struct soap_plugin* src)
{
    (void)soap;
    const auto* from = static_cast<const PluginData*>(src->data);
    auto copy = std::make_unique<PluginData>();
    copy->arg = from->arg;
    copy->trace_sent = from->trace_sent;
    copy->trace_received = from->trace_received;
    copy->saved = from->saved;
    copy->post = from->post;
    copy->open = from->open;
    copy->password_stays_here = from->password_stays_here;
    dst->data = copy.release();
    return SOAP_OK;
}

// The toolkit calls this once a response has been read to its end.
int response_complete(struct soap* soap)
{
    PluginData* d = plugin_data(soap);
    if (d == nullptr)
        return SOAP_OK;
    d->exchange_complete = true;
    if (d->arg.transport_type == WINHTTP || d->arg.transport_type == WINHTTPS)
        finish_winhttp_reply(d);
    return d->saved.fpreparefinalrecv != nullptr ? d->saved.fpreparefinalrecv(soap) : SOAP_OK;
}

// A call that opens a connection has no peer until its request goes out:
// the last request's peer does not stand for it, should it fail before.
SOAP_SOCKET peerless_open(struct soap* soap, const char* endpoint, const char* host, int port)
{
    PluginData* d = plugin_data(soap);
    if (d == nullptr || d->open == nullptr)
        return SOAP_INVALID_SOCKET;
    d->peer = RequestPeer::unknown_because("no connection carried the request");
    return d->open(soap, endpoint, host, port);
}

// The toolkit opens no connection for an endpoint without a host (empty,
// "[]") and then posts the request to its standard streams. No request
// goes out but on a connection a transport opened for the endpoint's host.
// Every request that goes out takes its peer here, before its first byte,
// and one with the password of this machine goes out only to this machine.
int guarded_post(struct soap* soap, const char* endpoint, const char* host, int port,
                 const char* path, const char* action, ULONG64 count)
{
    PluginData* d = plugin_data(soap);
    if (d != nullptr)
        d->peer = RequestPeer::unknown_because("no connection carried the request");
    if (d == nullptr || d->post == nullptr || host == nullptr || *host == '\0' ||
        !soap_valid_socket(soap->socket))
        return soap_set_receiver_error(soap, "no host to connect to", "request not sent",
                                       SOAP_TCP_ERROR);
    take_request_peer(soap, d);
    if (!password_may_go_out(soap, d))
        return soap->error;
    return d->post(soap, endpoint, host, port, path, action, count);
}

} // namespace

PluginData* plugin_data(struct soap* soap)
{
    return soap != nullptr ? static_cast<PluginData*>(soap_lookup_plugin(soap, kPluginId))
                           : nullptr;
}

void trace_bytes(FILE* file, const char* data, size_t n)
{
    if (file == nullptr || n == 0)
        return;
    std::fwrite(data, 1, n, file);
    std::fflush(file);
}

// Every read fills at most the n bytes of s: the frame's held bytes (take),
// a raw read of at most want(n) bytes, of which feed keeps a front part.
size_t framed_recv(struct soap* soap, PluginData* d, char* s, size_t n, RawRead read)
{
    ResponseFrame& frame = d->frame;
    for (;;) {
        if (const size_t k = frame.take(s, n))
            return k;
        if (!frame.error().empty()) {
            if (soap->error != SOAP_HTTP_ERROR)
                soap_set_receiver_error(soap, soap_strdup(soap, frame.error().c_str()),
                                        "HTTP reply refused", SOAP_HTTP_ERROR);
            return 0;
        }
        const size_t want = frame.want(n);
        if (want == 0)
            return 0;
        const size_t got = read(soap, d, s, want);
        if (got == 0) {
            frame.end_of_input();
            continue;
        }
        trace_bytes(d->trace_received, s, got);
        if (const size_t k = frame.feed(s, got))
            return k;
    }
}

bool reusable(const PluginData* d)
{
    // Of a refused reply the rest was never read, nor of one whose frame did
    // not end where the toolkit stopped (the rest of a length, a trailer): it
    // may still come on the connection, where the next call would read it as
    // its reply.
    return d->exchange_complete && d->frame.ended() && !d->frame.overrun() && !d->reply_refused;
}

int soap_timeout_to_ms(int timeout)
{
    if (timeout > 0)
        return timeout > INT_MAX / 1000 ? INT_MAX : timeout * 1000;
    if (timeout < 0) {
        long long us = -static_cast<long long>(timeout);
        return static_cast<int>((us + 999) / 1000); // at least 1 ms
    }
    return NI_BLOCK;
}

SOAP_SOCKET connect_failed(struct soap* soap, const std::string& text, const std::string& detail)
{
    soap_set_receiver_error(soap, soap_strdup(soap, text.c_str()),
                            soap_strdup(soap, detail.c_str()), SOAP_TCP_ERROR);
    return SOAP_INVALID_SOCKET;
}

} // namespace qortransport

int plugin_register(struct soap* soap, struct soap_plugin* plugin, void* arg)
{
    using namespace qortransport;
    if (soap == nullptr || plugin == nullptr || arg == nullptr)
        return SOAP_EOM;
    const auto* given = static_cast<const plugin_arg*>(arg);
    if (given->transport_type < NI_HTTP || given->transport_type > GSOAP_HTTP)
        return SOAP_EOM;
    if (NiInit() != QOR_O_K)
        return SOAP_EOM;
    auto data = std::make_unique<PluginData>();
    data->arg = *given;
    SavedCallbacks& s = data->saved;
    s.fopen = soap->fopen;
    s.fclose = soap->fclose;
    s.fsend = soap->fsend;
    s.frecv = soap->frecv;
    s.fpoll = soap->fpoll;
    s.fclosesocket = soap->fclosesocket;
    s.fshutdownsocket = soap->fshutdownsocket;
    s.fpost = soap->fpost;
    s.fpreparefinalrecv = soap->fpreparefinalrecv;
    soap->fpreparefinalrecv = response_complete;
    switch (data->arg.transport_type) {
    case NI_HTTP:
    case NI_HTTPS:
        install_ni(soap, data.get());
        break;
    case WINHTTP:
    case WINHTTPS:
        install_winhttp(soap, data.get());
        break;
    case PIPE:
        install_pipe(soap, data.get());
        break;
    default:
        install_gsoap(soap, data.get());
        break;
    }
    install_reply_shape(soap, data.get());
    data->post = soap->fpost;
    soap->fpost = guarded_post;
    data->open = soap->fopen;
    soap->fopen = peerless_open;
    // The toolkit's own send and receive steps write to and read from these
    // when no socket is open: never the standard streams.
    soap->sendfd = -1;
    soap->recvfd = -1;
    install_credentials(soap, data.get());
    plugin->id = kPluginId;
    plugin->data = data.release();
    plugin->fcopy = plugin_copy;
    plugin->fdelete = plugin_delete;
    return SOAP_OK;
}

int plugin_set_trace(struct soap* soap, FILE* sent, FILE* received)
{
    if (qortransport::PluginData* data = qortransport::plugin_data(soap)) {
        data->trace_sent = sent;
        data->trace_received = received;
    }
    return SOAP_OK;
}

const qortransport::MimeParts* plugin_mime_parts(struct soap* soap)
{
    const qortransport::PluginData* data = qortransport::plugin_data(soap);
    return data != nullptr ? data->shape.mime_parts() : nullptr;
}
