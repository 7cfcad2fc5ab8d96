// TLS client sessions on NI handles.

#include <arpa/inet.h>

#include <chrono>
#include <climits>
#include <memory>
#include <string>

#include "platform/ni_si.h"
#include "sssl/sssl_state.h"
#include "sssl/sssl_trace.h"

struct QorSSLSession
{
    const sssl::CryptoLib* lib = nullptr; // the binding the session was made with
    ssl_st* ssl = nullptr;
    NI_HDL hdl = NI_INVALID_HDL;
    int fd = -1;
};

namespace {

using sssl::CryptoLib;
using Clock = std::chrono::steady_clock;

const char* auth_name(SSSL_AUTH_T auth)
{
    switch (auth) {
    case NO_CLIENT_CERT:
        return "NO_CLIENT_CERT";
    case USE_CLIENT_CERT:
        return "USE_CLIENT_CERT";
    case ANON_SRVCERT_NO_VERIFY:
        return "ANON_SRVCERT_NO_VERIFY";
    }
    return "?";
}

bool is_ip_literal(const char* name)
{
    unsigned char buf[16];
    return inet_pton(AF_INET, name, buf) == 1 || inet_pton(AF_INET6, name, buf) == 1;
}

class Deadline
{
  public:
    explicit Deadline(int timeout_ms)
        : limited_(timeout_ms >= 0),
          end_(Clock::now() + std::chrono::milliseconds(limited_ ? timeout_ms : 0))
    {
    }
    int left_ms() const
    {
        if (!limited_)
            return -1;
        auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(end_ - Clock::now()).count();
        return left <= 0 ? 0 : (left > INT_MAX ? INT_MAX : static_cast<int>(left));
    }

  private:
    bool limited_;
    Clock::time_point end_;
};

// Waits as the library asks after a WANT_READ/WANT_WRITE; false on time-out.
bool wait_as_asked(int fd, int ssl_error, const Deadline& deadline)
{
    int rc = ssl_error == sssl::kErrorWantWrite ? SiWaitWritable(fd, deadline.left_ms())
                                                : SiWaitReadable(fd, deadline.left_ms());
    return rc == SI_OK;
}

// Builds the TLS context of one authentication type (state lock held).
int make_context(sssl::State& s, SSSL_AUTH_T auth, ssl_ctx_st** out)
{
    const CryptoLib& lib = *s.lib;
    const sssl::Credential* cred = nullptr;
    if (auth == USE_CLIENT_CERT) {
        if (!s.client.present)
            return SSSLERR_NO_CRED;
        cred = &s.client;
    } else if (auth == NO_CLIENT_CERT) {
        if (!s.anon.present)
            return SSSLERR_NO_CRED;
        cred = &s.anon;
    }
    ssl_ctx_st* ctx = lib.SSL_CTX_new(lib.TLS_client_method());
    if (ctx == nullptr)
        return SSSLERR_NO_MEMORY;
    lib.SSL_CTX_ctrl(ctx, sssl::kCtrlSetMinProtoVersion, sssl::kTls12Version, nullptr);
    bool ok = true;
    if (cred != nullptr) {
        if (auth == USE_CLIENT_CERT) {
            ok = lib.SSL_CTX_use_certificate(ctx, cred->cert) == 1 &&
                 lib.SSL_CTX_use_PrivateKey(ctx, cred->key) == 1 &&
                 lib.SSL_CTX_check_private_key(ctx) == 1;
            // add1: the context takes its own reference of each chain certificate.
            for (x509_st* ca : cred->cas)
                ok = ok && lib.SSL_CTX_ctrl(ctx, sssl::kCtrlChainCert, 1, ca) == 1;
        }
        x509_store_st* store = lib.SSL_CTX_get_cert_store(ctx);
        for (x509_st* ca : cred->cas)
            ok = ok && lib.X509_STORE_add_cert(store, ca) == 1;
        lib.SSL_CTX_set_verify(ctx, sssl::kVerifyPeer, nullptr);
    } else {
        lib.SSL_CTX_set_verify(ctx, sssl::kVerifyNone, nullptr);
    }
    if (!ok) {
        sssl::trace_line("credential not usable: %s", sssl::drain_lib_errors(lib).c_str());
        lib.SSL_CTX_free(ctx);
        return SSSLERR_NO_CRED;
    }
    *out = ctx;
    return SSSLRC_OK;
}

int context_for(sssl::State& s, SSSL_AUTH_T auth, ssl_ctx_st** out)
{
    ssl_ctx_st** slot = auth == USE_CLIENT_CERT  ? &s.ctx_client
                        : auth == NO_CLIENT_CERT ? &s.ctx_anon
                                                 : &s.ctx_noverify;
    if (*slot == nullptr) {
        int rc = make_context(s, auth, slot);
        if (rc != SSSLRC_OK)
            return rc;
    }
    *out = *slot;
    return SSSLRC_OK;
}

int handshake(const CryptoLib& lib, QorSSLSession* session, int timeout_ms)
{
    Deadline deadline(timeout_ms);
    for (;;) {
        int r = lib.SSL_connect(session->ssl);
        if (r == 1)
            return SSSLRC_OK;
        int e = lib.SSL_get_error(session->ssl, r);
        if (e == sssl::kErrorWantRead || e == sssl::kErrorWantWrite) {
            if (!wait_as_asked(session->fd, e, deadline))
                return SSSLERR_TIMEOUT;
            continue;
        }
        long verify = lib.SSL_get_verify_result(session->ssl);
        std::string why = sssl::drain_lib_errors(lib);
        if (verify != sssl::kVerifyOk) {
            sssl::trace_line("server certificate rejected: %s",
                             lib.X509_verify_cert_error_string(verify));
            return SSSLERR_SERVER_CERT;
        }
        sssl::trace_line("handshake failed: %s", why.empty() ? "connection closed" : why.c_str());
        return SSSLERR_CONN_FAILED;
    }
}

} // namespace

int QorSSLConnect(NI_HDL hdl, SSSL_AUTH_T auth, const char* server_name, int timeout_ms,
                  SSSL_HDL* session)
{
    sssl::trace_enter("QorSSLConnect", "hdl=%d, auth=%s, server=%.128s, timeout=%d", hdl,
                      auth_name(auth), server_name != nullptr ? server_name : "(null)", timeout_ms);
    auto leave = [](int rc) {
        sssl::trace_exit("QorSSLConnect", rc);
        return rc;
    };
    if (session == nullptr || server_name == nullptr ||
        (auth != NO_CLIENT_CERT && auth != USE_CLIENT_CERT && auth != ANON_SRVCERT_NO_VERIFY))
        return leave(SSSLERR_PARAM);
    *session = nullptr;
    int fd = -1;
    if (NiHdlToSock(hdl, &fd) != QOR_O_K)
        return leave(SSSLERR_PARAM);

    sssl::State& s = sssl::state();
    auto sess = std::make_unique<QorSSLSession>();
    const CryptoLib* lib = nullptr;
    {
        std::lock_guard<std::mutex> guard(s.lock);
        if (!s.initialised)
            return leave(SSSLERR_NOT_INIT);
        lib = s.lib;
        ssl_ctx_st* ctx = nullptr;
        int rc = context_for(s, auth, &ctx);
        if (rc != SSSLRC_OK)
            return leave(rc);
        lib->ERR_clear_error();
        sess->ssl = lib->SSL_new(ctx);
    }
    if (sess->ssl == nullptr)
        return leave(SSSLERR_NO_MEMORY);
    sess->lib = lib;
    sess->hdl = hdl;
    sess->fd = fd;
    lib->SSL_set_fd(sess->ssl, fd);
    const bool ip = is_ip_literal(server_name);
    if (!ip && *server_name != '\0')
        lib->SSL_ctrl(sess->ssl, sssl::kCtrlSetTlsextHostname, sssl::kTlsextNametypeHostName,
                      const_cast<char*>(server_name));
    if (auth != ANON_SRVCERT_NO_VERIFY)
        lib->SSL_set1_host(sess->ssl, server_name);
    int rc = handshake(*lib, sess.get(), timeout_ms);
    if (rc != SSSLRC_OK) {
        lib->SSL_free(sess->ssl);
        return leave(rc);
    }
    *session = sess.release();
    return leave(SSSLRC_OK);
}

namespace {

int write_all(SSSL_HDL session, const void* buf, size_t len, int timeout_ms)
{
    const CryptoLib* lib = session != nullptr ? session->lib : nullptr;
    if (session == nullptr || lib == nullptr || (buf == nullptr && len > 0))
        return SSSLERR_PARAM;
    const char* p = static_cast<const char*>(buf);
    Deadline deadline(timeout_ms);
    while (len > 0) {
        int chunk = len > INT_MAX ? INT_MAX : static_cast<int>(len);
        int r = lib->SSL_write(session->ssl, p, chunk);
        if (r > 0) {
            p += r;
            len -= static_cast<size_t>(r);
            continue;
        }
        int e = lib->SSL_get_error(session->ssl, r);
        if (e == sssl::kErrorWantRead || e == sssl::kErrorWantWrite) {
            if (!wait_as_asked(session->fd, e, deadline))
                return SSSLERR_TIMEOUT;
            continue;
        }
        sssl::trace_line("QorSSLWrite: %s", sssl::drain_lib_errors(*lib).c_str());
        return e == sssl::kErrorZeroReturn ? SSSLERR_CONN_CLOSED : SSSLERR_IO;
    }
    return SSSLRC_OK;
}

int read_some(SSSL_HDL session, void* buf, size_t len, int timeout_ms, size_t* read)
{
    if (read != nullptr)
        *read = 0;
    const CryptoLib* lib = session != nullptr ? session->lib : nullptr;
    if (session == nullptr || lib == nullptr || buf == nullptr || len == 0)
        return SSSLERR_PARAM;
    Deadline deadline(timeout_ms);
    int chunk = len > INT_MAX ? INT_MAX : static_cast<int>(len);
    for (;;) {
        int r = lib->SSL_read(session->ssl, buf, chunk);
        if (r > 0) {
            if (read != nullptr)
                *read = static_cast<size_t>(r);
            return SSSLRC_OK;
        }
        int e = lib->SSL_get_error(session->ssl, r);
        if (e == sssl::kErrorWantRead || e == sssl::kErrorWantWrite) {
            if (!wait_as_asked(session->fd, e, deadline))
                return SSSLERR_TIMEOUT;
            continue;
        }
        // A peer that closes without a close notification ends the stream too.
        std::string why = sssl::drain_lib_errors(*lib);
        if (e == sssl::kErrorZeroReturn || e == sssl::kErrorSyscall ||
            why.find("unexpected eof") != std::string::npos)
            return SSSLERR_CONN_CLOSED;
        sssl::trace_line("QorSSLRead: %s", why.c_str());
        return SSSLERR_IO;
    }
}

} // namespace

int QorSSLWrite(SSSL_HDL session, const void* buf, size_t len, int timeout_ms)
{
    sssl::trace_enter("QorSSLWrite", "session=%p, len=%zu, timeout=%d", static_cast<void*>(session),
                      len, timeout_ms);
    int rc = write_all(session, buf, len, timeout_ms);
    sssl::trace_exit("QorSSLWrite", rc);
    return rc;
}

int QorSSLRead(SSSL_HDL session, void* buf, size_t len, int timeout_ms, size_t* read)
{
    sssl::trace_enter("QorSSLRead", "session=%p, len=%zu, timeout=%d", static_cast<void*>(session),
                      len, timeout_ms);
    size_t got = 0;
    int rc = read_some(session, buf, len, timeout_ms, &got);
    if (read != nullptr)
        *read = got;
    sssl::trace_exit("QorSSLRead", rc);
    return rc;
}

int QorSSLPending(SSSL_HDL session)
{
    const CryptoLib* lib = session != nullptr ? session->lib : nullptr;
    if (session == nullptr || lib == nullptr)
        return 0;
    return lib->SSL_pending(session->ssl);
}

int QorSSLClose(SSSL_HDL* session)
{
    sssl::trace_enter("QorSSLClose", "session=%p",
                      session != nullptr ? static_cast<void*>(*session) : nullptr);
    if (session == nullptr || *session == nullptr) {
        sssl::trace_exit("QorSSLClose", SSSLERR_PARAM);
        return SSSLERR_PARAM;
    }
    const CryptoLib* lib = (*session)->lib;
    if (lib != nullptr) {
        lib->SSL_shutdown((*session)->ssl); // one close notification, no waiting for the answer
        lib->SSL_free((*session)->ssl);
        lib->ERR_clear_error();
    }
    std::unique_ptr<QorSSLSession> owned(*session);
    *session = nullptr;
    sssl::trace_exit("QorSSLClose", SSSLRC_OK);
    return SSSLRC_OK;
}
