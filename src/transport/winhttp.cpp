// The WinHTTP-shaped client on libcurl.

#include "transport/winhttp.h"

#include "transport/curl_lib.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace {

using qortransport::curl_lib;
using qortransport::CurlLib;

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
    return std::u16string(s.begin(), s.end());
}

struct Timeouts
{
    int resolve = 0, connect = 60000, send = 30000, receive = 30000; // the usual defaults
};

enum class Kind { Session, Connect, Request };

struct Handle
{
    explicit Handle(Kind k) : kind(k) {}
    virtual ~Handle() = default;
    Kind kind;
};

struct Session : Handle
{
    Session() : Handle(Kind::Session) {}
    std::string agent;
    DWORD access_type = WINHTTP_ACCESS_TYPE_DEFAULT_PROXY;
    std::string proxy;
    std::string bypass;
    Timeouts timeouts;
};

struct Connect : Handle
{
    Connect() : Handle(Kind::Connect) {}
    ~Connect() override
    {
        if (curl != nullptr)
            curl_lib()->easy_cleanup(curl);
    }
    Session* session = nullptr;
    std::string host;
    INTERNET_PORT port = 0;
    Timeouts timeouts;
    CURL* curl = nullptr; // kept so that its connections are reused
    long connections = 0;
    bool busy = false; // a request of this connection is under way
};

struct Request : Handle
{
    Request() : Handle(Kind::Request) {}
    Connect* connect = nullptr;
    std::string verb, path;
    bool secure = false;
    DWORD security_flags = 0;
    Timeouts timeouts;
    std::vector<std::string> headers;
    bool sent = false, received = false;
    std::string body;
    long status = 0;
    std::string status_text;
    std::string raw_headers; // of the final response, CRLF separated
    std::string content_type;
    std::string data;
    size_t read_pos = 0;
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

HINTERNET remember(std::unique_ptr<Handle> h)
{
    std::lock_guard<std::mutex> guard(g_handles_lock);
    Handle* raw = h.release();
    g_handles.insert(raw);
    g_last_error = ERROR_SUCCESS;
    return raw;
}

size_t on_body(char* ptr, size_t size, size_t n, void* user)
{
    static_cast<Request*>(user)->data.append(ptr, size * n);
    return size * n;
}

// Header lines of every response arrive here; a new status line (after an
// interim or redirect response) starts the set afresh.
size_t on_header(char* ptr, size_t size, size_t n, void* user)
{
    auto* r = static_cast<Request*>(user);
    std::string line(ptr, size * n);
    if (line.compare(0, 5, "HTTP/") == 0) {
        r->raw_headers.clear();
        r->content_type.clear();
        r->status_text.clear();
        size_t sp1 = line.find(' ');
        size_t sp2 = sp1 == std::string::npos ? std::string::npos : line.find(' ', sp1 + 1);
        if (sp2 != std::string::npos) {
            r->status_text = line.substr(sp2 + 1);
            while (!r->status_text.empty() &&
                   (r->status_text.back() == '\r' || r->status_text.back() == '\n'))
                r->status_text.pop_back();
        }
    } else {
        size_t colon = line.find(':');
        if (colon != std::string::npos) {
            std::string name = line.substr(0, colon);
            std::transform(name.begin(), name.end(), name.begin(),
                           [](unsigned char c) { return std::tolower(c); });
            if (name == "content-type") {
                std::string value = line.substr(colon + 1);
                size_t b = value.find_first_not_of(" \t");
                size_t e = value.find_last_not_of(" \t\r\n");
                r->content_type = b == std::string::npos ? "" : value.substr(b, e - b + 1);
            }
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
        return ERROR_WINHTTP_INVALID_SERVER_RESPONSE;
    case CURLE_OUT_OF_MEMORY:
        return ERROR_NOT_ENOUGH_MEMORY;
    default:
        return ERROR_WINHTTP_INTERNAL_ERROR;
    }
}

long positive_or_zero(int ms)
{
    return ms > 0 ? ms : 0;
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
    if (c->curl == nullptr) {
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

BOOL WinHttpSetOption(HINTERNET handle, DWORD option, const void* buffer, DWORD length)
{
    Request* r = lookup<Request>(handle, Kind::Request);
    if (r == nullptr)
        return 0;
    if (option != WINHTTP_OPTION_SECURITY_FLAGS || buffer == nullptr || length != sizeof(DWORD))
        return fail(ERROR_INVALID_PARAMETER);
    std::memcpy(&r->security_flags, buffer, sizeof(DWORD));
    return 1;
}

BOOL WinHttpSetTimeouts(HINTERNET handle, int resolve_ms, int connect_ms, int send_ms,
                        int receive_ms)
{
    Timeouts t{resolve_ms, connect_ms, send_ms, receive_ms};
    std::lock_guard<std::mutex> guard(g_handles_lock);
    auto* h = static_cast<Handle*>(handle);
    if (handle == nullptr || g_handles.count(h) == 0)
        return fail(ERROR_INVALID_HANDLE);
    switch (h->kind) {
    case Kind::Session:
        static_cast<Session*>(h)->timeouts = t;
        break;
    case Kind::Connect:
        static_cast<Connect*>(h)->timeouts = t;
        break;
    case Kind::Request:
        static_cast<Request*>(h)->timeouts = t;
        break;
    }
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
    if (!r->sent || r->received)
        return fail(ERROR_WINHTTP_INCORRECT_HANDLE_STATE);
    Connect* c = r->connect;
    Session* s = c->session;
    if (c->busy)
        return fail(ERROR_WINHTTP_INCORRECT_HANDLE_STATE);
    c->busy = true;
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
    lib.easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    if (!s->agent.empty())
        lib.easy_setopt(curl, CURLOPT_USERAGENT, s->agent.c_str());
    // The default access type leaves the environment's proxy settings to
    // libcurl; "no proxy" and a named proxy override them.
    if (s->access_type == WINHTTP_ACCESS_TYPE_NO_PROXY) {
        lib.easy_setopt(curl, CURLOPT_PROXY, "");
    } else if (!s->proxy.empty()) {
        lib.easy_setopt(curl, CURLOPT_PROXY, s->proxy.c_str());
        if (!s->bypass.empty())
            lib.easy_setopt(curl, CURLOPT_NOPROXY, s->bypass.c_str());
    }
    if (r->secure) {
        const bool any_ca = (r->security_flags & SECURITY_FLAG_IGNORE_UNKNOWN_CA) != 0 ||
                            (r->security_flags & SECURITY_FLAG_IGNORE_CERT_DATE_INVALID) != 0 ||
                            (r->security_flags & SECURITY_FLAG_IGNORE_CERT_WRONG_USAGE) != 0;
        lib.easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, any_ca ? 0L : 1L);
        lib.easy_setopt(curl, CURLOPT_SSL_VERIFYHOST,
                        (r->security_flags & SECURITY_FLAG_IGNORE_CERT_CN_INVALID) != 0 ? 0L : 2L);
    }
    lib.easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, positive_or_zero(r->timeouts.connect));
    // A receive limit bounds the whole exchange (plus the send limit, when one
    // is set); without one the request may wait as long as the peer takes.
    if (r->timeouts.receive > 0) {
        lib.easy_setopt(curl, CURLOPT_TIMEOUT_MS,
                        positive_or_zero(r->timeouts.send) + r->timeouts.receive);
    }
    curl_slist* list = nullptr;
    for (const std::string& h : r->headers)
        list = lib.slist_append(list, h.c_str());
    list = lib.slist_append(list, "Expect:"); // no 100-continue round trip
    lib.easy_setopt(curl, CURLOPT_HTTPHEADER, list);
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

    CURLcode code = lib.easy_perform(curl);
    lib.slist_free_all(list);
    long opened = 0;
    lib.easy_getinfo(curl, CURLINFO_NUM_CONNECTS, &opened);
    c->connections += opened;
    c->busy = false;
    if (code != CURLE_OK)
        return fail(curl_to_error(code));
    lib.easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &r->status);
    r->received = true;
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
    std::string text;
    switch (level) {
    case WINHTTP_QUERY_STATUS_CODE:
        text = std::to_string(r->status);
        break;
    case WINHTTP_QUERY_STATUS_TEXT:
        text = r->status_text;
        break;
    case WINHTTP_QUERY_CONTENT_TYPE:
        text = r->content_type;
        break;
    case WINHTTP_QUERY_RAW_HEADERS_CRLF:
        text = r->raw_headers;
        break;
    default:
        return fail(ERROR_INVALID_PARAMETER);
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

BOOL WinHttpQueryDataAvailable(HINTERNET request, DWORD* available)
{
    Request* r = lookup<Request>(request, Kind::Request);
    if (r == nullptr)
        return 0;
    if (!r->received)
        return fail(ERROR_WINHTTP_INCORRECT_HANDLE_STATE);
    if (available != nullptr)
        *available = static_cast<DWORD>(r->data.size() - r->read_pos);
    return 1;
}

BOOL WinHttpReadData(HINTERNET request, void* buffer, DWORD to_read, DWORD* read)
{
    Request* r = lookup<Request>(request, Kind::Request);
    if (r == nullptr)
        return 0;
    if (!r->received)
        return fail(ERROR_WINHTTP_INCORRECT_HANDLE_STATE);
    if (buffer == nullptr && to_read > 0)
        return fail(ERROR_INVALID_PARAMETER);
    size_t n = std::min<size_t>(to_read, r->data.size() - r->read_pos);
    if (n > 0)
        std::memcpy(buffer, r->data.data() + r->read_pos, n);
    r->read_pos += n;
    if (read != nullptr)
        *read = static_cast<DWORD>(n);
    return 1;
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
