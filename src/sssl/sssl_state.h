#ifndef QOR_SSSL_SSSL_STATE_H
#define QOR_SSSL_SSSL_STATE_H

// Process-wide state of the SSL layer: the bound library, the default
// credentials read from the PSEs and one TLS context per authentication type.

#include <mutex>
#include <string>
#include <vector>

#include "sssl/sssl.h"
#include "sssl/sssl_lib.h"

namespace sssl {

// Key, certificate and trusted CA certificates of one PSE.
struct Credential
{
    bool present = false; // set up (possibly without key: anonymous)
    evp_pkey_st* key = nullptr;
    x509_st* cert = nullptr;
    std::vector<x509_st*> cas;
};

struct State
{
    std::mutex lock;
    bool initialised = false;
    const CryptoLib* lib = nullptr;
    Credential server, client, anon;
    ssl_ctx_st* ctx_client = nullptr;   // USE_CLIENT_CERT
    ssl_ctx_st* ctx_anon = nullptr;     // NO_CLIENT_CERT
    ssl_ctx_st* ctx_noverify = nullptr; // ANON_SRVCERT_NO_VERIFY
};

State& state();

// Parses a PKCS#12 structure (empty password) into cred.
int parse_pse(const CryptoLib& lib, const std::string& der, Credential* cred);
// A PSE holds a few kilobytes; a file above this is none.
constexpr size_t kMaxPseBytes = 1024 * 1024;
// Reads and parses a PSE file: a regular file of at most kMaxPseBytes;
// SSSLERR_PSE_READ (with the reason in the trace) when it is none or cannot
// be read. A FIFO or a device is never read.
int read_pse_file(const CryptoLib& lib, const std::string& path, Credential* cred);
void free_credential(const CryptoLib& lib, Credential* cred);
// The library's queued error texts, joined by "; " (and the queue cleared).
std::string drain_lib_errors(const CryptoLib& lib);

} // namespace sssl

#endif
