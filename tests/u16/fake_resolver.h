#ifndef QOR_TESTS_U16_FAKE_RESOLVER_H
#define QOR_TESTS_U16_FAKE_RESOLVER_H

// A resolver of the test's own hosts and services in place of the C
// library's, installed while an instance lives. It records the names it
// was asked for; what it does not know fails with the socket error given.

#include <arpa/inet.h>

#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/u16_netdb.h"

namespace u16test {

struct FakeHost
{
    std::string name;
    std::vector<std::string> aliases;
    int family = AF_INET;
    int length = 4;
    std::vector<std::string> addresses; // raw bytes, `length` each
};

struct FakeService
{
    std::string name;
    std::string protocol;
    uint16_t port; // host byte order
    std::vector<std::string> aliases;
};

// IPv4 address text as raw bytes.
inline std::string ipv4(const char* text)
{
    in_addr a{};
    inet_pton(AF_INET, text, &a);
    return std::string(reinterpret_cast<const char*>(&a), 4);
}

class FakeResolver
{
  public:
    FakeResolver()
    {
        active_ = this;
        u16_net_set_resolver(&kResolver);
    }
    ~FakeResolver()
    {
        u16_net_set_resolver(nullptr);
        active_ = nullptr;
    }
    FakeResolver(const FakeResolver&) = delete;
    FakeResolver& operator=(const FakeResolver&) = delete;

    // A name may have one host of each family; the classic look-up answers
    // the IPv4 one when there is one.
    void add_host(const std::string& key, FakeHost host)
    {
        std::vector<FakeHost>& same = hosts_[key];
        for (FakeHost& h : same)
            if (h.family == host.family) {
                h = std::move(host);
                return;
            }
        same.push_back(std::move(host));
    }
    // The reverse look-up answers this host for its first address.
    void add_reverse(FakeHost host) { reverse_.push_back(std::move(host)); }
    void add_service(FakeService service) { services_.push_back(std::move(service)); }
    // Socket errors of failed host and service look-ups.
    void fail_hosts_with(int code) { host_error_ = code; }
    void fail_services_with(int code) { service_error_ = code; }

    // The names asked for, in order; std::nullopt for a null name.
    const std::vector<std::optional<std::string>>& host_queries() const { return host_queries_; }
    const std::vector<std::string>& service_queries() const { return service_queries_; }

  private:
    // Pointer lists over a record's texts, ended by null.
    static char** list_of(std::vector<std::string>& texts, std::vector<char*>* out)
    {
        out->clear();
        for (std::string& t : texts)
            out->push_back(t.data());
        out->push_back(nullptr);
        return out->data();
    }
    static const hostent* publish(FakeHost& h)
    {
        hostent& e = active_->host_out_;
        e.h_name = h.name.data();
        e.h_aliases = list_of(h.aliases, &active_->host_aliases_);
        e.h_addrtype = h.family;
        e.h_length = h.length;
        e.h_addr_list = list_of(h.addresses, &active_->host_addresses_);
        return &e;
    }
    static const servent* publish(FakeService& s)
    {
        servent& e = active_->service_out_;
        e.s_name = s.name.data();
        e.s_aliases = list_of(s.aliases, &active_->service_aliases_);
        e.s_port = htons(s.port);
        e.s_proto = s.protocol.data();
        return &e;
    }
    static const hostent* by_name(const char* name, int family)
    {
        active_->host_queries_.push_back(name != nullptr ? std::optional<std::string>(name)
                                                         : std::nullopt);
        auto it = active_->hosts_.find(name != nullptr ? name : "");
        FakeHost* found = nullptr;
        for (FakeHost& h : it != active_->hosts_.end() ? it->second : active_->no_hosts_)
            if (h.family == family ||
                (family == AF_UNSPEC && (found == nullptr || h.family == AF_INET)))
                found = &h;
        if (found != nullptr)
            return publish(*found);
        u16_net_set_last_error(active_->host_error_);
        return nullptr;
    }
    static const hostent* by_addr(const void* address, int length, int family)
    {
        for (FakeHost& h : active_->reverse_)
            if (h.family == family &&
                h.addresses.at(0) == std::string(static_cast<const char*>(address), length))
                return publish(h);
        u16_net_set_last_error(active_->host_error_);
        return nullptr;
    }
    // A service of the name (null: of the port) and protocol (null: any).
    static const servent* find_service(const char* name, int port, const char* protocol)
    {
        for (FakeService& s : active_->services_)
            if ((name != nullptr ? s.name == name : htons(s.port) == port) &&
                (protocol == nullptr || s.protocol == protocol))
                return publish(s);
        u16_net_set_last_error(active_->service_error_);
        return nullptr;
    }
    static const servent* by_service(const char* name, const char* protocol)
    {
        active_->service_queries_.push_back(name != nullptr ? name : "");
        return find_service(name, 0, protocol);
    }
    static const servent* by_port(int port, const char* protocol)
    {
        return find_service(nullptr, port, protocol);
    }

    static constexpr U16NetResolver kResolver = {by_name, by_addr, by_service, by_port};
    static inline FakeResolver* active_ = nullptr;

    std::map<std::string, std::vector<FakeHost>> hosts_; // "" is the local host
    std::vector<FakeHost> no_hosts_;
    std::vector<FakeHost> reverse_;
    std::vector<FakeService> services_;
    int host_error_ = U16_WSAHOST_NOT_FOUND;
    int service_error_ = U16_WSANO_DATA;
    std::vector<std::optional<std::string>> host_queries_;
    std::vector<std::string> service_queries_;
    hostent host_out_{};
    servent service_out_{};
    std::vector<char*> host_aliases_, host_addresses_, service_aliases_;
};

} // namespace u16test

#endif
