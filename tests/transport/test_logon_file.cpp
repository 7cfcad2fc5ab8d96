// The logon file that the service names: read only as a regular file, for a
// service on this machine, one bounded line, never a FIFO, a device or the
// standard input.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "client/logon_file.h"
#include "soap_client.h"
#include "sssl/sssl.h"
#include "support/closed_port.h"
#include "support/fake_service.h"
#include "support/waiting_fifo_writer.h"
#include "target.h"
#include "test_pki.h"

namespace {

std::string logon_reply(const std::string& file)
{
    return "<QORControl:RequestLogonFileResponse><filename>" + qortest::xml_escape(file) +
           "</filename></QORControl:RequestLogonFileResponse>";
}

TEST(LogonFile, IsReadOnlyAsALocalRegularFileOtherThanTheInput)
{
    char tmpl[] = "/tmp/qor_logon_XXXXXX";
    const std::string dir = mkdtemp(tmpl);
    std::ofstream(dir + "/logon") << "s3cret\nsecond line\n";
    std::ofstream(dir + "/long") << std::string(3000, 'x');
    std::ofstream(dir + "/input") << "typed\n";
    ASSERT_EQ(mkdir((dir + "/dir").c_str(), 0700), 0);
    ASSERT_EQ(mkfifo((dir + "/fifo").c_str(), 0600), 0);
    ASSERT_EQ(symlink((dir + "/fifo").c_str(), (dir + "/fifo_link").c_str()), 0);
    // The standard input is a regular file here, so only its identity tells.
    const int saved_input = dup(STDIN_FILENO);
    const int input = open((dir + "/input").c_str(), O_RDONLY);
    ASSERT_GE(input, 0);
    ASSERT_EQ(dup2(input, STDIN_FILENO), STDIN_FILENO);

    struct Case
    {
        std::string file;
        std::string password;
        const char* refusal; // part of the FAIL line; null: none
    } cases[] = {
        {dir + "/logon", "s3cret\n", nullptr},
        {dir + "/long", std::string(1023, 'x'), nullptr},
        {dir + "/missing", "", nullptr},
        {dir + "/dir", "", "not a regular file"},
        {dir + "/fifo", "", "not a regular file"},
        {dir + "/fifo_link", "", "not a regular file"},
        {"/dev/zero", "", "not a regular file"},
        {"/dev/stdin", "", "it is the standard input"},
        {"/proc/self/fd/0", "", "it is the standard input"},
    };
    qortest::FakeService fake;
    ClientEnvironment environment;
    environment.account_name = [](char* buffer, int size) {
        std::snprintf(buffer, static_cast<size_t>(size), "%s", "qorhost\\qoradm");
        return 1;
    };
    std::vector<qortest::Reply> replies;
    for (const Case& c : cases)
        replies.push_back(qortest::Reply::ok(logon_reply(c.file)));
    fake.script("RequestLogonFile", replies);
    for (const Case& c : cases) {
        SoapClient client(NI_HTTP, 3, false);
        ClientSettings settings;
        char empty_user[] = "";
        settings.user = empty_user;
        const std::string endpoint = fake.endpoint();
        CallContext call{client.ctx(), endpoint.c_str(), settings,
                         environment,  cU("Shutdown"),   cU("script")};
        const std::string& what = c.file;
        // A writer waits on the FIFO: opening it would release the writer.
        WaitingFifoWriter writer(dir + "/fifo");
        ASSERT_TRUE(writer.waiting()) << what;
        ::testing::internal::CaptureStdout();
        const int result = logon_file_step(call);
        const std::string out = ::testing::internal::GetCapturedStdout();
        EXPECT_TRUE(writer.waiting()) << what << ": the FIFO was opened";
        EXPECT_STREQ(settings.user, QOR_LOGON_FILE_USER) << what;
        ASSERT_NE(client.ctx()->passwd, nullptr) << what;
        EXPECT_EQ(std::string(client.ctx()->passwd), c.password) << what;
        if (c.refusal != nullptr) {
            EXPECT_EQ(result, 1) << what;
            EXPECT_NE(out.find("OK\nFAIL: logon file " + c.file + " not read: " + c.refusal + "\n"),
                      std::string::npos)
                << what << ": " << out;
        } else {
            EXPECT_EQ(result, 0) << what;
            EXPECT_EQ(out.find("FAIL"), std::string::npos) << what << ": " << out;
        }
    }
    EXPECT_EQ(fake.request_count(), sizeof cases / sizeof cases[0]);
    dup2(saved_input, STDIN_FILENO);
    close(saved_input);
    close(input);
    for (const char* name : {"/logon", "/long", "/input", "/fifo", "/fifo_link"})
        unlink((dir + name).c_str());
    rmdir((dir + "/dir").c_str());
    rmdir(dir.c_str());
}

// The file is read only for a service on this machine, judged by the
// connection that carried the request: over every transport, also when that
// connection served a call before or the service closes it after its reply;
// never when the request went through a proxy, whatever host it named. The
// next call carries the password read, and nothing of the file otherwise.
TEST(LogonFile, IsReadOnlyForAServiceOfThisMachine)
{
    ASSERT_TRUE(test_pki().ok) << test_pki().error;
    const SslSetup ssl(test_pki().client_dir, SSSL_CRED_CLIENT);
    ASSERT_EQ(ssl.rc(), SSSLRC_OK);
    char tmpl[] = "/tmp/qor_logon_XXXXXX";
    const std::string dir = mkdtemp(tmpl);
    const std::string file = dir + "/logon";
    std::ofstream(file) << "s3cret\nsecond line\n";
    const char* const kProxied = "the request went through the proxy at 127.0.0.1";
    struct Case
    {
        int transport;
        const char* proxy_variable; // names the service as the proxy of another host
        bool warm;                  // a call went over the connection before
        bool closing;               // the service closes the connection after its reply
        const char* refusal;        // part of the FAIL line; null: the file is read
    } cases[] = {
        {NI_HTTP, nullptr, false, false, nullptr},
        {NI_HTTPS, nullptr, false, false, nullptr},
        {GSOAP_HTTP, nullptr, false, false, nullptr},
        {WINHTTP, nullptr, false, false, nullptr},
        {WINHTTPS, nullptr, false, false, nullptr},
        {PIPE, nullptr, false, false, nullptr},
        {NI_HTTP, nullptr, true, true, nullptr},
        {NI_HTTPS, nullptr, true, true, nullptr},
        {GSOAP_HTTP, nullptr, true, true, nullptr},
        {WINHTTP, nullptr, true, true, nullptr},
        {PIPE, nullptr, true, true, nullptr},
        {NI_HTTP, "http_proxy", false, false, nullptr}, // NI has no proxy
        {WINHTTP, "http_proxy", false, false, kProxied},
        {WINHTTP, "all_proxy", true, false, kProxied},
        {WINHTTP, "ALL_PROXY", false, true, kProxied},
    };
    ClientEnvironment environment;
    environment.account_name = [](char* buffer, int size) {
        std::snprintf(buffer, static_cast<size_t>(size), "%s", "qorhost\\qoradm");
        return 1;
    };
    for (const Case& c : cases) {
        const std::string what = std::string(type_name(c.transport)) +
                                 (c.proxy_variable ? std::string(" ") + c.proxy_variable : "") +
                                 (c.warm ? " warm" : "") + (c.closing ? " closing" : "");
        for (const char* name : {"http_proxy", "all_proxy", "ALL_PROXY", "no_proxy", "NO_PROXY"})
            unsetenv(name);
        Target target(c.transport);
        qortest::FakeService& fake = target.fake();
        std::string endpoint = target.endpoint();
        if (c.proxy_variable != nullptr) {
            setenv(c.proxy_variable, fake.endpoint().c_str(), 1);
            if (c.transport == WINHTTP)
                endpoint = "http://qor-logon.invalid:" + std::to_string(fake.port());
        }
        fake.script("GetProcessList", qortest::Reply::ok(process_list_xml({"GREEN"})));
        qortest::Reply named = qortest::Reply::ok(logon_reply(file));
        fake.script("RequestLogonFile", c.closing ? named.closing() : named);
        SoapClient client(c.transport, 3, false);
        if (c.warm) {
            ASSERT_EQ(client.get_process_list(endpoint), SOAP_OK) << what << client.fault();
        }
        ClientSettings settings;
        char empty_user[] = "";
        settings.user = empty_user;
        CallContext call{client.ctx(), endpoint.c_str(), settings,
                         environment,  cU("Shutdown"),   cU("script")};
        ::testing::internal::CaptureStdout();
        const int result = logon_file_step(call);
        const std::string out = ::testing::internal::GetCapturedStdout();
        const std::string password = c.refusal == nullptr ? "s3cret\n" : "";
        EXPECT_EQ(std::string(client.ctx()->passwd), password) << what;
        EXPECT_EQ(result, c.refusal == nullptr ? 0 : 1) << what;
        const std::string fail =
            c.refusal == nullptr ? ""
                                 : "FAIL: logon file " + file + " not read: " + c.refusal + "\n";
        EXPECT_EQ(out.substr(out.find("OK\n")), "OK\n" + fail) << what << ": " << out;
        client.set_credentials(client.ctx()->userid, client.ctx()->passwd);
        ASSERT_EQ(client.get_process_list(endpoint), SOAP_OK) << what << client.fault();
        EXPECT_EQ(fake.last_request().basic_credentials(),
                  std::string(QOR_LOGON_FILE_USER) + ":" + password)
            << what;
        EXPECT_EQ(fake.request_count(), c.warm ? 3u : 2u) << what;
        EXPECT_EQ(fake.connections_accepted(), c.closing ? 2u : 1u) << what;
        unsetenv(c.proxy_variable != nullptr ? c.proxy_variable : "http_proxy");
    }
    unlink(file.c_str());
    rmdir(dir.c_str());
}

// This machine narrowed to some of its addresses (none: to none) for one
// row, then whole again.
class NarrowedMachine
{
  public:
    explicit NarrowedMachine(std::vector<const char*> addresses)
    {
        EXPECT_TRUE(
            plugin_narrow_this_machine(addresses.data(), static_cast<int>(addresses.size())));
    }
    ~NarrowedMachine() { lift(); }
    NarrowedMachine(const NarrowedMachine&) = delete;
    NarrowedMachine& operator=(const NarrowedMachine&) = delete;
    void lift() { plugin_narrow_this_machine(nullptr, -1); }
};

// Once read, the password goes only over a connection whose peer is this
// machine, judged for each connection as the request is about to go out on
// it: a new one (the service that named the file has gone, and a service at
// 127.0.0.2, counted as another machine's, takes the next call) or the one
// kept from the file's request, when this machine counts none of its
// addresses any more. The call fails, no byte of it reaches the peer, and
// the refused connection is not kept: the next call, with this machine
// whole again, connects anew and carries the password. The pipe always
// reaches this machine.
TEST(LogonFile, ThePasswordGoesOnlyOverConnectionsToThisMachine)
{
    ASSERT_TRUE(test_pki().ok) << test_pki().error;
    const SslSetup ssl(test_pki().client_dir, SSSL_CRED_CLIENT);
    ASSERT_EQ(ssl.rc(), SSSLRC_OK);
    char tmpl[] = "/tmp/qor_logon_XXXXXX";
    const std::string dir = mkdtemp(tmpl);
    const std::string file = dir + "/logon";
    std::ofstream(file) << "s3cret\n";
    const std::string user_and_password = std::string(QOR_LOGON_FILE_USER) + ":s3cret\n";
    struct Case
    {
        int transport;
        bool elsewhere;      // the next call goes to 127.0.0.2; else over the kept connection
        bool closing;        // the service closes the connection after naming the file
        const char* refused; // the peer refused; null: none
    } cases[] = {
        {NI_HTTP, true, true, "127.0.0.2"},      {GSOAP_HTTP, true, true, "127.0.0.2"},
        {WINHTTP, true, true, "127.0.0.2"},      {WINHTTP, true, false, "127.0.0.2"},
        {NI_HTTP, false, false, "127.0.0.1"},    {NI_HTTPS, false, false, "127.0.0.1"},
        {GSOAP_HTTP, false, false, "127.0.0.1"}, {WINHTTP, false, false, "127.0.0.1"},
        {WINHTTP, false, true, "127.0.0.1"}, // curl connects anew to the same address
        {WINHTTPS, false, false, "127.0.0.1"},   {PIPE, false, false, nullptr},
    };
    ClientEnvironment environment;
    environment.account_name = [](char* buffer, int size) {
        std::snprintf(buffer, static_cast<size_t>(size), "%s", "qorhost\\qoradm");
        return 1;
    };
    for (const Case& c : cases) {
        const std::string what = std::string(type_name(c.transport)) +
                                 (c.elsewhere ? " elsewhere" : " kept") +
                                 (c.closing ? " closing" : "");
        auto target = std::make_unique<Target>(c.transport);
        qortest::FakeService other(0, qortest::Loopback::V4Second);
        for (qortest::FakeService* fake : {&target->fake(), &other})
            fake->script("GetProcessList", qortest::Reply::ok(process_list_xml({"GREEN"})));
        qortest::Reply named = qortest::Reply::ok(logon_reply(file));
        target->fake().script("RequestLogonFile", c.closing ? named.closing() : named);
        SoapClient client(c.transport, 3, false);
        ClientSettings settings;
        char empty_user[] = "";
        settings.user = empty_user;
        const std::string endpoint = target->endpoint();
        CallContext call{client.ctx(), endpoint.c_str(), settings,
                         environment,  cU("Shutdown"),   cU("script")};
        ::testing::internal::CaptureStdout();
        const int result = logon_file_step(call);
        ::testing::internal::GetCapturedStdout();
        ASSERT_EQ(result, 0) << what;
        ASSERT_EQ(std::string(client.ctx()->passwd), "s3cret\n") << what;
        client.set_credentials(client.ctx()->userid, client.ctx()->passwd);
        std::string next = endpoint;
        NarrowedMachine machine(c.elsewhere ? std::vector<const char*>{"127.0.0.1"}
                                            : std::vector<const char*>{});
        if (c.elsewhere) {
            target.reset();
            next = other.endpoint();
        }
        qortest::FakeService& peer = c.elsewhere ? other : target->fake();
        const size_t connections = peer.connections_accepted();
        const int rc = client.get_process_list(next);
        if (c.refused == nullptr) {
            EXPECT_EQ(rc, SOAP_OK) << what << client.fault();
            EXPECT_EQ(peer.last_request().basic_credentials(), user_and_password) << what;
            continue;
        }
        EXPECT_EQ(rc, SOAP_TCP_ERROR) << what;
        EXPECT_EQ(client.fault(), std::string("the service at ") + c.refused +
                                      " does not run on this machine, request with the logon "
                                      "file's password not sent")
            << what;
        EXPECT_EQ(peer.request_count(), c.elsewhere ? 0u : 1u) << what;
        machine.lift();
        ASSERT_EQ(client.get_process_list(next), SOAP_OK) << what << client.fault();
        EXPECT_EQ(peer.last_request().basic_credentials(), user_and_password) << what;
        // The refused call went over a connection of its own when it opened one.
        const size_t refused_connection = connections - (c.elsewhere || c.closing ? 0 : 1);
        EXPECT_GT(peer.last_request().connection, refused_connection)
            << what << ": the refused connection was kept";
    }
    unlink(file.c_str());
    rmdir(dir.c_str());
}

// The peer is known only for a request that went out: not before the first
// call, nor for a call that could not connect after one that did.
TEST(LogonFile, NoPeerStandsForACallThatCouldNotConnect)
{
    ASSERT_TRUE(test_pki().ok) << test_pki().error;
    const SslSetup ssl(test_pki().client_dir, SSSL_CRED_CLIENT);
    ASSERT_EQ(ssl.rc(), SSSLRC_OK);
    const qortest::ClosedPort closed;
    const std::string known = "the service's address is not known ";
    for (const int type : {NI_HTTP, NI_HTTPS, GSOAP_HTTP, WINHTTP, WINHTTPS}) {
        Target target(type);
        target.fake().script("GetProcessList", qortest::Reply::ok(process_list_xml({"GREEN"})));
        SoapClient client(type, 3, false);
        std::string why_not;
        EXPECT_EQ(plugin_request_was_local(client.ctx(), &why_not), 0) << type_name(type);
        EXPECT_EQ(why_not, known + "(no request was sent)") << type_name(type);
        ASSERT_EQ(client.get_process_list(target.endpoint()), SOAP_OK) << type_name(type);
        EXPECT_EQ(plugin_request_was_local(client.ctx(), &why_not), 1) << type_name(type);
        const std::string unreachable =
            std::string(type == NI_HTTPS || type == WINHTTPS ? "https" : "http") +
            "://127.0.0.1:" + std::to_string(closed.port());
        EXPECT_EQ(client.get_process_list(unreachable), SOAP_TCP_ERROR) << type_name(type);
        EXPECT_EQ(plugin_request_was_local(client.ctx(), &why_not), 0) << type_name(type);
        EXPECT_EQ(why_not, known + "(no connection carried the request)") << type_name(type);
    }
}

} // namespace
