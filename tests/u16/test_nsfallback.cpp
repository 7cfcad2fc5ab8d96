#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netdb.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/u16_netdb.h"
#include "u16/fake_resolver.h"
#include "u16/u16_apibind_table.h"
#include "u16/u16_nsfallback.h"

namespace {

using u16test::FakeHost;
using u16test::FakeResolver;
using u16test::FakeService;
using u16test::ipv4;

struct Record
{
    int flags;
    int socket_type;
    std::string address; // dotted
    int port;
    std::string canonical; // "-" for none
};

std::vector<Record> records_of(const addrinfo* list)
{
    std::vector<Record> out;
    for (const addrinfo* ai = list; ai != nullptr; ai = ai->ai_next) {
        EXPECT_EQ(ai->ai_family, AF_INET);
        EXPECT_EQ(ai->ai_protocol, 0);
        EXPECT_EQ(ai->ai_addrlen, sizeof(sockaddr_in));
        EXPECT_EQ(reinterpret_cast<uintptr_t>(ai) % 16, 0u);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(ai->ai_addr) % 16, 0u);
        const auto* in = reinterpret_cast<const sockaddr_in*>(ai->ai_addr);
        char text[INET_ADDRSTRLEN];
        inet_ntop(AF_INET, &in->sin_addr, text, sizeof text);
        out.push_back({ai->ai_flags, ai->ai_socktype, text, ntohs(in->sin_port),
                       ai->ai_canonname != nullptr ? ai->ai_canonname : "-"});
    }
    return out;
}

class NameFallback : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        resolver_.add_service(FakeService{"qorctrl00", "tcp", 8080, {}});
        resolver_.add_host(
            "qorhost",
            FakeHost{"qorhost.example", {}, AF_INET, 4, {ipv4("10.0.0.1"), ipv4("10.0.0.2")}});
        resolver_.add_host("short", FakeHost{"short",
                                             {"10.1.2.3", "alias", "short.example.org"},
                                             AF_INET,
                                             4,
                                             {ipv4("10.0.0.3")}});
        resolver_.add_host("bare", FakeHost{"bare", {"other"}, AF_INET, 4, {ipv4("10.0.0.4")}});
        resolver_.add_host("six", FakeHost{"six", {}, AF_INET6, 16, {std::string(16, '\1')}});
    }

    // The fallback's answer: its code and records (none on failure).
    int resolve(const char* node, const char* service, const addrinfo* hints,
                std::vector<Record>* records)
    {
        addrinfo* list = reinterpret_cast<addrinfo*>(&sentinel_);
        const int rc = nlsui_fallback_getaddrinfo(node, service, hints, &list);
        if (rc != 0) {
            EXPECT_EQ(list, nullptr) << "a failure leaves no list";
        }
        *records = records_of(rc == 0 ? list : nullptr);
        if (rc == 0)
            nlsui_fallback_freeaddrinfo(list);
        return rc;
    }

    FakeResolver resolver_;
    int sentinel_ = 0;
};

TEST_F(NameFallback, AnswersForServicesNodesAndNumbers)
{
    const int numeric = AI_NUMERICHOST, canon = AI_CANONNAME, passive = AI_PASSIVE;
    const struct
    {
        const char* node;
        const char* service;
        int hint_flags; // -1: no hints
        int rc;
        std::vector<Record> records;
    } cases[] = {
        {nullptr, "80", -1, 0, {{0, 0, "127.0.0.1", 80, "-"}}},
        {nullptr, "qorctrl00", passive, 0, {{0, SOCK_STREAM, "0.0.0.0", 8080, "-"}}},
        {nullptr, "70000", -1, U16_WSAHOST_NOT_FOUND, {}},
        {nullptr, "80x", -1, U16_WSAHOST_NOT_FOUND, {}},
        {nullptr, nullptr, -1, U16_WSAHOST_NOT_FOUND, {}},
        {nullptr, "80", canon, U16_WSAEINVAL, {}},
        {"10.1.2.3", nullptr, numeric | canon, 0, {{numeric, 0, "10.1.2.3", 0, "10.1.2.3"}}},
        {"10.1.2.3", "8080", numeric | canon, 0, {{numeric, 0, "10.1.2.3", 8080, "10.1.2.3:8080"}}},
        {"10.1.2.3", "8080", numeric, 0, {{numeric, 0, "10.1.2.3", 8080, "-"}}},
        {"10.1.2", nullptr, numeric, U16_WSAHOST_NOT_FOUND, {}},
        {"10.1.2.3x", nullptr, numeric, U16_WSAHOST_NOT_FOUND, {}},
        {"10.1.2.3.4", nullptr, numeric, U16_WSAHOST_NOT_FOUND, {}},
        {"10.1.2.256", nullptr, numeric, U16_WSAHOST_NOT_FOUND, {}},
        {"::1", nullptr, numeric, U16_WSAHOST_NOT_FOUND, {}},
        {"qorhost",
         "qorctrl00",
         canon,
         0,
         {{0, SOCK_STREAM, "10.0.0.1", 8080, "qorhost.example"},
          {0, SOCK_STREAM, "10.0.0.2", 8080, "qorhost.example"}}},
        {"short", nullptr, canon, 0, {{0, 0, "10.0.0.3", 0, "short.example.org"}}},
        {"bare", nullptr, canon, 0, {{0, 0, "10.0.0.4", 0, "-"}}},
        {"bare", nullptr, 0, 0, {{0, 0, "10.0.0.4", 0, "-"}}},
        {"six", nullptr, -1, U16_WSAHOST_NOT_FOUND, {}},
        {"unknown", nullptr, -1, U16_WSAHOST_NOT_FOUND, {}},
    };
    for (const auto& c : cases) {
        addrinfo hints{};
        hints.ai_flags = c.hint_flags;
        std::vector<Record> got;
        const std::string what = std::string(c.node != nullptr ? c.node : "(null)") + " " +
                                 (c.service != nullptr ? c.service : "(null)");
        EXPECT_EQ(resolve(c.node, c.service, c.hint_flags < 0 ? nullptr : &hints, &got), c.rc)
            << what;
        ASSERT_EQ(got.size(), c.records.size()) << what;
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].flags, c.records[i].flags) << what;
            EXPECT_EQ(got[i].socket_type, c.records[i].socket_type) << what;
            EXPECT_EQ(got[i].address, c.records[i].address) << what;
            EXPECT_EQ(got[i].port, c.records[i].port) << what;
            EXPECT_EQ(got[i].canonical, c.records[i].canonical) << what;
        }
    }
}

TEST_F(NameFallback, RefusesHintsThatCarryResults)
{
    addrinfo next{};
    addrinfo hints{};
    hints.ai_next = &next;
    std::vector<Record> got;
    EXPECT_EQ(resolve("qorhost", nullptr, &hints, &got), U16_WSAEINVAL);
    hints = addrinfo{};
    hints.ai_addrlen = 16;
    EXPECT_EQ(resolve("qorhost", nullptr, &hints, &got), U16_WSAEINVAL);
}

TEST_F(NameFallback, MapsTheClassicCallsErrors)
{
    const struct
    {
        int classic;
        int service_rc; // a name that is no number
        int host_rc;
    } cases[] = {
        {U16_WSAHOST_NOT_FOUND, U16_WSAHOST_NOT_FOUND, U16_WSAHOST_NOT_FOUND},
        {U16_WSANO_DATA, U16_WSAHOST_NOT_FOUND, U16_WSAHOST_NOT_FOUND},
        {U16_WSATRY_AGAIN, U16_WSATRY_AGAIN, U16_WSATRY_AGAIN},
        {U16_WSAEINTR, U16_WSATRY_AGAIN, U16_WSATRY_AGAIN},
        {U16_WSAEINPROGRESS, U16_WSATRY_AGAIN, U16_WSATRY_AGAIN},
        {U16_WSANOTINITIALISED, U16_WSAEINVAL, U16_WSAEINVAL},
        {10050, U16_WSANO_RECOVERY, U16_WSANO_RECOVERY},
    };
    std::vector<Record> got;
    for (const auto& c : cases) {
        resolver_.fail_services_with(c.classic);
        resolver_.fail_hosts_with(c.classic);
        EXPECT_EQ(resolve(nullptr, "nosuchservice", nullptr, &got), c.service_rc) << c.classic;
        EXPECT_EQ(resolve("nosuchhost", nullptr, nullptr, &got), c.host_rc) << c.classic;
    }
    // A port number is read whenever the name is not known.
    resolver_.fail_services_with(U16_WSANO_DATA);
    ASSERT_EQ(resolve(nullptr, "65535", nullptr, &got), 0);
    EXPECT_EQ(got.at(0).port, 65535);
    resolver_.fail_services_with(U16_WSATRY_AGAIN);
    EXPECT_EQ(resolve(nullptr, "80", nullptr, &got), U16_WSATRY_AGAIN);
}

TEST_F(NameFallback, TheBlockGrowsUntilTheAnswerFitsAndStopsAtItsLimit)
{
    FakeHost many{"many.example", {}, AF_INET, 4, {}};
    for (int i = 0; i < 100; ++i)
        many.addresses.push_back(
            ipv4(("10.1." + std::to_string(i / 256) + "." + std::to_string(i % 256)).c_str()));
    resolver_.add_host("many", many);
    FakeHost too_many = many;
    while (too_many.addresses.size() * (sizeof(addrinfo) + 16) <= 524288)
        too_many.addresses.push_back(ipv4("10.2.0.0"));
    resolver_.add_host("too-many", too_many);

    addrinfo hints{};
    hints.ai_flags = AI_CANONNAME;
    addrinfo* list = nullptr;
    ASSERT_EQ(nlsui_fallback_getaddrinfo("many", nullptr, &hints, &list), 0);
    const std::vector<Record> got = records_of(list);
    ASSERT_EQ(got.size(), 100u);
    EXPECT_EQ(got[0].address, "10.1.0.0");
    EXPECT_EQ(got[99].address, "10.1.0.99");
    for (const addrinfo* ai = list; ai != nullptr; ai = ai->ai_next)
        EXPECT_EQ(ai->ai_canonname, list->ai_canonname) << "one copy of the name";
    nlsui_fallback_freeaddrinfo(list);

    list = reinterpret_cast<addrinfo*>(&sentinel_);
    EXPECT_EQ(nlsui_fallback_getaddrinfo("too-many", nullptr, nullptr, &list),
              U16_WSA_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(list, nullptr);
    EXPECT_EQ(nlsui_fallback_getaddrinfo("many", nullptr, nullptr, nullptr), U16_WSAEINVAL);
}

// The block sizes asked for; sizes above g_largest_given are refused.
std::vector<size_t> g_sizes;
size_t g_largest_given = 0;
void* recording_allocate(size_t size)
{
    g_sizes.push_back(size);
    return size <= g_largest_given ? std::malloc(size) : nullptr;
}

TEST_F(NameFallback, TheLastBlockHasHalfAMegabyteAndAFailedAllocationEndsTheCall)
{
    constexpr size_t kRecord = 64; // a record and its address, each 16-byte aligned
    FakeHost full{"full", {}, AF_INET, 4, {}};
    full.addresses.assign(524288 / kRecord, ipv4("10.3.0.1"));
    resolver_.add_host("full", full);
    full.addresses.push_back(ipv4("10.3.0.2"));
    resolver_.add_host("over", full);
    std::vector<size_t> doubling;
    for (size_t size = 256; size <= 524288; size *= 2)
        doubling.push_back(size);

    const struct
    {
        const char* node;
        size_t largest_given;
        int rc;
        size_t blocks; // of the doubling sizes, in order
    } cases[] = {
        {"full", SIZE_MAX, 0, doubling.size()},
        {"over", SIZE_MAX, U16_WSA_NOT_ENOUGH_MEMORY, doubling.size()},
        {"qorhost", 0, U16_WSA_NOT_ENOUGH_MEMORY, 1},
        {"full", 4096, U16_WSA_NOT_ENOUGH_MEMORY, 6},
    };
    nlsui_fallback_set_allocator(recording_allocate);
    for (const auto& c : cases) {
        g_sizes.clear();
        g_largest_given = c.largest_given;
        std::vector<Record> got;
        EXPECT_EQ(resolve(c.node, nullptr, nullptr, &got), c.rc) << c.node;
        EXPECT_EQ(got.size(), c.rc == 0 ? full.addresses.size() - 1 : 0u) << c.node;
        EXPECT_EQ(g_sizes, std::vector<size_t>(doubling.begin(), doubling.begin() + c.blocks))
            << c.node << " up to " << c.largest_given;
    }
    nlsui_fallback_set_allocator(nullptr);
}

sockaddr_in ipv4_address(const char* text, int port)
{
    sockaddr_in in{};
    in.sin_family = AF_INET;
    in.sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, text, &in.sin_addr);
    return in;
}

TEST_F(NameFallback, ReverseLookUps)
{
    resolver_.add_reverse(FakeHost{"qorhost", {"qorhost.example"}, AF_INET, 4, {ipv4("10.0.0.1")}});
    resolver_.add_service(FakeService{"qormsg", "udp", 3900, {}});
    const int numeric = NI_NUMERICHOST | NI_NUMERICSERV;
    const struct
    {
        const char* address;
        int port;
        int flags;
        socklen_t host_size;
        socklen_t service_size;
        int rc;
        const char* host;
        const char* service;
    } cases[] = {
        {"127.0.0.1", 80, numeric, 64, 16, 0, "127.0.0.1", "80"},
        {"127.0.0.1", 80, numeric, 15, 16, U16_WSA_NOT_ENOUGH_MEMORY, "", ""},
        {"127.0.0.1", 80, numeric, 16, 5, U16_WSA_NOT_ENOUGH_MEMORY, "127.0.0.1", ""},
        {"127.0.0.1", 80, numeric, 0, 6, 0, "", "80"},
        {"10.0.0.1", 8080, 0, 64, 16, 0, "qorhost.example", "qorctrl00"},
        {"10.0.0.1", 8080, NI_NOFQDN, 64, 16, 0, "qorhost", "qorctrl00"},
        {"10.0.0.1", 8080, 0, 15, 16, U16_WSA_NOT_ENOUGH_MEMORY, "", ""},
        {"10.0.0.1", 3900, NI_DGRAM | NI_NUMERICHOST, 64, 16, 0, "10.0.0.1", "qormsg"},
        {"10.0.0.1", 3900, NI_NUMERICHOST, 64, 16, 0, "10.0.0.1", "3900"},
        {"10.0.0.1", 8080, NI_NUMERICHOST, 64, 9, U16_WSA_NOT_ENOUGH_MEMORY, "10.0.0.1", ""},
        {"10.9.9.9", 1, 0, 64, 16, 0, "10.9.9.9", "1"},
        {"10.9.9.9", 1, NI_NAMEREQD, 64, 16, U16_WSAHOST_NOT_FOUND, "", ""},
    };
    for (const auto& c : cases) {
        const sockaddr_in in = ipv4_address(c.address, c.port);
        char host[64] = "";
        char service[16] = "";
        EXPECT_EQ(nlsui_fallback_getnameinfo(reinterpret_cast<const sockaddr*>(&in), sizeof in,
                                             host, c.host_size, service, c.service_size, c.flags),
                  c.rc)
            << c.address << " " << c.flags;
        EXPECT_STREQ(host, c.host) << c.address << " " << c.flags;
        EXPECT_STREQ(service, c.service) << c.address << " " << c.flags;
    }
}

TEST_F(NameFallback, ReverseLookUpsOfOtherFamiliesAndShortAddresses)
{
    sockaddr_in6 in6{};
    in6.sin6_family = AF_INET6;
    in6.sin6_port = htons(8080);
    inet_pton(AF_INET6, "fe80::12:ab00", &in6.sin6_addr);
    char host[64] = "";
    char service[16] = "";
    const auto* sa6 = reinterpret_cast<const sockaddr*>(&in6);
    ASSERT_EQ(
        nlsui_fallback_getnameinfo(sa6, sizeof in6, host, sizeof host, service, sizeof service, 0),
        0);
    EXPECT_STREQ(host, "fe80:0:0:0:0:0:12:ab00");
    EXPECT_STREQ(service, "qorctrl00");
    EXPECT_EQ(nlsui_fallback_getnameinfo(sa6, sizeof in6, host, 45, service, sizeof service, 0),
              U16_WSA_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(nlsui_fallback_getnameinfo(sa6, sizeof in6, host, sizeof host, service,
                                         sizeof service, NI_NAMEREQD),
              U16_WSAHOST_NOT_FOUND);

    // An address shorter than its family's record is never read past its end.
    const sockaddr_in in = ipv4_address("127.0.0.1", 80);
    const auto* sa = reinterpret_cast<const sockaddr*>(&in);
    EXPECT_EQ(nlsui_fallback_getnameinfo(sa, sizeof in - 1, host, sizeof host, nullptr, 0,
                                         NI_NUMERICHOST),
              U16_WSAEINVAL);
    EXPECT_EQ(nlsui_fallback_getnameinfo(sa6, sizeof in, host, sizeof host, nullptr, 0, 0),
              U16_WSAEINVAL);
    sockaddr other{};
    other.sa_family = AF_UNIX;
    EXPECT_EQ(nlsui_fallback_getnameinfo(&other, sizeof other, host, sizeof host, nullptr, 0, 0),
              U16_WSAHOST_NOT_FOUND);
}

// The name functions cannot be bound here: their slots answer with the
// fallback.
TEST(NameFallbackSlots, AnswerWithTheFallback)
{
    FakeResolver resolver;
    resolver.add_host("qorhost", FakeHost{"qorhost.example", {}, AF_INET, 4, {ipv4("10.0.0.1")}});
    addrinfo* list = nullptr;
    ASSERT_EQ(qorapi::getaddrinfo("qorhost", "81", nullptr, &list), 0);
    const std::vector<Record> got = records_of(list);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].address, "10.0.0.1");
    EXPECT_EQ(got[0].port, 81);
    qorapi::freeaddrinfo(list);
    char host[32];
    const sockaddr_in in = ipv4_address("10.0.0.1", 81);
    EXPECT_EQ(qorapi::getnameinfo(reinterpret_cast<const sockaddr*>(&in), sizeof in, host,
                                  sizeof host, nullptr, 0, NI_NUMERICHOST),
              0);
    EXPECT_STREQ(host, "10.0.0.1");
    EXPECT_STREQ(qorapi::gai_strerror(U16_WSAHOST_NOT_FOUND), "No such host is known. ");
    EXPECT_STREQ(qorapi::gai_strerror(0), "The operation completed successfully. ");
    EXPECT_STREQ(qorapi::gai_strerror(12345), "The operation completed successfully. ");
}

} // namespace
