#ifndef QOR_SSSL_SSSL_H
#define QOR_SSSL_SSSL_H

// The SSL layer: TLS client sessions on NI handles. The crypto library is
// loaded at run time and bound by name; nothing of it is linked. Credentials
// are PSE files (PKCS#12 containers holding a key, its certificate chain and
// the trusted CA certificates) in the directory SECUDIR, else in the "sec"
// directory of the user's home.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "ni/ni.h"

// How a session authenticates (the value the client puts into plugin_arg).
typedef enum {
    NO_CLIENT_CERT = 0,         // no client certificate; the server certificate
                                // is checked against the anonymous PSE's CAs
    USE_CLIENT_CERT = 3,        // client certificate of the client PSE; the server
                                // certificate is checked against its CAs
    ANON_SRVCERT_NO_VERIFY = 4, // no client certificate, server not verified
} SSSL_AUTH_T;

// Default-credential selection bits of SSSL_INIT_PARAMS.
#define SSSL_CRED_SERVER 1u // QORSSLS.pse
#define SSSL_CRED_CLIENT 2u // QORSSLC.pse
#define SSSL_CRED_ANON 4u   // QORSSLA.pse, or the in-memory credential

#define SSSL_SERVER_PSE "QORSSLS.pse"
#define SSSL_CLIENT_PSE "QORSSLC.pse"
#define SSSL_ANON_PSE "QORSSLA.pse"

// Initialisation record; the caller clears it and sets the size to 120.
typedef struct SSSL_INIT_PARAMS
{
    uint64_t size;          // sizeof(SSSL_INIT_PARAMS), 120
    uint32_t default_creds; // SSSL_CRED_* bits
    uint32_t reserved0;
    const void* cred_data; // in-memory credential (a PKCS#12 DER structure)
    uint32_t cred_len;     // standing in for the anonymous PSE file
    uint32_t reserved1;
    uint8_t reserved[88];
} SSSL_INIT_PARAMS;
static_assert(sizeof(SSSL_INIT_PARAMS) == 120, "SSSL_INIT_PARAMS layout");

// Return codes.
#define SSSLRC_OK 0
#define SSSLERR_PARAM (-1)         // invalid argument
#define SSSLERR_NOT_INIT (-2)      // QorSSLInit not called or failed
#define SSSLERR_LIB_NOT_FOUND (-3) // crypto library not loadable
#define SSSLERR_LIB_SYMBOL (-4)    // a crypto function is missing
#define SSSLERR_LIB_INIT (-5)      // crypto library initialisation failed
#define SSSLERR_NO_MEMORY (-6)
#define SSSLERR_PSE_READ (-7)     // PSE file unreadable or not PKCS#12
#define SSSLERR_CONN_FAILED (-10) // TLS handshake failed
#define SSSLERR_SERVER_CERT (-11) // server certificate not trusted / name mismatch
#define SSSLERR_CONN_CLOSED (-12) // peer closed the connection
#define SSSLERR_TIMEOUT (-13)
#define SSSLERR_IO (-14)      // read or write on the connection failed
#define SSSLERR_NO_CRED (-31) // no selected default credential could be set up

// Initialises the layer: loads the crypto library and sets up the default
// credentials that params->default_creds selects. read_profile and reserved
// are accepted and ignored. Returns 0, or an SSSLERR_* code.
int QorSSLInit(unsigned char read_profile, SSSL_INIT_PARAMS* params, void* reserved);
// From now on the layer writes its trace ("->> name(args" on entry,
// "<<- name()==result" on exit) to trace (none: no trace). Returns 0.
int QorSSLSetTraceFile(FILE* trace);
// Drops the credentials and the loaded library (tests).
void QorSSLExit(void);

// The directory of the PSE files: SECUDIR, else HOMEDRIVE+HOMEPATH "sec",
// else $HOME/sec; "" when none is known. Ends without a separator.
std::string QorSSLPseDir(void);

// Whether a PSE file may stand under the name: false only when the name
// surely leads to nothing (no such entry, or a folder on its way that is no
// folder). A name that cannot be looked at, or a link to nothing, counts as
// standing, so that the open fails rather than a run without a PSE.
bool QorSSLPseNamed(const char* path);

typedef struct QorSSLSession* SSSL_HDL;

// Starts a TLS client session on an open NI handle and runs the handshake
// within timeout_ms. server_name is the host name of the endpoint, used for
// SNI and, when the server is verified, for the certificate name check.
int QorSSLConnect(NI_HDL hdl, SSSL_AUTH_T auth, const char* server_name, int timeout_ms,
                  SSSL_HDL* session);
// Writes all len bytes (each wait bounded by timeout_ms).
int QorSSLWrite(SSSL_HDL session, const void* buf, size_t len, int timeout_ms);
// Reads at most len bytes, waiting at most timeout_ms for the first one;
// SSSLERR_CONN_CLOSED at the end of the stream.
int QorSSLRead(SSSL_HDL session, void* buf, size_t len, int timeout_ms, size_t* read);
// Decrypted bytes ready to be read without touching the socket.
int QorSSLPending(SSSL_HDL session);
// Sends the close notification and frees the session (not the NI handle).
int QorSSLClose(SSSL_HDL* session);

// Text of an SSL layer code.
const char* QorSSLErrText(int rc);

#endif
