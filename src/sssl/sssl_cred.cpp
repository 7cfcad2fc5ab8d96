// PSE files: PKCS#12 containers with the key, the certificate chain and the
// trusted CA certificates of one credential.

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <sys/stat.h>

#include "platform/regular_file.h"
#include "sssl/sssl_state.h"
#include "sssl/sssl_trace.h"

namespace sssl {

State& state()
{
    static State s;
    return s;
}

std::string drain_lib_errors(const CryptoLib& lib)
{
    std::string all;
    for (unsigned long e = lib.ERR_get_error(); e != 0; e = lib.ERR_get_error()) {
        char buf[256];
        lib.ERR_error_string_n(e, buf, sizeof buf);
        if (!all.empty())
            all += "; ";
        all += buf;
    }
    return all;
}

void free_credential(const CryptoLib& lib, Credential* cred)
{
    if (cred->key != nullptr)
        lib.EVP_PKEY_free(cred->key);
    if (cred->cert != nullptr)
        lib.X509_free(cred->cert);
    for (x509_st* ca : cred->cas)
        lib.X509_free(ca);
    *cred = Credential{};
}

int parse_pse(const CryptoLib& lib, const std::string& der, Credential* cred)
{
    if (der.empty() || der.size() > static_cast<size_t>(std::numeric_limits<int>::max()))
        return SSSLERR_PSE_READ;
    bio_st* bio = lib.BIO_new_mem_buf(der.data(), static_cast<int>(der.size()));
    if (bio == nullptr)
        return SSSLERR_NO_MEMORY;
    PKCS12_st* p12 = lib.d2i_PKCS12_bio(bio, nullptr);
    lib.BIO_free(bio);
    if (p12 == nullptr) {
        trace_line("PSE is no PKCS#12 structure: %s", drain_lib_errors(lib).c_str());
        return SSSLERR_PSE_READ;
    }
    evp_pkey_st* key = nullptr;
    x509_st* cert = nullptr;
    stack_st* cas = nullptr;
    int ok = lib.PKCS12_parse(p12, "", &key, &cert, &cas);
    lib.PKCS12_free(p12);
    if (ok != 1) {
        trace_line("PSE cannot be opened: %s", drain_lib_errors(lib).c_str());
        return SSSLERR_PSE_READ;
    }
    Credential c;
    c.present = true;
    c.key = key;
    c.cert = cert;
    if (cas != nullptr) {
        int n = lib.OPENSSL_sk_num(cas);
        for (int i = 0; i < n; ++i)
            c.cas.push_back(static_cast<x509_st*>(lib.OPENSSL_sk_value(cas, i)));
        lib.OPENSSL_sk_free(cas); // the certificates now belong to c
    }
    *cred = c;
    return SSSLRC_OK;
}

int read_pse_file(const CryptoLib& lib, const std::string& path, Credential* cred)
{
    std::string der, reason;
    int error = 0;
    if (qor_read_regular_file(path.c_str(), kMaxPseBytes, &der, &reason, &error) !=
        QorFileRead::read) {
        trace_line("%s: no PSE: %s", path.c_str(), reason.c_str());
        return SSSLERR_PSE_READ;
    }
    return parse_pse(lib, der, cred);
}

} // namespace sssl

std::string QorSSLPseDir(void)
{
    if (const char* secudir = std::getenv("SECUDIR"); secudir != nullptr && *secudir != '\0')
        return secudir;
    const char* drive = std::getenv("HOMEDRIVE");
    const char* path = std::getenv("HOMEPATH");
    std::string home;
    if (drive != nullptr && path != nullptr) {
        home = std::string(drive) + path;
    } else if (const char* h = std::getenv("HOME"); h != nullptr && *h != '\0') {
        home = h;
    } else {
        return {};
    }
    // HOMEDRIVE and HOMEPATH may both be set and empty.
    if (home.empty() || home.back() != '/')
        home += '/';
    return home + "sec";
}

bool QorSSLPseNamed(const char* path)
{
    struct stat st
    {
    };
    return ::lstat(path, &st) == 0 || (errno != ENOENT && errno != ENOTDIR);
}
