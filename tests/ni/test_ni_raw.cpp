#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "base/err.h"
#include "ni/loopback.h"
#include "ni/ni.h"
#include "platform/ni_si.h"
#include "support/closed_port.h"
#include "u16/fake_resolver.h"

namespace {

class NiRaw : public ::testing::Test
{
  protected:
    void SetUp() override { ASSERT_EQ(NiInit(), QOR_O_K); }
    void TearDown() override { NiExit(); }
};

TEST_F(NiRaw, RoundTripOverLoopback)
{
    LoopbackListener listener;
    NI_HDL hdl = NI_INVALID_HDL;
    ASSERT_EQ(NiRawConnect("127.0.0.1", listener.port(), 2000, &hdl), QOR_O_K);
    EXPECT_GE(hdl, 0);
    EXPECT_EQ(NiOpenHandleCount(), 1);
    int peer = listener.accept_one();
    ASSERT_GE(peer, 0);

    const std::string request = "POST / HTTP/1.1\r\n\r\n";
    ASSERT_EQ(NiRawWriteAll(hdl, request.data(), request.size(), 2000), QOR_O_K);
    char buf[64] = {};
    ASSERT_EQ(recv(peer, buf, sizeof buf, 0), static_cast<ssize_t>(request.size()));
    EXPECT_EQ(std::string(buf, request.size()), request);

    // Nothing to read yet: the readiness test times out, the connection is alive.
    EXPECT_EQ(NiReadable(hdl, 0), NIETIMEOUT);
    EXPECT_EQ(NiCheckAlive(hdl), QOR_O_K);

    ASSERT_EQ(send(peer, "answer", 6, 0), 6);
    EXPECT_EQ(NiReadable(hdl, 2000), QOR_O_K);
    EXPECT_EQ(NiCheckAlive(hdl), NIECONN_BROKEN)
        << "unread data makes a connection unfit for reuse";
    size_t got = 0;
    char in[64];
    ASSERT_EQ(NiRawRead(hdl, in, sizeof in, 2000, &got), QOR_O_K);
    EXPECT_EQ(std::string(in, got), "answer");

    int sock = -1;
    EXPECT_EQ(NiHdlToSock(hdl, &sock), QOR_O_K);
    EXPECT_GE(sock, 0);
    close(peer);
    EXPECT_EQ(NiCloseHandle(hdl), QOR_O_K);
    EXPECT_EQ(NiOpenHandleCount(), 0);
}

TEST_F(NiRaw, PeerCloseIsABrokenConnection)
{
    LoopbackListener listener;
    NI_HDL hdl = NI_INVALID_HDL;
    ASSERT_EQ(NiRawConnect("localhost", listener.port(), 2000, &hdl), QOR_O_K);
    int peer = listener.accept_one();
    ASSERT_GE(peer, 0);
    close(peer);
    EXPECT_EQ(NiReadable(hdl, 2000), QOR_O_K) << "a close is readable";
    EXPECT_EQ(NiCheckAlive(hdl), NIECONN_BROKEN);
    char buf[8];
    size_t got = 99;
    EXPECT_EQ(NiRawRead(hdl, buf, sizeof buf, 2000, &got), NIECONN_BROKEN);
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(NiCloseHandle(hdl), QOR_O_K);
}

// Writing to a peer that has gone ends in a broken connection, not in a
// signal that ends the process.
TEST_F(NiRaw, WritingToAVanishedPeerIsABrokenConnection)
{
    LoopbackListener listener;
    NI_HDL hdl = NI_INVALID_HDL;
    ASSERT_EQ(NiRawConnect("127.0.0.1", listener.port(), 2000, &hdl), QOR_O_K);
    int peer = listener.accept_one();
    ASSERT_GE(peer, 0);
    linger off{1, 0}; // closing resets the connection
    setsockopt(peer, SOL_SOCKET, SO_LINGER, &off, sizeof off);
    close(peer);
    EXPECT_EQ(NiReadable(hdl, 2000), QOR_O_K);
    int rc = QOR_O_K;
    for (int i = 0; i < 100 && rc == QOR_O_K; ++i)
        rc = NiRawWriteAll(hdl, "data", 4, 2000);
    EXPECT_EQ(rc, NIECONN_BROKEN);
    EXPECT_EQ(NiCheckAlive(hdl), NIECONN_BROKEN);
    EXPECT_EQ(NiCloseHandle(hdl), QOR_O_K);
}

TEST_F(NiRaw, ReadTimesOut)
{
    LoopbackListener listener;
    NI_HDL hdl = NI_INVALID_HDL;
    ASSERT_EQ(NiRawConnect("127.0.0.1", listener.port(), 2000, &hdl), QOR_O_K);
    char buf[8];
    size_t got = 99;
    EXPECT_EQ(NiRawRead(hdl, buf, sizeof buf, 50, &got), NIETIMEOUT);
    EXPECT_EQ(got, 0u);
    NiCloseHandle(hdl);
}

TEST_F(NiRaw, ConnectFailures)
{
    const qortest::ClosedPort closed;
    const uint16_t closed_port = closed.port();
    struct Case
    {
        const char* host;
        uint16_t port;
        int rc;
    } cases[] = {
        {"127.0.0.1", closed_port, NIECONN_REFUSED},
        {"no-such-host.invalid", 80, NIEHOST_UNKNOWN},
        {"", 80, NIEINVAL},
    };
    for (const Case& c : cases) {
        NI_HDL hdl = 12345;
        EXPECT_EQ(NiRawConnect(c.host, c.port, 2000, &hdl), c.rc) << c.host;
        EXPECT_EQ(hdl, c.host[0] == '\0' ? 12345 : NI_INVALID_HDL);
    }
    EXPECT_EQ(NiRawConnect(nullptr, 80, 2000, nullptr), NIEINVAL);
    EXPECT_EQ(NiOpenHandleCount(), 0);
}

TEST_F(NiRaw, ARefusedConnectionIsRecordedInTheErrorInformation)
{
    const qortest::ClosedPort closed;
    const uint16_t closed_port = closed.port();
    ErrClear();
    NI_HDL hdl = NI_INVALID_HDL;
    ASSERT_EQ(NiRawConnect("127.0.0.1", closed_port, 2000, &hdl), NIECONN_REFUSED);
    EXPECT_EQ(std::u16string(ErrGetFld(ERR_FLD_ERROR)), u"NIECONN_REFUSED");
    EXPECT_EQ(std::u16string(ErrGetFld(ERR_FLD_COMPONENT)), u"NI (network interface)");
    const std::string port = std::to_string(closed_port);
    const std::u16string detail =
        u"connect to 127.0.0.1:" + std::u16string(port.begin(), port.end()) + u" failed";
    EXPECT_EQ(std::u16string(ErrGetFld(ERR_FLD_DETAIL)), detail);
    EXPECT_EQ(std::u16string(ErrGetFld(ERR_FLD_VERSION)), u"40");
    EXPECT_EQ(std::u16string(ErrGetFld(ERR_FLD_SYSCALL)), u"connect");
    const std::string refused = std::to_string(ECONNREFUSED);
    EXPECT_EQ(std::u16string(ErrGetFld(ERR_FLD_ERRNO)),
              std::u16string(refused.begin(), refused.end()));

    // A name that does not resolve has no system call behind it.
    ErrClear();
    ASSERT_EQ(NiRawConnect("no-such-host.invalid", closed_port, 2000, &hdl), NIEHOST_UNKNOWN);
    EXPECT_EQ(std::u16string(ErrGetFld(ERR_FLD_ERROR)), u"NIEHOST_UNKNOWN");
    EXPECT_EQ(std::u16string(ErrGetFld(ERR_FLD_VERSION)), u"40");
    EXPECT_EQ(std::u16string(ErrGetFld(ERR_FLD_ERRNO)), u"");
    ErrClear();
}

// The detail keeps the characters of a host name: its UTF-8 is decoded,
// not widened byte by byte, and a byte that is no UTF-8 shows as U+FFFD.
TEST_F(NiRaw, TheErrorDetailKeepsTheCharactersOfTheHostName)
{
    u16test::FakeResolver resolver; // knows no host: no name leaves the machine
    const struct
    {
        const char* host;
        std::u16string shown;
    } cases[] = {
        {"h\xc3\xb6st\xf0\x9d\x84\x9e.test", u"h\u00f6st\U0001D11E.test"},
        {"x\xff"
         "y",
         u"x\uFFFDy"},
    };
    for (const auto& c : cases) {
        ErrClear();
        NI_HDL hdl = NI_INVALID_HDL;
        ASSERT_EQ(NiRawConnect(c.host, 80, 2000, &hdl), NIEHOST_UNKNOWN) << c.host;
        EXPECT_EQ(std::u16string(ErrGetFld(ERR_FLD_DETAIL)),
                  u"connect to " + c.shown + u":80 failed");
    }
    ErrClear();
}

TEST_F(NiRaw, ConnectsToEachAddressOfANameInTurn)
{
    LoopbackListener listener;
    const qortest::ClosedPort closed;
    u16test::FakeResolver resolver;
    // The broadcast address fails at once on this machine (no packet leaves
    // it): the connect goes on with the next address.
    const std::string unreachable = u16test::ipv4("255.255.255.255");
    const std::string loopback = u16test::ipv4("127.0.0.1");
    resolver.add_host("qorhost",
                      u16test::FakeHost{"qorhost", {}, AF_INET, 4, {unreachable, loopback}});
    resolver.add_host("qorrefusing",
                      u16test::FakeHost{"qorrefusing", {}, AF_INET, 4, {unreachable, loopback}});
    resolver.add_host("qorsix", u16test::FakeHost{"qorsix", {}, AF_INET6, 16, {}});
    NI_HDL hdl = NI_INVALID_HDL;
    ASSERT_EQ(NiRawConnect("qorhost", listener.port(), 2000, &hdl), QOR_O_K);
    const int accepted = listener.accept_one();
    EXPECT_GE(accepted, 0);
    // The connection's peer is the address that answered, also once the
    // peer has closed its end.
    int sock = -1;
    ASSERT_EQ(NiHdlToSock(hdl, &sock), QOR_O_K);
    close(accepted);
    SiAddress peer{};
    ASSERT_EQ(SiPeerAddress(sock, &peer, nullptr), SI_OK);
    EXPECT_EQ(SiAddressText(peer), "127.0.0.1");
    EXPECT_EQ(NiCloseHandle(hdl), QOR_O_K);
    const int unconnected = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int sys_errno = 0;
    EXPECT_EQ(SiPeerAddress(unconnected, &peer, &sys_errno), SI_ECONN_BROKEN);
    EXPECT_EQ(sys_errno, ENOTCONN);
    close(unconnected);
    EXPECT_EQ(SiPeerAddress(-1, &peer, nullptr), SI_EINVAL);
    EXPECT_EQ(NiRawConnect("qorrefusing", closed.port(), 2000, &hdl), NIECONN_REFUSED)
        << "the last address's failure is the result";
    EXPECT_EQ(NiRawConnect("qorsix", listener.port(), 2000, &hdl), NIEHOST_UNKNOWN)
        << "a name without addresses";
    EXPECT_EQ(NiRawConnect(std::string(256, 'q').c_str(), listener.port(), 2000, &hdl),
              NIEHOST_UNKNOWN);
    const std::vector<std::optional<std::string>> asked = {"qorhost", "qorrefusing", "qorsix"};
    EXPECT_EQ(resolver.host_queries(), asked) << "an over-long name is not looked up";
}

TEST_F(NiRaw, ConnectsToANumericIpv6Address)
{
    int probe = socket(AF_INET6, SOCK_STREAM, 0);
    sockaddr_in6 a{};
    a.sin6_family = AF_INET6;
    a.sin6_addr = in6addr_loopback;
    if (probe < 0 || bind(probe, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        listen(probe, 1) != 0) {
        if (probe >= 0)
            close(probe);
        GTEST_SKIP() << "no IPv6 loopback";
    }
    socklen_t len = sizeof a;
    getsockname(probe, reinterpret_cast<sockaddr*>(&a), &len);
    NI_HDL hdl = NI_INVALID_HDL;
    EXPECT_EQ(NiRawConnect("::1", ntohs(a.sin6_port), 2000, &hdl), QOR_O_K);
    EXPECT_EQ(NiCloseHandle(hdl), QOR_O_K);
    close(probe);
}

TEST_F(NiRaw, OperationsOnHandlesThatAreNotOpen)
{
    char buf[4];
    size_t n = 0;
    int sock = 0;
    for (NI_HDL hdl : {-1, 0, 5, NI_DEFAULT_MAX_HANDLES, 100000}) {
        EXPECT_EQ(NiRawWrite(hdl, "x", 1, 10, &n), NIEINVHDL) << hdl;
        EXPECT_EQ(NiRawRead(hdl, buf, sizeof buf, 10, &n), NIEINVHDL) << hdl;
        EXPECT_EQ(NiReadable(hdl, 0), NIEINVHDL) << hdl;
        EXPECT_EQ(NiCheckAlive(hdl), NIEINVHDL) << hdl;
        EXPECT_EQ(NiHdlToSock(hdl, &sock), NIEINVHDL) << hdl;
        EXPECT_EQ(NiCloseHandle(hdl), NIEINVHDL) << hdl;
    }
}

TEST_F(NiRaw, ClosedHandleIsNotUsableTwice)
{
    LoopbackListener listener;
    NI_HDL hdl = NI_INVALID_HDL;
    ASSERT_EQ(NiRawConnect("127.0.0.1", listener.port(), 2000, &hdl), QOR_O_K);
    EXPECT_EQ(NiCloseHandle(hdl), QOR_O_K);
    EXPECT_EQ(NiCloseHandle(hdl), NIEINVHDL);
    size_t n = 0;
    EXPECT_EQ(NiRawWrite(hdl, "x", 1, 10, &n), NIEINVHDL);
}

TEST(NiTable, NotInitialisedAndExhausted)
{
    NiExit();
    NI_HDL hdl = NI_INVALID_HDL;
    EXPECT_EQ(NiRawConnect("127.0.0.1", 1, 100, &hdl), NIENOT_INIT);
    EXPECT_EQ(NiCloseHandle(0), NIENOT_INIT);
    EXPECT_EQ(NiInit3(0, 0), NIEINVAL);
    EXPECT_EQ(NiInit3(70000, 0), NIEINVAL);

    ASSERT_EQ(NiInit3(2, 0), QOR_O_K);
    EXPECT_EQ(NiInit(), QOR_O_K) << "a second initialisation keeps the table";
    LoopbackListener listener;
    NI_HDL a = NI_INVALID_HDL, b = NI_INVALID_HDL, c = NI_INVALID_HDL;
    ASSERT_EQ(NiRawConnect("127.0.0.1", listener.port(), 2000, &a), QOR_O_K);
    ASSERT_EQ(NiRawConnect("127.0.0.1", listener.port(), 2000, &b), QOR_O_K);
    EXPECT_NE(a, b);
    EXPECT_EQ(NiRawConnect("127.0.0.1", listener.port(), 2000, &c), NIEHANDLES);
    EXPECT_EQ(NiCloseHandle(a), QOR_O_K);
    ASSERT_EQ(NiRawConnect("127.0.0.1", listener.port(), 2000, &c), QOR_O_K);
    EXPECT_EQ(c, a) << "the freed slot is used again";
    NiExit();
    EXPECT_EQ(NiOpenHandleCount(), 0);
}

TEST(NiTable, HandlesComeInOrderAndTheLastFreedComesBackFirst)
{
    NiExit();
    ASSERT_EQ(NiInit3(4, 0), QOR_O_K);
    LoopbackListener listener;
    NI_HDL h[4];
    for (NI_HDL& hdl : h)
        ASSERT_EQ(NiRawConnect("127.0.0.1", listener.port(), 2000, &hdl), QOR_O_K);
    EXPECT_EQ(std::vector<NI_HDL>(h, h + 4), (std::vector<NI_HDL>{0, 1, 2, 3}));
    EXPECT_EQ(NiCloseHandle(1), QOR_O_K);
    EXPECT_EQ(NiCloseHandle(3), QOR_O_K);
    EXPECT_EQ(NiCloseHandle(3), NIEINVHDL) << "a second close leaves the free list alone";
    NI_HDL again[3] = {NI_INVALID_HDL, NI_INVALID_HDL, NI_INVALID_HDL};
    ASSERT_EQ(NiRawConnect("127.0.0.1", listener.port(), 2000, &again[0]), QOR_O_K);
    ASSERT_EQ(NiRawConnect("127.0.0.1", listener.port(), 2000, &again[1]), QOR_O_K);
    EXPECT_EQ(NiRawConnect("127.0.0.1", listener.port(), 2000, &again[2]), NIEHANDLES);
    EXPECT_EQ(again[0], 3);
    EXPECT_EQ(again[1], 1);
    EXPECT_EQ(NiOpenHandleCount(), 4);
    NiExit();
}

} // namespace
