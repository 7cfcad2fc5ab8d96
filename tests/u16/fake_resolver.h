#ifndef QOR_TESTS_U16_FAKE_RESOLVER_H
#define QOR_TESTS_U16_FAKE_RESOLVER_H

// A resolver of the test's own hosts and services in place of the C
// library's, installed while an instance lives. It records the names it
// was asked for; what it does not know fails with the socket error given.

#include <arpa/inet.h>

#include <cstring>
#include <map>
#include <memory>
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

    void add_host(const std::string& key, FakeHost host) { hosts_[key] = std::move(host); }
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
    struct HostOut
    {
        hostent entry{};
        std::vector<char*> aliases;
        std::vector<char*> addresses;
    };
    struct ServiceOut
    {
        servent entry{};
        std::vector<char*> aliases;
    };

    static const hostent* publish(FakeHost& h)
    {
        HostOut& out = active_->host_out_;
        out.aliases.clear();
        for (std::string& a : h.aliases)
            out.aliases.push_back(a.data());
        out.aliases.push_back(nullptr);
        out.addresses.clear();
        for (std::string& a : h.addresses)
            out.addresses.push_back(a.data());
        out.addresses.push_back(nullptr);
        out.entry.h_name = h.name.data();
        out.entry.h_aliases = out.aliases.data();
        out.entry.h_addrtype = h.family;
        out.entry.h_length = h.length;
        out.entry.h_addr_list = out.addresses.data();
        return &out.entry;
    }
    static const servent* publish(FakeService& s)
    {
        ServiceOut& out = active_->service_out_;
        out.aliases.clear();
        for (std::string& a : s.aliases)
            out.aliases.push_back(a.data());
        out.aliases.push_back(nullptr);
        out.entry.s_name = s.name.data();
        out.entry.s_aliases = out.aliases.data();
        out.entry.s_port = htons(s.port);
        out.entry.s_proto = s.protocol.data();
        return &out.entry;
    }
    static const hostent* by_name(const char* name)
    {
        active_->host_queries_.push_back(name != nullptr ? std::optional<std::string>(name)
                                                         : std::nullopt);
        auto it = active_->hosts_.find(name != nullptr ? name : "");
        if (it == active_->hosts_.end()) {
            u16_net_set_last_error(active_->host_error_);
            return nullptr;
        }
        return publish(it->second);
    }
    static const hostent* by_addr(const void* address, int length, int family)
    {
        for (FakeHost& h : active_->reverse_)
            if (h.family == family && !h.addresses.empty() &&
                h.addresses[0] == std::string(static_cast<const char*>(address), length))
                return publish(h);
        u16_net_set_last_error(active_->host_error_);
        return nullptr;
    }
    static bool protocol_matches(const FakeService& s, const char* protocol)
    {
        return protocol == nullptr || s.protocol == protocol;
    }
    static const servent* by_service(const char* name, const char* protocol)
    {
        active_->service_queries_.push_back(name != nullptr ? name : "");
        for (FakeService& s : active_->services_)
            if (name != nullptr && s.name == name && protocol_matches(s, protocol))
                return publish(s);
        u16_net_set_last_error(active_->service_error_);
        return nullptr;
    }
    static const servent* by_port(int port, const char* protocol)
    {
        for (FakeService& s : active_->services_)
            if (htons(s.port) == port && protocol_matches(s, protocol))
                return publish(s);
        u16_net_set_last_error(active_->service_error_);
        return nullptr;
    }

    static constexpr U16NetResolver kResolver = {by_name, by_addr, by_service, by_port};
    static inline FakeResolver* active_ = nullptr;

    std::map<std::string, FakeHost> hosts_; // "" is the local host
    std::vector<FakeHost> reverse_;
    std::vector<FakeService> services_;
    int host_error_ = U16_WSAHOST_NOT_FOUND;
    int service_error_ = U16_WSANO_DATA;
    std::vector<std::optional<std::string>> host_queries_;
    std::vector<std::string> service_queries_;
    HostOut host_out_;
    ServiceOut service_out_;
};

} // namespace u16test

#endif
