#ifndef QOR_NI_NI_H
#define QOR_NI_NI_H

// NI, the network interface: a process-wide table of handles, each naming one
// TCP connection, with raw (unframed) reads and writes over the SI socket
// layer. Return codes are 0 (QOR_O_K) or one of the negative NIE* codes.

#include <cstddef>
#include <cstdint>

#include "u16/qor_uc.h"

#ifndef QOR_O_K
#define QOR_O_K 0
#endif

typedef int NI_HDL;
#define NI_INVALID_HDL (-1)

// Time-outs are milliseconds; NI_BLOCK waits without limit, 0 only tests.
#define NI_BLOCK (-1)
#define NI_ASYNC 0

// The default size of the handle table.
#define NI_DEFAULT_MAX_HANDLES 2048

// Error codes.
#define NIEINTERN (-1)        // internal error
#define NIEHOST_UNKNOWN (-2)  // host name unknown
#define NIESERV_UNKNOWN (-3)  // service name unknown
#define NIESERV_USED (-4)     // service already in use
#define NIETIMEOUT (-5)       // time-out
#define NIECONN_BROKEN (-6)   // connection closed by the peer or broken
#define NIETOO_SMALL (-7)     // buffer too small
#define NIEINVAL (-8)         // invalid argument
#define NIEHANDLES (-9)       // no free handle left
#define NIECONN_REFUSED (-10) // connection refused
#define NIENOT_INIT (-11)     // NI not initialised
#define NIEINVHDL (-12)       // handle not open
#define NIESYSTEM (-13)       // operating-system call failed

// Initialises NI with a table of 2048 handles; a second call is harmless.
int NiInit(void);
// Initialises NI with a table of max_handles handles (1..65536); flags are
// reserved (0). Once initialised, the table keeps its first size.
int NiInit3(int max_handles, int flags);
// Closes every open handle and frees the table (for tests and exit paths).
void NiExit(void);

// The port, in host byte order, of a service name in the system's services
// table ("tcp" entries). A null name, a name of 32 characters or more or a
// null port returns NIEINVAL; an unknown name NIESERV_UNKNOWN.
int NiServToNo(const QOR_UC* service, uint16_t* port);
// Reads service names from this file (the services file's format) instead of
// the system's services database; null or "" returns to the system's (tests).
void NiSetServicesFile(const char* path);

// 1 when the host name denotes this machine ("localhost", "127.0.0.1", "::1"
// with NI_USEIPv6 set, or a name - "::1" without it too - of which one
// address, IPv4 or IPv6, is one of the local network interfaces'), else 0.
int NiIsLocalHost(const QOR_UC* host);

// Raw mode: connects to host:port (a name or a numeric address, 8-bit) within
// timeout_ms and gives a new handle. NIEHOST_UNKNOWN, NIECONN_REFUSED,
// NIETIMEOUT, NIEHANDLES or NIESYSTEM on failure.
int NiRawConnect(const char* host, uint16_t port, int timeout_ms, NI_HDL* hdl);
// Writes up to len bytes within timeout_ms; *written gets the count (at least
// 1 on success). NIETIMEOUT when nothing could be written, NIECONN_BROKEN
// when the peer is gone.
int NiRawWrite(NI_HDL hdl, const void* buf, size_t len, int timeout_ms, size_t* written);
// Writes all len bytes, each wait bounded by timeout_ms.
int NiRawWriteAll(NI_HDL hdl, const void* buf, size_t len, int timeout_ms);
// Reads what is there, at most len bytes, waiting at most timeout_ms for the
// first byte; *read gets the count. NIECONN_BROKEN when the peer closed the
// connection, NIETIMEOUT when nothing arrived in time.
int NiRawRead(NI_HDL hdl, void* buf, size_t len, int timeout_ms, size_t* read);
// Readiness test: 0 when data (or the peer's close) can be read within
// timeout_ms, NIETIMEOUT when not, NIEINVHDL for a closed handle.
int NiReadable(NI_HDL hdl, int timeout_ms);
// 0 while the connection is usable: no unread data waiting and the peer has
// not closed it; NIECONN_BROKEN otherwise.
int NiCheckAlive(NI_HDL hdl);
// The socket behind a handle (for the SSL layer).
int NiHdlToSock(NI_HDL hdl, int* sock);
// Closes the handle and frees its slot.
int NiCloseHandle(NI_HDL hdl);
// Number of open handles.
int NiOpenHandleCount(void);

// Symbolic name and text of an NI code, e.g. "NIECONN_REFUSED" and
// "connection refused"; unknown codes give "NIE?" and "unknown error".
const char* NiErrName(int rc);
const char* NiErrText(int rc);

#endif
