// The fake control service's HTTP/1.1 server: one accepting thread, one thread
// per connection, every blocking step bounded and woken when the service stops.
#include "support/fake_service.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <list>
#include <map>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace qortest {

namespace {

using Clock = std::chrono::steady_clock;

std::runtime_error sys_error(const std::string& what)
{
    return std::runtime_error(what + ": " + std::strerror(errno));
}

std::string reason_text(int status)
{
    switch (status) {
    case 100:
        return "Continue";
    case 200:
        return "OK";
    case 202:
        return "Accepted";
    case 204:
        return "No Content";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 307:
        return "Temporary Redirect";
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 413:
        return "Payload Too Large";
    case 415:
        return "Unsupported Media Type";
    case 431:
        return "Request Header Fields Too Large";
    case 500:
        return "Internal Server Error";
    case 501:
        return "Not Implemented";
    case 502:
        return "Bad Gateway";
    case 503:
        return "Service Unavailable";
    case 504:
        return "Gateway Timeout";
    default:
        return "Status";
    }
}

std::string lower(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string trim(std::string_view s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t'))
        ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t'))
        --e;
    return std::string(s.substr(b, e - b));
}

// True when `list` (a comma-separated header value) holds `token`, ignoring case.
bool has_token(std::string_view list, std::string_view token)
{
    std::string l = lower(list);
    std::string t = lower(token);
    std::size_t pos = 0;
    while (pos <= l.size()) {
        auto comma = l.find(',', pos);
        if (comma == std::string::npos)
            comma = l.size();
        if (trim(std::string_view(l).substr(pos, comma - pos)) == t)
            return true;
        pos = comma + 1;
    }
    return false;
}

} // namespace

struct FakeService::Impl
{
    int listen_fd = -1;
    int wake_rd = -1;
    int wake_wr = -1;
    std::uint16_t port = 0;
    bool v6 = false;
    unsigned v4_host = 1; // 127.0.0.<v4_host>
    std::string path;
    std::atomic<bool> stopping{false};
    bool going = false;         // a reply asked the acceptor to stop listening (under mu)
    bool listener_gone = false; // it has closed the listening socket (under mu)

    mutable std::mutex mu;
    mutable std::condition_variable changed; // a request was recorded, or stop
    std::map<std::string, std::deque<Reply>> scripts;
    Reply default_reply = Reply::fault11("SOAP-ENV:Client", "No reply scripted");
    bool default_is_builtin = true;
    std::vector<Request> recorded;
    std::size_t accepted = 0;

    struct Connection
    {
        int fd = -1;
        std::size_t index = 0;
        std::atomic<bool> finished{false};
        std::thread thread;
    };
    std::mutex conn_mu;
    std::list<std::unique_ptr<Connection>> connections;
    std::thread acceptor;

    void start_pipe()
    {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
            throw sys_error("pipe2");
        wake_rd = fds[0];
        wake_wr = fds[1];
    }

    void listen_tcp(std::uint16_t wanted, Loopback where)
    {
        start_pipe();
        v6 = where == Loopback::V6;
        v4_host = where == Loopback::V4Second ? 2 : where == Loopback::V4Third ? 3 : 1;
        listen_fd = ::socket(v6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (listen_fd < 0)
            throw sys_error("socket");
        int one = 1;
        ::setsockopt(listen_fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(wanted);
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK - 1 + v4_host);
        sockaddr_in6 addr6{};
        addr6.sin6_family = AF_INET6;
        addr6.sin6_port = htons(wanted);
        addr6.sin6_addr = in6addr_loopback;
        auto* any = v6 ? reinterpret_cast<sockaddr*>(&addr6) : reinterpret_cast<sockaddr*>(&addr);
        socklen_t len = v6 ? sizeof addr6 : sizeof addr;
        if (::bind(listen_fd, any, len) != 0)
            throw sys_error("bind " + host() + ":" + std::to_string(wanted));
        if (::getsockname(listen_fd, any, &len) != 0)
            throw sys_error("getsockname");
        port = ntohs(v6 ? addr6.sin6_port : addr.sin_port);
        if (::listen(listen_fd, 64) != 0)
            throw sys_error("listen");
    }

    std::string host() const { return v6 ? "[::1]" : "127.0.0." + std::to_string(v4_host); }

    void listen_unix(const std::string& socket_path)
    {
        start_pipe();
        sockaddr_un addr{};
        if (socket_path.empty() || socket_path.size() >= sizeof addr.sun_path)
            throw std::runtime_error("unix socket path empty or too long: " + socket_path);
        listen_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (listen_fd < 0)
            throw sys_error("socket");
        addr.sun_family = AF_UNIX;
        std::memcpy(addr.sun_path, socket_path.c_str(), socket_path.size() + 1);
        ::unlink(socket_path.c_str());
        if (::bind(listen_fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0)
            throw sys_error("bind " + socket_path);
        path = socket_path;
        if (::listen(listen_fd, 64) != 0)
            throw sys_error("listen");
    }

    void close_all()
    {
        for (int* fd : {&listen_fd, &wake_rd, &wake_wr}) {
            if (*fd >= 0)
                ::close(*fd);
            *fd = -1;
        }
        if (!path.empty())
            ::unlink(path.c_str());
    }

    void stop()
    {
        {
            std::lock_guard<std::mutex> lock(mu); // no waiter can miss the flag
            stopping = true;
        }
        if (wake_wr >= 0) {
            char c = 1;
            [[maybe_unused]] auto n = ::write(wake_wr, &c, 1);
        }
        changed.notify_all();
        if (acceptor.joinable())
            acceptor.join();
        std::list<std::unique_ptr<Connection>> all;
        {
            std::lock_guard<std::mutex> lock(conn_mu);
            all.swap(connections);
        }
        for (auto& c : all)
            if (c->thread.joinable())
                c->thread.join();
        close_all();
    }

    // Joins connection threads that have ended; returns how many are still open.
    std::size_t reap()
    {
        std::lock_guard<std::mutex> lock(conn_mu);
        for (auto it = connections.begin(); it != connections.end();) {
            if ((*it)->finished) {
                (*it)->thread.join();
                it = connections.erase(it);
            } else {
                ++it;
            }
        }
        return connections.size();
    }

    // Closes the listening socket in the acceptor, which polls it, and
    // returns once it is closed.
    void stop_listening()
    {
        std::unique_lock<std::mutex> lock(mu);
        going = true;
        char c = 1;
        [[maybe_unused]] auto n = ::write(wake_wr, &c, 1);
        changed.wait(lock, [this] { return listener_gone || stopping.load(); });
    }

    void accept_loop()
    {
        while (!stopping) {
            pollfd fds[2] = {{listen_fd, POLLIN, 0}, {wake_rd, POLLIN, 0}};
            int n = ::poll(fds, 2, -1);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return;
            }
            if (stopping)
                return;
            if (fds[1].revents != 0) {
                std::lock_guard<std::mutex> lock(mu);
                if (!going)
                    return;
                char c;
                [[maybe_unused]] auto r = ::read(wake_rd, &c, 1);
                ::close(listen_fd);
                listen_fd = -1; // poll passes over it from now on
                listener_gone = true;
                changed.notify_all();
                continue;
            }
            if ((fds[0].revents & POLLIN) == 0)
                continue;
            int fd = ::accept4(listen_fd, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0)
                continue;
            if (reap() >= kMaxConnections) {
                ::close(fd);
                continue;
            }
            auto conn = std::make_unique<Connection>();
            conn->fd = fd;
            {
                std::lock_guard<std::mutex> lock(mu);
                conn->index = accepted++;
            }
            Connection* raw = conn.get();
            std::lock_guard<std::mutex> lock(conn_mu);
            connections.push_back(std::move(conn));
            raw->thread = std::thread([this, raw] {
                serve(raw->fd, raw->index);
                ::close(raw->fd);
                raw->finished = true;
            });
        }
    }

    // Waits until fd is ready for `events`; false on stop, time-out or error.
    bool wait_ready(int fd, short events, std::chrono::milliseconds timeout)
    {
        auto deadline = Clock::now() + timeout;
        for (;;) {
            if (stopping)
                return false;
            auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now())
                    .count();
            if (left <= 0)
                return false;
            pollfd fds[2] = {{fd, events, 0}, {wake_rd, POLLIN, 0}};
            int n = ::poll(fds, 2, static_cast<int>(left));
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return false;
            }
            if (fds[1].revents != 0)
                return false;
            if (fds[0].revents != 0)
                return true;
        }
    }

    // Appends what arrives to `in`; false on end of stream, stop or idle time-out.
    bool read_more(int fd, std::string& in)
    {
        if (!wait_ready(fd, POLLIN, kIdleTimeout))
            return false;
        char buf[16384];
        ssize_t n;
        do {
            n = ::recv(fd, buf, sizeof buf, 0);
        } while (n < 0 && errno == EINTR);
        if (n <= 0)
            return false;
        in.append(buf, static_cast<std::size_t>(n));
        return true;
    }

    bool write_all(int fd, std::string_view data)
    {
        std::size_t done = 0;
        while (done < data.size()) {
            if (!wait_ready(fd, POLLOUT, kIdleTimeout))
                return false;
            ssize_t n = ::send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
            if (n < 0) {
                if (errno == EINTR || errno == EAGAIN)
                    continue;
                return false;
            }
            done += static_cast<std::size_t>(n);
        }
        return true;
    }

    // Takes one CRLF-terminated line from `in` at `pos`, reading more as needed.
    bool read_line(int fd, std::string& in, std::size_t& pos, std::string& line)
    {
        for (;;) {
            auto eol = in.find("\r\n", pos);
            if (eol != std::string::npos) {
                line = in.substr(pos, eol - pos);
                pos = eol + 2;
                return true;
            }
            if (in.size() - pos > kMaxHeaderBytes)
                return false;
            if (!read_more(fd, in))
                return false;
        }
    }

    bool read_exact(int fd, std::string& in, std::size_t& pos, std::size_t count, std::string& out)
    {
        while (in.size() - pos < count)
            if (!read_more(fd, in))
                return false;
        out.append(in, pos, count);
        pos += count;
        return true;
    }

    bool read_chunked(int fd, std::string& in, std::size_t& pos, std::string& body)
    {
        std::string line;
        for (;;) {
            if (!read_line(fd, in, pos, line))
                return false;
            std::string size_text = trim(line.substr(0, line.find(';')));
            if (size_text.empty() || size_text.size() > 8 ||
                size_text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
                return false;
            std::size_t size = std::stoul(size_text, nullptr, 16);
            if (size == 0)
                break;
            if (body.size() + size > kMaxBodyBytes)
                return false;
            if (!read_exact(fd, in, pos, size, body))
                return false;
            if (!read_line(fd, in, pos, line) || !line.empty())
                return false;
        }
        do { // trailer lines up to the empty line
            if (!read_line(fd, in, pos, line))
                return false;
        } while (!line.empty());
        return true;
    }

    Reply choose_reply(const std::string& element)
    {
        std::lock_guard<std::mutex> lock(mu);
        auto it = scripts.find(element);
        if (it != scripts.end() && !it->second.empty()) {
            Reply r = it->second.front();
            if (it->second.size() > 1)
                it->second.pop_front();
            return r;
        }
        if (default_is_builtin)
            return Reply::fault11("SOAP-ENV:Client", "No reply scripted for " +
                                                         (element.empty() ? "(none)" : element));
        return default_reply;
    }

    // Sleeps for `delay`; false when the service stops meanwhile.
    bool pause(std::chrono::milliseconds delay)
    {
        if (delay.count() <= 0)
            return true;
        std::unique_lock<std::mutex> lock(mu);
        changed.wait_for(lock, std::min(delay, kMaxDelay), [this] { return stopping.load(); });
        return !stopping;
    }

    bool send_reply(int fd, const Reply& reply, bool keep_alive)
    {
        std::string head = "HTTP/1.1 " + std::to_string(reply.status) + ' ' +
                           (reply.reason.empty() ? reason_text(reply.status) : reply.reason) +
                           "\r\n";
        if (!reply.content_type.empty())
            head += "Content-Type: " + reply.content_type + "\r\n";
        if (reply.chunked)
            head += "Transfer-Encoding: chunked\r\n";
        else
            head += "Content-Length: " + std::to_string(reply.body.size()) + "\r\n";
        head += keep_alive ? "Connection: keep-alive\r\n" : "Connection: close\r\n";
        for (const auto& [name, value] : reply.headers)
            head += name + ": " + value + "\r\n";
        head += "\r\n";
        if (!reply.chunked)
            return write_all(fd, head + reply.body);
        if (!write_all(fd, head))
            return false;
        constexpr std::size_t kChunk = 1000; // several chunks even for short bodies
        for (std::size_t off = 0; off < reply.body.size(); off += kChunk) {
            std::size_t len = std::min(kChunk, reply.body.size() - off);
            char size_line[32];
            std::snprintf(size_line, sizeof size_line, "%zx\r\n", len);
            if (!write_all(fd, std::string(size_line) + reply.body.substr(off, len) + "\r\n"))
                return false;
        }
        return write_all(fd, "0\r\n\r\n");
    }

    // Writes a Raw reply: its body or its pieces, then its repeated part.
    bool write_raw(int fd, const Reply& reply)
    {
        auto count = [&reply](std::size_t n) {
            if (reply.sent)
                *reply.sent += n;
        };
        if (!write_all(fd, reply.body))
            return false;
        count(reply.body.size());
        for (const std::string& piece : reply.pieces) {
            if (!write_all(fd, piece))
                return false;
            count(piece.size());
            if (!pause(kPieceGap))
                return false;
        }
        for (std::size_t total = 0; !reply.repeat.empty() && total < kMaxEndlessBytes;
             total += reply.repeat.size()) {
            if (!write_all(fd, reply.repeat))
                return false;
            count(reply.repeat.size());
        }
        return true;
    }

    // Waits, reading and dropping what comes, until the peer closes the
    // connection, the service stops or the idle time-out passes.
    void hold(int fd)
    {
        char buf[4096];
        while (wait_ready(fd, POLLIN, kIdleTimeout)) {
            ssize_t n = ::recv(fd, buf, sizeof buf, 0);
            if (n == 0 || (n < 0 && errno != EINTR))
                return;
        }
    }

    // Lets the peer read the last reply before the socket goes: half-close,
    // then drain briefly so that unread request bytes do not reset it.
    void linger_close(int fd)
    {
        ::shutdown(fd, SHUT_WR);
        auto deadline = Clock::now() + std::chrono::milliseconds(500);
        char buf[4096];
        while (Clock::now() < deadline && !stopping) {
            if (!wait_ready(fd, POLLIN, std::chrono::milliseconds(100)))
                continue;
            ssize_t n = ::recv(fd, buf, sizeof buf, 0);
            if (n <= 0)
                break;
        }
    }

    void serve(int fd, std::size_t connection)
    {
        std::string in;
        std::size_t pos = 0;
        for (;;) {
            if (pos > 0) {
                in.erase(0, pos);
                pos = 0;
            }
            Request req;
            req.connection = connection;
            // Request line; empty lines between requests are tolerated.
            do {
                if (!read_line(fd, in, pos, req.request_line))
                    return;
            } while (req.request_line.empty());
            auto sp1 = req.request_line.find(' ');
            auto sp2 = req.request_line.rfind(' ');
            if (sp1 == std::string::npos || sp2 == sp1) {
                write_all(
                    fd,
                    "HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
                return linger_close(fd);
            }
            req.method = req.request_line.substr(0, sp1);
            req.target = req.request_line.substr(sp1 + 1, sp2 - sp1 - 1);
            req.version = req.request_line.substr(sp2 + 1);
            std::size_t head_bytes = req.request_line.size();
            std::string line;
            for (;;) {
                if (!read_line(fd, in, pos, line))
                    return;
                if (line.empty())
                    break;
                head_bytes += line.size() + 2;
                auto colon = line.find(':');
                if (colon == std::string::npos || head_bytes > kMaxHeaderBytes) {
                    write_all(fd, "HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\nConnection: "
                                  "close\r\n\r\n");
                    return linger_close(fd);
                }
                req.headers.emplace_back(trim(std::string_view(line).substr(0, colon)),
                                         trim(std::string_view(line).substr(colon + 1)));
            }
            if (has_token(req.header("Expect"), "100-continue") &&
                !write_all(fd, "HTTP/1.1 100 Continue\r\n\r\n"))
                return;
            if (has_token(req.header("Transfer-Encoding"), "chunked")) {
                req.body_chunked = true;
                if (!read_chunked(fd, in, pos, req.body))
                    return;
            } else if (req.has_header("Content-Length")) {
                std::string text = req.header("Content-Length");
                if (text.empty() || text.size() > 10 ||
                    text.find_first_not_of("0123456789") != std::string::npos ||
                    std::stoull(text) > kMaxBodyBytes) {
                    write_all(fd, "HTTP/1.1 413 Payload Too Large\r\nContent-Length: "
                                  "0\r\nConnection: close\r\n\r\n");
                    return linger_close(fd);
                }
                if (!read_exact(fd, in, pos, static_cast<std::size_t>(std::stoull(text)), req.body))
                    return;
            }
            BodyElement element = first_body_element(req.body);
            req.element = element.local;
            req.element_qname = element.qname;
            req.element_ns = element.ns;
            std::string name = req.element;
            bool keep_alive = req.version == "HTTP/1.1"
                                  ? !has_token(req.header("Connection"), "close")
                                  : has_token(req.header("Connection"), "keep-alive");
            {
                std::lock_guard<std::mutex> lock(mu);
                recorded.push_back(std::move(req));
            }
            changed.notify_all();

            Reply reply = choose_reply(name);
            if (!pause(reply.delay))
                return;
            if (reply.last)
                stop_listening();
            if (reply.kind == Reply::Kind::Drop)
                return;
            if (reply.kind == Reply::Kind::Raw) {
                if (!write_raw(fd, reply))
                    return;
                if (reply.hold_open)
                    return hold(fd);
                return linger_close(fd);
            }
            keep_alive = keep_alive && !reply.close_after;
            if (!send_reply(fd, reply, keep_alive))
                return;
            if (!keep_alive)
                return linger_close(fd);
        }
    }
};

FakeService::FakeService() : FakeService(std::uint16_t{0}) {}

FakeService::FakeService(std::uint16_t port, Loopback where) : impl_(std::make_unique<Impl>())
{
    try {
        impl_->listen_tcp(port, where);
    } catch (...) {
        impl_->close_all();
        throw;
    }
    impl_->acceptor = std::thread([this] { impl_->accept_loop(); });
}

FakeService::FakeService(const std::string& unix_socket_path) : impl_(std::make_unique<Impl>())
{
    try {
        impl_->listen_unix(unix_socket_path);
    } catch (...) {
        impl_->close_all();
        throw;
    }
    impl_->acceptor = std::thread([this] { impl_->accept_loop(); });
}

FakeService::~FakeService()
{
    impl_->stop();
}

std::unique_ptr<FakeService> FakeService::on_free_instance_port(int& nr, int first, int last,
                                                                Loopback where)
{
    first = std::max(first, 0);
    last = std::min(last, 98); // 99 addresses the host agent, not an instance
    for (int candidate = first; candidate <= last; ++candidate) {
        try {
            auto service = std::make_unique<FakeService>(instance_port(candidate), where);
            nr = candidate;
            return service;
        } catch (const std::runtime_error&) {
            // port taken: try the next instance number
        }
    }
    throw std::runtime_error("no free instance port between " + std::to_string(first) + " and " +
                             std::to_string(last));
}

std::uint16_t FakeService::port() const
{
    return impl_->port;
}

const std::string& FakeService::socket_path() const
{
    return impl_->path;
}

std::string FakeService::endpoint() const
{
    return "http://" + impl_->host() + ":" + std::to_string(impl_->port);
}

void FakeService::script(const std::string& element, Reply reply)
{
    std::lock_guard<std::mutex> lock(impl_->mu);
    impl_->scripts[element].push_back(std::move(reply));
}

void FakeService::script(const std::string& element, std::vector<Reply> replies)
{
    std::lock_guard<std::mutex> lock(impl_->mu);
    auto& queue = impl_->scripts[element];
    for (auto& r : replies)
        queue.push_back(std::move(r));
}

void FakeService::set_default(Reply reply)
{
    std::lock_guard<std::mutex> lock(impl_->mu);
    impl_->default_reply = std::move(reply);
    impl_->default_is_builtin = false;
}

std::vector<Request> FakeService::requests() const
{
    std::lock_guard<std::mutex> lock(impl_->mu);
    return impl_->recorded;
}

std::size_t FakeService::request_count() const
{
    std::lock_guard<std::mutex> lock(impl_->mu);
    return impl_->recorded.size();
}

Request FakeService::request(std::size_t index) const
{
    std::lock_guard<std::mutex> lock(impl_->mu);
    return impl_->recorded.at(index);
}

Request FakeService::last_request() const
{
    std::lock_guard<std::mutex> lock(impl_->mu);
    if (impl_->recorded.empty())
        throw std::out_of_range("no request recorded");
    return impl_->recorded.back();
}

std::size_t FakeService::connections_accepted() const
{
    std::lock_guard<std::mutex> lock(impl_->mu);
    return impl_->accepted;
}

std::size_t FakeService::connections_open() const
{
    std::lock_guard<std::mutex> lock(impl_->conn_mu);
    return static_cast<std::size_t>(std::count_if(impl_->connections.begin(),
                                                  impl_->connections.end(),
                                                  [](const auto& c) { return !c->finished; }));
}

bool FakeService::wait_for_requests(std::size_t n, std::chrono::milliseconds timeout) const
{
    std::unique_lock<std::mutex> lock(impl_->mu);
    return impl_->changed.wait_for(lock, std::min(timeout, kMaxWait), [this, n] {
        return impl_->recorded.size() >= n || impl_->stopping.load();
    }) && impl_->recorded.size() >= n;
}

void FakeService::clear_requests()
{
    std::lock_guard<std::mutex> lock(impl_->mu);
    impl_->recorded.clear();
}

} // namespace qortest
