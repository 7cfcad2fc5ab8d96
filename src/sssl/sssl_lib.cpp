#include "sssl/sssl_lib.h"

#include <strings.h>

#include <mutex>
#include <string>

#include "base/dl.h"
#include "sssl/sssl.h"
#include "sssl/sssl_trace.h"
#include "u16/u16.h"

namespace sssl {
namespace {

// The system's libraries, tried in turn; the first that loads is used.
constexpr const char* kSslLibNames[] = {"libssl.so.3", "libssl.so"};
constexpr const char* kCryptoLibNames[] = {"libcrypto.so.3", "libcrypto.so"};
// The file name that the crypto library has on Windows installations.
constexpr const char* kWindowsLibName = "qorcrypto.dll";

std::mutex g_lock;
CryptoLib g_lib;
bool g_loaded = false;
int g_load_rc = 0;
bool g_tried = false;
DL_HDL g_ssl_hdl = DL_HDL_INVALID;
DL_HDL g_crypto_hdl = DL_HDL_INVALID;

// The name for the loader, decoded from UTF-8: a folder may hold any
// character. Empty when it is no UTF-8, which loads nothing.
std::u16string widen(const char* s)
{
    const int units = nlsui_utf8_to_u16(nullptr, s, 0);
    if (units < 0)
        return {};
    std::u16string wide(static_cast<size_t>(units) + 1, u'\0');
    nlsui_utf8_to_u16(wide.data(), s, units + 1);
    wide.resize(static_cast<size_t>(units));
    return wide;
}

bool load_first(const std::vector<std::string>& names, DL_HDL* hdl)
{
    for (const std::string& name : names) {
        if (DlLoadLib(widen(name.c_str()).c_str(), hdl) == DL_OK)
            return true;
    }
    return false;
}

template <typename Fn> bool bind(DL_HDL hdl, const char* name, Fn* slot)
{
    DL_FUNC fn = nullptr;
    if (DlLoadFunc(hdl, widen(name).c_str(), 0, &fn) != DL_OK || fn == nullptr)
        return false;
    *slot = reinterpret_cast<Fn>(fn);
    return true;
}

#define SSSL_BIND(hdl, name) ok = bind(hdl, #name, &lib.name) && ok

int load_locked(const CryptoLibFiles& files)
{
    if (!files.refused.empty()) {
        trace_line("%s", files.refused.c_str());
        return SSSLERR_LIB_NOT_FOUND;
    }
    if (g_ssl_hdl == DL_HDL_INVALID && !load_first(files.ssl, &g_ssl_hdl))
        return SSSLERR_LIB_NOT_FOUND;
    if (g_crypto_hdl == DL_HDL_INVALID && !load_first(files.crypto, &g_crypto_hdl)) {
        DlUnloadLib(&g_ssl_hdl);
        return SSSLERR_LIB_NOT_FOUND;
    }
    CryptoLib lib{};
    bool ok = true;
    SSSL_BIND(g_ssl_hdl, OPENSSL_init_ssl);
    SSSL_BIND(g_ssl_hdl, TLS_client_method);
    SSSL_BIND(g_ssl_hdl, SSL_CTX_new);
    SSSL_BIND(g_ssl_hdl, SSL_CTX_free);
    SSSL_BIND(g_ssl_hdl, SSL_CTX_use_certificate);
    SSSL_BIND(g_ssl_hdl, SSL_CTX_use_PrivateKey);
    SSSL_BIND(g_ssl_hdl, SSL_CTX_check_private_key);
    SSSL_BIND(g_ssl_hdl, SSL_CTX_ctrl);
    SSSL_BIND(g_ssl_hdl, SSL_CTX_get_cert_store);
    SSSL_BIND(g_ssl_hdl, SSL_CTX_set_verify);
    SSSL_BIND(g_ssl_hdl, SSL_new);
    SSSL_BIND(g_ssl_hdl, SSL_free);
    SSSL_BIND(g_ssl_hdl, SSL_set_fd);
    SSSL_BIND(g_ssl_hdl, SSL_connect);
    SSSL_BIND(g_ssl_hdl, SSL_read);
    SSSL_BIND(g_ssl_hdl, SSL_write);
    SSSL_BIND(g_ssl_hdl, SSL_get_error);
    SSSL_BIND(g_ssl_hdl, SSL_shutdown);
    SSSL_BIND(g_ssl_hdl, SSL_pending);
    SSSL_BIND(g_ssl_hdl, SSL_ctrl);
    SSSL_BIND(g_ssl_hdl, SSL_set1_host);
    SSSL_BIND(g_ssl_hdl, SSL_get_verify_result);
    SSSL_BIND(g_crypto_hdl, BIO_new_mem_buf);
    SSSL_BIND(g_crypto_hdl, BIO_free);
    SSSL_BIND(g_crypto_hdl, d2i_PKCS12_bio);
    SSSL_BIND(g_crypto_hdl, PKCS12_parse);
    SSSL_BIND(g_crypto_hdl, PKCS12_free);
    SSSL_BIND(g_crypto_hdl, X509_free);
    SSSL_BIND(g_crypto_hdl, EVP_PKEY_free);
    SSSL_BIND(g_crypto_hdl, OPENSSL_sk_num);
    SSSL_BIND(g_crypto_hdl, OPENSSL_sk_value);
    SSSL_BIND(g_crypto_hdl, OPENSSL_sk_free);
    SSSL_BIND(g_crypto_hdl, X509_STORE_add_cert);
    SSSL_BIND(g_crypto_hdl, ERR_get_error);
    SSSL_BIND(g_crypto_hdl, ERR_error_string_n);
    SSSL_BIND(g_crypto_hdl, ERR_clear_error);
    SSSL_BIND(g_crypto_hdl, X509_verify_cert_error_string);
    if (!ok) {
        DlUnloadLib(&g_ssl_hdl);
        DlUnloadLib(&g_crypto_hdl);
        return SSSLERR_LIB_SYMBOL;
    }
    if (lib.OPENSSL_init_ssl(0, nullptr) != 1)
        return SSSLERR_LIB_INIT;
    // Loaded once per process: a second load after unload_crypto_lib binds the
    // same rows again.
    g_lib = lib;
    g_loaded = true;
    return SSSLRC_OK;
}

#undef SSSL_BIND

} // namespace

CryptoLibFiles crypto_lib_files(const std::string& lib_value)
{
    // Both separators count: the built-in values are Windows paths.
    const size_t slash = lib_value.find_last_of("/\\");
    const std::string base = slash == std::string::npos ? lib_value : lib_value.substr(slash + 1);
    if (strcasecmp(base.c_str(), kWindowsLibName) == 0)
        return {{std::begin(kSslLibNames), std::end(kSslLibNames)},
                {std::begin(kCryptoLibNames), std::end(kCryptoLibNames)},
                {}};
    // A relative name with a folder would be looked up from the working
    // directory; a bare name goes through the loader's own search.
    if (slash != std::string::npos && lib_value[0] != '/')
        return {{},
                {},
                "ssl/ssl_lib = " + lib_value +
                    ": a library name with a folder must be an absolute path"};
    return {{lib_value}, {lib_value}, {}};
}

int load_crypto_lib(const std::string& lib_value, const CryptoLib** lib)
{
    std::lock_guard<std::mutex> guard(g_lock);
    if (!g_tried) {
        g_load_rc = load_locked(crypto_lib_files(lib_value));
        g_tried = true;
    }
    if (lib != nullptr)
        *lib = g_loaded ? &g_lib : nullptr;
    return g_load_rc;
}

void unload_crypto_lib()
{
    std::lock_guard<std::mutex> guard(g_lock);
    // The library keeps process-wide state of its own and registers exit
    // handlers, so it stays mapped and the bound functions stay valid for
    // sessions still open; the next load binds afresh.
    g_loaded = false;
    g_tried = false;
}

} // namespace sssl
