// The WinHTTP-shaped client on libcurl.

#include "transport/winhttp.h"

#include "platform/ni_si.h"
#include "transport/curl_lib.h"
#include "transport/winhttp_chunks.h"
#include "transport/winhttp_proxy.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace {

using qortransport::curl_lib;
using qortransport::CurlLib;
using qortransport::winhttp_proxy_for;
using qortransport::WinHttpChunks;

thread_local DWORD g_last_error = ERROR_SUCCESS;

BOOL fail(DWORD error)
{
    g_last_error = error;
    return 0;
}

std::string to_utf8(const QOR_UC* text, size_t len = std::string::npos)
{
    std::string out;
    if (text == nullptr)
        return out;
    for (size_t i = 0; i < len && text[i] != 0; ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < len && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = u'#';
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// Header values and status texts are ASCII on the wire; other bytes pass as
// Latin-1 code units.
std::u16string widen(const std::string& s)
{
    std::u16string wide;
    wide.reserve(s.size());
    for (const unsigned char c : s)
        wide += static_cast<char16_t>(c);
    return wide;
}

// Milliseconds; 0 or negative: no limit.
struct Timeouts
{
    int resolve = 0, connect = 60000, send = 30000, receive = 30000; // the usual defaults
};

// Unread response bytes above this pause the transfer until the reader
// catches up, so that a reply is held in pieces, never whole.
constexpr size_t kMaxUnread = 64 * 1024;

using Clock = std::chrono::steady_clock;

enum class Kind { Session, Connect, Request };

struct Handle
{
    explicit Handle(Kind k) : kind(k) {}
    virtual ~Handle() = default;
    Kind kind;
    Timeouts timeouts;
};

struct Session : Handle
{
    Session() : Handle(Kind::Session) {}
    std::string agent;
    DWORD access_type = WINHTTP_ACCESS_TYPE_DEFAULT_PROXY;
    std::string proxy;
    std::string bypass;
};

struct Request;

struct Connect : Handle
{
    Connect() : Handle(Kind::Connect) {}
    ~Connect() override
    {
        if (curl != nullptr)
            curl_lib()->easy_cleanup(curl);
        if (multi != nullptr)
            curl_lib()->multi_cleanup(multi);
    }
    Session* session = nullptr;
    std::string host;
    INTERNET_PORT port = 0;
    CURL* curl = nullptr;   // kept so that its connections are reused
    CURLM* multi = nullptr; // drives curl's transfers and keeps the connections
    long connections = 0;
    Request* active = nullptr; // the request whose transfer is under way
    // The connection curl keeps for the next request, once a transfer ended.
    curl_socket_t kept = CURL_SOCKET_BAD;
};

struct Request : Handle
{
    Request() : Handle(Kind::Request) {}
    Connect* connect = nullptr;
    std::string verb, path;
    bool secure = false;
    DWORD security_flags = 0;
    std::vector<std::string> headers;
    bool sent = false, received = false;
    std::string body;
    curl_slist* header_list = nullptr;

    // The transfer.
    bool attached = false; // in the connection's multi handle
    bool head_done = false;
    bool finished = false;
    CURLcode result = CURLE_OK;
    DWORD failure = ERROR_SUCCESS; // our own reason to end it
    bool paused = false;
    bool connected = false; // the connection for the transfer stands
    curl_off_t uploaded = -1;
    bool upload_done = false;
    Clock::time_point idle_since; // last progress of the current phase

    // The response.
    long status = 0;
    bool interim = false; // the headers arriving belong to a 1xx response
    std::string status_text;
    std::string raw_headers; // of the final response, CRLF separated
    std::string content_type;
    std::string content_length;
    std::string transfer_encoding;
    // curl frames the body in chunks (a Transfer-Encoding line names
    // "chunked" among its codings) and hands them on as they came: their data
    // is taken out here, so that the body ends at its last chunk.
    bool chunked = false;
    WinHttpChunks chunks;
    bool raw_body = false; // the body is handed on with its chunks (WinHttpSetRawBody)
    std::string data;      // unread body bytes from read_pos on
    size_t read_pos = 0;
    size_t unread() const { return data.size() - read_pos; }
    // The body has been handed on to its end: after the last chunk, whatever
    // becomes of the trailer, or when the transfer ended.
    bool body_ended() const { return finished || chunks.ended(); }
    size_t arrived = 0; // bytes of head and body taken from curl so far

    // Shown the connection before the request goes out on it (WinHttpSetPeerCheck).
    WINHTTP_PEER_CHECK peer_check = nullptr;
    void* peer_context = nullptr;
    bool peer_refused = false;

    // The connection that carried the request, once its response began.
    bool proxied = false;
    std::string remote_ip, local_ip; // "" when curl did not say
    long remote_port = 0, local_port = 0;
};

std::mutex g_handles_lock;
std::set<Handle*> g_handles; // every live handle, to reject stale or foreign ones

template <typename T> T* lookup(HINTERNET h, Kind kind)
{
    std::lock_guard<std::mutex> guard(g_handles_lock);
    auto* handle = static_cast<Handle*>(h);
    if (h == nullptr || g_handles.count(handle) == 0) {
        g_last_error = ERROR_INVALID_HANDLE;
        return nullptr;
    }
    if (handle->kind != kind) {
        g_last_error = ERROR_WINHTTP_INCORRECT_HANDLE_TYPE;
        return nullptr;
    }
    return static_cast<T*>(handle);
}

Handle* lookup_any(HINTERNET h)
{
    std::lock_guard<std::mutex> guard(g_handles_lock);
    auto* handle = static_cast<Handle*>(h);
    if (h == nullptr || g_handles.count(handle) == 0) {
        g_last_error = ERROR_INVALID_HANDLE;
        return nullptr;
    }
    return handle;
}

HINTERNET remember(std::unique_ptr<Handle> h)
{
    std::lock_guard<std::mutex> guard(g_handles_lock);
    Handle* raw = h.release();
    g_handles.insert(raw);
    g_last_error = ERROR_SUCCESS;
    return raw;
}

// Body bytes: kept until read, the transfer paused while enough are unread.
size_t on_body(char* ptr, size_t size, size_t n, void* user)
{
    auto* r = static_cast<Request*>(user);
    if (r->unread() >= kMaxUnread) {
        r->paused = true;
        return CURL_WRITEFUNC_PAUSE;
    }
    if (r->read_pos == r->data.size()) {
        r->data.clear();
        r->read_pos = 0;
    }
    r->idle_since = Clock::now();
    r->arrived += size * n;
    if (!r->chunked) {
        r->data.append(ptr, size * n);
        return size * n;
    }
    const size_t in_body = r->chunks.feed(ptr, size * n, r->raw_body ? nullptr : &r->data);
    if (r->raw_body)
        r->data.append(ptr, r->chunks.broken() ? size * n : in_body);
    if (r->chunks.broken()) {
        r->failure = ERROR_WINHTTP_CONNECTION_ERROR; // as curl fails a broken chunk
        return 0;
    }
    return size * n;
}

// Whether a Transfer-Encoding value names "chunked" among its codings, as
// curl reads it.
bool names_chunked(const std::string& value)
{
    for (size_t at = 0; at <= value.size();) {
        size_t end = value.find(',', at);
        if (end == std::string::npos)
            end = value.size();
        std::string coding = value.substr(at, end - at);
        const size_t b = coding.find_first_not_of(" \t");
        const size_t e = coding.find_last_not_of(" \t");
        coding = b == std::string::npos ? std::string() : coding.substr(b, e - b + 1);
        std::transform(coding.begin(), coding.end(), coding.begin(),
                       [](unsigned char c) { return std::tolower(c); });
        if (coding == "chunked")
            return true;
        at = end + 1;
    }
    return false;
}

std::string header_value(const std::string& line)
{
    std::string value = line.substr(line.find(':') + 1);
    const size_t b = value.find_first_not_of(" \t");
    const size_t e = value.find_last_not_of(" \t\r\n");
    return b == std::string::npos ? std::string() : value.substr(b, e - b + 1);
}

// Header lines of every response arrive here; a new status line (after an
// interim or redirect response) starts the set afresh. A status outside 100
// to 599 ends the transfer. After the final response's header block, curl
// hands on the lines of a chunked body's trailer: they are passed over, as
// the other transports never read them, so that the reply's header fields
// do not depend on whether the trailer came before they were asked for.
size_t on_header(char* ptr, size_t size, size_t n, void* user)
{
    auto* r = static_cast<Request*>(user);
    r->idle_since = Clock::now();
    r->arrived += size * n;
    if (r->head_done)
        return size * n;
    const std::string line(ptr, size * n);
    if (line.compare(0, 5, "HTTP/") == 0) {
        r->raw_headers.clear();
        r->content_type.clear();
        r->content_length.clear();
        r->transfer_encoding.clear();
        r->chunked = false;
        r->status_text.clear();
        const size_t sp1 = line.find(' ');
        long code = -1;
        if (sp1 != std::string::npos && sp1 + 1 < line.size() &&
            std::isdigit(static_cast<unsigned char>(line[sp1 + 1])))
            code = std::strtol(line.c_str() + sp1 + 1, nullptr, 10);
        if (code < 100 || code > 599) {
            r->failure = ERROR_WINHTTP_INVALID_SERVER_RESPONSE;
            return 0;
        }
        r->status = code;
        r->interim = code < 200;
        const size_t sp2 = line.find(' ', sp1 + 1);
        if (sp2 != std::string::npos) {
            r->status_text = line.substr(sp2 + 1);
            while (!r->status_text.empty() &&
                   (r->status_text.back() == '\r' || r->status_text.back() == '\n'))
                r->status_text.pop_back();
        }
    } else if (line == "\r\n" || line == "\n") {
        if (!r->interim)
            r->head_done = true;
    } else if (line.find(':') != std::string::npos) {
        std::string name = line.substr(0, line.find(':'));
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return std::tolower(c); });
        if (name == "content-type")
            r->content_type = header_value(line);
        else if (name == "content-length")
            r->content_length = header_value(line);
        else if (name == "transfer-encoding") {
            r->transfer_encoding = header_value(line);
            r->chunked = r->chunked || names_chunked(r->transfer_encoding);
        }
    }
    r->raw_headers += line;
    return size * n;
}

DWORD curl_to_error(CURLcode code)
{
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return ERROR_WINHTTP_NAME_NOT_RESOLVED;
    case CURLE_COULDNT_CONNECT:
        return ERROR_WINHTTP_CANNOT_CONNECT;
    case CURLE_OPERATION_TIMEDOUT:
        return ERROR_WINHTTP_TIMEOUT;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
        return ERROR_WINHTTP_SECURE_FAILURE;
    case CURLE_GOT_NOTHING:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_PARTIAL_FILE:
        return ERROR_WINHTTP_CONNECTION_ERROR;
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_UNSUPPORTED_PROTOCOL: // a status line curl does not take
        return ERROR_WINHTTP_INVALID_SERVER_RESPONSE;
    case CURLE_OUT_OF_MEMORY:
        return ERROR_NOT_ENOUGH_MEMORY;
    default:
        return ERROR_WINHTTP_INTERNAL_ERROR;
    }
}

// The reason a finished transfer failed, ERROR_SUCCESS when it did not.
DWORD transfer_error(const Request* r)
{
    if (r->failure != ERROR_SUCCESS)
        return r->failure;
    return r->result == CURLE_OK ? ERROR_SUCCESS : curl_to_error(r->result);
}

// Takes the request's transfer out of the connection: curl keeps the
// connection for the next request only when the transfer had ended.
void detach(Request* r)
{
    if (!r->attached)
        return;
    Connect* c = r->connect;
    const CurlLib& lib = *curl_lib();
    // Asked while the transfer is still in the multi handle, which holds the
    // kept connections.
    c->kept = CURL_SOCKET_BAD;
    if (r->finished && r->result == CURLE_OK && r->failure == ERROR_SUCCESS)
        lib.easy_getinfo(c->curl, CURLINFO_ACTIVESOCKET, &c->kept);
    lib.multi_remove_handle(c->multi, c->curl);
    long opened = 0;
    lib.easy_getinfo(c->curl, CURLINFO_NUM_CONNECTS, &opened);
    c->connections += opened;
    c->active = nullptr;
    r->attached = false;
    if (!r->finished) {
        r->finished = true;
        if (r->failure == ERROR_SUCCESS)
            r->failure = ERROR_WINHTTP_CONNECTION_ERROR;
    }
    lib.slist_free_all(r->header_list);
    r->header_list = nullptr;
}

bool socket_address(const std::string& ip, long port, sockaddr_storage* out);

// Whether the request's peer check (if any) lets the request go out over a
// connection to this peer (null: not known).
bool peer_allowed(Request* r, const sockaddr* remote)
{
    if (r->peer_check == nullptr || r->peer_check(remote, r->proxied ? 1 : 0, r->peer_context))
        return true;
    r->peer_refused = true;
    r->failure = ERROR_WINHTTP_OPERATION_CANCELLED;
    return false;
}

// curl calls this once the transfer's connection stands, fresh or reused,
// before the request goes out: also after it reconnected on its own, as it
// does when a kept connection turns out dead as the request is sent.
int on_connected(void* user, char* remote_ip, char*, int remote_port, int)
{
    auto* r = static_cast<Request*>(user);
    sockaddr_storage remote{};
    const bool known = remote_ip != nullptr && socket_address(remote_ip, remote_port, &remote);
    if (!peer_allowed(r, known ? reinterpret_cast<const sockaddr*>(&remote) : nullptr))
        return CURL_PREREQFUNC_ABORT;
    r->connected = true;
    r->idle_since = Clock::now();
    return CURL_PREREQFUNC_OK;
}

// The limit of the phase the transfer is in, in milliseconds (0: none):
// curl's own connect limit until the connection stands, then the send limit
// until the request is sent, then the receive limit for every wait for
// response bytes.
int phase_limit(Request* r)
{
    if (!r->connected)
        return 0;
    if (!r->upload_done) {
        curl_off_t uploaded = 0;
        curl_lib()->easy_getinfo(r->connect->curl, CURLINFO_SIZE_UPLOAD_T, &uploaded);
        if (uploaded != r->uploaded) {
            r->uploaded = uploaded;
            r->idle_since = Clock::now();
        }
        if (uploaded < static_cast<curl_off_t>(r->body.size()))
            return r->timeouts.send;
        r->upload_done = true;
        r->idle_since = Clock::now();
    }
    return r->timeouts.receive;
}

// Lets curl take what it can of the transfer without waiting.
void step(Request* r)
{
    const CurlLib& lib = *curl_lib();
    Connect* c = r->connect;
    int running = 0;
    lib.multi_perform(c->multi, &running);
    int queued = 0;
    while (CURLMsg* msg = lib.multi_info_read(c->multi, &queued)) {
        if (msg->msg == CURLMSG_DONE && msg->easy_handle == c->curl) {
            r->finished = true;
            r->result = msg->data.result;
        }
    }
}

// Runs the transfer until done() holds or it ends; false (with the reason
// in the request) when a time-out ended it.
template <typename Done> bool drive(Request* r, Done done)
{
    const CurlLib& lib = *curl_lib();
    Connect* c = r->connect;
    while (!done() && !r->finished) {
        step(r);
        if (done() || r->finished)
            break;
        const int limit = phase_limit(r);
        long wait = 1000;
        if (limit > 0) {
            const long idle = static_cast<long>(
                std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - r->idle_since)
                    .count());
            if (idle >= limit) {
                r->failure = ERROR_WINHTTP_TIMEOUT;
                detach(r);
                return false;
            }
            wait = std::min<long>(wait, limit - idle);
        }
        lib.multi_poll(c->multi, nullptr, 0, static_cast<int>(wait), nullptr);
    }
    return true;
}

// The addresses of the connection that carries the transfer, taken while the
// response is under way: curl tells them of the transfer's own connection,
// fresh or reused.
void take_connection_info(Request* r)
{
    const CurlLib& lib = *curl_lib();
    CURL* curl = r->connect->curl;
    const char* remote = nullptr;
    const char* local = nullptr;
    if (lib.easy_getinfo(curl, CURLINFO_PRIMARY_IP, &remote) == CURLE_OK && remote != nullptr)
        r->remote_ip = remote;
    if (lib.easy_getinfo(curl, CURLINFO_LOCAL_IP, &local) == CURLE_OK && local != nullptr)
        r->local_ip = local;
    lib.easy_getinfo(curl, CURLINFO_PRIMARY_PORT, &r->remote_port);
    lib.easy_getinfo(curl, CURLINFO_LOCAL_PORT, &r->local_port);
}

// A numeric address and port as a socket address; false when the text is
// no IPv4 or IPv6 address.
bool socket_address(const std::string& ip, long port, sockaddr_storage* out)
{
    *out = sockaddr_storage{};
    auto* v4 = reinterpret_cast<sockaddr_in*>(out);
    auto* v6 = reinterpret_cast<sockaddr_in6*>(out);
    if (inet_pton(AF_INET, ip.c_str(), &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET;
        v4->sin_port = htons(static_cast<uint16_t>(port));
        return true;
    }
    if (inet_pton(AF_INET6, ip.c_str(), &v6->sin6_addr) == 1) {
        v6->sin6_family = AF_INET6;
        v6->sin6_port = htons(static_cast<uint16_t>(port));
        return true;
    }
    return false;
}

// Lets a paused transfer go on once the reader has caught up.
void resume(Request* r)
{
    if (r->paused && r->attached && r->unread() < kMaxUnread) {
        r->paused = false;
        curl_lib()->easy_pause(r->connect->curl, CURLPAUSE_CONT);
    }
}

long limit_or_none(int ms)
{
    return ms > 0 ? ms : 0;
}

// Closes every connection of the connection handle with its curl handles;
// the next request makes fresh ones.
void drop_connections(Connect* c)
{
    const CurlLib& lib = *curl_lib();
    lib.easy_cleanup(c->curl);
    lib.multi_cleanup(c->multi); // closes the connections it kept
    c->curl = nullptr;
    c->multi = nullptr;
    c->kept = CURL_SOCKET_BAD;
}

// Bytes that wait on the kept connection before the next request went out
// belong to no request: curl would take them for the next reply. Such a
// connection, or one the peer closed, goes with its handles, and fresh ones
// connect anew. False when the handles cannot be made.
bool drop_unfit_connection(Connect* c)
{
    const curl_socket_t kept = c->kept;
    c->kept = CURL_SOCKET_BAD;
    const CurlLib& lib = *curl_lib();
    if (kept != CURL_SOCKET_BAD && SiPendingOrClosed(kept) != 0)
        drop_connections(c);
    if (c->curl == nullptr)
        c->curl = lib.easy_init();
    if (c->multi == nullptr)
        c->multi = lib.multi_init();
    return c->curl != nullptr && c->multi != nullptr;
}

} // namespace

HINTERNET WinHttpOpen(const QOR_UC* agent, DWORD access_type, const QOR_UC* proxy_name,
                      const QOR_UC* proxy_bypass, DWORD flags)
{
    if (flags != 0) {
        g_last_error = ERROR_INVALID_PARAMETER; // asynchronous mode is not offered
        return nullptr;
    }
    if (curl_lib() == nullptr) {
        g_last_error = ERROR_MOD_NOT_FOUND;
        return nullptr;
    }
    auto s = std::make_unique<Session>();
    s->agent = to_utf8(agent);
    s->access_type = access_type;
    s->proxy = to_utf8(proxy_name);
    s->bypass = to_utf8(proxy_bypass);
    return remember(std::move(s));
}

HINTERNET WinHttpConnect(HINTERNET session, const QOR_UC* server, INTERNET_PORT port,
                         DWORD reserved)
{
    (void)reserved;
    Session* s = lookup<Session>(session, Kind::Session);
    if (s == nullptr)
        return nullptr;
    std::string host = to_utf8(server);
    if (host.empty() || host.find_first_of("/ \r\n") != std::string::npos) {
        g_last_error = ERROR_INVALID_PARAMETER;
        return nullptr;
    }
    auto c = std::make_unique<Connect>();
    c->session = s;
    c->host = host;
    c->port = port;
    c->timeouts = s->timeouts;
    c->curl = curl_lib()->easy_init();
    c->multi = curl_lib()->multi_init();
    if (c->curl == nullptr || c->multi == nullptr) {
        g_last_error = ERROR_NOT_ENOUGH_MEMORY;
        return nullptr;
    }
    return remember(std::move(c));
}

HINTERNET WinHttpOpenRequest(HINTERNET connect, const QOR_UC* verb, const QOR_UC* object_name,
                             const QOR_UC* version, const QOR_UC* referrer,
                             const QOR_UC** accept_types, DWORD flags)
{
    (void)version;
    (void)referrer;
    (void)accept_types;
    Connect* c = lookup<Connect>(connect, Kind::Connect);
    if (c == nullptr)
        return nullptr;
    auto r = std::make_unique<Request>();
    r->connect = c;
    r->verb = verb != nullptr ? to_utf8(verb) : "GET";
    r->path = object_name != nullptr ? to_utf8(object_name) : "/";
    if (r->path.empty() || r->path[0] != '/')
        r->path.insert(0, "/");
    if (r->path.find_first_of(" \r\n") != std::string::npos ||
        r->verb.find_first_of(" \r\n") != std::string::npos) {
        g_last_error = ERROR_INVALID_PARAMETER;
        return nullptr;
    }
    r->secure = (flags & WINHTTP_FLAG_SECURE) != 0;
    r->timeouts = c->timeouts;
    return remember(std::move(r));
}

namespace {

int* timeout_slot(Handle* h, DWORD option)
{
    switch (option) {
    case WINHTTP_OPTION_RESOLVE_TIMEOUT:
        return &h->timeouts.resolve;
    case WINHTTP_OPTION_CONNECT_TIMEOUT:
        return &h->timeouts.connect;
    case WINHTTP_OPTION_SEND_TIMEOUT:
        return &h->timeouts.send;
    case WINHTTP_OPTION_RECEIVE_TIMEOUT:
        return &h->timeouts.receive;
    default:
        return nullptr;
    }
}

} // namespace

BOOL WinHttpSetOption(HINTERNET handle, DWORD option, const void* buffer, DWORD length)
{
    Handle* h = lookup_any(handle);
    if (h == nullptr)
        return 0;
    if (buffer == nullptr || length != sizeof(DWORD))
        return fail(ERROR_INVALID_PARAMETER);
    DWORD value = 0;
    std::memcpy(&value, buffer, sizeof value);
    if (int* slot = timeout_slot(h, option)) {
        *slot = value > static_cast<DWORD>(INT_MAX) ? 0 : static_cast<int>(value);
        return 1;
    }
    if (option != WINHTTP_OPTION_SECURITY_FLAGS || h->kind != Kind::Request)
        return fail(ERROR_INVALID_PARAMETER);
    static_cast<Request*>(h)->security_flags = value;
    return 1;
}

namespace {

template <typename T> std::string bytes_of(const T& value)
{
    return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}

// The bytes of a request's option about its connection; false when the
// response has not begun or the connection's remote address is not known.
bool connection_option(const Request* r, DWORD option, std::string* value)
{
    if (!r->received)
        return false;
    if (option == WINHTTP_OPTION_PROXY) {
        const WINHTTP_PROXY_INFO info{r->proxied ? WINHTTP_ACCESS_TYPE_NAMED_PROXY
                                                 : WINHTTP_ACCESS_TYPE_NO_PROXY,
                                      nullptr, nullptr};
        *value = bytes_of(info);
        return true;
    }
    WINHTTP_CONNECTION_INFO info{};
    info.cbSize = sizeof info;
    socket_address(r->local_ip, r->local_port, &info.LocalAddress);
    if (!socket_address(r->remote_ip, r->remote_port, &info.RemoteAddress))
        return false;
    *value = bytes_of(info);
    return true;
}

} // namespace

BOOL WinHttpQueryOption(HINTERNET handle, DWORD option, void* buffer, DWORD* length)
{
    Handle* h = lookup_any(handle);
    if (h == nullptr)
        return 0;
    if (length == nullptr)
        return fail(ERROR_INVALID_PARAMETER);
    const auto* request = h->kind == Kind::Request ? static_cast<Request*>(h) : nullptr;
    std::string value;
    if (const int* slot = timeout_slot(h, option)) {
        value = bytes_of(static_cast<DWORD>(*slot > 0 ? *slot : 0));
    } else if (option == WINHTTP_OPTION_SECURITY_FLAGS && request != nullptr) {
        value = bytes_of(request->security_flags);
    } else if ((option == WINHTTP_OPTION_PROXY || option == WINHTTP_OPTION_CONNECTION_INFO) &&
               request != nullptr) {
        if (!connection_option(request, option, &value))
            return fail(ERROR_WINHTTP_INCORRECT_HANDLE_STATE);
    } else {
        return fail(ERROR_INVALID_PARAMETER);
    }
    const DWORD size = static_cast<DWORD>(value.size());
    if (buffer == nullptr || *length < size) {
        *length = size;
        return fail(ERROR_INSUFFICIENT_BUFFER);
    }
    std::memcpy(buffer, value.data(), size);
    *length = size;
    return 1;
}

BOOL WinHttpSetTimeouts(HINTERNET handle, int resolve_ms, int connect_ms, int send_ms,
                        int receive_ms)
{
    Handle* h = lookup_any(handle);
    if (h == nullptr)
        return 0;
    h->timeouts = Timeouts{resolve_ms, connect_ms, send_ms, receive_ms};
    return 1;
}

BOOL WinHttpAddRequestHeaders(HINTERNET request, const QOR_UC* headers, DWORD length,
                              DWORD modifiers)
{
    (void)modifiers;
    Request* r = lookup<Request>(request, Kind::Request);
    if (r == nullptr)
        return 0;
    if (headers == nullptr)
        return fail(ERROR_INVALID_PARAMETER);
    if (r->sent)
        return fail(ERROR_WINHTTP_INCORRECT_HANDLE_STATE);
    std::string text =
        to_utf8(headers, length == static_cast<DWORD>(-1) ? std::string::npos : length);
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find("\r\n", pos);
        std::string line =
            text.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
        pos = end == std::string::npos ? text.size() : end + 2;
        if (line.empty())
            continue;
        if (line.find(':') == std::string::npos || line.find_first_of("\r\n") != std::string::npos)
            return fail(ERROR_INVALID_PARAMETER);
        r->headers.push_back(line);
    }
    return 1;
}

BOOL WinHttpSendRequest(HINTERNET request, const QOR_UC* headers, DWORD headers_length,
                        const void* optional, DWORD optional_length, DWORD total_length,
                        uintptr_t context)
{
    (void)total_length;
    (void)context;
    Request* r = lookup<Request>(request, Kind::Request);
    if (r == nullptr)
        return 0;
    if (r->sent)
        return fail(ERROR_WINHTTP_INCORRECT_HANDLE_STATE);
    if (headers != nullptr &&
        !WinHttpAddRequestHeaders(request, headers, headers_length, WINHTTP_ADDREQ_FLAG_ADD))
        return 0;
    if (optional != nullptr)
        r->body.assign(static_cast<const char*>(optional), optional_length);
    r->sent = true;
    g_last_error = ERROR_SUCCESS;
    return 1;
}

BOOL WinHttpReceiveResponse(HINTERNET request, void* reserved)
{
    (void)reserved;
    Request* r = lookup<Request>(request, Kind::Request);
    if (r == nullptr)
        return 0;
    if (!r->sent || r->received || r->attached)
        return fail(ERROR_WINHTTP_INCORRECT_HANDLE_STATE);
    Connect* c = r->connect;
    Session* s = c->session;
    if (c->active != nullptr)
        return fail(ERROR_WINHTTP_INCORRECT_HANDLE_STATE);
    if (!drop_unfit_connection(c))
        return fail(ERROR_NOT_ENOUGH_MEMORY);
    const CurlLib& lib = *curl_lib();
    CURL* curl = c->curl;
    lib.easy_reset(curl);

    const bool v6 = c->host.find(':') != std::string::npos;
    std::string url = std::string(r->secure ? "https://" : "http://") +
                      (v6 ? "[" + c->host + "]" : c->host) + ":" + std::to_string(c->port) +
                      r->path;
    lib.easy_setopt(curl, CURLOPT_URL, url.c_str());
    lib.easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    lib.easy_setopt(curl, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    // Chunks come as they came, and on_body takes their data out of them;
    // no other coding is taken off (curl would fail a body that is not in
    // the coding a Transfer-Encoding field names, or one it does not know).
    lib.easy_setopt(curl, CURLOPT_HTTP_TRANSFER_DECODING, 0L);
    lib.easy_setopt(curl, CURLOPT_HTTP_CONTENT_DECODING, 0L);
    lib.easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    if (!s->agent.empty())
        lib.easy_setopt(curl, CURLOPT_USERAGENT, s->agent.c_str());
    // The proxy is chosen here, never by curl from the environment, so that
    // the request knows whether it went through one; an empty bypass list
    // keeps curl from reading no_proxy once more.
    const std::string proxy =
        winhttp_proxy_for(s->access_type, s->proxy, s->bypass, c->host, r->secure);
    lib.easy_setopt(curl, CURLOPT_PROXY, proxy.c_str());
    lib.easy_setopt(curl, CURLOPT_NOPROXY, "");
    r->proxied = !proxy.empty();
    if (r->secure) {
        const bool any_ca = (r->security_flags & SECURITY_FLAG_IGNORE_UNKNOWN_CA) != 0 ||
                            (r->security_flags & SECURITY_FLAG_IGNORE_CERT_DATE_INVALID) != 0 ||
                            (r->security_flags & SECURITY_FLAG_IGNORE_CERT_WRONG_USAGE) != 0;
        lib.easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, any_ca ? 0L : 1L);
        lib.easy_setopt(curl, CURLOPT_SSL_VERIFYHOST,
                        (r->security_flags & SECURITY_FLAG_IGNORE_CERT_CN_INVALID) != 0 ? 0L : 2L);
    }
    // curl looks the name up within its connect limit: a resolve limit adds
    // to it, and without a connect limit there is none at all.
    const long connect_ms =
        limit_or_none(r->timeouts.connect) > 0
            ? limit_or_none(r->timeouts.connect) + limit_or_none(r->timeouts.resolve)
            : static_cast<long>(INT_MAX);
    lib.easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, connect_ms);
    for (const std::string& h : r->headers)
        r->header_list = lib.slist_append(r->header_list, h.c_str());
    r->header_list = lib.slist_append(r->header_list, "Expect:"); // no 100-continue round trip
    lib.easy_setopt(curl, CURLOPT_HTTPHEADER, r->header_list);
    if (r->verb == "POST") {
        lib.easy_setopt(curl, CURLOPT_POST, 1L);
        lib.easy_setopt(curl, CURLOPT_POSTFIELDS, r->body.data());
        lib.easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(r->body.size()));
    } else if (r->verb != "GET") {
        lib.easy_setopt(curl, CURLOPT_CUSTOMREQUEST, r->verb.c_str());
    }
    lib.easy_setopt(curl, CURLOPT_WRITEFUNCTION, on_body);
    lib.easy_setopt(curl, CURLOPT_WRITEDATA, r);
    lib.easy_setopt(curl, CURLOPT_HEADERFUNCTION, on_header);
    lib.easy_setopt(curl, CURLOPT_HEADERDATA, r);
    // A library too old to say when the connection stands lets the send
    // limit count from the start, and cannot show the peer check the
    // connection before the request goes out: the check is shown none.
    if (lib.easy_setopt(curl, CURLOPT_PREREQFUNCTION, on_connected) != CURLE_OK) {
        r->connected = true;
        if (!peer_allowed(r, nullptr)) {
            lib.slist_free_all(r->header_list);
            r->header_list = nullptr;
            return fail(r->failure);
        }
    }
    lib.easy_setopt(curl, CURLOPT_PREREQDATA, r);

    r->idle_since = Clock::now();
    if (lib.multi_add_handle(c->multi, curl) != CURLM_OK) {
        lib.slist_free_all(r->header_list);
        r->header_list = nullptr;
        return fail(ERROR_WINHTTP_INTERNAL_ERROR);
    }
    r->attached = true;
    c->active = r;
    if (!drive(r, [r] { return r->head_done; }))
        return fail(r->failure);
    if (!r->head_done) {
        const DWORD error = transfer_error(r);
        detach(r);
        // No connection to a peer that the check refused stays for later.
        if (r->peer_refused)
            drop_connections(c);
        return fail(error != ERROR_SUCCESS ? error : ERROR_WINHTTP_INVALID_SERVER_RESPONSE);
    }
    take_connection_info(r);
    r->received = true;
    g_last_error = ERROR_SUCCESS;
    return 1;
}

BOOL WinHttpSetPeerCheck(HINTERNET request, WINHTTP_PEER_CHECK check, void* context)
{
    Request* r = lookup<Request>(request, Kind::Request);
    if (r == nullptr)
        return 0;
    if (r->sent)
        return fail(ERROR_WINHTTP_INCORRECT_HANDLE_STATE);
    r->peer_check = check;
    r->peer_context = context;
    g_last_error = ERROR_SUCCESS;
    return 1;
}

BOOL WinHttpSetRawBody(HINTERNET request, BOOL raw)
{
    Request* r = lookup<Request>(request, Kind::Request);
    if (r == nullptr)
        return 0;
    if (r->received || r->attached)
        return fail(ERROR_WINHTTP_INCORRECT_HANDLE_STATE);
    r->raw_body = raw != 0;
    g_last_error = ERROR_SUCCESS;
    return 1;
}

BOOL WinHttpQueryHeaders(HINTERNET request, DWORD info_level, const QOR_UC* name, void* buffer,
                         DWORD* length, DWORD* index)
{
    (void)name;
    (void)index;
    Request* r = lookup<Request>(request, Kind::Request);
    if (r == nullptr)
        return 0;
    if (!r->received)
        return fail(ERROR_WINHTTP_INCORRECT_HANDLE_STATE);
    if (length == nullptr)
        return fail(ERROR_INVALID_PARAMETER);
    const DWORD level = info_level & ~WINHTTP_QUERY_FLAG_NUMBER;
    if ((info_level & WINHTTP_QUERY_FLAG_NUMBER) != 0) {
        if (level != WINHTTP_QUERY_STATUS_CODE)
            return fail(ERROR_INVALID_PARAMETER);
        if (buffer == nullptr || *length < sizeof(DWORD)) {
            *length = sizeof(DWORD);
            return fail(ERROR_INSUFFICIENT_BUFFER);
        }
        DWORD status = static_cast<DWORD>(r->status);
        std::memcpy(buffer, &status, sizeof status);
        *length = sizeof status;
        return 1;
    }
    // The header texts a request keeps, by query level.
    static const struct
    {
        DWORD level;
        std::string Request::*text;
    } kTexts[] = {
        {WINHTTP_QUERY_STATUS_TEXT, &Request::status_text},
        {WINHTTP_QUERY_CONTENT_TYPE, &Request::content_type},
        {WINHTTP_QUERY_CONTENT_LENGTH, &Request::content_length},
        {WINHTTP_QUERY_TRANSFER_ENCODING, &Request::transfer_encoding},
        {WINHTTP_QUERY_RAW_HEADERS_CRLF, &Request::raw_headers},
    };
    std::string text;
    if (level == WINHTTP_QUERY_STATUS_CODE) {
        text = std::to_string(r->status);
    } else {
        const auto* found = std::find_if(std::begin(kTexts), std::end(kTexts),
                                         [level](const auto& t) { return t.level == level; });
        if (found == std::end(kTexts))
            return fail(ERROR_INVALID_PARAMETER);
        text = r->*found->text;
    }
    std::u16string wide = widen(text);
    const DWORD needed = static_cast<DWORD>((wide.size() + 1) * sizeof(QOR_UC));
    if (buffer == nullptr || *length < needed) {
        *length = needed;
        return fail(ERROR_INSUFFICIENT_BUFFER);
    }
    std::memcpy(buffer, wide.c_str(), needed);
    *length = needed - sizeof(QOR_UC); // without the terminator, as bytes
    return 1;
}

namespace {

// Why the body cannot be read on once its unread bytes are gone:
// ERROR_SUCCESS when it ended, or goes on. What becomes of a chunked body's
// trailer is no part of the body. A body read as it came ends where curl
// refused its chunks: their reader judges them.
DWORD body_error(const Request* r)
{
    return r->chunks.ended() || (r->raw_body && r->chunks.broken()) ? ERROR_SUCCESS
                                                                    : transfer_error(r);
}

// Waits, within the receive time-out, until body bytes are unread or the
// body ended; false (with the reason in the request) after a time-out.
bool wait_for_body(Request* r)
{
    return r->unread() > 0 || r->body_ended() ||
           drive(r, [r] { return r->unread() > 0 || r->body_ended(); });
}

// Lets curl take in what has already arrived of the transfer, never waiting
// for more: round after round while that brings bytes, none of the body is
// unread and the transfer goes on, but for a few rounds only, so that a peer
// that sends without pause cannot keep it going.
void take_in(Request* r)
{
    for (int round = 0; round < 16 && r->attached && !r->finished && r->unread() == 0; ++round) {
        const size_t before = r->arrived;
        step(r);
        if (r->arrived == before)
            break;
    }
}

// Moves up to to_read unread body bytes into buffer: *read 0 at the end.
BOOL hand_on(Request* r, void* buffer, DWORD to_read, DWORD* read)
{
    if (r->unread() == 0 && body_error(r) != ERROR_SUCCESS)
        return fail(body_error(r));
    const size_t n = std::min<size_t>(to_read, r->unread());
    if (n > 0)
        std::memcpy(buffer, r->data.data() + r->read_pos, n);
    r->read_pos += n;
    resume(r);
    // The last chunk may have come out of what curl held back while the
    // transfer was paused: curl ends the transfer (with the trailer it has)
    // only on its next step, which takes it without waiting.
    if (r->unread() == 0 && r->chunks.ended() && r->attached && !r->finished)
        step(r);
    if (r->finished && r->attached)
        detach(r); // the connection goes back for the next request
    if (read != nullptr)
        *read = static_cast<DWORD>(n);
    return 1;
}

// The request of a read, or null (with the reason) when it cannot be read.
Request* readable(HINTERNET request, const void* buffer, DWORD to_read)
{
    Request* r = lookup<Request>(request, Kind::Request);
    if (r == nullptr)
        return nullptr;
    if (!r->received) {
        g_last_error = ERROR_WINHTTP_INCORRECT_HANDLE_STATE;
        return nullptr;
    }
    if (buffer == nullptr && to_read > 0) {
        g_last_error = ERROR_INVALID_PARAMETER;
        return nullptr;
    }
    return r;
}

} // namespace

BOOL WinHttpQueryDataAvailable(HINTERNET request, DWORD* available)
{
    Request* r = readable(request, nullptr, 0);
    if (r == nullptr)
        return 0;
    if (!wait_for_body(r))
        return fail(r->failure);
    if (r->unread() == 0 && body_error(r) != ERROR_SUCCESS)
        return fail(body_error(r));
    if (available != nullptr)
        *available = static_cast<DWORD>(r->unread());
    return 1;
}

BOOL WinHttpReadData(HINTERNET request, void* buffer, DWORD to_read, DWORD* read)
{
    Request* r = readable(request, buffer, to_read);
    if (r == nullptr)
        return 0;
    if (to_read > 0 && !wait_for_body(r))
        return fail(r->failure);
    return hand_on(r, buffer, to_read, read);
}

BOOL WinHttpReadArrivedData(HINTERNET request, void* buffer, DWORD to_read, DWORD* read)
{
    Request* r = readable(request, buffer, to_read);
    if (r == nullptr)
        return 0;
    take_in(r);
    return hand_on(r, buffer, to_read, read);
}

BOOL WinHttpCloseHandle(HINTERNET handle)
{
    std::unique_ptr<Handle> owned;
    {
        std::lock_guard<std::mutex> guard(g_handles_lock);
        auto* h = static_cast<Handle*>(handle);
        if (handle == nullptr || g_handles.count(h) == 0)
            return fail(ERROR_INVALID_HANDLE);
        // Children keep pointers to their parent: a parent goes only without them.
        for (Handle* other : g_handles) {
            if ((other->kind == Kind::Connect && static_cast<Connect*>(other)->session == h) ||
                (other->kind == Kind::Request && static_cast<Request*>(other)->connect == h))
                return fail(ERROR_WINHTTP_INCORRECT_HANDLE_STATE);
        }
        g_handles.erase(h);
        owned.reset(h);
    }
    if (owned->kind == Kind::Request)
        detach(static_cast<Request*>(owned.get())); // a transfer cut short loses its connection
    g_last_error = ERROR_SUCCESS;
    return 1;
}

DWORD WinHttpGetLastError(void)
{
    return g_last_error;
}

long WinHttpConnectionCount(HINTERNET connect)
{
    Connect* c = lookup<Connect>(connect, Kind::Connect);
    return c != nullptr ? c->connections : -1;
}
