#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "ni/ni.h"
#include "platform/ni_si.h"
#include "u16/fake_resolver.h"

namespace {

std::u16string u16(const std::string& s)
{
    return std::u16string(s.begin(), s.end());
}

class ServicesFile : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/ni_services_XXXXXX";
        int fd = mkstemp(tmpl);
        ASSERT_GE(fd, 0);
        close(fd);
        path_ = tmpl;
        std::ofstream out(path_);
        out << "# test services\n"
               "qorctrl00\t8080/tcp\t\t# instance 0\n"
               "qorctrls00 8443/udp\n"
               "qorzoziduro 1128/tcp hostctrl alias2\n"
               "broken 99999/tcp\n"
               "nonnumeric abc/tcp\n"
               "   \n"
               "qorctrl01 50113/tcp\n";
        out.close();
        NiSetServicesFile(path_.c_str());
    }
    void TearDown() override
    {
        NiSetServicesFile(nullptr);
        std::remove(path_.c_str());
    }
    std::string path_;
};

TEST_F(ServicesFile, LooksUpTcpEntriesNamesAndAliases)
{
    struct Case
    {
        const char* name;
        int rc;
        uint16_t port;
    } cases[] = {
        {"qorctrl00", QOR_O_K, 8080},      {"qorctrl01", QOR_O_K, 50113},
        {"qorzoziduro", QOR_O_K, 1128},    {"hostctrl", QOR_O_K, 1128},
        {"alias2", QOR_O_K, 1128},         {"qorctrls00", NIESERV_UNKNOWN, 0}, // udp only
        {"broken", NIESERV_UNKNOWN, 0},    {"nonnumeric", NIESERV_UNKNOWN, 0},
        {"QORCTRL00", NIESERV_UNKNOWN, 0}, {"qorctrl0", NIESERV_UNKNOWN, 0},
        {"instance", NIESERV_UNKNOWN, 0}, // a word of a comment is no entry
    };
    for (const Case& c : cases) {
        uint16_t port = 4711;
        std::u16string name = u16(c.name);
        EXPECT_EQ(NiServToNo(name.c_str(), &port), c.rc) << c.name;
        EXPECT_EQ(port, c.rc == QOR_O_K ? c.port : 4711) << c.name << ": port written on failure";
    }
}

TEST(NiServToNo, RejectsInvalidArguments)
{
    uint16_t port = 7;
    std::u16string name31(31, u'x'), name32(32, u'x');
    EXPECT_EQ(NiServToNo(nullptr, &port), NIEINVAL);
    EXPECT_EQ(NiServToNo(u"http", nullptr), NIEINVAL);
    EXPECT_EQ(NiServToNo(name32.c_str(), &port), NIEINVAL);
    EXPECT_EQ(NiServToNo(name31.c_str(), &port), NIESERV_UNKNOWN);
    EXPECT_EQ(NiServToNo(u"", &port), NIESERV_UNKNOWN);
    EXPECT_EQ(NiServToNo(u"h\u00e9ttp", &port), NIESERV_UNKNOWN);
    EXPECT_EQ(port, 7);
}

TEST(NiServToNo, UsesTheSystemServicesDatabase)
{
    std::ifstream services("/etc/services");
    if (!services)
        GTEST_SKIP() << "no services database";
    uint16_t port = 0;
    ASSERT_EQ(NiServToNo(u"http", &port), QOR_O_K);
    EXPECT_EQ(port, 80);
    EXPECT_EQ(NiServToNo(u"qorctrl-not-a-service", &port), NIESERV_UNKNOWN);
}

// A non-loopback IPv4 address of one of this machine's interfaces, "" if none.
std::string some_interface_address()
{
    ifaddrs* list = nullptr;
    std::string found;
    if (getifaddrs(&list) != 0)
        return found;
    for (ifaddrs* it = list; it != nullptr && found.empty(); it = it->ifa_next) {
        if (it->ifa_addr == nullptr || it->ifa_addr->sa_family != AF_INET)
            continue;
        char buf[INET_ADDRSTRLEN];
        auto* in = reinterpret_cast<sockaddr_in*>(it->ifa_addr);
        if (ntohl(in->sin_addr.s_addr) >> 24 == 127)
            continue;
        if (inet_ntop(AF_INET, &in->sin_addr, buf, sizeof buf) != nullptr)
            found = buf;
    }
    freeifaddrs(list);
    return found;
}

// True when one of this machine's interfaces carries the address ::1.
bool has_ipv6_loopback()
{
    ifaddrs* list = nullptr;
    bool found = false;
    if (getifaddrs(&list) != 0)
        return false;
    for (ifaddrs* it = list; it != nullptr && !found; it = it->ifa_next) {
        if (it->ifa_addr == nullptr || it->ifa_addr->sa_family != AF_INET6)
            continue;
        found = IN6_IS_ADDR_LOOPBACK(&reinterpret_cast<sockaddr_in6*>(it->ifa_addr)->sin6_addr);
    }
    freeifaddrs(list);
    return found;
}

TEST(NiIsLocalHost, KnowsTheLocalNames)
{
    unsetenv("NI_USEIPv6");
    struct Case
    {
        const char16_t* host;
        int local;
    } cases[] = {
        {u"localhost", 1}, {u"127.0.0.1", 1},
        {u"192.0.2.1", 0}, // documentation network, never local
        {u"", 0},          {u"no-such-host.invalid", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NiIsLocalHost(c.host), c.local);
    EXPECT_EQ(NiIsLocalHost(nullptr), 0);
    std::u16string too_long(256, u'a');
    EXPECT_EQ(NiIsLocalHost(too_long.c_str()), 0);

    // Without NI_USEIPv6, "::1" is local when an interface carries it.
    EXPECT_EQ(NiIsLocalHost(u"::1"), has_ipv6_loopback() ? 1 : 0);
    setenv("NI_USEIPv6", "1", 1);
    EXPECT_EQ(NiIsLocalHost(u"::1"), 1);
    unsetenv("NI_USEIPv6");
}

TEST(NiIsLocalHost, AcceptsAnAddressOfALocalInterface)
{
    std::string addr = some_interface_address();
    if (addr.empty())
        GTEST_SKIP() << "no non-loopback interface";
    EXPECT_EQ(NiIsLocalHost(u16(addr).c_str()), 1) << addr;
}

// Names resolved by the test's own resolver.
class NiNames : public ::testing::Test
{
  protected:
    void SetUp() override { NiSetServicesFile(nullptr); } // empties the service cache
    void TearDown() override { NiSetServicesFile(nullptr); }
    u16test::FakeResolver resolver_;
};

TEST_F(NiNames, ServicePortsComeFromTheCacheOnceFound)
{
    resolver_.add_service(u16test::FakeService{"qorctrl07", "tcp", 50713, {}});
    resolver_.add_service(u16test::FakeService{"qorctrls07", "udp", 50714, {}});
    uint16_t port = 0;
    ASSERT_EQ(NiServToNo(u"qorctrl07", &port), QOR_O_K);
    EXPECT_EQ(port, 50713);
    port = 0;
    ASSERT_EQ(NiServToNo(u"qorctrl07", &port), QOR_O_K);
    EXPECT_EQ(port, 50713);
    EXPECT_EQ(NiServToNo(u"qorctrls07", &port), NIESERV_UNKNOWN) << "tcp entries only";
    EXPECT_EQ(NiServToNo(u"qorctrls07", &port), NIESERV_UNKNOWN);
    const std::vector<std::string> asked = {"qorctrl07", "qorctrls07", "qorctrls07"};
    EXPECT_EQ(resolver_.service_queries(), asked) << "a found port is asked for once";
    NiSetServicesFile(nullptr);
    ASSERT_EQ(NiServToNo(u"qorctrl07", &port), QOR_O_K);
    EXPECT_EQ(resolver_.service_queries().size(), 4u) << "a new services source empties the cache";
}

TEST_F(NiNames, ALocalHostHasAnAddressOfALocalInterface)
{
    const std::string local = some_interface_address();
    if (local.empty())
        GTEST_SKIP() << "no non-loopback interface";
    resolver_.add_host(
        "qorlocal", u16test::FakeHost{"qorlocal",
                                      {},
                                      AF_INET,
                                      4,
                                      {u16test::ipv4("192.0.2.1"), u16test::ipv4(local.c_str())}});
    resolver_.add_host(
        "qorremote", u16test::FakeHost{"qorremote", {}, AF_INET, 4, {u16test::ipv4("192.0.2.1")}});
    // The right address bytes of a family the network layer does not know.
    resolver_.add_host("qorodd",
                       u16test::FakeHost{"qorodd", {}, AF_UNIX, 4, {u16test::ipv4(local.c_str())}});
    const struct
    {
        const char16_t* host;
        int local;
    } cases[] = {{u"qorlocal", 1}, {u"qorremote", 0}, {u"qorodd", 0}, {u"qorunknown", 0}};
    for (const auto& c : cases)
        EXPECT_EQ(NiIsLocalHost(c.host), c.local);
    const size_t asked = resolver_.host_queries().size();
    EXPECT_EQ(NiIsLocalHost(std::u16string(255, u'q').c_str()), 0);
    const size_t asked_255 = resolver_.host_queries().size();
    EXPECT_GT(asked_255, asked);
    EXPECT_EQ(resolver_.host_queries().back(), std::string(255, 'q'));
    EXPECT_EQ(NiIsLocalHost(std::u16string(256, u'q').c_str()), 0);
    EXPECT_EQ(resolver_.host_queries().size(), asked_255) << "a name is never looked up cut";
}

// An IPv6 address of one of this machine's interfaces as raw bytes, "" if none.
std::string some_ipv6_interface_address()
{
    ifaddrs* list = nullptr;
    std::string found;
    if (getifaddrs(&list) != 0)
        return found;
    for (ifaddrs* it = list; it != nullptr && found.empty(); it = it->ifa_next)
        if (it->ifa_addr != nullptr && it->ifa_addr->sa_family == AF_INET6)
            found.assign(reinterpret_cast<const char*>(
                             &reinterpret_cast<sockaddr_in6*>(it->ifa_addr)->sin6_addr),
                         16);
    freeifaddrs(list);
    return found;
}

TEST_F(NiNames, IPv6AddressesCountLikeIPv4Ones)
{
    const std::string local = some_ipv6_interface_address();
    if (local.empty())
        GTEST_SKIP() << "no IPv6 interface";
    in6_addr doc{};
    inet_pton(AF_INET6, "2001:db8::1", &doc);
    const std::string remote6(reinterpret_cast<const char*>(&doc), 16);
    const std::string remote4 = u16test::ipv4("192.0.2.1");
    const struct
    {
        const char* name;
        std::vector<std::string> ipv4, ipv6; // no host of a family without addresses
        int local;
    } cases[] = {
        {"qordual", {remote4}, {remote6, local}, 1},
        {"qorsix", {}, {local}, 1},
        {"qordualremote", {remote4}, {remote6}, 0},
    };
    for (const auto& c : cases) {
        if (!c.ipv4.empty())
            resolver_.add_host(c.name, u16test::FakeHost{c.name, {}, AF_INET, 4, c.ipv4});
        resolver_.add_host(c.name, u16test::FakeHost{c.name, {}, AF_INET6, 16, c.ipv6});
        EXPECT_EQ(NiIsLocalHost(u16(c.name).c_str()), c.local) << c.name;
    }
}

SiAddress numeric_address(const std::string& text)
{
    SiAddress address{AF_INET, {}};
    if (inet_pton(AF_INET, text.c_str(), address.bytes) != 1) {
        address.family = AF_INET6;
        EXPECT_EQ(inet_pton(AF_INET6, text.c_str(), address.bytes), 1) << text;
    }
    return address;
}

// The addresses of this machine's interfaces other than loopback ones, with
// whether their interface is up.
std::vector<std::pair<std::string, bool>> interface_addresses()
{
    std::vector<std::pair<std::string, bool>> found;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return found;
    for (ifaddrs* it = list; it != nullptr; it = it->ifa_next) {
        SiAddress address{};
        if (!SiAddressOf(it->ifa_addr, &address) ||
            (address.family == AF_INET && address.bytes[0] == 127) ||
            (address.family == AF_INET6 &&
             IN6_IS_ADDR_LOOPBACK(reinterpret_cast<const in6_addr*>(address.bytes))))
            continue;
        found.emplace_back(SiAddressText(address), (it->ifa_flags & IFF_UP) != 0);
    }
    freeifaddrs(list);
    return found;
}

TEST(SiIsLocalAddress, LoopbackAndTheAddressesOfInterfacesThatAreUp)
{
    const struct
    {
        const char* address;
        bool local;
    } cases[] = {
        {"127.0.0.1", true},        {"127.0.0.2", true},
        {"127.255.255.254", true},  {"::1", true},
        {"::ffff:127.0.0.2", true}, // IPv4-mapped: the IPv4 address it carries
        {"0.0.0.0", false},         {"::", false},
        {"::127.0.0.1", false}, // IPv4-compatible: an IPv6 address like any other
        {"203.0.113.7", false},     {"::ffff:203.0.113.7", false},
        {"2001:db8::7", false},
    };
    for (const auto& c : cases) {
        const SiAddress address = numeric_address(c.address);
        EXPECT_EQ(SiIsLocalAddress(address), c.local) << c.address;
        EXPECT_EQ(SiAddressText(address), c.address);
    }
    for (const auto& [text, up] : interface_addresses()) {
        EXPECT_EQ(SiIsLocalAddress(numeric_address(text)), up) << text;
        if (text.find(':') == std::string::npos) {
            EXPECT_EQ(SiIsLocalAddress(numeric_address("::ffff:" + text)), up) << text;
        }
    }
    EXPECT_FALSE(SiIsLocalAddress(SiAddress{AF_UNIX, {}}));
}

TEST(NiErrors, EveryCodeHasANameAndAText)
{
    struct Case
    {
        int rc;
        const char* name;
    } cases[] = {
        {NIEINTERN, "NIEINTERN"},
        {NIEHOST_UNKNOWN, "NIEHOST_UNKNOWN"},
        {NIESERV_UNKNOWN, "NIESERV_UNKNOWN"},
        {NIETIMEOUT, "NIETIMEOUT"},
        {NIECONN_BROKEN, "NIECONN_BROKEN"},
        {NIEINVAL, "NIEINVAL"},
        {NIEHANDLES, "NIEHANDLES"},
        {NIECONN_REFUSED, "NIECONN_REFUSED"},
        {NIENOT_INIT, "NIENOT_INIT"},
        {NIEINVHDL, "NIEINVHDL"},
        {NIESYSTEM, "NIESYSTEM"},
    };
    EXPECT_EQ(NIEINVAL, -8);
    for (const Case& c : cases) {
        EXPECT_STREQ(NiErrName(c.rc), c.name);
        EXPECT_STRNE(NiErrText(c.rc), "unknown error") << c.name;
    }
    EXPECT_STREQ(NiErrName(-999), "NIE?");
    EXPECT_STREQ(NiErrText(-999), "unknown error");
}

} // namespace
