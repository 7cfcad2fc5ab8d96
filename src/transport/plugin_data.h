#ifndef QOR_TRANSPORT_PLUGIN_DATA_H
#define QOR_TRANSPORT_PLUGIN_DATA_H

// The plug-in's data per SOAP context and the helpers its transports share.

#include <stdsoap2.h>

#include <cstdio>
#include <string>

#include "ni/ni.h"
#include "sssl/sssl.h"
#include "transport/plugin.h"

namespace qortransport {

// The toolkit's own callbacks, kept to fall back to them.
struct SavedCallbacks
{
    SOAP_SOCKET (*fopen)(struct soap*, const char*, const char*, int) = nullptr;
    int (*fclose)(struct soap*) = nullptr;
    int (*fsend)(struct soap*, const char*, size_t) = nullptr;
    size_t (*frecv)(struct soap*, char*, size_t) = nullptr;
    int (*fpoll)(struct soap*) = nullptr;
    int (*fpreparefinalrecv)(struct soap*) = nullptr;
    int (*fclosesocket)(struct soap*, SOAP_SOCKET) = nullptr;
    int (*fshutdownsocket)(struct soap*, SOAP_SOCKET, int) = nullptr;
    int (*fpost)(struct soap*, const char*, const char*, int, const char*, const char*,
                 ULONG64) = nullptr;
};

enum class WinHttpState { Idle, Sending, Receiving };

// Follows the HTTP framing of the response bytes handed to the toolkit, so
// that no read goes past the length a reply announced: the toolkit's XML
// parser would otherwise wait for the rest of a document that a complete
// frame never brings, and a connection kept open would hold it forever.
class ResponseFrame
{
  public:
    // A new request starts: its response begins with a status line.
    void reset();
    // How many of n bytes the next read may take: n, or what is left of the
    // announced body (0 once it has been read).
    size_t limit(size_t n) const;
    // Takes note of bytes read.
    void consumed(const char* data, size_t n);

  private:
    enum class State { Head, Body, Unframed };
    void head_complete(size_t end);

    State state_ = State::Head;
    std::string head_;                 // header bytes of the current response so far
    unsigned long long body_left_ = 0; // in State::Body
};

struct PluginData
{
    plugin_arg arg{};
    FILE* trace_sent = nullptr;
    FILE* trace_received = nullptr;
    SavedCallbacks saved;
    long connections_opened = 0; // connections this context opened so far
    // False from the first byte of a request until its response was read to
    // the end: a connection whose last exchange broke off (garbage, an
    // unparsable reply) is never used for the next call.
    bool exchange_complete = true;
    ResponseFrame frame; // NI_HTTP, NI_HTTPS, PIPE and GSOAP_HTTP

    // NI_HTTP, NI_HTTPS
    NI_HDL hdl = NI_INVALID_HDL;
    SSSL_HDL ssl = nullptr;
    int sock = -1; // the socket behind hdl, handed to the toolkit
    // PIPE
    int pipe_fd = -1;
    // WINHTTP, WINHTTPS
    int placeholder_fd = -1;     // a descriptor of its own that the toolkit may hold as "socket"
    HINTERNET connect = nullptr; // kept between calls: its connections are reused
    std::string connect_key;     // "host:port:secure" of connect
    bool secure = false;
    WinHttpState state = WinHttpState::Idle;
    std::string request;  // raw request bytes of the current call
    std::string response; // raw response bytes handed to the toolkit
    size_t response_pos = 0;
};

// The plug-in's data of a context, or null.
PluginData* plugin_data(struct soap* soap);

// Writes raw bytes to a trace file and flushes it.
void trace_bytes(FILE* file, const char* data, size_t n);

// Converts a toolkit time-out (seconds; negative: microseconds; 0: none) to
// milliseconds for NI (NI_BLOCK: none).
int soap_timeout_to_ms(int timeout);

// Leaves SOAP_TCP_ERROR with a printable fault text in the context and
// returns SOAP_INVALID_SOCKET, for a connection that cannot be opened.
SOAP_SOCKET connect_failed(struct soap* soap, const std::string& text, const std::string& detail);

// Installs the callbacks of one transport type.
void install_ni(struct soap* soap, PluginData* data);
void install_gsoap(struct soap* soap, PluginData* data);
void install_pipe(struct soap* soap, PluginData* data);
void install_winhttp(struct soap* soap, PluginData* data);
// Releases what a transport holds when the context goes away.
void release_ni(PluginData* data);
void release_pipe(PluginData* data);
void release_winhttp(PluginData* data);

} // namespace qortransport

#endif
