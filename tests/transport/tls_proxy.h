#ifndef QOR_TESTS_TRANSPORT_TLS_PROXY_H
#define QOR_TESTS_TRANSPORT_TLS_PROXY_H

// A TLS front for the fake control service: accepts TLS on 127.0.0.1 and
// forwards the plain bytes to a TCP port on 127.0.0.1. Test-only; it uses
// the crypto library's API directly.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class TlsProxy
{
  public:
    // cert_file/key_file: the server's PEM files; client_ca_file: when not
    // empty, a client certificate signed by this CA is required. listen_port
    // 0 is an ephemeral port; a given port that is taken throws.
    TlsProxy(const std::string& cert_file, const std::string& key_file,
             const std::string& client_ca_file, uint16_t backend_port, uint16_t listen_port = 0);
    ~TlsProxy();
    TlsProxy(const TlsProxy&) = delete;
    TlsProxy& operator=(const TlsProxy&) = delete;

    uint16_t port() const;
    int handshakes_completed() const;
    int handshakes_failed() const;
    // The service's bytes handed on to clients so far.
    size_t bytes_to_clients() const;
    // The subject of the last client certificate seen, "" when none.
    std::string last_client_subject() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

#endif
