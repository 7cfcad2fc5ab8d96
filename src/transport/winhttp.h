#ifndef QOR_TRANSPORT_WINHTTP_H
#define QOR_TRANSPORT_WINHTTP_H

// A small HTTP client shaped like the WinHTTP interface (sessions, connections,
// requests), built on libcurl, which WinHttpOpen loads at run time (without it
// WinHttpOpen fails with ERROR_MOD_NOT_FOUND). Only what the transport plug-in needs: one
// synchronous request at a time per connection handle. WinHttpReceiveResponse
// waits for the response's headers; WinHttpReadData hands on the body as it
// arrives, and the transfer waits while 64 KB of it are unread, so a reply is
// never held whole. A chunked body ends at its last chunk: its trailer is
// never waited for. Connections of a connection handle are kept alive and
// reused between its requests when each response was read to its end (a
// chunked one's trailer included) before its request handle was closed;
// closing it earlier drops the connection. The "default proxy
// settings" are the environment's proxy variables (http_proxy, https_proxy,
// all_proxy, no_proxy), except for a loopback host, which is always reached directly
// (winhttp_proxy.h). Functions that fail return none/false and leave the reason in
// WinHttpGetLastError().

#include <sys/socket.h>

#include <cstdint>

#include "u16/qor_uc.h"

typedef void* HINTERNET;
typedef uint32_t DWORD;
typedef uint16_t INTERNET_PORT;
typedef int BOOL;

#define WINHTTP_ACCESS_TYPE_DEFAULT_PROXY 0u
#define WINHTTP_ACCESS_TYPE_NO_PROXY 1u
#define WINHTTP_ACCESS_TYPE_NAMED_PROXY 3u
#define WINHTTP_NO_PROXY_NAME nullptr
#define WINHTTP_NO_PROXY_BYPASS nullptr
#define WINHTTP_NO_REFERER nullptr
#define WINHTTP_DEFAULT_ACCEPT_TYPES nullptr
#define WINHTTP_NO_ADDITIONAL_HEADERS nullptr
#define WINHTTP_NO_REQUEST_DATA nullptr

#define WINHTTP_FLAG_SECURE 0x00800000u

#define WINHTTP_OPTION_RESOLVE_TIMEOUT 2u
#define WINHTTP_OPTION_CONNECT_TIMEOUT 3u
#define WINHTTP_OPTION_SEND_TIMEOUT 5u
#define WINHTTP_OPTION_RECEIVE_TIMEOUT 6u
#define WINHTTP_OPTION_SECURITY_FLAGS 31u
#define WINHTTP_OPTION_PROXY 38u
#define WINHTTP_OPTION_CONNECTION_INFO 93u
#define SECURITY_FLAG_IGNORE_UNKNOWN_CA 0x00000100u
#define SECURITY_FLAG_IGNORE_CERT_WRONG_USAGE 0x00000200u
#define SECURITY_FLAG_IGNORE_CERT_CN_INVALID 0x00001000u
#define SECURITY_FLAG_IGNORE_CERT_DATE_INVALID 0x00002000u

#define WINHTTP_ADDREQ_FLAG_ADD 0x20000000u

#define WINHTTP_QUERY_CONTENT_TYPE 1u
#define WINHTTP_QUERY_CONTENT_LENGTH 5u
#define WINHTTP_QUERY_STATUS_CODE 19u
#define WINHTTP_QUERY_STATUS_TEXT 20u
#define WINHTTP_QUERY_RAW_HEADERS_CRLF 22u
#define WINHTTP_QUERY_TRANSFER_ENCODING 63u
#define WINHTTP_QUERY_FLAG_NUMBER 0x20000000u
#define WINHTTP_HEADER_NAME_BY_INDEX nullptr
#define WINHTTP_NO_HEADER_INDEX nullptr

// Error codes of WinHttpGetLastError().
#define ERROR_SUCCESS 0u
#define ERROR_INVALID_HANDLE 6u
#define ERROR_MOD_NOT_FOUND 126u
#define ERROR_NOT_ENOUGH_MEMORY 8u
#define ERROR_INVALID_PARAMETER 87u
#define ERROR_INSUFFICIENT_BUFFER 122u
#define ERROR_WINHTTP_TIMEOUT 12002u
#define ERROR_WINHTTP_INTERNAL_ERROR 12004u
#define ERROR_WINHTTP_NAME_NOT_RESOLVED 12007u
#define ERROR_WINHTTP_OPERATION_CANCELLED 12017u
#define ERROR_WINHTTP_INCORRECT_HANDLE_TYPE 12018u
#define ERROR_WINHTTP_INCORRECT_HANDLE_STATE 12019u
#define ERROR_WINHTTP_CANNOT_CONNECT 12029u
#define ERROR_WINHTTP_CONNECTION_ERROR 12030u
#define ERROR_WINHTTP_INVALID_SERVER_RESPONSE 12152u
#define ERROR_WINHTTP_SECURE_FAILURE 12175u

// WINHTTP_OPTION_PROXY of a request: whether it went through a proxy
// (WINHTTP_ACCESS_TYPE_NAMED_PROXY) or not (WINHTTP_ACCESS_TYPE_NO_PROXY).
// The stand-in names neither the proxy nor its bypass list: both are null.
typedef struct WINHTTP_PROXY_INFO
{
    DWORD dwAccessType;
    QOR_UC* lpszProxy;
    QOR_UC* lpszProxyBypass;
} WINHTTP_PROXY_INFO;

// WINHTTP_OPTION_CONNECTION_INFO of a request: the addresses of the
// connection that carried it, as the connection stood when it was sent; the
// remote one is a proxy's when the request went through one.
typedef struct WINHTTP_CONNECTION_INFO
{
    DWORD cbSize;
    sockaddr_storage LocalAddress;
    sockaddr_storage RemoteAddress;
} WINHTTP_CONNECTION_INFO;

HINTERNET WinHttpOpen(const QOR_UC* agent, DWORD access_type, const QOR_UC* proxy_name,
                      const QOR_UC* proxy_bypass, DWORD flags);
HINTERNET WinHttpConnect(HINTERNET session, const QOR_UC* server, INTERNET_PORT port,
                         DWORD reserved);
HINTERNET WinHttpOpenRequest(HINTERNET connect, const QOR_UC* verb, const QOR_UC* object_name,
                             const QOR_UC* version, const QOR_UC* referrer,
                             const QOR_UC** accept_types, DWORD flags);
// A DWORD option: a time-out (milliseconds, 0: no limit) on any handle, or
// WINHTTP_OPTION_SECURITY_FLAGS on a request handle.
BOOL WinHttpSetOption(HINTERNET handle, DWORD option, const void* buffer, DWORD length);
// Those DWORD options, and on a request handle whose response has begun
// WINHTTP_OPTION_PROXY (a WINHTTP_PROXY_INFO) and
// WINHTTP_OPTION_CONNECTION_INFO (a WINHTTP_CONNECTION_INFO); before that,
// or without a known remote address, they fail with
// ERROR_WINHTTP_INCORRECT_HANDLE_STATE. A buffer too small fails with
// ERROR_INSUFFICIENT_BUFFER and the size in *length.
BOOL WinHttpQueryOption(HINTERNET handle, DWORD option, void* buffer, DWORD* length);
// Milliseconds; 0 or negative: no limit. On a session, connection or request;
// a new handle starts with the time-outs of its parent. A session starts with
// no resolve limit, 60 s to connect, 30 s to send and 30 s for each wait for
// response bytes.
BOOL WinHttpSetTimeouts(HINTERNET handle, int resolve_ms, int connect_ms, int send_ms,
                        int receive_ms);
// "Name: value\r\n" lines; length (DWORD)-1 means zero-terminated.
BOOL WinHttpAddRequestHeaders(HINTERNET request, const QOR_UC* headers, DWORD length,
                              DWORD modifiers);
// Sends the request with its body (optional, optional_length bytes).
BOOL WinHttpSendRequest(HINTERNET request, const QOR_UC* headers, DWORD headers_length,
                        const void* optional, DWORD optional_length, DWORD total_length,
                        uintptr_t context);
// Waits for the response's headers. A status outside 100 to 599 is
// ERROR_WINHTTP_INVALID_SERVER_RESPONSE.
BOOL WinHttpReceiveResponse(HINTERNET request, void* reserved);
// The stand-in's own addition: a check shown the connection that is to carry
// a request, fresh or reused (after curl reconnected on its own too), once it
// stands and before any byte of the request goes out on it. remote is its
// peer, a proxy's when proxied; null when the connection does not tell it
// or the loaded libcurl cannot show it before the request goes out (older
// than 7.80). The request goes out only when the check returns true; else
// WinHttpReceiveResponse fails with ERROR_WINHTTP_OPERATION_CANCELLED, and
// no connection to that peer is kept. Set before WinHttpSendRequest; a null
// check removes it.
typedef BOOL (*WINHTTP_PEER_CHECK)(const sockaddr* remote, BOOL proxied, void* context);
BOOL WinHttpSetPeerCheck(HINTERNET request, WINHTTP_PEER_CHECK check, void* context);
// Not of WinHTTP: the request's body is read as it came, its transfer coding
// kept. A chunked body (curl's framing) ends, as it does otherwise, at the
// line feed after its last chunk's size, and its trailer is never handed on;
// where curl refuses the chunks, the body ends after every byte it read with
// the refused ones, which their reader judges as it reads chunks itself.
// Set before WinHttpReceiveResponse.
BOOL WinHttpSetRawBody(HINTERNET request, BOOL raw);
// Status code (with WINHTTP_QUERY_FLAG_NUMBER: a DWORD), status text, content
// type, content length, transfer coding or all response headers as 16-bit
// text ("" when the response has no such header); the fields of a chunked
// body's trailer are none of them. *length is in bytes.
BOOL WinHttpQueryHeaders(HINTERNET request, DWORD info_level, const QOR_UC* name, void* buffer,
                         DWORD* length, DWORD* index);
// Wait, within the receive time-out, for body bytes; *available 0 at the end.
BOOL WinHttpQueryDataAvailable(HINTERNET request, DWORD* available);
// Reads body bytes as they come, waiting within the receive time-out; *read 0
// at the end. A transfer that broke off fails once its bytes were read
// (after the last chunk of a chunked body nothing fails it).
BOOL WinHttpReadData(HINTERNET request, void* buffer, DWORD to_read, DWORD* read);
// Not of WinHTTP: reads, as WinHttpReadData does, only body bytes that have
// arrived, never waiting for more; *read 0 when none has, or at the end.
// What has arrived of a chunked body's trailer is taken in too, so that a
// response read to its end this way keeps its connection.
BOOL WinHttpReadArrivedData(HINTERNET request, void* buffer, DWORD to_read, DWORD* read);
BOOL WinHttpCloseHandle(HINTERNET handle);
DWORD WinHttpGetLastError(void);
// Connections opened so far by a connection handle (to see keep-alive reuse).
long WinHttpConnectionCount(HINTERNET connect);

#endif
