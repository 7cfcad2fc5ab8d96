#ifndef QOR_TRANSPORT_PLUGIN_H
#define QOR_TRANSPORT_PLUGIN_H

// The transport plug-in of the SOAP context: replaces the toolkit's connect,
// send, receive, poll and close steps by NI (plain or with the SSL layer),
// the WinHTTP stand-in or the local pipe, or keeps the toolkit's own sockets,
// and writes every raw request and response byte to the trace files.

#include <cstdint>
#include <cstdio>
#include <string>

#include "transport/mime_parts.h"
#include "transport/winhttp.h"

struct soap;
struct soap_plugin;

// The plug-in's name in the SOAP context's plug-in list.
#define QOR_PLUGIN_ID "QOR QOR-1.0"

// Transport types (-prot).
enum {
    NI_HTTP = 0,
    NI_HTTPS = 1,
    WINHTTP = 2,
    WINHTTPS = 3,
    PIPE = 4,
    GSOAP_HTTP = 5,
};

// WinHTTP security flags of WINHTTPS: ignore an unknown CA, an invalid date,
// an invalid common name and a wrong certificate usage.
#define QOR_WINHTTPS_SECURITY_FLAGS 0x3300u

// Argument record handed to soap_register_plugin_arg; copied by plugin_register.
typedef struct plugin_arg
{
    int32_t transport_type;          // NI_HTTP .. GSOAP_HTTP
    uint32_t winhttp_security_flags; // 0x3300 for WINHTTPS, else 0
    HINTERNET winhttp_session;       // WinHttpOpen session for WINHTTP/WINHTTPS
    int32_t ssl_auth_type;           // SSSL_AUTH_T, USE_CLIENT_CERT by default
    int32_t reserved;                // 0
} plugin_arg;

// Registration function for soap_register_plugin_arg(soap, plugin_register, &arg).
// Returns 0, or SOAP_EOM (no memory, NI cannot be initialised, bad type).
int plugin_register(struct soap* soap, struct soap_plugin* plugin, void* arg);

// Hands the plug-in the files for sent and received bytes (either none).
// Returns 0, also when the plug-in is not registered.
int plugin_set_trace(struct soap* soap, FILE* sent, FILE* received);

// The MIME parts of the reply that the context read last, as far as the
// toolkit read them, with the transfer encodings that their headers name as
// written: the toolkit keeps only a code for the values it knows. Null when
// that reply was not a MIME message or the plug-in is not registered.
const qortransport::MimeParts* plugin_mime_parts(struct soap* soap);

// Whether the service that the last request went to runs on this machine,
// judged by the connection that carried the request, never by the host
// text: the pipe, or a peer address that is a loopback address or one of
// this machine's interfaces' (an IPv4-mapped IPv6 address counts as the
// IPv4 address it carries), unless the request went through a proxy. The
// peer is taken when the request goes out (WINHTTP, WINHTTPS: when its
// response begins) and kept after its connection closed. 1 when it does;
// else 0 with the reason in *why_not, also when the peer is not known.
int plugin_request_was_local(struct soap* soap, std::string* why_not);

// From now on the context's password goes only to this machine: a request
// that carries it as Basic credentials goes out only over a connection whose
// peer is on this machine as plugin_request_was_local judges it (the pipe,
// a loopback address or one of this machine's interfaces', never through a
// proxy), checked for every connection that is to carry it, fresh or kept,
// before any byte of the request is written (WINHTTP, WINHTTPS: once curl's
// connection stands, before curl sends). Else the call fails with
// SOAP_TCP_ERROR and the reason, and its connection is closed. For the rest
// of the context's life. Returns 0, also when the plug-in is not registered.
int plugin_keep_password_on_this_machine(struct soap* soap);

// For tests: from now on only those of the given numeric addresses that are
// this machine's count as this machine (count < 0: all of them again), so
// that a service on the loopback can stand for another machine's. Never lets
// an address count that is not this machine's. Returns false, changing
// nothing, for a text that is no IPv4 or IPv6 address.
bool plugin_narrow_this_machine(const char* const* addresses, int count);

// The directory that holds the local pipes' unix sockets ("qorcontrol_NN").
#define QOR_PIPE_DIR "/run/qorcontrol"
// Changes the directory for this process (tests); null restores the default.
void plugin_set_pipe_dir(const char* dir);
// The unix socket path of a "pipe:\\host\pipe\name" endpoint; false with a
// reason in *error for a malformed endpoint or a host other than this machine.
bool plugin_pipe_path(const char* endpoint, std::string* path, std::string* error);

#endif
