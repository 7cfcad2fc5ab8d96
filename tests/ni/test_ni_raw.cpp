#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "base/err.h"
#include "ni/loopback.h"
#include "ni/ni.h"
#include "support/closed_port.h"

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
    ErrClear();
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

} // namespace
