#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netdb.h>

#include <cerrno>
#include <set>
#include <string>

#include "platform/u16_netdb.h"
#include "u16/fake_resolver.h"
#include "u16/u16_netdb.h"
#include "u16/u16_test_util.h"

namespace {

using u16test::DiagCapture;
using u16test::FakeHost;
using u16test::FakeResolver;
using u16test::FakeService;
using u16test::ipv4;
using u16test::W;

std::set<std::string> addresses_of(const hostentU16* h)
{
    std::set<std::string> out;
    for (int i = 0; h->h_addr_list[i] != nullptr; ++i)
        out.emplace(h->h_addr_list[i], static_cast<size_t>(h->h_length));
    return out;
}

// The C library's addresses of one family for a name.
std::set<std::string> c_library_addresses(const char* name, int family, int* rc)
{
    addrinfo hints{};
    hints.ai_family = family;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    std::set<std::string> out;
    *rc = getaddrinfo(name, nullptr, &hints, &list);
    for (addrinfo* ai = *rc == 0 ? list : nullptr; ai != nullptr; ai = ai->ai_next) {
        if (family == AF_INET)
            out.emplace(reinterpret_cast<const char*>(
                            &reinterpret_cast<sockaddr_in*>(ai->ai_addr)->sin_addr),
                        4);
        else
            out.emplace(reinterpret_cast<const char*>(
                            &reinterpret_cast<sockaddr_in6*>(ai->ai_addr)->sin6_addr),
                        16);
    }
    if (list != nullptr)
        freeaddrinfo(list);
    return out;
}

TEST(HostLookup, AgreesWithTheCLibrary)
{
    const struct
    {
        const char* name;
        int family;
        int asked; // AF_UNSPEC: the classic look-up
    } cases[] = {
        {"localhost", AF_INET, AF_UNSPEC}, {"127.0.0.1", AF_INET, AF_UNSPEC},
        {"::1", AF_INET6, AF_UNSPEC},      {"127.0.0.1", AF_INET, AF_INET},
        {"::1", AF_INET6, AF_INET6},       {"127.0.0.1", AF_INET6, AF_INET6},
        {"::1", AF_INET, AF_INET},
    };
    for (const auto& c : cases) {
        int rc = 0;
        const std::set<std::string> expected = c_library_addresses(c.name, c.family, &rc);
        const hostentU16* h = c.asked == AF_UNSPEC ? gethostbynameU16(W(c.name).c_str())
                                                   : gethostbyname2U16(W(c.name).c_str(), c.asked);
        if (rc != 0) {
            EXPECT_EQ(h, nullptr) << c.name << " has no address of the family";
            continue;
        }
        ASSERT_NE(h, nullptr) << c.name;
        EXPECT_EQ(h->h_addrtype, c.family) << c.name;
        EXPECT_EQ(h->h_length, c.family == AF_INET ? 4 : 16) << c.name;
        EXPECT_EQ(addresses_of(h), expected) << c.name;
        ASSERT_NE(h->h_name, nullptr);
        EXPECT_EQ(h->h_aliases[0], nullptr) << "the resolver gives no aliases";
    }
}

TEST(HostLookup, AnUnknownNameFailsWithTheResolversReason)
{
    int rc = 0;
    c_library_addresses("no-such-host.invalid", AF_UNSPEC, &rc);
    ASSERT_NE(rc, 0);
    u16_net_set_last_error(0);
    EXPECT_EQ(gethostbynameU16(u"no-such-host.invalid"), nullptr);
    EXPECT_EQ(u16_net_last_error(), rc == EAI_AGAIN ? U16_WSATRY_AGAIN : U16_WSAHOST_NOT_FOUND);
}

TEST(HostLookup, NamesThatDoNotFitWholeAreNeverLookedUp)
{
    FakeResolver resolver;
    DiagCapture diag;
    const std::u16string a255(255, u'a'), a254(254, u'a'), a253(253, u'a');
    const struct
    {
        std::u16string name;
        const char* passed; // null: not looked up
    } cases[] = {
        {a255, "255 bytes"},
        {a255 + u"a", nullptr},
        {a254 + u"\u00e9", nullptr}, // 256 bytes: the last character would be cut
        {a253 + u"\u00e9", "253 + 2 bytes"},
        {a255 + u"\u00e9", nullptr},
    };
    for (const auto& c : cases) {
        const size_t before = resolver.host_queries().size();
        diag.clear();
        errno = 0;
        EXPECT_EQ(gethostbynameU16(c.name.c_str()), nullptr);
        if (c.passed == nullptr) {
            EXPECT_EQ(resolver.host_queries().size(), before) << c.name.size();
            EXPECT_NE(diag.text().find("MAX_HOSTNAME_LN"), std::string::npos);
            EXPECT_EQ(errno, ENAMETOOLONG);
        } else {
            ASSERT_EQ(resolver.host_queries().size(), before + 1) << c.passed;
            std::string utf8(c.name.begin(), c.name.end() - (c.name.back() > 0x7f ? 1 : 0));
            if (c.name.back() > 0x7f)
                utf8 += "\xc3\xa9";
            EXPECT_EQ(resolver.host_queries().back(), utf8) << c.passed;
        }
    }
}

TEST(HostLookup, ListsUpToTheirLimits)
{
    FakeResolver resolver;
    DiagCapture diag;
    FakeHost host{"host.example", {}, AF_INET, 4, {}};
    for (int i = 0; i < 63; ++i) {
        host.aliases.push_back("alias" + std::to_string(i));
        host.addresses.push_back(ipv4(("10.0.0." + std::to_string(i)).c_str()));
    }
    resolver.add_host("full", host);
    FakeHost more_aliases = host;
    more_aliases.aliases.push_back("alias63");
    resolver.add_host("aliases", more_aliases);
    FakeHost more_addresses = host;
    more_addresses.addresses.push_back(ipv4("10.0.0.63"));
    resolver.add_host("addresses", more_addresses);
    FakeHost long_address{"wide", {}, AF_INET6, 17, {std::string(17, 'x')}};
    resolver.add_host("wide", long_address);
    FakeHost bad_name{"\xff\xfe", {}, AF_INET, 4, {ipv4("10.0.0.1")}};
    resolver.add_host("bad", bad_name);
    resolver.add_host("", FakeHost{"self", {}, AF_INET, 4, {ipv4("10.9.8.7")}});

    const hostentU16* h = gethostbynameU16(u"full");
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(std::u16string(h->h_name), u"host.example");
    EXPECT_EQ(std::u16string(h->h_aliases[62]), u"alias62");
    EXPECT_EQ(h->h_aliases[63], nullptr);
    EXPECT_EQ(std::string(h->h_addr_list[62], 4), ipv4("10.0.0.62"));
    EXPECT_EQ(h->h_addr_list[63], nullptr);
    h = gethostbynameU16(nullptr);
    ASSERT_NE(h, nullptr);
    EXPECT_FALSE(resolver.host_queries().back().has_value()) << "no name: this machine";
    EXPECT_EQ(std::string(h->h_addr_list[0], 4), ipv4("10.9.8.7"));

    const struct
    {
        const char16_t* name;
        const char* report; // null: no report, only the result
    } refused[] = {
        {u"aliases", "MAX_ALIASES"},
        {u"addresses", "MAX_ADDRESSES"},
        {u"wide", "MAX_IPADDR_LN"},
        {u"bad", nullptr},
    };
    for (const auto& c : refused) {
        diag.clear();
        EXPECT_EQ(gethostbynameU16(c.name), nullptr);
        if (c.report != nullptr) {
            EXPECT_NE(diag.text().find(c.report), std::string::npos) << diag.text();
        }
    }
}

TEST(ServiceLookup, AgreesWithTheServicesTable)
{
    servent entry{};
    servent* found = nullptr;
    char buf[1024];
    if (getservbyname_r("http", "tcp", &entry, buf, sizeof buf, &found) != 0 || found == nullptr)
        GTEST_SKIP() << "the services table has no http";
    const serventU16* s = getservbynameU16(u"http", u"tcp");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->s_port, static_cast<int16_t>(found->s_port));
    EXPECT_EQ(s->s_name, W(found->s_name));
    EXPECT_EQ(s->s_proto, std::u16string(u"tcp"));

    u16_net_set_last_error(0);
    EXPECT_EQ(getservbynameU16(u"qorctrl-not-a-service", u"tcp"), nullptr);
    EXPECT_EQ(u16_net_last_error(), U16_WSANO_DATA);
}

TEST(ServiceLookup, ArgumentLimitsAndThePortsByteOrder)
{
    FakeResolver resolver;
    DiagCapture diag;
    const std::string name31(31, 's'), name32(32, 's');
    resolver.add_service(FakeService{name31, "tcp", 80, {"www"}});
    resolver.add_service(FakeService{"high", "tcp", 128, {}});
    const struct
    {
        std::u16string name;
        std::u16string protocol;
        bool found;
        int32_t port; // as stored in the record
    } cases[] = {
        {W(name31), u"tcp", true, 0x5000},
        {W(name32), u"tcp", false, 0},
        {W(name31), u"tcptcptc", false, 0}, // 8 bytes leave no room for the terminator
        {W(name31), u"udp", false, 0},
        {u"high", u"tcp", true, -32768}, // 0x8000 in network order, widened with sign
    };
    for (const auto& c : cases) {
        const serventU16* s = getservbynameU16(c.name.c_str(), c.protocol.c_str());
        ASSERT_EQ(s != nullptr, c.found) << c.name.size() << " " << c.protocol.size();
        if (s != nullptr) {
            EXPECT_EQ(s->s_port, c.port);
            EXPECT_EQ(std::u16string(s->s_proto), u"tcp");
        }
    }
    const serventU16* s = getservbynameU16(W(name31).c_str(), nullptr);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(std::u16string(s->s_aliases[0]), u"www");
    EXPECT_EQ(s->s_aliases[1], nullptr);
    EXPECT_EQ(resolver.service_queries().size(), 4u) << "over-long arguments are not looked up";
}

} // namespace
