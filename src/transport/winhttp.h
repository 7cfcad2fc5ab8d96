#ifndef QOR_TRANSPORT_WINHTTP_H
#define QOR_TRANSPORT_WINHTTP_H

// A small HTTP client shaped like the WinHTTP interface (sessions, connections,
// requests), built on libcurl, which WinHttpOpen loads at run time (without it
// WinHttpOpen fails with ERROR_MOD_NOT_FOUND). Only what the transport plug-in needs: one
// synchronous request at a time per request handle, the whole response read
// into memory by WinHttpReceiveResponse. Connections of a connection handle
// are kept alive and reused between its requests. The "default proxy
// settings" are the environment's proxy variables (http_proxy, https_proxy,
// no_proxy). Functions that fail return none/false and leave the reason in
// WinHttpGetLastError().

#include <cstdint>

#include "u16/qor_uc.h"

typedef void* HINTERNET;
typedef uint32_t DWORD;
typedef uint16_t INTERNET_PORT;
typedef int BOOL;

#define WINHTTP_ACCESS_TYPE_DEFAULT_PROXY 0u
#define WINHTTP_ACCESS_TYPE_NO_PROXY 1u
#define WINHTTP_NO_PROXY_NAME nullptr
#define WINHTTP_NO_PROXY_BYPASS nullptr
#define WINHTTP_NO_REFERER nullptr
#define WINHTTP_DEFAULT_ACCEPT_TYPES nullptr
#define WINHTTP_NO_ADDITIONAL_HEADERS nullptr
#define WINHTTP_NO_REQUEST_DATA nullptr

#define WINHTTP_FLAG_SECURE 0x00800000u

#define WINHTTP_OPTION_SECURITY_FLAGS 31u
#define SECURITY_FLAG_IGNORE_UNKNOWN_CA 0x00000100u
#define SECURITY_FLAG_IGNORE_CERT_WRONG_USAGE 0x00000200u
#define SECURITY_FLAG_IGNORE_CERT_CN_INVALID 0x00001000u
#define SECURITY_FLAG_IGNORE_CERT_DATE_INVALID 0x00002000u

#define WINHTTP_ADDREQ_FLAG_ADD 0x20000000u

#define WINHTTP_QUERY_CONTENT_TYPE 1u
#define WINHTTP_QUERY_STATUS_CODE 19u
#define WINHTTP_QUERY_STATUS_TEXT 20u
#define WINHTTP_QUERY_RAW_HEADERS_CRLF 22u
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
#define ERROR_WINHTTP_INCORRECT_HANDLE_TYPE 12018u
#define ERROR_WINHTTP_INCORRECT_HANDLE_STATE 12019u
#define ERROR_WINHTTP_CANNOT_CONNECT 12029u
#define ERROR_WINHTTP_CONNECTION_ERROR 12030u
#define ERROR_WINHTTP_INVALID_SERVER_RESPONSE 12152u
#define ERROR_WINHTTP_SECURE_FAILURE 12175u

HINTERNET WinHttpOpen(const QOR_UC* agent, DWORD access_type, const QOR_UC* proxy_name,
                      const QOR_UC* proxy_bypass, DWORD flags);
HINTERNET WinHttpConnect(HINTERNET session, const QOR_UC* server, INTERNET_PORT port,
                         DWORD reserved);
HINTERNET WinHttpOpenRequest(HINTERNET connect, const QOR_UC* verb, const QOR_UC* object_name,
                             const QOR_UC* version, const QOR_UC* referrer,
                             const QOR_UC** accept_types, DWORD flags);
// WINHTTP_OPTION_SECURITY_FLAGS (a DWORD) on a request handle.
BOOL WinHttpSetOption(HINTERNET handle, DWORD option, const void* buffer, DWORD length);
// Milliseconds; 0 or negative: no limit. On a session, connection or request.
BOOL WinHttpSetTimeouts(HINTERNET handle, int resolve_ms, int connect_ms, int send_ms,
                        int receive_ms);
// "Name: value\r\n" lines; length (DWORD)-1 means zero-terminated.
BOOL WinHttpAddRequestHeaders(HINTERNET request, const QOR_UC* headers, DWORD length,
                              DWORD modifiers);
// Sends the request with its body (optional, optional_length bytes).
BOOL WinHttpSendRequest(HINTERNET request, const QOR_UC* headers, DWORD headers_length,
                        const void* optional, DWORD optional_length, DWORD total_length,
                        uintptr_t context);
// Waits for the complete response.
BOOL WinHttpReceiveResponse(HINTERNET request, void* reserved);
// Status code (with WINHTTP_QUERY_FLAG_NUMBER: a DWORD), status text, content
// type or all response headers as 16-bit text. *length is in bytes.
BOOL WinHttpQueryHeaders(HINTERNET request, DWORD info_level, const QOR_UC* name, void* buffer,
                         DWORD* length, DWORD* index);
BOOL WinHttpQueryDataAvailable(HINTERNET request, DWORD* available);
BOOL WinHttpReadData(HINTERNET request, void* buffer, DWORD to_read, DWORD* read);
BOOL WinHttpCloseHandle(HINTERNET handle);
DWORD WinHttpGetLastError(void);
// Connections opened so far by a connection handle (to see keep-alive reuse).
long WinHttpConnectionCount(HINTERNET connect);

#endif
