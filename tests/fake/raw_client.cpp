#include "raw_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

namespace qortest {

namespace {
constexpr int kReadTimeoutMs = 5000;

bool iequal(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}
} // namespace

std::string HttpReply::header(std::string_view name) const
{
    for (const auto& [k, v] : headers)
        if (iequal(k, name))
            return v;
    return {};
}

RawClient::RawClient(std::uint16_t port)
{
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd_ >= 0 && ::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

RawClient::RawClient(const std::string& socket_path)
{
    fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, socket_path.c_str(), sizeof addr.sun_path - 1);
    if (fd_ >= 0 && ::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

RawClient::~RawClient()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool RawClient::send(std::string_view bytes)
{
    while (!bytes.empty()) {
        ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool RawClient::fill()
{
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, kReadTimeoutMs) <= 0)
        return false;
    char tmp[8192];
    ssize_t n = ::recv(fd_, tmp, sizeof tmp, 0);
    if (n <= 0)
        return false;
    buf_.append(tmp, static_cast<std::size_t>(n));
    return true;
}

bool RawClient::line(std::string& out)
{
    std::size_t eol;
    while ((eol = buf_.find("\r\n")) == std::string::npos)
        if (!fill())
            return false;
    out = buf_.substr(0, eol);
    buf_.erase(0, eol + 2);
    return true;
}

HttpReply RawClient::read_reply()
{
    HttpReply r;
    std::string l;
    if (!line(l) || l.size() < 12 || l.compare(0, 5, "HTTP/") != 0)
        return r;
    r.status = std::atoi(l.c_str() + 9);
    if (l.size() > 13)
        r.reason = l.substr(13);
    while (line(l) && !l.empty()) {
        auto colon = l.find(':');
        if (colon == std::string::npos)
            return r;
        std::string value = l.substr(colon + 1);
        value.erase(0, value.find_first_not_of(' '));
        r.headers.emplace_back(l.substr(0, colon), value);
    }
    if (r.status / 100 == 1 || r.status == 204 || r.status == 304) {
        // no body
    } else if (iequal(r.header("Transfer-Encoding"), "chunked")) {
        for (;;) {
            if (!line(l))
                return r;
            std::size_t size = std::stoul(l, nullptr, 16);
            if (size == 0)
                break;
            while (buf_.size() < size + 2)
                if (!fill())
                    return r;
            r.body += buf_.substr(0, size);
            buf_.erase(0, size + 2);
        }
        if (!line(l))
            return r;
    } else if (!r.header("Content-Length").empty()) {
        std::size_t size = std::stoul(r.header("Content-Length"));
        while (buf_.size() < size)
            if (!fill())
                return r;
        r.body = buf_.substr(0, size);
        buf_.erase(0, size);
    } else {
        while (fill()) {
        }
        r.body.swap(buf_);
    }
    r.complete = true;
    return r;
}

std::string RawClient::read_some(std::size_t n)
{
    while (buf_.size() < n && fill()) {
    }
    std::string out;
    out.swap(buf_);
    return out;
}

std::string RawClient::read_to_close()
{
    while (fill()) {
    }
    std::string out;
    out.swap(buf_);
    return out;
}

bool RawClient::peer_closed()
{
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, kReadTimeoutMs) <= 0)
        return false;
    char c;
    ssize_t n = ::recv(fd_, &c, 1, MSG_PEEK);
    // A connection still in the listen queue when the service stops is reset.
    return n == 0 || (n < 0 && errno == ECONNRESET);
}

std::string post(std::string_view body, std::string_view extra, std::string_view version)
{
    std::string out = "POST / " + std::string(version) + "\r\nHost: 127.0.0.1\r\n" +
                      "Content-Type: text/xml; charset=utf-8\r\nSOAPAction: \"\"\r\n";
    out += extra;
    out += "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
    out += body;
    return out;
}

std::string request_xml(std::string_view webmethod)
{
    return envelope("<QORControl:" + std::string(webmethod) +
                    "></QORControl:" + std::string(webmethod) + ">");
}

} // namespace qortest
