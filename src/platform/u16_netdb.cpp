// The classic socket name calls over the C library's resolver.
#include "platform/u16_netdb.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <cstring>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

namespace {

thread_local int t_last_error = 0;

// A host record and the storage its pointers point into.
struct HostRecord
{
    std::string name;
    std::vector<std::string> addresses;
    std::vector<char*> address_list;
    char* no_aliases[1] = {nullptr};
    hostent entry{};

    const hostent* publish(int family, int length)
    {
        address_list.clear();
        for (std::string& a : addresses)
            address_list.push_back(a.data());
        address_list.push_back(nullptr);
        entry.h_name = name.data();
        entry.h_aliases = no_aliases;
        entry.h_addrtype = family;
        entry.h_length = length;
        entry.h_addr_list = address_list.data();
        return &entry;
    }
};

struct ServiceRecord
{
    std::string name;
    std::string protocol;
    std::vector<std::string> aliases;
    std::vector<char*> alias_list;
    servent entry{};

    const servent* publish(int port_network)
    {
        alias_list.clear();
        for (std::string& a : aliases)
            alias_list.push_back(a.data());
        alias_list.push_back(nullptr);
        entry.s_name = name.data();
        entry.s_aliases = alias_list.data();
        entry.s_port = port_network;
        entry.s_proto = protocol.data();
        return &entry;
    }
};

thread_local HostRecord t_host;
thread_local ServiceRecord t_service;

std::mutex g_services_lock;
std::string g_services_file; // empty: the system's services database

struct ResolverError
{
    int eai;
    int wsa;
};
constexpr ResolverError kResolverErrors[] = {
    {EAI_NONAME, U16_WSAHOST_NOT_FOUND}, {EAI_AGAIN, U16_WSATRY_AGAIN},
    {EAI_FAIL, U16_WSANO_RECOVERY},      {EAI_MEMORY, U16_WSA_NOT_ENOUGH_MEMORY},
    {EAI_FAMILY, U16_WSAEAFNOSUPPORT},
#ifdef EAI_NODATA
    {EAI_NODATA, U16_WSANO_DATA},
#endif
#ifdef EAI_ADDRFAMILY
    {EAI_ADDRFAMILY, U16_WSANO_DATA},
#endif
};

int socket_error_of(int eai)
{
    for (const ResolverError& e : kResolverErrors)
        if (e.eai == eai)
            return e.wsa;
    return U16_WSANO_RECOVERY;
}

const hostent* c_host_by_name(const char* name, int family)
{
    char own[HOST_NAME_MAX + 1];
    if (name == nullptr) {
        if (::gethostname(own, sizeof own) != 0) {
            t_last_error = U16_WSANO_RECOVERY;
            return nullptr;
        }
        own[sizeof own - 1] = '\0';
        name = own;
    }
    addrinfo hints{};
    hints.ai_family = family;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_CANONNAME;
    addrinfo* list = nullptr;
    const int rc = ::getaddrinfo(name, nullptr, &hints, &list);
    if (rc != 0) {
        t_last_error = socket_error_of(rc);
        return nullptr;
    }
    // One family per record, as the classic call gives: IPv4 when there is any.
    if (family == AF_UNSPEC) {
        family = AF_INET6;
        for (const addrinfo* ai = list; ai != nullptr; ai = ai->ai_next)
            if (ai->ai_family == AF_INET)
                family = AF_INET;
    }
    HostRecord& h = t_host;
    h.name = list->ai_canonname != nullptr ? list->ai_canonname : name;
    h.addresses.clear();
    for (const addrinfo* ai = list; ai != nullptr; ai = ai->ai_next) {
        if (ai->ai_family != family)
            continue;
        std::string raw =
            family == AF_INET
                ? std::string(reinterpret_cast<const char*>(
                                  &reinterpret_cast<const sockaddr_in*>(ai->ai_addr)->sin_addr),
                              4)
                : std::string(reinterpret_cast<const char*>(
                                  &reinterpret_cast<const sockaddr_in6*>(ai->ai_addr)->sin6_addr),
                              16);
        bool seen = false;
        for (const std::string& a : h.addresses)
            seen = seen || a == raw;
        if (!seen)
            h.addresses.push_back(std::move(raw));
    }
    ::freeaddrinfo(list);
    return h.publish(family, family == AF_INET ? 4 : 16);
}

const hostent* c_host_by_addr(const void* address, int length, int family)
{
    sockaddr_storage storage{};
    socklen_t size = 0;
    if (address == nullptr) {
        t_last_error = U16_WSAEINVAL;
        return nullptr;
    }
    if (family == AF_INET && length == 4) {
        auto* in = reinterpret_cast<sockaddr_in*>(&storage);
        in->sin_family = AF_INET;
        std::memcpy(&in->sin_addr, address, 4);
        size = sizeof *in;
    } else if (family == AF_INET6 && length == 16) {
        auto* in6 = reinterpret_cast<sockaddr_in6*>(&storage);
        in6->sin6_family = AF_INET6;
        std::memcpy(&in6->sin6_addr, address, 16);
        size = sizeof *in6;
    } else {
        t_last_error =
            family == AF_INET || family == AF_INET6 ? U16_WSAEINVAL : U16_WSAEAFNOSUPPORT;
        return nullptr;
    }
    char name[NI_MAXHOST];
    const int rc = ::getnameinfo(reinterpret_cast<sockaddr*>(&storage), size, name, sizeof name,
                                 nullptr, 0, NI_NAMEREQD);
    if (rc != 0) {
        t_last_error = socket_error_of(rc);
        return nullptr;
    }
    HostRecord& h = t_host;
    h.name = name;
    h.addresses.assign(1, std::string(static_cast<const char*>(address), length));
    return h.publish(family, length);
}

std::string services_file()
{
    std::lock_guard<std::mutex> guard(g_services_lock);
    return g_services_file;
}

// Looks through a file of the services file's format ("name port/protocol
// [aliases] [# comment]") for an entry of the name (or alias) or of the port.
const servent* file_lookup(const std::string& path, const char* name, int port_network,
                           const char* protocol)
{
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (auto hash = line.find('#'); hash != std::string::npos)
            line.erase(hash);
        std::istringstream words(line);
        std::string service, port_proto;
        if (!(words >> service >> port_proto))
            continue;
        const auto slash = port_proto.find('/');
        if (slash == std::string::npos)
            continue;
        const std::string proto = port_proto.substr(slash + 1);
        if (protocol != nullptr && proto != protocol)
            continue;
        const std::string digits = port_proto.substr(0, slash);
        char* end = nullptr;
        const unsigned long value = std::strtoul(digits.c_str(), &end, 10);
        if (digits.empty() || *end != '\0' || value > 65535)
            continue;
        std::vector<std::string> aliases;
        for (std::string alias; words >> alias;)
            aliases.push_back(alias);
        bool match = false;
        if (name != nullptr) {
            match = service == name;
            for (const std::string& a : aliases)
                match = match || a == name;
        } else {
            match = htons(static_cast<uint16_t>(value)) == static_cast<uint16_t>(port_network);
        }
        if (!match)
            continue;
        ServiceRecord& s = t_service;
        s.name = service;
        s.protocol = proto;
        s.aliases = std::move(aliases);
        return s.publish(htons(static_cast<uint16_t>(value)));
    }
    t_last_error = U16_WSANO_DATA;
    return nullptr;
}

const servent* copy_service(const servent* found)
{
    ServiceRecord& s = t_service;
    s.name = found->s_name != nullptr ? found->s_name : "";
    s.protocol = found->s_proto != nullptr ? found->s_proto : "";
    s.aliases.clear();
    for (char** a = found->s_aliases; a != nullptr && *a != nullptr; ++a)
        s.aliases.emplace_back(*a);
    return s.publish(found->s_port);
}

// A look-up of the services database through one of its reentrant calls:
// query(entry, buffer, size, found) as getservbyname_r takes them.
template <typename Query> const servent* database_lookup(Query query)
{
    servent entry{};
    servent* found = nullptr;
    char buf[4096];
    if (query(&entry, buf, sizeof buf, &found) != 0 || found == nullptr) {
        t_last_error = U16_WSANO_DATA;
        return nullptr;
    }
    return copy_service(found);
}

const servent* c_serv_by_name(const char* name, const char* protocol)
{
    if (name == nullptr) {
        t_last_error = U16_WSAEINVAL;
        return nullptr;
    }
    const std::string file = services_file();
    if (!file.empty())
        return file_lookup(file, name, 0, protocol);
    return database_lookup([&](servent* entry, char* buf, size_t size, servent** found) {
        return ::getservbyname_r(name, protocol, entry, buf, size, found);
    });
}

const servent* c_serv_by_port(int port, const char* protocol)
{
    const std::string file = services_file();
    if (!file.empty())
        return file_lookup(file, nullptr, port, protocol);
    return database_lookup([&](servent* entry, char* buf, size_t size, servent** found) {
        return ::getservbyport_r(port, protocol, entry, buf, size, found);
    });
}

constexpr U16NetResolver kCLibrary = {c_host_by_name, c_host_by_addr, c_serv_by_name,
                                      c_serv_by_port};
std::atomic<const U16NetResolver*> g_resolver{&kCLibrary};

} // namespace

const hostent* u16_net_gethostbyname(const char* name)
{
    return g_resolver.load()->host_by_name(name, AF_UNSPEC);
}

const hostent* u16_net_gethostbyname2(const char* name, int family)
{
    return g_resolver.load()->host_by_name(name, family);
}

const hostent* u16_net_gethostbyaddr(const void* address, int length, int family)
{
    return g_resolver.load()->host_by_addr(address, length, family);
}

const servent* u16_net_getservbyname(const char* name, const char* protocol)
{
    return g_resolver.load()->serv_by_name(name, protocol);
}

const servent* u16_net_getservbyport(int port, const char* protocol)
{
    return g_resolver.load()->serv_by_port(port, protocol);
}

int u16_net_last_error(void)
{
    return t_last_error;
}

void u16_net_set_last_error(int code)
{
    t_last_error = code;
}

void u16_net_set_resolver(const U16NetResolver* resolver)
{
    g_resolver.store(resolver != nullptr ? resolver : &kCLibrary);
}

void u16_net_set_services_file(const char* path)
{
    std::lock_guard<std::mutex> guard(g_services_lock);
    g_services_file = path != nullptr ? path : "";
}
