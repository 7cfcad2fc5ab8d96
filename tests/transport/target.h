#ifndef QOR_TESTS_TRANSPORT_TARGET_H
#define QOR_TESTS_TRANSPORT_TARGET_H

// A fake service reachable over one transport type, and the SSL layer set up
// for NI_HTTPS, shared by the transport tests.

#include <cstdint>
#include <memory>
#include <string>

#include "support/fake_service.h"
#include "tls_proxy.h"

// A fake service reachable over one transport type: TCP, TLS in front of
// TCP, or a unix socket in a temporary pipe directory.
class Target
{
  public:
    explicit Target(int type);
    ~Target();
    Target(const Target&) = delete;
    Target& operator=(const Target&) = delete;
    qortest::FakeService& fake() { return *fake_; }
    TlsProxy* proxy() { return proxy_.get(); }
    const std::string& endpoint() const { return endpoint_; }

  private:
    std::string dir_;
    std::unique_ptr<qortest::FakeService> fake_;
    std::unique_ptr<TlsProxy> proxy_;
    std::string endpoint_;
};

// The SSL layer set up with the PSE files of a directory, for its lifetime.
class SslSetup
{
  public:
    explicit SslSetup(const std::string& secudir, uint32_t creds);
    ~SslSetup();
    SslSetup(const SslSetup&) = delete;
    SslSetup& operator=(const SslSetup&) = delete;
    int rc() const { return rc_; }

  private:
    int rc_;
};

// "NI_HTTP" .. "GSOAP_HTTP".
const char* type_name(int type);

#endif
