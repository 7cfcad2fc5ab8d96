// WINHTTP and WINHTTPS: the toolkit's request bytes are collected, then sent
// as one request of the WinHTTP session; the response is handed back to the
// toolkit as HTTP/1.1 bytes as they arrive, through the response frame as on
// the other transports: a rebuilt header block with the reply's own
// Transfer-Encoding and Content-Length fields, and the body as it came, its
// chunks included, so that the toolkit reads the body as it reads it from a
// connection of its own.

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include "rscp/rscp_utf.h"
#include "transport/http_fields.h"
#include "transport/plugin_data.h"

namespace qortransport {
namespace {

// The request's host, path and headers are UTF-8; the session takes 16-bit
// text, which it turns back into UTF-8.
std::u16string widen(const std::string& s)
{
    std::u16string wide(s.size(), u'\0');
    int32_t length = 0;
    Utf8nToU16(wide.data(), static_cast<int32_t>(wide.size()), &length, s.data(),
               static_cast<int32_t>(s.size()));
    wide.resize(static_cast<std::size_t>(length));
    return wide;
}

const char* winhttp_error_name(DWORD e)
{
    switch (e) {
    case ERROR_WINHTTP_TIMEOUT:
        return "ERROR_WINHTTP_TIMEOUT: The operation timed out";
    case ERROR_WINHTTP_OPERATION_CANCELLED:
        return "ERROR_WINHTTP_OPERATION_CANCELLED: The operation has been canceled";
    case ERROR_WINHTTP_NAME_NOT_RESOLVED:
        return "ERROR_WINHTTP_NAME_NOT_RESOLVED: The server name could not be resolved";
    case ERROR_WINHTTP_CANNOT_CONNECT:
        return "ERROR_WINHTTP_CANNOT_CONNECT: A connection with the server could not be "
               "established";
    case ERROR_WINHTTP_CONNECTION_ERROR:
        return "ERROR_WINHTTP_CONNECTION_ERROR: The connection with the server was reset or "
               "terminated";
    case ERROR_WINHTTP_SECURE_FAILURE:
        return "ERROR_WINHTTP_SECURE_FAILURE: A security error occurred";
    case ERROR_WINHTTP_INVALID_SERVER_RESPONSE:
        return "ERROR_WINHTTP_INVALID_SERVER_RESPONSE: The server response could not be parsed";
    case ERROR_INVALID_HANDLE:
        return "ERROR_INVALID_HANDLE: The handle is invalid";
    case ERROR_INVALID_PARAMETER:
        return "ERROR_INVALID_PARAMETER: The parameter is incorrect";
    case ERROR_NOT_ENOUGH_MEMORY:
        return "ERROR_NOT_ENOUGH_MEMORY: Not enough memory";
    default:
        return "ERROR_WINHTTP_INTERNAL_ERROR: An internal error has occurred";
    }
}

// A connection that fails is a TCP error, as on the other transports; a
// reply that is no HTTP is an HTTP error.
void fail_call(struct soap* soap, const char* step, DWORD error)
{
    soap_set_receiver_error(soap, soap_strdup(soap, winhttp_error_name(error)),
                            soap_strdup(soap, (std::string(step) + " failed").c_str()),
                            error == ERROR_WINHTTP_INVALID_SERVER_RESPONSE ? SOAP_HTTP_ERROR
                                                                           : SOAP_TCP_ERROR);
}

void close_reply(PluginData* d)
{
    if (d->reply != nullptr)
        WinHttpCloseHandle(d->reply);
    d->reply = nullptr;
    d->reply_pending.clear();
    d->reply_pending_pos = 0;
}

void close_connect(PluginData* d)
{
    close_reply(d);
    if (d->connect != nullptr)
        WinHttpCloseHandle(d->connect);
    d->connect = nullptr;
    d->connect_key.clear();
}

SOAP_SOCKET winhttp_open(struct soap* soap, const char* endpoint, const char* host, int port)
{
    PluginData* d = plugin_data(soap);
    if (d == nullptr)
        return SOAP_INVALID_SOCKET;
    soap->errnum = 0;
    d->secure = endpoint != nullptr && std::strncmp(endpoint, "https:", 6) == 0;
    if (port <= 0 || port > 65535)
        return connect_failed(soap, "ERROR_INVALID_PARAMETER: invalid port",
                              "WinHttpConnect failed");
    const std::string key =
        std::string(host) + ":" + std::to_string(port) + (d->secure ? ":s" : ":p");
    if (d->connect == nullptr || d->connect_key != key) {
        close_connect(d);
        std::u16string server = widen(host);
        d->connect = WinHttpConnect(d->arg.winhttp_session, server.c_str(),
                                    static_cast<INTERNET_PORT>(port), 0);
        if (d->connect == nullptr) {
            fail_call(soap, "WinHttpConnect", WinHttpGetLastError());
            return SOAP_INVALID_SOCKET;
        }
        d->connect_key = key;
    }
    if (d->placeholder_fd < 0)
        d->placeholder_fd = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    if (d->placeholder_fd < 0)
        return connect_failed(soap, std::strerror(errno), "/dev/null not opened");
    d->state = WinHttpState::Idle;
    ++d->connections_opened;
    return d->placeholder_fd;
}

int winhttp_send(struct soap* soap, const char* s, size_t n)
{
    PluginData* d = plugin_data(soap);
    if (d == nullptr || d->connect == nullptr)
        return SOAP_EOF;
    if (d->state != WinHttpState::Sending) {
        close_reply(d);
        d->request.clear();
        d->frame.reset();
        d->state = WinHttpState::Sending;
    }
    trace_bytes(d->trace_sent, s, n);
    d->request.append(s, n);
    return SOAP_OK;
}

// Headers the request's connection manages itself.
bool managed_header(const std::string& line)
{
    std::string name = line.substr(0, line.find(':'));
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    return name == "host" || name == "content-length" || name == "connection" ||
           name == "transfer-encoding" || name == "user-agent";
}

// A header's text of any length: a text that does not fit the buffer is
// asked for again with the size that the session says it needs (in bytes,
// its terminator included); n is the text's size in bytes after a query.
// The session widens each byte to a unit: bytes gives them back as they
// came, else a unit above 0x7F is '?'.
std::string query_text(HINTERNET req, DWORD level, bool bytes = false)
{
    std::u16string buf(256, u'\0');
    DWORD n = static_cast<DWORD>(buf.size() * sizeof(QOR_UC));
    bool ok = WinHttpQueryHeaders(req, level, WINHTTP_HEADER_NAME_BY_INDEX, buf.data(), &n,
                                  WINHTTP_NO_HEADER_INDEX);
    if (!ok && WinHttpGetLastError() == ERROR_INSUFFICIENT_BUFFER) {
        buf.assign(n / sizeof(QOR_UC) + 1, u'\0');
        n = static_cast<DWORD>(buf.size() * sizeof(QOR_UC));
        ok = WinHttpQueryHeaders(req, level, WINHTTP_HEADER_NAME_BY_INDEX, buf.data(), &n,
                                 WINHTTP_NO_HEADER_INDEX);
    }
    if (!ok)
        return std::string();
    std::string out;
    const std::size_t length = std::min<std::size_t>(n / sizeof(QOR_UC), buf.size());
    for (std::size_t i = 0; i < length && (bytes || buf[i] != 0); ++i)
        out += static_cast<char>(buf[i] < (bytes ? 0x100 : 0x80) ? buf[i] : '?');
    return out;
}

// The reply's fields that the toolkit reads its body by, as they came.
std::string framing_fields(const std::string& block)
{
    std::string lines;
    for (const HttpField& field : http_fields(block)) {
        if (toolkit_matches(field.name, "Transfer-Encoding") ||
            toolkit_matches(field.name, "Content-Length"))
            lines += field.lines;
    }
    return lines;
}

// Sends the collected request and rebuilds the response's header block.
bool start_reply(struct soap* soap, PluginData* d)
{
    const size_t head_end = d->request.find("\r\n\r\n");
    const size_t line_end = d->request.find("\r\n");
    if (head_end == std::string::npos) {
        fail_call(soap, "WinHttpSendRequest", ERROR_INVALID_PARAMETER);
        return false;
    }
    const std::string request_line = d->request.substr(0, line_end);
    const size_t sp1 = request_line.find(' ');
    const size_t sp2 = request_line.find(' ', sp1 + 1);
    const std::string verb = request_line.substr(0, sp1);
    const std::string path =
        sp1 == std::string::npos ? "/" : request_line.substr(sp1 + 1, sp2 - sp1 - 1);
    std::string headers;
    for (size_t pos = line_end + 2; pos < head_end;) {
        size_t end = d->request.find("\r\n", pos);
        std::string line = d->request.substr(pos, end - pos);
        pos = end + 2;
        if (!line.empty() && !managed_header(line))
            headers += line + "\r\n";
    }
    const std::string body = d->request.substr(head_end + 4);

    std::u16string wverb = widen(verb), wpath = widen(path), wheaders = widen(headers);
    HINTERNET req =
        WinHttpOpenRequest(d->connect, wverb.c_str(), wpath.c_str(), nullptr, WINHTTP_NO_REFERER,
                           WINHTTP_DEFAULT_ACCEPT_TYPES, d->secure ? WINHTTP_FLAG_SECURE : 0);
    if (req == nullptr) {
        fail_call(soap, "WinHttpOpenRequest", WinHttpGetLastError());
        return false;
    }
    d->reply = req;
    DWORD flags = d->arg.winhttp_security_flags;
    bool ok =
        flags == 0 || WinHttpSetOption(req, WINHTTP_OPTION_SECURITY_FLAGS, &flags, sizeof flags);
    if (ok)
        apply_soap_timeouts(soap, req);
    if (ok && d->request_carries_password)
        ok = WinHttpSetPeerCheck(req, winhttp_password_peer_check, d);
    if (ok && !wheaders.empty())
        ok = WinHttpAddRequestHeaders(req, wheaders.c_str(), static_cast<DWORD>(-1),
                                      WINHTTP_ADDREQ_FLAG_ADD);
    if (ok)
        ok = WinHttpSetRawBody(req, 1);
    if (!ok) {
        fail_call(soap, "WinHttpSetOption", WinHttpGetLastError());
        return false;
    }
    if (!WinHttpSendRequest(req, WINHTTP_NO_ADDITIONAL_HEADERS, 0, body.data(),
                            static_cast<DWORD>(body.size()), static_cast<DWORD>(body.size()), 0)) {
        fail_call(soap, "WinHttpSendRequest", WinHttpGetLastError());
        return false;
    }
    if (!WinHttpReceiveResponse(req, nullptr)) {
        const DWORD error = WinHttpGetLastError();
        if (error == ERROR_WINHTTP_OPERATION_CANCELLED && d->request_carries_password)
            refuse_password(soap, d);
        else
            fail_call(soap, "WinHttpReceiveResponse", error);
        return false;
    }
    d->peer = winhttp_request_peer(req);
    DWORD status = 0, len = sizeof status;
    WinHttpQueryHeaders(req, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                        WINHTTP_HEADER_NAME_BY_INDEX, &status, &len, WINHTTP_NO_HEADER_INDEX);
    const std::string reason = query_text(req, WINHTTP_QUERY_STATUS_TEXT);
    const std::string content_type = query_text(req, WINHTTP_QUERY_CONTENT_TYPE);
    std::string& head = d->reply_pending;
    head =
        "HTTP/1.1 " + std::to_string(status) + " " + (reason.empty() ? "Status" : reason) + "\r\n";
    if (!content_type.empty())
        head += "Content-Type: " + content_type + "\r\n";
    head += framing_fields(query_text(req, WINHTTP_QUERY_RAW_HEADERS_CRLF, true)) + "\r\n";
    d->reply_pending_pos = 0;
    return true;
}

// Reads the reply for the response frame: the rebuilt header block, then the
// body as it came; 0 at its end or when it broke off.
size_t winhttp_read(struct soap* soap, PluginData* d, char* s, size_t n)
{
    if (d->state == WinHttpState::Sending) {
        d->state = WinHttpState::Receiving;
        if (!start_reply(soap, d)) {
            close_reply(d);
            return 0;
        }
    }
    if (d->state != WinHttpState::Receiving || d->reply == nullptr)
        return 0;
    const size_t pending = d->reply_pending.size() - d->reply_pending_pos;
    if (pending > 0) {
        const size_t k = std::min(n, pending);
        std::memcpy(s, d->reply_pending.data() + d->reply_pending_pos, k);
        d->reply_pending_pos += k;
        return k;
    }
    DWORD got = 0;
    if (!WinHttpReadData(d->reply, s, static_cast<DWORD>(std::min<size_t>(n, 1u << 20)), &got)) {
        fail_call(soap, "WinHttpReadData", WinHttpGetLastError());
        return 0;
    }
    return got;
}

size_t winhttp_recv(struct soap* soap, char* s, size_t n)
{
    PluginData* d = plugin_data(soap);
    if (d == nullptr || d->connect == nullptr)
        return 0;
    return framed_recv(soap, d, s, n, winhttp_read);
}

int winhttp_close(struct soap* soap)
{
    if (PluginData* d = plugin_data(soap)) {
        close_reply(d);
        d->state = WinHttpState::Idle;
    }
    soap->socket = SOAP_INVALID_SOCKET;
    return SOAP_OK;
}

int winhttp_closesocket(struct soap* soap, SOAP_SOCKET sock)
{
    PluginData* d = plugin_data(soap);
    if (d != nullptr && sock == d->placeholder_fd)
        return SOAP_OK;
    return d != nullptr && d->saved.fclosesocket != nullptr ? d->saved.fclosesocket(soap, sock)
                                                            : SOAP_OK;
}

int winhttp_shutdownsocket(struct soap* soap, SOAP_SOCKET sock, int how)
{
    PluginData* d = plugin_data(soap);
    if (d != nullptr && sock == d->placeholder_fd)
        return SOAP_OK;
    return d != nullptr && d->saved.fshutdownsocket != nullptr
               ? d->saved.fshutdownsocket(soap, sock, how)
               : SOAP_OK;
}

// WinHTTP keeps and checks its own connections.
int winhttp_poll(struct soap* soap)
{
    PluginData* d = plugin_data(soap);
    return d != nullptr && d->connect != nullptr ? SOAP_OK : SOAP_EOF;
}

} // namespace

void apply_soap_timeouts(struct soap* soap, HINTERNET request)
{
    const struct
    {
        DWORD option;
        int soap_value;
    } timeouts[] = {
        {WINHTTP_OPTION_CONNECT_TIMEOUT, soap->connect_timeout},
        {WINHTTP_OPTION_SEND_TIMEOUT, soap->send_timeout},
        {WINHTTP_OPTION_RECEIVE_TIMEOUT, soap->recv_timeout},
    };
    for (const auto& t : timeouts) {
        if (t.soap_value == 0)
            continue;
        const DWORD ms = static_cast<DWORD>(soap_timeout_to_ms(t.soap_value));
        WinHttpSetOption(request, t.option, &ms, sizeof ms);
    }
}

// Takes in what has already arrived of the reply's rest, in at most four
// reads of 16 KB, never waiting for more: the call's time does not depend on
// how slowly the rest comes, even when it trickles in as fast as it is read
// (reads counted by bytes went on with it to its end). Closing the request
// then keeps its connection for the next call when the reply ended, and
// drops it when it did not.
void finish_winhttp_reply(PluginData* d)
{
    if (d->reply == nullptr)
        return;
    char buf[16384];
    for (int reads = 0; reads < 4; ++reads) {
        DWORD got = 0;
        if (!WinHttpReadArrivedData(d->reply, buf, sizeof buf, &got) || got == 0)
            break;
    }
    close_reply(d);
}

void install_winhttp(struct soap* soap, PluginData* data)
{
    (void)data;
    soap->fopen = winhttp_open;
    soap->fclose = winhttp_close;
    soap->fclosesocket = winhttp_closesocket;
    soap->fshutdownsocket = winhttp_shutdownsocket;
    soap->fsend = winhttp_send;
    soap->frecv = winhttp_recv;
    soap->fpoll = winhttp_poll;
}

void release_winhttp(PluginData* data)
{
    close_connect(data);
    if (data->placeholder_fd >= 0)
        ::close(data->placeholder_fd);
    data->placeholder_fd = -1;
}

} // namespace qortransport
