// The WinHTTP stand-in's choice of a proxy.

#include "transport/winhttp_proxy.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>

namespace qortransport {
namespace {

// The first of the variables that is set and not empty, "" when none is.
std::string first_set(std::initializer_list<const char*> names)
{
    for (const char* name : names) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0')
            return value;
    }
    return {};
}

bool same_name(const std::string& a, const std::string& b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

// The host itself or a host below the entry's name.
bool name_entry_matches(std::string name, std::string entry)
{
    if (!name.empty() && name.back() == '.')
        name.pop_back();
    if (!entry.empty() && entry.back() == '.')
        entry.pop_back();
    if (!entry.empty() && entry.front() == '.')
        entry.erase(0, 1);
    if (entry.size() == name.size())
        return same_name(entry, name);
    const size_t below = name.size() - entry.size();
    return entry.size() < name.size() && name[below - 1] == '.' &&
           same_name(entry, name.substr(below));
}

// "a.b.c.d" or "a.b.c.d/bits"; bits of 0 or 32 compare the whole address,
// more than 32 (or an entry too long for an address) match nothing.
bool ipv4_entry_matches(const in_addr& host, const std::string& entry)
{
    if (entry.size() >= 128)
        return false;
    const size_t slash = entry.find('/');
    const long bits = slash == std::string::npos ? 0 : std::atol(entry.c_str() + slash + 1);
    in_addr network{};
    if (bits < 0 || bits > 32 || inet_pton(AF_INET, entry.substr(0, slash).c_str(), &network) != 1)
        return false;
    if (bits == 0 || bits == 32)
        return host.s_addr == network.s_addr;
    const uint32_t mask = 0xffffffffu << (32 - bits);
    return ((ntohl(host.s_addr) ^ ntohl(network.s_addr)) & mask) == 0;
}

} // namespace

bool proxy_bypassed(const std::string& host, const std::string& list)
{
    if (list == "*")
        return true;
    in_addr ipv4{};
    const bool is_ipv4 = inet_pton(AF_INET, host.c_str(), &ipv4) == 1;
    size_t pos = 0;
    while (pos < list.size()) {
        const size_t start = list.find_first_not_of(" \t,", pos);
        if (start == std::string::npos)
            break;
        const size_t end = std::min(list.find_first_of(" \t,", start), list.size());
        const std::string entry = list.substr(start, end - start);
        if (is_ipv4 ? ipv4_entry_matches(ipv4, entry) : name_entry_matches(host, entry))
            return true;
        pos = end;
    }
    return false;
}

bool is_loopback_host(std::string host)
{
    std::transform(host.begin(), host.end(), host.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    if (!host.empty() && host.back() == '.')
        host.pop_back();
    const std::string below = ".localhost";
    if (host == "localhost" || (host.size() > below.size() &&
                                host.compare(host.size() - below.size(), below.size(), below) == 0))
        return true;
    const auto local_v4 = [](unsigned first) { return first == 127 || first == 0; };
    in_addr v4{};
    if (inet_aton(host.c_str(), &v4) != 0)
        return local_v4(ntohl(v4.s_addr) >> 24);
    in6_addr v6{};
    if (inet_pton(AF_INET6, host.c_str(), &v6) != 1)
        return false;
    if (IN6_IS_ADDR_V4MAPPED(&v6))
        return local_v4(v6.s6_addr[12]);
    return IN6_IS_ADDR_LOOPBACK(&v6) || IN6_IS_ADDR_UNSPECIFIED(&v6);
}

std::string winhttp_proxy_for(DWORD access_type, const std::string& named_proxy,
                              const std::string& bypass, const std::string& host, bool secure)
{
    if (access_type == WINHTTP_ACCESS_TYPE_NO_PROXY)
        return {};
    std::string proxy = named_proxy;
    if (proxy.empty()) {
        if (is_loopback_host(host))
            return {};
        proxy = secure ? first_set({"https_proxy", "HTTPS_PROXY"}) : first_set({"http_proxy"});
        if (proxy.empty())
            proxy = first_set({"all_proxy", "ALL_PROXY"});
    }
    const std::string exceptions = !bypass.empty() ? bypass : first_set({"no_proxy", "NO_PROXY"});
    return proxy.empty() || proxy_bypassed(host, exceptions) ? std::string() : proxy;
}

} // namespace qortransport
