// Service-name look-up and the local-host test.

#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "ni/ni.h"
#include "ni/ni_trace.h"
#include "platform/ni_si.h"

namespace {

constexpr size_t kMaxServiceName = 32; // units, terminator excluded: fewer allowed
constexpr size_t kMaxHostName = 255;

std::mutex g_services_lock;
std::string g_services_file; // empty: the system's services database

// Narrows 16-bit text to 8 bits; false when it holds anything beyond ASCII or
// is longer than max_units.
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

} // namespace

void NiSetServicesFile(const char* path)
{
    std::lock_guard<std::mutex> guard(g_services_lock);
    g_services_file = path != nullptr ? path : "";
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
    std::string name;
    if (len == 0 || !narrow_ascii(service, kMaxServiceName, &name))
        return NIESERV_UNKNOWN;
    std::string file;
    {
        std::lock_guard<std::mutex> guard(g_services_lock);
        file = g_services_file;
    }
    uint16_t found = 0;
    if (SiServToNo(name.c_str(), file, &found) != SI_OK) {
        NI_TRC(2, "NiServToNo: service %s unknown\n", name.c_str());
        return NIESERV_UNKNOWN;
    }
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
    std::vector<std::string> addresses;
    if (SiResolve(name.c_str(), &addresses) != SI_OK)
        return 0;
    const std::vector<std::string> local = SiLocalAddresses();
    for (const std::string& a : addresses)
        for (const std::string& l : local)
            if (a == l)
                return 1;
    return 0;
}
