// Host and service names: the service cache, the local-host test and the
// host resolution of NI's connects, all through the 16-bit look-ups.

#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

#include "ni/ni.h"
#include "ni/ni_resolve.h"
#include "ni/ni_trace.h"
#include "platform/u16_netdb.h"
#include "u16/u16_netdb.h"

namespace {

constexpr size_t kMaxServiceName = 32; // units, terminator excluded: fewer allowed
constexpr size_t kMaxHostName = 255;

// The look-ups' records are process-wide: one look-up at a time, its result
// copied before the lock is left.
std::mutex g_names_lock;
std::map<std::u16string, uint16_t> g_service_cache; // found names only

// The 16-bit text as 8 bits when it is ASCII of at most max_units; a longer
// name is refused, never cut.
bool narrow_ascii(const QOR_UC* text, size_t max_units, std::string* out)
{
    out->clear();
    for (const QOR_UC* p = text; *p != 0; ++p) {
        if (out->size() >= max_units || *p > 0x7f)
            return false;
        out->push_back(static_cast<char>(*p));
    }
    return true;
}

// The addresses of a host record, when they are IPv4 or IPv6 ones.
bool copy_addresses(const hostentU16* h, std::vector<SiAddress>* addresses)
{
    const bool ipv4 = h->h_addrtype == AF_INET && h->h_length == 4;
    const bool ipv6 = h->h_addrtype == AF_INET6 && h->h_length == 16;
    if (!ipv4 && !ipv6)
        return false;
    for (char* const* a = h->h_addr_list; *a != nullptr; ++a) {
        SiAddress address{h->h_addrtype, {}};
        std::memcpy(address.bytes, *a, static_cast<size_t>(h->h_length));
        addresses->push_back(address);
    }
    return !addresses->empty();
}

} // namespace

int ni_host_addresses(const QOR_UC* host, std::vector<SiAddress>* addresses)
{
    return ni_host_addresses(host, AF_UNSPEC, addresses);
}

int ni_host_addresses(const QOR_UC* host, int family, std::vector<SiAddress>* addresses)
{
    addresses->clear();
    std::lock_guard<std::mutex> guard(g_names_lock);
    const hostentU16* h = gethostbyname2U16(host, family);
    if (h == nullptr || !copy_addresses(h, addresses)) {
        addresses->clear();
        return NIEHOST_UNKNOWN;
    }
    return QOR_O_K;
}

void NiSetServicesFile(const char* path)
{
    std::lock_guard<std::mutex> guard(g_names_lock);
    u16_net_set_services_file(path);
    g_service_cache.clear();
}

int NiServToNo(const QOR_UC* service, uint16_t* port)
{
    if (service == nullptr || port == nullptr) {
        NI_TRC_ERR("NiServToNo: invalid parameters\n");
        ni_set_error(NIEINVAL, "NiServToNo: no name or no port", __LINE__);
        return NIEINVAL;
    }
    size_t len = 0;
    while (service[len] != 0 && len < kMaxServiceName)
        ++len;
    if (len >= kMaxServiceName) {
        NI_TRC_ERR("NiServToNo: service name too long\n");
        ni_set_error(NIEINVAL, "NiServToNo: service name too long", __LINE__);
        return NIEINVAL;
    }
    const std::u16string name(service, len);
    std::lock_guard<std::mutex> guard(g_names_lock);
    if (auto hit = g_service_cache.find(name); hit != g_service_cache.end()) {
        *port = hit->second;
        return QOR_O_K;
    }
    const serventU16* entry = len > 0 ? getservbynameU16(service, u"tcp") : nullptr;
    if (entry == nullptr) {
        NI_TRC(2, "NiServToNo: service unknown (%d)\n", u16_net_last_error());
        return NIESERV_UNKNOWN;
    }
    const uint16_t found = ntohs(static_cast<uint16_t>(entry->s_port));
    g_service_cache.emplace(name, found);
    *port = found;
    return QOR_O_K;
}

int NiIsLocalHost(const QOR_UC* host)
{
    if (host == nullptr)
        return 0;
    std::string name;
    if (!narrow_ascii(host, kMaxHostName, &name) || name.empty())
        return 0;
    if (name == "localhost" || name == "127.0.0.1")
        return 1;
    // With IPv6 switched on "::1" is known at once; otherwise it is looked up
    // like any other name and is local when a local interface carries it.
    if (name == "::1" && std::getenv("NI_USEIPv6") != nullptr)
        return 1;
    // Every address counts, IPv4 and IPv6 alike: a name may have both.
    const std::vector<std::string> local = SiLocalAddresses();
    for (const int family : {AF_INET, AF_INET6}) {
        std::vector<SiAddress> addresses;
        if (ni_host_addresses(host, family, &addresses) != QOR_O_K)
            continue;
        for (const SiAddress& a : addresses) {
            const std::string raw(reinterpret_cast<const char*>(a.bytes),
                                  a.family == AF_INET ? 4 : 16);
            for (const std::string& l : local)
                if (raw == l)
                    return 1;
        }
    }
    return 0;
}
