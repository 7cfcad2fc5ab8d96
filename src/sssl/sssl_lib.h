#ifndef QOR_SSSL_SSSL_LIB_H
#define QOR_SSSL_SSSL_LIB_H

// The crypto library's functions that the SSL layer uses, bound by name at
// run time. The types are opaque here; constants are those of the library's
// stable interface.

#include <cstddef>
#include <string>
#include <vector>

struct ssl_st;
struct ssl_ctx_st;
struct ssl_method_st;
struct x509_st;
struct x509_store_st;
struct evp_pkey_st;
struct bio_st;
struct PKCS12_st;
struct stack_st;

namespace sssl {

constexpr int kVerifyNone = 0x00;
constexpr int kVerifyPeer = 0x01;
constexpr int kErrorSsl = 1;
constexpr int kErrorWantRead = 2;
constexpr int kErrorWantWrite = 3;
constexpr int kErrorSyscall = 5;
constexpr int kErrorZeroReturn = 6;
constexpr int kCtrlSetTlsextHostname = 55;
constexpr int kCtrlChainCert = 89;
constexpr int kCtrlSetMinProtoVersion = 123;
constexpr long kTlsextNametypeHostName = 0;
constexpr long kTls12Version = 0x0303;
constexpr long kVerifyOk = 0;

struct CryptoLib
{
    // libssl
    int (*OPENSSL_init_ssl)(unsigned long long, const void*);
    const ssl_method_st* (*TLS_client_method)(void);
    ssl_ctx_st* (*SSL_CTX_new)(const ssl_method_st*);
    void (*SSL_CTX_free)(ssl_ctx_st*);
    int (*SSL_CTX_use_certificate)(ssl_ctx_st*, x509_st*);
    int (*SSL_CTX_use_PrivateKey)(ssl_ctx_st*, evp_pkey_st*);
    int (*SSL_CTX_check_private_key)(const ssl_ctx_st*);
    long (*SSL_CTX_ctrl)(ssl_ctx_st*, int, long, void*);
    x509_store_st* (*SSL_CTX_get_cert_store)(const ssl_ctx_st*);
    void (*SSL_CTX_set_verify)(ssl_ctx_st*, int, void*);
    ssl_st* (*SSL_new)(ssl_ctx_st*);
    void (*SSL_free)(ssl_st*);
    int (*SSL_set_fd)(ssl_st*, int);
    int (*SSL_connect)(ssl_st*);
    int (*SSL_read)(ssl_st*, void*, int);
    int (*SSL_write)(ssl_st*, const void*, int);
    int (*SSL_get_error)(const ssl_st*, int);
    int (*SSL_shutdown)(ssl_st*);
    int (*SSL_pending)(const ssl_st*);
    long (*SSL_ctrl)(ssl_st*, int, long, void*);
    int (*SSL_set1_host)(ssl_st*, const char*);
    long (*SSL_get_verify_result)(const ssl_st*);
    // libcrypto
    bio_st* (*BIO_new_mem_buf)(const void*, int);
    int (*BIO_free)(bio_st*);
    PKCS12_st* (*d2i_PKCS12_bio)(bio_st*, PKCS12_st**);
    int (*PKCS12_parse)(PKCS12_st*, const char*, evp_pkey_st**, x509_st**, stack_st**);
    void (*PKCS12_free)(PKCS12_st*);
    void (*X509_free)(x509_st*);
    void (*EVP_PKEY_free)(evp_pkey_st*);
    int (*OPENSSL_sk_num)(const stack_st*);
    void* (*OPENSSL_sk_value)(const stack_st*, int);
    void (*OPENSSL_sk_free)(stack_st*);
    int (*X509_STORE_add_cert)(x509_store_st*, x509_st*);
    unsigned long (*ERR_get_error)(void);
    void (*ERR_error_string_n)(unsigned long, char*, size_t);
    void (*ERR_clear_error)(void);
    const char* (*X509_verify_cert_error_string)(long);
};

// The files to load for a value of ssl/ssl_lib, each list tried in turn. A
// value whose file name is qorcrypto.dll (in any case, after any folder)
// means the system's TLS and crypto libraries, whatever any folder holds; a
// bare file name goes to the loader's library search, and a name with a
// folder is loaded only as an absolute path. A value refused names nothing
// to load, and refused says why.
struct CryptoLibFiles
{
    std::vector<std::string> ssl;
    std::vector<std::string> crypto;
    std::string refused;
};
CryptoLibFiles crypto_lib_files(const std::string& lib_value);

// Loads and binds the library that lib_value names (see crypto_lib_files)
// once; later calls return the first result. Returns 0 or
// SSSLERR_LIB_NOT_FOUND / SSSLERR_LIB_SYMBOL / SSSLERR_LIB_INIT.
int load_crypto_lib(const std::string& lib_value, const CryptoLib** lib);
// Unloads (tests).
void unload_crypto_lib();

} // namespace sssl

#endif
