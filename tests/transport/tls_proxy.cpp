#include "tls_proxy.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

struct TlsProxy::Impl
{
    SSL_CTX* ctx = nullptr;
    int listen_fd = -1;
    uint16_t port = 0;
    uint16_t backend = 0;
    std::atomic<bool> stop{false};
    std::atomic<int> ok{0}, failed{0};
    std::atomic<size_t> to_clients{0};
    mutable std::mutex lock;
    std::string subject;
    std::thread acceptor;
    std::vector<std::thread> workers;

    void serve(int client);
    void accept_loop();
};

namespace {

int connect_backend(uint16_t port)
{
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

bool send_all(int fd, const char* p, size_t n)
{
    while (n > 0) {
        ssize_t w = send(fd, p, n, MSG_NOSIGNAL);
        if (w <= 0)
            return false;
        p += w;
        n -= static_cast<size_t>(w);
    }
    return true;
}

} // namespace

void TlsProxy::Impl::serve(int client)
{
    timeval tv{0, 200000};
    setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    SSL* ssl = SSL_new(ctx);
    SSL_set_fd(ssl, client);
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    int r;
    while ((r = SSL_accept(ssl)) != 1) {
        int e = SSL_get_error(ssl, r);
        if ((e != SSL_ERROR_WANT_READ && e != SSL_ERROR_WANT_WRITE) || stop ||
            std::chrono::steady_clock::now() > give_up)
            break;
    }
    if (r != 1) {
        ++failed;
        SSL_free(ssl);
        close(client);
        return;
    }
    ++ok;
    if (X509* peer = SSL_get1_peer_certificate(ssl)) {
        char buf[256];
        X509_NAME_oneline(X509_get_subject_name(peer), buf, sizeof buf);
        std::lock_guard<std::mutex> guard(lock);
        subject = buf;
        X509_free(peer);
    }
    int back = connect_backend(backend);
    char buf[16384];
    while (back >= 0 && !stop) {
        pollfd p[2] = {{client, POLLIN, 0}, {back, POLLIN, 0}};
        int n = SSL_pending(ssl) > 0 ? 1 : poll(p, 2, 100);
        if (n < 0)
            break;
        if (SSL_pending(ssl) > 0 || (p[0].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
            int k = SSL_read(ssl, buf, sizeof buf);
            if (k <= 0) {
                int e = SSL_get_error(ssl, k);
                if (e == SSL_ERROR_WANT_READ || e == SSL_ERROR_WANT_WRITE)
                    continue;
                break;
            }
            if (!send_all(back, buf, static_cast<size_t>(k)))
                break;
        }
        if ((p[1].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
            ssize_t k = recv(back, buf, sizeof buf, 0);
            if (k <= 0)
                break;
            if (SSL_write(ssl, buf, static_cast<int>(k)) <= 0)
                break;
            to_clients += static_cast<size_t>(k);
        }
    }
    if (back >= 0)
        close(back);
    SSL_shutdown(ssl);
    SSL_free(ssl);
    close(client);
}

void TlsProxy::Impl::accept_loop()
{
    while (!stop) {
        pollfd p{listen_fd, POLLIN, 0};
        if (poll(&p, 1, 100) <= 0)
            continue;
        int client = accept(listen_fd, nullptr, nullptr);
        if (client < 0)
            continue;
        workers.emplace_back([this, client] { serve(client); });
    }
}

TlsProxy::TlsProxy(const std::string& cert_file, const std::string& key_file,
                   const std::string& client_ca_file, uint16_t backend_port, uint16_t listen_port)
    : impl_(std::make_unique<Impl>())
{
    impl_->backend = backend_port;
    impl_->ctx = SSL_CTX_new(TLS_server_method());
    if (SSL_CTX_use_certificate_chain_file(impl_->ctx, cert_file.c_str()) != 1 ||
        SSL_CTX_use_PrivateKey_file(impl_->ctx, key_file.c_str(), SSL_FILETYPE_PEM) != 1)
        throw std::runtime_error("TLS proxy: server certificate not usable");
    if (!client_ca_file.empty()) {
        SSL_CTX_load_verify_locations(impl_->ctx, client_ca_file.c_str(), nullptr);
        SSL_CTX_set_verify(impl_->ctx, SSL_VERIFY_PEER | SSL_VERIFY_FAIL_IF_NO_PEER_CERT, nullptr);
    }
    impl_->listen_fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(listen_port);
    if (bind(impl_->listen_fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        listen(impl_->listen_fd, 16) != 0) {
        close(impl_->listen_fd);
        SSL_CTX_free(impl_->ctx);
        throw std::runtime_error("TLS proxy: port " + std::to_string(listen_port) + " taken");
    }
    socklen_t len = sizeof a;
    getsockname(impl_->listen_fd, reinterpret_cast<sockaddr*>(&a), &len);
    impl_->port = ntohs(a.sin_port);
    impl_->acceptor = std::thread([this] { impl_->accept_loop(); });
}

TlsProxy::~TlsProxy()
{
    impl_->stop = true;
    impl_->acceptor.join();
    for (auto& t : impl_->workers)
        t.join();
    close(impl_->listen_fd);
    SSL_CTX_free(impl_->ctx);
}

uint16_t TlsProxy::port() const
{
    return impl_->port;
}
int TlsProxy::handshakes_completed() const
{
    return impl_->ok;
}
int TlsProxy::handshakes_failed() const
{
    return impl_->failed;
}
size_t TlsProxy::bytes_to_clients() const
{
    return impl_->to_clients;
}
std::string TlsProxy::last_client_subject() const
{
    std::lock_guard<std::mutex> guard(impl_->lock);
    return impl_->subject;
}
