// Connections that cannot be opened, pipe endpoints, time-out conversion,
// registration and the TLS refusals.

#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include "ni/loopback.h"
#include "soap_client.h"
#include "sssl/sssl.h"
#include "support/closed_port.h"
#include "support/fake_service.h"
#include "test_pki.h"
#include "tls_proxy.h"
#include "transport/plugin_data.h"

namespace {

TEST(ConnectFailure, EveryTransportGivesTcpErrorWithAText)
{
    const qortest::ClosedPort closed;
    const uint16_t port = closed.port();
    char tmpl[] = "/tmp/qor_nopipe_XXXXXX";
    const std::string dir = mkdtemp(tmpl);
    plugin_set_pipe_dir(dir.c_str());
    setenv("SECUDIR", test_pki().empty_dir.c_str(), 1);
    SSSL_INIT_PARAMS params{};
    params.size = sizeof params;
    params.default_creds = SSSL_CRED_ANON;
    ASSERT_EQ(QorSSLInit(0, &params, nullptr), SSSLRC_OK);
    struct Case
    {
        int type;
        std::string endpoint;
        const char* text; // part of the fault text
    } cases[] = {
        {NI_HTTP, "http://127.0.0.1:" + std::to_string(port), "NIECONN_REFUSED"},
        {NI_HTTPS, "https://127.0.0.1:" + std::to_string(port), "NIECONN_REFUSED"},
        {NI_HTTP, "http://no-such-host.invalid:50013", "NIEHOST_UNKNOWN"},
        {WINHTTP, "http://127.0.0.1:" + std::to_string(port), "ERROR_WINHTTP_CANNOT_CONNECT"},
        {WINHTTPS, "https://127.0.0.1:" + std::to_string(port), "ERROR_WINHTTP_CANNOT_CONNECT"},
        {PIPE, "pipe:\\\\.\\pipe\\qorcontrol_00", "connection refused"},
        {PIPE, "pipe:\\\\far.away.invalid\\pipe\\qorcontrol_00", "far.away.invalid"},
        {GSOAP_HTTP, "http://127.0.0.1:" + std::to_string(port), ""},
    };
    for (const Case& c : cases) {
        SoapClient client(c.type, ANON_SRVCERT_NO_VERIFY, false);
        EXPECT_EQ(client.get_process_list(c.endpoint), SOAP_TCP_ERROR) << c.endpoint;
        const std::string fault = client.fault();
        EXPECT_FALSE(fault.empty()) << c.endpoint;
        EXPECT_NE(fault.find(c.text), std::string::npos) << c.endpoint << ": " << fault;
    }
    QorSSLExit();
    unsetenv("SECUDIR");
    plugin_set_pipe_dir(nullptr);
    rmdir(dir.c_str());
}

// A pipe whose listener takes no further connection (its backlog is full)
// fails the call at once as a connection that cannot be opened.
TEST(ConnectFailure, ABusyPipeIsAConnectionThatCannotBeOpened)
{
    char tmpl[] = "/tmp/qor_busypipe_XXXXXX";
    const std::string dir = mkdtemp(tmpl);
    const std::string path = dir + "/qorcontrol_11";
    plugin_set_pipe_dir(dir.c_str());
    int listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    std::snprintf(a.sun_path, sizeof a.sun_path, "%s", path.c_str());
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ASSERT_EQ(listen(listener, 0), 0);
    int first = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_EQ(connect(first, reinterpret_cast<sockaddr*>(&a), sizeof a), 0) << "fills the backlog";
    {
        SoapClient client(PIPE, USE_CLIENT_CERT, false);
        EXPECT_EQ(client.get_process_list("pipe:\\\\.\\pipe\\qorcontrol_11"), SOAP_TCP_ERROR);
        EXPECT_NE(client.fault().find(path), std::string::npos) << client.fault();
        EXPECT_EQ(client.connections(), 0);
    }
    close(first);
    close(listener);
    unlink(path.c_str());
    plugin_set_pipe_dir(nullptr);
    rmdir(dir.c_str());
}

TEST(PipePath, MapsThePipeNameIntoThePipeDirectory)
{
    plugin_set_pipe_dir("/srv/pipes/");
    struct Case
    {
        const char* endpoint;
        const char* path; // null: refused
    } cases[] = {
        {"pipe:\\\\.\\pipe\\qorcontrol_00", "/srv/pipes/qorcontrol_00"},
        {"pipe:\\\\localhost\\pipe\\qorcontrol_42", "/srv/pipes/qorcontrol_42"},
        {"pipe:\\\\127.0.0.1\\pipe\\qorcontrol_01", "/srv/pipes/qorcontrol_01"},
        {"pipe:\\\\otherhost.invalid\\pipe\\qorcontrol_00", nullptr},
        {"pipe:\\\\.\\pipe\\", nullptr},
        {"pipe:\\\\.\\pipe\\..", nullptr},
        {"pipe:\\\\.\\pipe\\a/b", nullptr},
        {"pipe:\\\\.\\pipe\\a\\b", nullptr},
        {"pipe:\\\\.\\nopipe\\qorcontrol_00", nullptr},
        {"pipe:\\\\\\pipe\\qorcontrol_00", nullptr},
        {"pipe:.\\pipe\\qorcontrol_00", nullptr},
        {"http://localhost:50013", nullptr},
    };
    for (const Case& c : cases) {
        std::string path = "unchanged", error;
        EXPECT_EQ(plugin_pipe_path(c.endpoint, &path, &error), c.path != nullptr) << c.endpoint;
        if (c.path != nullptr) {
            EXPECT_EQ(path, c.path);
        } else {
            EXPECT_EQ(path, "unchanged");
            EXPECT_FALSE(error.empty()) << c.endpoint;
        }
    }
    std::string error;
    EXPECT_FALSE(plugin_pipe_path(nullptr, nullptr, &error));
    plugin_set_pipe_dir(nullptr);
    std::string path;
    ASSERT_TRUE(plugin_pipe_path("pipe:\\\\.\\pipe\\qorcontrol_05", &path, nullptr));
    EXPECT_EQ(path, std::string(QOR_PIPE_DIR) + "/qorcontrol_05");
}

TEST(Timeouts, ToolkitSecondsAndMicrosecondsBecomeMilliseconds)
{
    struct Case
    {
        int toolkit;
        int ms;
    } cases[] = {
        {0, NI_BLOCK},
        {1, 1000},
        {30, 30000},
        {-1, 1},
        {-999, 1},
        {-1000, 1},
        {-1001, 2},
        {-250000, 250},
        {INT_MAX, INT_MAX},
        {INT_MAX / 1000, INT_MAX / 1000 * 1000},
        {INT_MAX / 1000 + 1, INT_MAX},
        {INT_MIN, 2147484},
    };
    for (const Case& c : cases)
        EXPECT_EQ(qortransport::soap_timeout_to_ms(c.toolkit), c.ms) << c.toolkit;
}

TEST(Registration, NamesThePluginAndRefusesUnknownTypes)
{
    for (int type : {NI_HTTP, NI_HTTPS, WINHTTP, WINHTTPS, PIPE, GSOAP_HTTP}) {
        SoapClient client(type, USE_CLIENT_CERT, false);
        EXPECT_EQ(client.register_rc(), SOAP_OK);
        EXPECT_NE(soap_lookup_plugin(client.ctx(), "QOR QOR-1.0"), nullptr);
        const qortransport::PluginData* d = qortransport::plugin_data(client.ctx());
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->arg.transport_type, type) << "the argument record is copied";
    }
    for (int type : {-1, 6, 100}) {
        SoapClient client(type, USE_CLIENT_CERT, false);
        EXPECT_EQ(client.register_rc(), SOAP_EOM) << type;
        EXPECT_EQ(soap_lookup_plugin(client.ctx(), "QOR QOR-1.0"), nullptr);
    }
    struct soap* bare = soap_new();
    EXPECT_EQ(plugin_set_trace(bare, stdout, stdout), SOAP_OK) << "also without the plug-in";
    soap_free(bare);
}

// TLS set-ups that the service must refuse, and the two that need no client
// certificate.
class TlsRefusal : public ::testing::Test
{
  protected:
    void SetUp() override { ASSERT_TRUE(test_pki().ok) << test_pki().error; }
    void TearDown() override
    {
        QorSSLExit();
        unsetenv("SECUDIR");
    }
    int init(const std::string& dir, uint32_t creds)
    {
        setenv("SECUDIR", dir.c_str(), 1);
        SSSL_INIT_PARAMS params{};
        params.size = sizeof params;
        params.default_creds = creds;
        return QorSSLInit(0, &params, nullptr);
    }
};

TEST_F(TlsRefusal, ServerCertificateOfAnUntrustedCaIsRefused)
{
    qortest::FakeService fake;
    TlsProxy proxy(test_pki().server_cert, test_pki().server_key, "", fake.port());
    ASSERT_EQ(init(test_pki().other_dir, SSSL_CRED_CLIENT), SSSLRC_OK);
    SoapClient client(NI_HTTPS, USE_CLIENT_CERT, false);
    EXPECT_EQ(client.get_process_list("https://localhost:" + std::to_string(proxy.port())),
              SOAP_TCP_ERROR);
    EXPECT_NE(client.fault().find("server certificate"), std::string::npos) << client.fault();
    EXPECT_EQ(fake.request_count(), 0u);
}

// A certificate of the trusted CA that names another host: refused wherever
// the server is verified, accepted only without verification.
TEST_F(TlsRefusal, ServerCertificateForAnotherHostNameIsRefusedWhenVerified)
{
    struct Case
    {
        std::string dir;
        uint32_t creds;
        int auth;
        bool accepted;
    } cases[] = {
        {test_pki().client_dir, SSSL_CRED_CLIENT, USE_CLIENT_CERT, false},
        {test_pki().anon_dir, SSSL_CRED_ANON, NO_CLIENT_CERT, false},
        {test_pki().empty_dir, SSSL_CRED_ANON, ANON_SRVCERT_NO_VERIFY, true},
    };
    for (const Case& c : cases) {
        qortest::FakeService fake;
        fake.script("GetProcessList", qortest::Reply::ok(process_list_xml({"GREEN"})));
        TlsProxy proxy(test_pki().stranger_cert, test_pki().stranger_key, "", fake.port());
        ASSERT_EQ(init(c.dir, c.creds), SSSLRC_OK) << c.dir;
        SoapClient client(NI_HTTPS, c.auth, false);
        const int rc = client.get_process_list("https://localhost:" + std::to_string(proxy.port()));
        if (c.accepted) {
            EXPECT_EQ(rc, SOAP_OK) << c.auth << ": " << client.fault();
            EXPECT_EQ(fake.request_count(), 1u);
        } else {
            EXPECT_EQ(rc, SOAP_TCP_ERROR) << c.auth;
            EXPECT_NE(client.fault().find("server certificate"), std::string::npos)
                << c.auth << ": " << client.fault();
            EXPECT_EQ(fake.request_count(), 0u) << c.auth;
        }
        QorSSLExit();
    }
}

// A peer that answers the TLS greeting in plain HTTP: the handshake fails
// at once with a printable reason, nothing waits for a time-out.
TEST_F(TlsRefusal, APlainPeerFailsTheHandshake)
{
    ASSERT_EQ(init(test_pki().empty_dir, SSSL_CRED_ANON), SSSLRC_OK);
    for (int type : {NI_HTTPS, WINHTTPS}) {
        LoopbackListener listener;
        std::thread peer([&listener] {
            for (int i = 0; i < 100; ++i) { // at most ten seconds
                int fd = -1;
                pollfd wait{listener.fd(), POLLIN, 0};
                if (poll(&wait, 1, 100) == 1)
                    fd = listener.accept_one();
                if (fd < 0)
                    continue;
                char buf[512];
                (void)recv(fd, buf, sizeof buf, 0);
                const char reply[] =
                    "HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
                (void)send(fd, reply, sizeof reply - 1, MSG_NOSIGNAL);
                close(fd);
                return;
            }
        });
        SoapClient client(type, ANON_SRVCERT_NO_VERIFY, false);
        client.ctx()->connect_timeout = 30; // the failure must not come from a time-out
        client.ctx()->recv_timeout = 30;
        const int rc =
            client.get_process_list("https://127.0.0.1:" + std::to_string(listener.port()));
        peer.join();
        EXPECT_EQ(rc, SOAP_TCP_ERROR) << type;
        const std::string fault = client.fault();
        const char* expected = type == NI_HTTPS ? "SSL handshake failed" : "ERROR_WINHTTP_";
        EXPECT_NE(fault.find(expected), std::string::npos) << type << ": " << fault;
        EXPECT_EQ(fault.find("time"), std::string::npos) << type << ": " << fault;
    }
}

TEST_F(TlsRefusal, AnonymousModesNeedNoClientCertificate)
{
    struct Case
    {
        std::string dir;
        int auth;
        const char* host;
    } cases[] = {
        {test_pki().anon_dir, NO_CLIENT_CERT,
         "localhost"}, // server checked against the anonymous PSE
        {test_pki().anon_dir, NO_CLIENT_CERT, "127.0.0.1"}, // its address is in the certificate too
        {test_pki().empty_dir, ANON_SRVCERT_NO_VERIFY, "127.0.0.1"},
    };
    for (const Case& c : cases) {
        qortest::FakeService fake;
        fake.script("GetProcessList", qortest::Reply::ok(process_list_xml({"GREEN"})));
        TlsProxy proxy(test_pki().server_cert, test_pki().server_key, "", fake.port());
        ASSERT_EQ(init(c.dir, SSSL_CRED_ANON), SSSLRC_OK);
        SoapClient client(NI_HTTPS, c.auth, false);
        EXPECT_EQ(client.get_process_list(std::string("https://") + c.host + ":" +
                                          std::to_string(proxy.port())),
                  SOAP_OK)
            << c.dir << " " << client.fault();
        EXPECT_EQ(proxy.last_client_subject(), "");
        QorSSLExit();
    }
}

TEST_F(TlsRefusal, AnonymousCredentialWithoutTrustedCertificatesCannotVerify)
{
    qortest::FakeService fake;
    TlsProxy proxy(test_pki().server_cert, test_pki().server_key, "", fake.port());
    ASSERT_EQ(init(test_pki().empty_dir, SSSL_CRED_ANON), SSSLRC_OK);
    SoapClient client(NI_HTTPS, NO_CLIENT_CERT, false);
    EXPECT_EQ(client.get_process_list("https://localhost:" + std::to_string(proxy.port())),
              SOAP_TCP_ERROR);
}

TEST_F(TlsRefusal, ServiceThatRequiresAClientCertificateRefusesTheAnonymousOne)
{
    qortest::FakeService fake;
    TlsProxy proxy(test_pki().server_cert, test_pki().server_key, test_pki().ca_cert, fake.port());
    ASSERT_EQ(init(test_pki().anon_dir, SSSL_CRED_ANON), SSSLRC_OK);
    SoapClient client(NI_HTTPS, NO_CLIENT_CERT, false);
    EXPECT_NE(client.get_process_list("https://localhost:" + std::to_string(proxy.port())),
              SOAP_OK);
    EXPECT_EQ(fake.request_count(), 0u);
}

TEST(WinHttpsFlags, WithoutTheSecurityFlagsAnUnknownCaIsRefused)
{
    ASSERT_TRUE(test_pki().ok) << test_pki().error;
    qortest::FakeService fake;
    TlsProxy proxy(test_pki().server_cert, test_pki().server_key, "", fake.port());
    SoapClient client(WINHTTPS, USE_CLIENT_CERT, false);
    qortransport::PluginData* d = qortransport::plugin_data(client.ctx());
    ASSERT_NE(d, nullptr);
    d->arg.winhttp_security_flags = 0;
    EXPECT_EQ(client.get_process_list("https://localhost:" + std::to_string(proxy.port())),
              SOAP_TCP_ERROR);
    EXPECT_NE(client.fault().find("ERROR_WINHTTP_SECURE_FAILURE"), std::string::npos)
        << client.fault();
}

} // namespace

namespace {

// A reply that does not come within the context's receive time-out (here
// given in microseconds, as a negative number) ends the call with an error.
TEST(ReceiveTimeout, ASlowReplyEndsTheCall)
{
    char tmpl[] = "/tmp/qor_slowpipe_XXXXXX";
    const std::string dir = mkdtemp(tmpl);
    plugin_set_pipe_dir(dir.c_str());
    for (int type : {NI_HTTP, PIPE, GSOAP_HTTP, WINHTTP}) {
        std::unique_ptr<qortest::FakeService> fake =
            type == PIPE ? std::make_unique<qortest::FakeService>(dir + "/qorcontrol_03")
                         : std::make_unique<qortest::FakeService>();
        const std::string endpoint =
            type == PIPE ? "pipe:\\\\.\\pipe\\qorcontrol_03" : fake->endpoint();
        fake->script("GetProcessList",
                     qortest::Reply::ok(process_list_xml({"GREEN"})).after(qortest::kMaxDelay));
        SoapClient client(type, USE_CLIENT_CERT, false);
        client.ctx()->recv_timeout = -200000; // 200 ms
        EXPECT_NE(client.get_process_list(endpoint), SOAP_OK) << type;
        EXPECT_FALSE(client.fault().empty());
        if (type == WINHTTP) {
            EXPECT_NE(client.fault().find("ERROR_WINHTTP_TIMEOUT"), std::string::npos)
                << client.fault();
        }
        EXPECT_TRUE(fake->wait_for_requests(1));
        EXPECT_EQ(fake->request_count(), 1u);
    }
    plugin_set_pipe_dir(nullptr);
    rmdir(dir.c_str());
}

} // namespace
