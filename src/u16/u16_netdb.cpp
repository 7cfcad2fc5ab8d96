// 16-bit host and service look-ups over the platform's name calls.
#include "u16/u16_netdb.h"

#include <sys/socket.h>

#include <cerrno>
#include <cstring>

#include "platform/u16_netdb.h"
#include "u16/u16_diag.h"
#include "u16/u16_os.h"

namespace {

constexpr char kSourceName[] = "flat/nlsui2";

struct HostStorage
{
    hostentU16 record;
    QOR_UC h_name_buf[MAX_HOSTNAME_LN];
    QOR_UC h_aliases_buf[MAX_ALIASES * MAX_HOSTNAME_LN];
    char h_addr_list_buf[MAX_ADDRESSES * MAX_IPADDR_LN];
};
HostStorage g_host;

struct ServiceStorage
{
    serventU16 record;
    QOR_UC s_name_buf[MAX_SERVNAME_LN];
    QOR_UC s_aliases_buf[MAX_ALIASES * MAX_SERVNAME_LN];
    QOR_UC s_proto_buf[MAX_SERVPROTONAME_LN];
};
ServiceStorage g_service;

// What one operation names in its reports.
struct Names
{
    const char* function;
    const char* text_limit;    // the limit of one result text
    const char* aliases_array; // one alias slot
    const char* aliases_buf;   // the whole list
    int text_units;
};
constexpr Names kHost = {"gethostbynameU16", "MAX_HOSTNAME_LN", "&h_aliases_buf[i*MAX_HOSTNAME_LN]",
                         "h_aliases_buf", MAX_HOSTNAME_LN};
constexpr Names kService = {"getservbynameU16", "MAX_SERVNAME_LN",
                            "&s_aliases_buf[i * MAX_SERVNAME_LN]", "s_aliases_buf",
                            MAX_SERVNAME_LN};

// An argument as UTF-8 into target (capacity bytes). A text whose UTF-8 form
// does not fit whole - also one that would lose only its last character - is
// refused, never looked up cut.
bool argument_to_utf8(char* target, const QOR_UC* text, int capacity, const Names& names,
                      const char* array, const char* limit)
{
    if (nlsui_u16_to_utf8(nullptr, text, 0) >= capacity) {
        U16ReportTooSmall(limit, names.function, array, kSourceName, __LINE__);
        errno = ENAMETOOLONG;
        return false;
    }
    const int n = nlsui_u16_to_utf8_chk(target, text, capacity, kSourceName, __LINE__,
                                        names.function, array, limit);
    return n >= 0 && n < capacity;
}

// A result text into target (capacity units); false when it is not UTF-8 or
// does not fit.
bool result_to_u16(QOR_UC* target, const char* text, int capacity, const Names& names,
                   const char* array, const char* limit)
{
    const int n = nlsui_utf8_to_u16_chk(target, text, capacity, kSourceName, __LINE__,
                                        names.function, array, limit);
    return n != -1 && n != capacity;
}

// A result text that may be absent: *field is null for none, else target.
bool optional_to_u16(QOR_UC** field, QOR_UC* target, const char* text, int capacity,
                     const Names& names, const char* array, const char* limit)
{
    *field = nullptr;
    if (text == nullptr)
        return true;
    if (!result_to_u16(target, text, capacity, names, array, limit))
        return false;
    *field = target;
    return true;
}

// Copies a null-ended list of texts into the slots of `slots` (one per
// entry) and ends `entries` with a null entry; a list that leaves no room
// for the null entry is refused with a report.
bool copy_aliases(char* const* list, QOR_UC** entries, QOR_UC* slots, const Names& names)
{
    for (int i = 0; i < MAX_ALIASES; ++i) {
        if (list == nullptr || list[i] == nullptr) {
            entries[i] = nullptr;
            return true;
        }
        if (i == MAX_ALIASES - 1)
            break;
        QOR_UC* slot = slots + i * names.text_units;
        if (!result_to_u16(slot, list[i], names.text_units, names, names.aliases_array,
                           names.text_limit))
            return false;
        entries[i] = slot;
    }
    U16ReportTooSmall("MAX_ALIASES", names.function, names.aliases_buf, kSourceName, __LINE__);
    return false;
}

hostentU16* host_to_u16(const hostent* h)
{
    hostentU16& r = g_host.record;
    if (!optional_to_u16(&r.h_name, g_host.h_name_buf, h->h_name, MAX_HOSTNAME_LN, kHost,
                         "h_name_buf", "MAX_HOSTNAME_LN"))
        return nullptr;
    if (!copy_aliases(h->h_aliases, r.h_aliases, g_host.h_aliases_buf, kHost))
        return nullptr;
    if (h->h_length < 0 || h->h_length > MAX_IPADDR_LN) {
        U16ReportTooSmall("MAX_IPADDR_LN", kHost.function, "h_length", kSourceName, __LINE__);
        return nullptr;
    }
    for (int j = 0; j < MAX_ADDRESSES; ++j) {
        if (h->h_addr_list == nullptr || h->h_addr_list[j] == nullptr) {
            r.h_addr_list[j] = nullptr;
            r.h_addrtype = h->h_addrtype;
            r.h_length = h->h_length;
            return &r;
        }
        if (j == MAX_ADDRESSES - 1)
            break;
        char* slot = g_host.h_addr_list_buf + j * MAX_IPADDR_LN;
        std::memcpy(slot, h->h_addr_list[j], static_cast<size_t>(h->h_length));
        r.h_addr_list[j] = slot;
    }
    U16ReportTooSmall("MAX_ADDRESSES", kHost.function, "h_addr_list_buf", kSourceName, __LINE__);
    return nullptr;
}

} // namespace

hostentU16* gethostbynameU16(const QOR_UC* name)
{
    return gethostbyname2U16(name, AF_UNSPEC);
}

hostentU16* gethostbyname2U16(const QOR_UC* name, int family)
{
    char cname[MAX_HOSTNAME_LN];
    if (name != nullptr &&
        !argument_to_utf8(cname, name, MAX_HOSTNAME_LN, kHost, "cname", "MAX_HOSTNAME_LN"))
        return nullptr;
    const hostent* h = u16_net_gethostbyname2(name != nullptr ? cname : nullptr, family);
    return h != nullptr ? host_to_u16(h) : nullptr;
}

serventU16* getservbynameU16(const QOR_UC* name, const QOR_UC* protocol)
{
    char cname[MAX_SERVNAME_LN];
    char cproto[MAX_SERVPROTONAME_LN];
    if (name != nullptr &&
        !argument_to_utf8(cname, name, MAX_SERVNAME_LN, kService, "cname", "MAX_SERVNAME_LN"))
        return nullptr;
    if (protocol != nullptr && !argument_to_utf8(cproto, protocol, MAX_SERVPROTONAME_LN, kService,
                                                 "cproto", "MAX_SERVPROTONAME_LN"))
        return nullptr;
    const servent* s = u16_net_getservbyname(name != nullptr ? cname : nullptr,
                                             protocol != nullptr ? cproto : nullptr);
    if (s == nullptr)
        return nullptr;
    serventU16& r = g_service.record;
    if (!optional_to_u16(&r.s_name, g_service.s_name_buf, s->s_name, MAX_SERVNAME_LN, kService,
                         "s_name_buf", "MAX_SERVNAME_LN") ||
        !copy_aliases(s->s_aliases, r.s_aliases, g_service.s_aliases_buf, kService) ||
        !optional_to_u16(&r.s_proto, g_service.s_proto_buf, s->s_proto, MAX_SERVPROTONAME_LN,
                         kService, "s_proto_buf", "MAX_SERVPROTONAME_LN"))
        return nullptr;
    r.s_port = static_cast<int16_t>(static_cast<uint16_t>(s->s_port));
    return &r;
}
