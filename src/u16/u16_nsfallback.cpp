// The IPv4 name service behind the protocol-independent name functions.
#include "u16/u16_nsfallback.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/u16_netdb.h"

namespace {

constexpr size_t kFirstBlock = 256;
constexpr size_t kLastBlock = 524288;
constexpr size_t kAlign = 16;

constexpr int kFlagNumericRecord = AI_NUMERICHOST; // flags of the numeric-host record

// What a failed classic call's socket error becomes. A service that is not
// known may still be a port number (kTryNumber).
constexpr int kTryNumber = 0;
struct ErrorMapping
{
    int classic;
    int result;
};
constexpr ErrorMapping kServiceErrors[] = {
    {U16_WSAHOST_NOT_FOUND, kTryNumber},    {U16_WSANO_DATA, kTryNumber},
    {U16_WSATRY_AGAIN, U16_WSATRY_AGAIN},   {U16_WSAEINTR, U16_WSATRY_AGAIN},
    {U16_WSAEINPROGRESS, U16_WSATRY_AGAIN}, {U16_WSANOTINITIALISED, U16_WSAEINVAL},
};
constexpr ErrorMapping kHostErrors[] = {
    {U16_WSAHOST_NOT_FOUND, U16_WSAHOST_NOT_FOUND}, {U16_WSANO_DATA, U16_WSAHOST_NOT_FOUND},
    {U16_WSATRY_AGAIN, U16_WSATRY_AGAIN},           {U16_WSAEINTR, U16_WSATRY_AGAIN},
    {U16_WSAEINPROGRESS, U16_WSATRY_AGAIN},         {U16_WSANOTINITIALISED, U16_WSAEINVAL},
};

template <size_t N> int map_error(const ErrorMapping (&table)[N], int classic)
{
    for (const ErrorMapping& m : table)
        if (m.classic == classic)
            return m.result;
    return U16_WSANO_RECOVERY;
}

struct ErrorText
{
    int code;
    const char* text;
};
constexpr ErrorText kErrorTexts[] = {
    {U16_WSA_NOT_ENOUGH_MEMORY, "Not enough storage is available to process this command. "},
    {U16_WSAEINVAL, "An invalid argument was supplied. "},
    {10044, "The support for the specified socket type does not exist in this address family. "},
    {U16_WSAEAFNOSUPPORT, "An address incompatible with the requested protocol was used. "},
    {10109, "The specified class was not found. "},
    {U16_WSAHOST_NOT_FOUND, "No such host is known. "},
    {U16_WSATRY_AGAIN,
     "This is usually a temporary error during hostname resolution and means that the local "
     "server did not receive a response from an authoritative server. "},
    {U16_WSANO_RECOVERY, "A non-recoverable error occurred during a database lookup. "},
};
constexpr char kSuccessText[] = "The operation completed successfully. ";

// What the records of one answer hold.
struct Answer
{
    std::vector<in_addr> addresses;
    uint16_t port = 0; // network byte order
    int socket_type = 0;
    int flags = 0;
    std::string canonical; // copied once when has_canonical
    bool has_canonical = false;
};

void* system_allocate(size_t size)
{
    return std::malloc(size);
}
std::atomic<void* (*)(size_t)> g_allocate{&system_allocate};

// One heap block handed out piece by piece at aligned positions.
class Block
{
  public:
    explicit Block(size_t size) : data_(static_cast<char*>(g_allocate.load()(size))), size_(size) {}
    ~Block() { std::free(data_); }
    Block(const Block&) = delete;
    Block& operator=(const Block&) = delete;

    bool allocated() const { return data_ != nullptr; }
    // Room for n bytes at the next multiple of align, or null when the rest
    // of the block is too small.
    void* take(size_t n, size_t align)
    {
        const size_t at = (used_ + align - 1) / align * align;
        if (at > size_ || n > size_ - at)
            return nullptr;
        used_ = at + n;
        return data_ + at;
    }
    char* release()
    {
        char* data = data_;
        data_ = nullptr;
        return data;
    }

  private:
    char* data_;
    size_t size_;
    size_t used_ = 0;
};

enum LayoutResult { kLaidOut, kTooSmall, kNoMemory };

LayoutResult lay_out(const Answer& answer, size_t size, addrinfo** result)
{
    Block block(size);
    if (!block.allocated())
        return kNoMemory;
    std::vector<addrinfo*> records;
    for (const in_addr& address : answer.addresses) {
        auto* record = static_cast<addrinfo*>(block.take(sizeof(addrinfo), kAlign));
        auto* sin = static_cast<sockaddr_in*>(
            record != nullptr ? block.take(sizeof(sockaddr_in), kAlign) : nullptr);
        if (sin == nullptr)
            return kTooSmall;
        std::memset(sin, 0, sizeof *sin);
        sin->sin_family = AF_INET;
        sin->sin_port = answer.port;
        sin->sin_addr = address;
        std::memset(record, 0, sizeof *record);
        record->ai_flags = answer.flags;
        record->ai_family = AF_INET;
        record->ai_socktype = answer.socket_type;
        record->ai_addrlen = sizeof(sockaddr_in);
        record->ai_addr = reinterpret_cast<sockaddr*>(sin);
        records.push_back(record);
    }
    char* canonical = nullptr;
    if (answer.has_canonical) {
        canonical = static_cast<char*>(block.take(answer.canonical.size() + 1, 1));
        if (canonical == nullptr)
            return kTooSmall;
        std::memcpy(canonical, answer.canonical.c_str(), answer.canonical.size() + 1);
    }
    for (size_t i = 0; i < records.size(); ++i) {
        records[i]->ai_canonname = canonical;
        records[i]->ai_next = i + 1 < records.size() ? records[i + 1] : nullptr;
    }
    *result = reinterpret_cast<addrinfo*>(block.release());
    return kLaidOut;
}

// The block, grown by doubling until the answer fits.
int lay_out_growing(const Answer& answer, addrinfo** result)
{
    for (size_t size = kFirstBlock; size <= kLastBlock; size *= 2) {
        switch (lay_out(answer, size, result)) {
        case kLaidOut:
            return 0;
        case kNoMemory:
            return U16_WSA_NOT_ENOUGH_MEMORY;
        case kTooSmall:
            break;
        }
    }
    return U16_WSA_NOT_ENOUGH_MEMORY;
}

// A decimal number that stands alone: begins with a digit, nothing left over.
bool read_port(const char* text, long* value)
{
    if (*text < '0' || *text > '9')
        return false;
    char* end = nullptr;
    *value = std::strtol(text, &end, 10);
    return *end == '\0' && *value >= 0 && *value <= 65535;
}

int service_port(const char* service, Answer* answer)
{
    const servent* s = u16_net_getservbyname(service, "tcp");
    if (s != nullptr) {
        answer->port = static_cast<uint16_t>(s->s_port);
        if (s->s_proto != nullptr && std::strcmp(s->s_proto, "tcp") == 0)
            answer->socket_type = SOCK_STREAM;
        else if (s->s_proto != nullptr && std::strcmp(s->s_proto, "udp") == 0)
            answer->socket_type = SOCK_DGRAM;
        return 0;
    }
    const int rc = map_error(kServiceErrors, u16_net_last_error());
    if (rc != kTryNumber)
        return rc;
    long port = 0;
    if (!read_port(service, &port))
        return U16_WSAHOST_NOT_FOUND;
    answer->port = htons(static_cast<uint16_t>(port));
    return 0;
}

// A dotted IPv4 address of exactly four decimal parts 0..255.
bool read_dotted(const char* node, in_addr* address, int parts[4])
{
    if (std::strchr(node, ':') != nullptr || std::strchr(node, '.') == nullptr)
        return false;
    const char* p = node;
    for (int i = 0; i < 4; ++i) {
        if (*p < '0' || *p > '9')
            return false;
        char* end = nullptr;
        const long value = std::strtol(p, &end, 10);
        if (value < 0 || value > 255)
            return false;
        parts[i] = static_cast<int>(value);
        if (i < 3 && *end != '.')
            return false;
        // Nothing may follow the fourth part.
        if (i == 3 && *end != '\0')
            return false;
        p = end + 1;
    }
    address->s_addr =
        htonl(static_cast<uint32_t>(parts[0]) << 24 | static_cast<uint32_t>(parts[1]) << 16 |
              static_cast<uint32_t>(parts[2]) << 8 | static_cast<uint32_t>(parts[3]));
    return true;
}

// A name with a dot that does not read as the start of an address.
bool is_qualified_name(const char* name)
{
    const char* dot = std::strchr(name, '.');
    if (dot == nullptr)
        return false;
    char* end = nullptr;
    std::strtol(name, &end, 10);
    return !(end != name && end == dot);
}

// The host's fully qualified name: the official name, else the first
// qualified alias; null when there is none.
const char* qualified_name(const hostent* h)
{
    if (h->h_name != nullptr && std::strchr(h->h_name, '.') != nullptr)
        return h->h_name;
    for (char** alias = h->h_aliases; alias != nullptr && *alias != nullptr; ++alias)
        if (is_qualified_name(*alias))
            return *alias;
    return nullptr;
}

int resolve_node(const char* node, int hint_flags, Answer* answer)
{
    if ((hint_flags & AI_NUMERICHOST) != 0) {
        int parts[4];
        in_addr address{};
        if (!read_dotted(node, &address, parts))
            return U16_WSAHOST_NOT_FOUND;
        answer->addresses.push_back(address);
        answer->flags = kFlagNumericRecord;
        if ((hint_flags & AI_CANONNAME) != 0) {
            char text[32];
            const int port = ntohs(answer->port);
            if (port == 0)
                std::snprintf(text, sizeof text, "%d.%d.%d.%d", parts[0], parts[1], parts[2],
                              parts[3]);
            else
                std::snprintf(text, sizeof text, "%d.%d.%d.%d:%d", parts[0], parts[1], parts[2],
                              parts[3], port);
            answer->canonical = text;
            answer->has_canonical = true;
        }
        return 0;
    }
    const hostent* h = u16_net_gethostbyname(node);
    if (h == nullptr)
        return map_error(kHostErrors, u16_net_last_error());
    if (h->h_addrtype != AF_INET || h->h_length != 4 || h->h_addr_list == nullptr)
        return U16_WSAHOST_NOT_FOUND;
    for (char** a = h->h_addr_list; *a != nullptr; ++a) {
        in_addr address;
        std::memcpy(&address, *a, sizeof address);
        answer->addresses.push_back(address);
    }
    if ((hint_flags & AI_CANONNAME) != 0) {
        if (const char* name = qualified_name(h)) {
            answer->canonical = name;
            answer->has_canonical = true;
        }
    }
    return 0;
}

int answer_of(const char* node, const char* service, const addrinfo* hints, Answer* answer)
{
    if (hints != nullptr && (hints->ai_addrlen != 0 || hints->ai_canonname != nullptr ||
                             hints->ai_addr != nullptr || hints->ai_next != nullptr))
        return U16_WSAEINVAL;
    if (node == nullptr && service == nullptr)
        return U16_WSAHOST_NOT_FOUND;
    if (service != nullptr) {
        if (int rc = service_port(service, answer); rc != 0)
            return rc;
    }
    const int flags = hints != nullptr ? hints->ai_flags : 0;
    if (node == nullptr) {
        if ((flags & AI_CANONNAME) != 0)
            return U16_WSAEINVAL;
        in_addr address{};
        address.s_addr = htonl((flags & AI_PASSIVE) != 0 ? INADDR_ANY : INADDR_LOOPBACK);
        answer->addresses.push_back(address);
        return 0;
    }
    return resolve_node(node, flags, answer);
}

// Copies text into buffer when it fits with its terminator, else 8.
int copy_out(char* buffer, socklen_t size, const char* text)
{
    if (buffer == nullptr || size < std::strlen(text) + 1)
        return U16_WSA_NOT_ENOUGH_MEMORY;
    std::memcpy(buffer, text, std::strlen(text) + 1);
    return 0;
}

int service_text(uint16_t port, int flags, char* buffer, socklen_t size)
{
    if ((flags & NI_NUMERICSERV) == 0) {
        const servent* s = u16_net_getservbyport(port, (flags & NI_DGRAM) != 0 ? "udp" : "tcp");
        if (s != nullptr && s->s_name != nullptr)
            return copy_out(buffer, size, s->s_name);
    }
    if (buffer == nullptr || size < 6)
        return U16_WSA_NOT_ENOUGH_MEMORY;
    std::snprintf(buffer, size, "%d", ntohs(port));
    return 0;
}

int ipv4_host_text(const in_addr& address, int flags, char* buffer, socklen_t size)
{
    const hostent* h = nullptr;
    if ((flags & NI_NUMERICHOST) == 0) {
        h = u16_net_gethostbyaddr(&address, 4, AF_INET);
        if (h == nullptr && (flags & NI_NAMEREQD) != 0)
            return U16_WSAHOST_NOT_FOUND;
    }
    if (h != nullptr) {
        const char* name = (flags & NI_NOFQDN) == 0 ? qualified_name(h) : nullptr;
        if (name == nullptr)
            name = h->h_name != nullptr ? h->h_name : "";
        return copy_out(buffer, size, name);
    }
    if (buffer == nullptr || size < 16)
        return U16_WSA_NOT_ENOUGH_MEMORY;
    const auto* b = reinterpret_cast<const unsigned char*>(&address);
    std::snprintf(buffer, size, "%d.%d.%d.%d", b[0], b[1], b[2], b[3]);
    return 0;
}

int ipv6_host_text(const in6_addr& address, int flags, char* buffer, socklen_t size)
{
    if ((flags & NI_NAMEREQD) != 0)
        return U16_WSAHOST_NOT_FOUND;
    if (buffer == nullptr || size < 46)
        return U16_WSA_NOT_ENOUGH_MEMORY;
    uint16_t groups[8];
    std::memcpy(groups, &address, sizeof groups);
    std::snprintf(buffer, size, "%x:%x:%x:%x:%x:%x:%x:%x", ntohs(groups[0]), ntohs(groups[1]),
                  ntohs(groups[2]), ntohs(groups[3]), ntohs(groups[4]), ntohs(groups[5]),
                  ntohs(groups[6]), ntohs(groups[7]));
    return 0;
}

} // namespace

int nlsui_fallback_getaddrinfo(const char* node, const char* service, const addrinfo* hints,
                               addrinfo** result)
{
    if (result == nullptr)
        return U16_WSAEINVAL;
    *result = nullptr;
    Answer answer;
    const int rc = answer_of(node, service, hints, &answer);
    return rc != 0 ? rc : lay_out_growing(answer, result);
}

void nlsui_fallback_set_allocator(void* (*allocate)(size_t size))
{
    g_allocate.store(allocate != nullptr ? allocate : &system_allocate);
}

void nlsui_fallback_freeaddrinfo(addrinfo* list)
{
    std::free(list);
}

int nlsui_fallback_getnameinfo(const sockaddr* address, socklen_t length, char* host,
                               socklen_t host_size, char* service, socklen_t service_size,
                               int flags)
{
    if (address == nullptr)
        return U16_WSAEINVAL;
    uint16_t port = 0;
    int rc = 0;
    if (address->sa_family == AF_INET) {
        if (length < sizeof(sockaddr_in))
            return U16_WSAEINVAL;
        sockaddr_in in;
        std::memcpy(&in, address, sizeof in);
        port = in.sin_port;
        if (host_size != 0)
            rc = ipv4_host_text(in.sin_addr, flags, host, host_size);
    } else if (address->sa_family == AF_INET6) {
        if (length < sizeof(sockaddr_in6))
            return U16_WSAEINVAL;
        sockaddr_in6 in6;
        std::memcpy(&in6, address, sizeof in6);
        port = in6.sin6_port;
        if (host_size != 0)
            rc = ipv6_host_text(in6.sin6_addr, flags, host, host_size);
    } else {
        return U16_WSAHOST_NOT_FOUND;
    }
    if (rc != 0)
        return rc;
    return service_size != 0 ? service_text(port, flags, service, service_size) : 0;
}

const char* nlsui_fallback_gai_strerror(int code)
{
    for (const ErrorText& e : kErrorTexts)
        if (e.code == code)
            return e.text;
    return kSuccessText;
}
