// PIPE: the local pipe "pipe:\\host\pipe\name" is a unix-domain socket
// "name" in the pipe directory. Only this machine can be reached. The
// toolkit writes no HTTP request line for such endpoints, so the plug-in
// has it written as for a local HTTP endpoint.

#include <cerrno>
#include <cstring>
#include <mutex>
#include <string>

#include "platform/ni_si.h"
#include "transport/plugin_data.h"

namespace {

std::mutex g_dir_lock;
std::string g_pipe_dir = QOR_PIPE_DIR;

std::string pipe_dir()
{
    std::lock_guard<std::mutex> guard(g_dir_lock);
    return g_pipe_dir;
}

} // namespace

void plugin_set_pipe_dir(const char* dir)
{
    std::lock_guard<std::mutex> guard(g_dir_lock);
    g_pipe_dir = dir != nullptr && *dir != '\0' ? dir : QOR_PIPE_DIR;
}

bool plugin_pipe_path(const char* endpoint, std::string* path, std::string* error)
{
    std::string dummy;
    if (error == nullptr)
        error = &dummy;
    const std::string prefix = "pipe:\\\\";
    if (endpoint == nullptr || std::string(endpoint).compare(0, prefix.size(), prefix) != 0) {
        *error = "not a pipe endpoint";
        return false;
    }
    const std::string rest = std::string(endpoint).substr(prefix.size());
    const size_t host_end = rest.find('\\');
    const std::string marker = "\\pipe\\";
    if (host_end == std::string::npos || host_end == 0 ||
        rest.compare(host_end, marker.size(), marker) != 0) {
        *error = std::string("malformed pipe endpoint ") + endpoint;
        return false;
    }
    const std::string host = rest.substr(0, host_end);
    const std::string name = rest.substr(host_end + marker.size());
    if (name.empty() || name == "." || name == ".." ||
        name.find_first_of("/\\") != std::string::npos) {
        *error = std::string("malformed pipe name in ") + endpoint;
        return false;
    }
    if (host != ".") {
        std::u16string wide(host.begin(), host.end());
        bool ascii = true;
        for (char c : host)
            ascii = ascii && static_cast<unsigned char>(c) < 0x80;
        if (!ascii || NiIsLocalHost(wide.c_str()) != 1) {
            *error =
                "the pipe of host " + host + " cannot be reached: pipes reach only this machine";
            return false;
        }
    }
    if (path != nullptr) {
        const std::string dir = pipe_dir();
        *path = dir.back() == '/' ? dir + name : dir + "/" + name;
    }
    return true;
}

namespace qortransport {
namespace {

void close_pipe(PluginData* d)
{
    SiClose(d->pipe_fd);
    d->pipe_fd = -1;
}

SOAP_SOCKET pipe_open(struct soap* soap, const char* endpoint, const char* host, int port)
{
    (void)host;
    (void)port;
    PluginData* d = plugin_data(soap);
    if (d == nullptr)
        return SOAP_INVALID_SOCKET;
    close_pipe(d);
    soap->errnum = 0;
    std::string path, error;
    if (!plugin_pipe_path(endpoint, &path, &error))
        return connect_failed(soap, error, "pipe not opened");
    int sys_errno = 0;
    int rc = SiConnectUnix(path.c_str(), soap_timeout_to_ms(soap->connect_timeout), &d->pipe_fd,
                           &sys_errno);
    if (rc != SI_OK)
        return connect_failed(
            soap,
            std::string("pipe ") + path + ": " + SiRcText(rc) +
                (sys_errno != 0 ? std::string(" (") + std::strerror(sys_errno) + ")" : ""),
            "pipe not opened");
    ++d->connections_opened;
    return d->pipe_fd;
}

int pipe_post(struct soap* soap, const char* endpoint, const char* host, int port, const char* path,
              const char* action, ULONG64 count)
{
    PluginData* d = plugin_data(soap);
    if (d == nullptr)
        return SOAP_EOF;
    if (endpoint != nullptr && std::string(endpoint).compare(0, 5, "pipe:") == 0)
        return d->saved.fpost(soap, "http://localhost/", "localhost", 80, "", action, count);
    return d->saved.fpost(soap, endpoint, host, port, path, action, count);
}

int pipe_close(struct soap* soap)
{
    if (PluginData* d = plugin_data(soap))
        close_pipe(d);
    soap->socket = SOAP_INVALID_SOCKET;
    return SOAP_OK;
}

int pipe_closesocket(struct soap* soap, SOAP_SOCKET sock)
{
    PluginData* d = plugin_data(soap);
    if (d != nullptr && d->pipe_fd >= 0 && sock == d->pipe_fd) {
        close_pipe(d);
        return SOAP_OK;
    }
    return d != nullptr && d->saved.fclosesocket != nullptr ? d->saved.fclosesocket(soap, sock)
                                                            : SOAP_OK;
}

int pipe_send(struct soap* soap, const char* s, size_t n)
{
    PluginData* d = plugin_data(soap);
    if (d == nullptr || d->pipe_fd < 0)
        return SOAP_EOF;
    d->exchange_complete = false;
    d->frame.reset();
    trace_bytes(d->trace_sent, s, n);
    const int timeout = soap_timeout_to_ms(soap->send_timeout);
    while (n > 0) {
        size_t written = 0;
        int rc = SiWrite(d->pipe_fd, s, n, timeout, &written, nullptr);
        if (rc != SI_OK) {
            soap->errnum = rc == SI_ETIMEOUT ? ETIMEDOUT : EPIPE;
            return SOAP_EOF;
        }
        s += written;
        n -= written;
    }
    return SOAP_OK;
}

size_t pipe_read(struct soap* soap, PluginData* d, char* s, size_t n)
{
    size_t got = 0;
    int rc = SiRead(d->pipe_fd, s, n, soap_timeout_to_ms(soap->recv_timeout), &got, nullptr);
    if (rc == SI_ETIMEOUT)
        soap->errnum = ETIMEDOUT;
    return rc == SI_OK ? got : 0;
}

size_t pipe_recv(struct soap* soap, char* s, size_t n)
{
    PluginData* d = plugin_data(soap);
    if (d == nullptr || d->pipe_fd < 0)
        return 0;
    return framed_recv(soap, d, s, n, pipe_read);
}

int pipe_poll(struct soap* soap)
{
    PluginData* d = plugin_data(soap);
    if (d == nullptr || d->pipe_fd < 0 || !reusable(d))
        return SOAP_EOF;
    return SiPendingOrClosed(d->pipe_fd) == 0 ? SOAP_OK : SOAP_EOF;
}

} // namespace

void install_pipe(struct soap* soap, PluginData* data)
{
    (void)data;
    soap->fopen = pipe_open;
    soap->fpost = pipe_post;
    soap->fclose = pipe_close;
    soap->fclosesocket = pipe_closesocket;
    soap->fsend = pipe_send;
    soap->frecv = pipe_recv;
    soap->fpoll = pipe_poll;
}

void release_pipe(PluginData* data)
{
    close_pipe(data);
}

} // namespace qortransport
