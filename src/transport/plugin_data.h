#ifndef QOR_TRANSPORT_PLUGIN_DATA_H
#define QOR_TRANSPORT_PLUGIN_DATA_H

// The plug-in's data per SOAP context and the helpers its transports share.

#include <stdsoap2.h>

#include <cstdio>
#include <string>
#include <utility>

#include "ni/ni.h"
#include "platform/ni_si.h"
#include "sssl/sssl.h"
#include "transport/plugin.h"
#include "transport/reply_shape.h"

namespace qortransport {

// The toolkit's own callbacks, kept to fall back to them, and the steps
// that the plug-in's credential step wraps.
struct SavedCallbacks
{
    SOAP_SOCKET (*fopen)(struct soap*, const char*, const char*, int) = nullptr;
    int (*fclose)(struct soap*) = nullptr;
    int (*fsend)(struct soap*, const char*, size_t) = nullptr;
    size_t (*frecv)(struct soap*, char*, size_t) = nullptr;
    int (*fpoll)(struct soap*) = nullptr;
    int (*fpreparefinalrecv)(struct soap*) = nullptr;
    int (*fprepareinitrecv)(struct soap*) = nullptr;
    int (*fpreparerecv)(struct soap*, const char*, size_t) = nullptr;
    int (*fparse)(struct soap*) = nullptr;
    int (*fparsehdr)(struct soap*, const char*, const char*) = nullptr;
    int (*fclosesocket)(struct soap*, SOAP_SOCKET) = nullptr;
    int (*fshutdownsocket)(struct soap*, SOAP_SOCKET, int) = nullptr;
    int (*fpost)(struct soap*, const char*, const char*, int, const char*, const char*,
                 ULONG64) = nullptr;
    int (*fposthdr)(struct soap*, const char*, const char*) = nullptr;
    // The request's header block as the transport writes it (its own step or
    // the toolkit's), called with the credentials held back.
    int (*post_next)(struct soap*, const char*, const char*, int, const char*, const char*,
                     ULONG64) = nullptr;
    // The transport's receive step, behind the check that the reply being
    // read was not refused.
    size_t (*recv_next)(struct soap*, char*, size_t) = nullptr;
};

enum class WinHttpState { Idle, Sending, Receiving };

// Follows the HTTP framing of the response bytes on their way from the
// connection to the toolkit. Interim (1xx) responses are dropped, so that a
// flood of them costs no more than one header block. A status outside 100 to
// 599, or a header block that never ends, fails the reply. No byte past the
// length a reply announced reaches the toolkit, and no read asks for one: the
// toolkit's parser would otherwise take them for the reply, or wait for the
// rest of a document that a complete frame never brings. Of a chunked body,
// no byte after the chunk of size 0 reaches the toolkit: it drops what it
// has read of them, but reads on from the connection when its parser asks
// for more, so that the reply would depend on where a read ended.
class ResponseFrame
{
  public:
    // The most header bytes held at any time.
    static constexpr size_t kMaxHead = 64 * 1024;

    // A new request starts: its response begins with a status line.
    void reset();
    // How many bytes the next read from the connection may take into a
    // buffer of n: 0 once the reply has ended or failed.
    size_t want(size_t n) const;
    // Takes n bytes just read into data. Returns how many of them stay at the
    // front of data for the toolkit as they are; header bytes are held until
    // their block is complete, bytes past the frame are dropped.
    size_t feed(const char* data, size_t n);
    // The connection ended: a cut header block fails the reply.
    void end_of_input();
    // Moves up to n held bytes for the toolkit into s; returns their count.
    size_t take(char* s, size_t n);
    // Why the reply is refused; empty while it is not.
    const std::string& error() const { return error_; }
    // Bytes past the frame came with the reply: the connection is unfit for
    // the next call.
    bool overrun() const { return overrun_; }
    // The reply came to the end of its frame (or of the connection). Until
    // then the rest of it may still come, where the next call would read it.
    bool ended() const { return state_ == State::Ended; }
    // The most header bytes held since the request started.
    size_t peak_held() const { return peak_held_; }

  private:
    enum class State { Head, Body, Unframed, Chunked, Ended, Failed };
    // Where a chunked body is, read as the toolkit reads it.
    enum class Chunk { Skip, Size, SizeLine, Data, TrailerLine, TrailerByte, TrailerCr };
    void parse_heads();
    void fail(std::string reason);
    size_t chunked(const char* data, size_t n);

    State state_ = State::Head;
    std::string head_;                 // header bytes of the current response so far
    size_t scanned_ = 0;               // head_ holds no block end before this
    std::string out_;                  // bytes for the toolkit not taken yet
    size_t out_pos_ = 0;               // taken from out_
    unsigned long long body_left_ = 0; // in State::Body, and of a chunk's data
    Chunk chunk_ = Chunk::Skip;
    int size_digits_ = 0;
    bool overrun_ = false;
    size_t peak_held_ = 0;
    std::string error_;
};

// Where a request went, as the connection that carried it tells: taken
// when the request goes out and kept after the connection closes.
struct RequestPeer
{
    enum class Kind { Unknown, Address, Pipe };
    Kind kind = Kind::Unknown;
    SiAddress address{};                         // Kind::Address
    bool proxied = false;                        // the address is a proxy's
    std::string unknown = "no request was sent"; // why, for Kind::Unknown

    static RequestPeer unknown_because(std::string why)
    {
        RequestPeer peer;
        peer.unknown = std::move(why);
        return peer;
    }
};

struct PluginData
{
    plugin_arg arg{};
    FILE* trace_sent = nullptr;
    FILE* trace_received = nullptr;
    SavedCallbacks saved;
    // The transport's post step, behind the check that a connection is open.
    int (*post)(struct soap*, const char*, const char*, int, const char*, const char*,
                ULONG64) = nullptr;
    // The transport's open step, behind the one that forgets the last peer.
    SOAP_SOCKET (*open)(struct soap*, const char*, const char*, int) = nullptr;
    long connections_opened = 0; // connections this context opened so far
    // False from the first byte of a request until its response was read to
    // the end: a connection whose last exchange broke off (garbage, an
    // unparsable reply) is never used for the next call.
    bool exchange_complete = true;
    ResponseFrame frame; // every transport
    ReplyShape shape;    // every transport
    // "Basic ..." for the header block being written; empty outside it.
    std::string authorization;
    // The HTTP header of the reply being read: whether the media type of a
    // Content-Type line is DIME or MIME, and whether the toolkit is to hand
    // over the bytes after the header once more, now that it has read it.
    bool media_dime = false;
    bool media_mime = false;
    bool second_look = false;
    // The parser read on past the point at which the reply was refused.
    bool reply_refused = false;
    // The peer of the current request's connection.
    RequestPeer peer;
    // The context's password goes only to this machine
    // (plugin_keep_password_on_this_machine), and the request being sent
    // carries it.
    bool password_stays_here = false;
    bool request_carries_password = false;
    // The bytes of a piece after the end of the XML, or after a point that the
    // toolkit is to reach before it reads on, handed to it again in the next
    // reads (held_back_at: those handed on; the first held_back_counted of
    // them are in the toolkit's byte count already, as they were when they
    // first came).
    std::string held_back;
    size_t held_back_at = 0;
    size_t held_back_counted = 0;
    // Of the bytes that the reads since the last piece handed on again, those
    // in the toolkit's count already.
    size_t recounted = 0;
    // The bytes of the DIME record that holds the envelope, from the end of
    // its header, that the toolkit alone would have counted so far.
    ULONG64 record_count = 0;
    // The receive step reads the next piece itself, for one that held nothing
    // for the toolkit.
    bool reading_on = false;

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
    std::string request;          // raw request bytes of the current call
    HINTERNET reply = nullptr;    // the current call's request handle, once sent
    std::string reply_pending;    // the rebuilt header block, not yet read in full
    size_t reply_pending_pos = 0; // read from reply_pending
};

// The plug-in's data of a context, or null.
PluginData* plugin_data(struct soap* soap);

// Writes raw bytes to a trace file and flushes it.
void trace_bytes(FILE* file, const char* data, size_t n);

// Reads at most n bytes of the current response from the connection into s;
// 0 at its end or on an error (with soap->errnum set for a time-out).
using RawRead = size_t (*)(struct soap* soap, PluginData* d, char* s, size_t n);
// The receive step of every transport: reads through the context's response
// frame (WinHTTP's read gives the header block it rebuilds, then the body as
// it came), traces every byte as it came, and fails the call with
// SOAP_HTTP_ERROR when the frame refuses the reply.
size_t framed_recv(struct soap* soap, PluginData* d, char* s, size_t n, RawRead read);
// A kept connection is fit for the next call only when its last response
// was read to its end (the end of its frame came, not only the end of what
// the toolkit reads of it) and brought nothing past it (and was not refused).
bool reusable(const PluginData* d);

// Converts a toolkit time-out (seconds; negative: microseconds; 0: none) to
// milliseconds for NI (NI_BLOCK: none).
int soap_timeout_to_ms(int timeout);

// Leaves SOAP_TCP_ERROR with a printable fault text in the context and
// returns SOAP_INVALID_SOCKET, for a connection that cannot be opened.
SOAP_SOCKET connect_failed(struct soap* soap, const std::string& text, const std::string& detail);

// The peer of the request being posted, for every transport but WinHTTP's,
// whose connection stands only once the response begins
// (winhttp_request_peer).
void take_request_peer(struct soap* soap, PluginData* d);
// The peer of a WinHTTP request whose response has begun.
RequestPeer winhttp_request_peer(HINTERNET request);
// Whether a request's peer is this machine (plugin_request_was_local); else
// false with the reason in *why_not (may be null).
bool peer_on_this_machine(const RequestPeer& peer, std::string* why_not);

// The post step's gate of a request that carries the password of this
// machine: true when it may go out over the connection whose peer was just
// taken (over WinHTTP's, which stands only once the request is sent, the
// stand-in asks winhttp_password_peer_check then); else false with the
// call failed (refuse_password).
bool password_may_go_out(struct soap* soap, PluginData* d);
// The WinHTTP stand-in's peer check (context: the PluginData) of a request
// that carries that password; takes the peer as the request's.
BOOL winhttp_password_peer_check(const sockaddr* remote, BOOL proxied, void* context);
// Fails the call whose request was kept from the peer it would have gone to.
void refuse_password(struct soap* soap, const PluginData* d);

// Installs the callbacks of one transport type.
void install_ni(struct soap* soap, PluginData* data);
void install_gsoap(struct soap* soap, PluginData* data);
void install_pipe(struct soap* soap, PluginData* data);
void install_winhttp(struct soap* soap, PluginData* data);
// Writes the Authorization value of the context's user and password itself,
// exactly and at any length; installed over the transport's callbacks.
void install_credentials(struct soap* soap, PluginData* data);
// Bounds the shape of every reply before the toolkit parses it (ReplyShape);
// installed over the transport's callbacks.
void install_reply_shape(struct soap* soap, PluginData* data);
// Releases what a transport holds when the context goes away.
void release_ni(PluginData* data);
void release_pipe(PluginData* data);
void release_winhttp(PluginData* data);
// The toolkit has read what it wanted of a WinHTTP reply: what has arrived
// of the rest is taken in without waiting, and the request is closed, so
// that its connection serves the next call only when the reply ended.
void finish_winhttp_reply(PluginData* data);

// WinHTTP's own time-outs of a request stay unless the context sets one
// (non-zero): then that one replaces it.
void apply_soap_timeouts(struct soap* soap, HINTERNET request);

} // namespace qortransport

#endif
