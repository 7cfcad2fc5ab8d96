// Initialisation of the SSL layer: the crypto library and the default
// credentials.

#include <csignal>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "param/qorparam.h"
#include "sssl/sssl_param.h"
#include "sssl/sssl_state.h"
#include "sssl/sssl_trace.h"

namespace {

using sssl::Credential;
using sssl::CryptoLib;

// A directory that already ends with a slash gets none added; a backslash is
// an ordinary character of a name here, as in the client's PSE lookup, so
// both name the same file. Without a directory there is no PSE file: never
// one of the current directory.
std::string pse_path(const std::string& dir, const char* file)
{
    if (dir.empty())
        return {};
    return dir.back() == '/' ? dir + file : dir + "/" + file;
}

// Sets up one default credential; with need_key a PSE without key and
// certificate does not count.
int setup_credential(const CryptoLib& lib, const std::string& dir, const char* file, bool need_key,
                     Credential* cred)
{
    const std::string path = pse_path(dir, file);
    if (path.empty()) {
        sssl::trace_line("%s: no PSE directory known", file);
        return SSSLERR_PSE_READ;
    }
    int rc = sssl::read_pse_file(lib, path, cred);
    if (rc != SSSLRC_OK) {
        sssl::trace_line("%s: %s", path.c_str(), QorSSLErrText(rc));
        return rc;
    }
    if (need_key && (cred->key == nullptr || cred->cert == nullptr)) {
        sssl::trace_line("%s holds no key and certificate", path.c_str());
        sssl::free_credential(lib, cred);
        return SSSLERR_PSE_READ;
    }
    sssl::trace_line("%s: %s, %zu trusted certificate(s)", path.c_str(),
                     cred->cert != nullptr ? "own certificate" : "no own certificate",
                     cred->cas.size());
    return SSSLRC_OK;
}

void free_all(sssl::State& s)
{
    if (s.lib != nullptr) {
        for (ssl_ctx_st** ctx : {&s.ctx_client, &s.ctx_anon, &s.ctx_noverify}) {
            if (*ctx != nullptr)
                s.lib->SSL_CTX_free(*ctx);
            *ctx = nullptr;
        }
        sssl::free_credential(*s.lib, &s.server);
        sssl::free_credential(*s.lib, &s.client);
        sssl::free_credential(*s.lib, &s.anon);
    }
    s.initialised = false;
}

} // namespace

int QorSSLInit(unsigned char read_profile, SSSL_INIT_PARAMS* params, void* reserved)
{
    (void)reserved;
    sssl::trace_enter("QorSSLInit", "read_profile=%d, default_creds=%u, cred_len=%u", read_profile,
                      params != nullptr ? params->default_creds : 0u,
                      params != nullptr ? params->cred_len : 0u);
    auto leave = [](int rc) {
        sssl::trace_exit("QorSSLInit", rc);
        return rc;
    };
    if (params == nullptr || params->size != sizeof(SSSL_INIT_PARAMS) ||
        (params->cred_data == nullptr) != (params->cred_len == 0))
        return leave(SSSLERR_PARAM);

    sssl::State& s = sssl::state();
    std::lock_guard<std::mutex> guard(s.lock);
    free_all(s);
    // The crypto library comes from the profile parameter ssl/ssl_lib.
    std::string lib_value;
    if (!sssl::read_param("ssl_lib", true, &lib_value, qorparam))
        return leave(SSSLERR_LIB_NOT_FOUND);
    const CryptoLib* lib = nullptr;
    int rc = sssl::load_crypto_lib(lib_value, &lib);
    if (rc != SSSLRC_OK)
        return leave(rc);
    s.lib = lib;

    // A peer that vanishes must give a write error, not end the process.
    struct sigaction old
    {
    };
    if (sigaction(SIGPIPE, nullptr, &old) == 0 && old.sa_handler == SIG_DFL)
        std::signal(SIGPIPE, SIG_IGN);

    const std::string dir = QorSSLPseDir();
    // Later readers of SECUDIR (and child processes) see the same directory.
    if (std::getenv("SECUDIR") == nullptr && !dir.empty())
        setenv("SECUDIR", dir.c_str(), 0);

    bool failed = false;
    if ((params->default_creds & SSSL_CRED_SERVER) != 0)
        failed |= setup_credential(*lib, dir, SSSL_SERVER_PSE, true, &s.server) != SSSLRC_OK;
    if ((params->default_creds & SSSL_CRED_CLIENT) != 0)
        failed |= setup_credential(*lib, dir, SSSL_CLIENT_PSE, true, &s.client) != SSSLRC_OK;
    if ((params->default_creds & SSSL_CRED_ANON) != 0) {
        if (params->cred_data != nullptr) {
            std::string der(static_cast<const char*>(params->cred_data), params->cred_len);
            failed |= sssl::parse_pse(*lib, der, &s.anon) != SSSLRC_OK;
        } else if (!dir.empty() && QorSSLPseNamed(pse_path(dir, SSSL_ANON_PSE).c_str())) {
            failed |= setup_credential(*lib, dir, SSSL_ANON_PSE, false, &s.anon) != SSSLRC_OK;
        } else {
            // Without an anonymous PSE the anonymous credential has no trusted
            // certificates: usable only without verifying the server.
            s.anon = Credential{};
            s.anon.present = true;
        }
    }
    if (failed) {
        free_all(s);
        return leave(SSSLERR_NO_CRED);
    }
    s.initialised = true;
    return leave(SSSLRC_OK);
}

void QorSSLExit(void)
{
    sssl::State& s = sssl::state();
    std::lock_guard<std::mutex> guard(s.lock);
    free_all(s);
    s.lib = nullptr;
    sssl::unload_crypto_lib();
}
