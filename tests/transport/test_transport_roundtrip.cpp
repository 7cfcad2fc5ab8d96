// One GetProcessList round trip per transport against the fake service, with
// the raw bytes checked in the trace file.

#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "soap_client.h"
#include "sssl/sssl.h"
#include "support/fake_service.h"
#include "target.h"
#include "test_pki.h"
#include "tls_proxy.h"
#include "u16/u16.h"

namespace {

std::atomic<bool> g_silent_done{false};

// Listening sockets that take connections into their backlog and never
// answer; -1 on failure.
int silent_tcp_listener(uint16_t* port)
{
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        ::listen(fd, 8) != 0 || ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
        if (fd >= 0)
            close(fd);
        return -1;
    }
    *port = ntohs(a.sin_port);
    return fd;
}

int silent_unix_listener(const std::string& path)
{
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    if (fd < 0 || path.size() >= sizeof a.sun_path) {
        if (fd >= 0)
            close(fd);
        return -1;
    }
    std::memcpy(a.sun_path, path.c_str(), path.size() + 1);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd, 8) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// HTTPS targets need the test PKI; NI_HTTPS also the SSL layer set up with
// the client PSE, for the whole test.
class RoundTrip : public ::testing::TestWithParam<int>
{
  protected:
    void SetUp() override
    {
        const int type = GetParam();
        if (type == NI_HTTPS || type == WINHTTPS) {
            ASSERT_TRUE(test_pki().ok) << test_pki().error;
        }
        if (type == NI_HTTPS) {
            ssl_ = std::make_unique<SslSetup>(test_pki().client_dir, SSSL_CRED_CLIENT);
            ASSERT_EQ(ssl_->rc(), SSSLRC_OK);
        }
    }

  private:
    std::unique_ptr<SslSetup> ssl_;
};

std::string percent_decoded(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

TEST_P(RoundTrip, CallsGetProcessListAndTracesTheRawBytes)
{
    const int type = GetParam();
    Target target(type);
    target.fake().script("GetProcessList",
                         qortest::Reply::ok(process_list_xml({"GREEN", "YELLOW"})));
    SoapClient client(type);
    ASSERT_EQ(client.register_rc(), SOAP_OK);

    int count = -1;
    ASSERT_EQ(client.get_process_list(target.endpoint(), &count), SOAP_OK)
        << client.fault() << client.trace();
    EXPECT_EQ(count, 2);
    ASSERT_EQ(target.fake().request_count(), 1u);
    qortest::Request req = target.fake().last_request();
    EXPECT_EQ(req.element, "GetProcessList");
    EXPECT_EQ(req.method, "POST");

    // The trace holds the request as sent, then the response as received.
    const std::string trace = client.trace();
    const size_t post = trace.find("POST /");
    const size_t body = trace.find("<QORControl:GetProcessList");
    const size_t status = trace.find("HTTP/1.1 200");
    const size_t answer = trace.find("<item><name>proc1</name>");
    ASSERT_NE(post, std::string::npos) << trace;
    ASSERT_NE(body, std::string::npos) << trace;
    ASSERT_NE(status, std::string::npos) << trace;
    ASSERT_NE(answer, std::string::npos) << trace;
    EXPECT_EQ(post, 0u) << "nothing before the request line";
    EXPECT_LT(post, body);
    EXPECT_LT(body, status);
    EXPECT_LT(status, answer);
    EXPECT_NE(trace.find(req.body), std::string::npos)
        << "the traced body is the body the service got";
    if (type == NI_HTTPS) {
        ASSERT_NE(target.proxy(), nullptr);
        EXPECT_EQ(target.proxy()->handshakes_completed(), 1);
        EXPECT_EQ(target.proxy()->last_client_subject(), "/CN=QorClient");
    }
    // A path beyond ASCII reaches the service as the UTF-8 it was given
    // (libcurl writes it with percent escapes).
    if (type != PIPE) {
        ASSERT_EQ(client.get_process_list(target.endpoint() + "/p\xc3\xa4th\xf0\x9d\x84\x9e"),
                  SOAP_OK)
            << client.fault();
        EXPECT_EQ(percent_decoded(target.fake().last_request().target),
                  "/p\xc3\xa4th\xf0\x9d\x84\x9e");
    }
}

TEST(SslTrace, TheSessionIsTracedOnEntryAndExit)
{
    ASSERT_TRUE(test_pki().ok) << test_pki().error;
    FILE* ssl_trace = std::tmpfile();
    ASSERT_NE(ssl_trace, nullptr);
    QorSSLSetTraceFile(ssl_trace);
    {
        SslSetup ssl(test_pki().client_dir, SSSL_CRED_CLIENT);
        ASSERT_EQ(ssl.rc(), SSSLRC_OK);
        Target target(NI_HTTPS);
        target.fake().script("GetProcessList", qortest::Reply::ok(process_list_xml({"GREEN"})));
        SoapClient client(NI_HTTPS, USE_CLIENT_CERT, false);
        ASSERT_EQ(client.get_process_list(target.endpoint()), SOAP_OK) << client.fault();
    }
    QorSSLSetTraceFile(nullptr);
    std::rewind(ssl_trace);
    std::string text;
    for (int c; (c = std::fgetc(ssl_trace)) != EOF;)
        text += static_cast<char>(c);
    std::fclose(ssl_trace);
    const char* in_order[] = {"->> QorSSLInit(read_profile=0, default_creds=2",
                              "<<- QorSSLInit()==SSSLRC_OK\n",
                              "->> QorSSLConnect(hdl=",
                              "auth=USE_CLIENT_CERT, server=localhost",
                              "<<- QorSSLConnect()==SSSLRC_OK\n",
                              "->> QorSSLWrite(session=",
                              "<<- QorSSLWrite()==SSSLRC_OK\n",
                              "->> QorSSLRead(session=",
                              "<<- QorSSLRead()==SSSLRC_OK\n",
                              "->> QorSSLClose(session=",
                              "<<- QorSSLClose()==SSSLRC_OK\n"};
    size_t at = 0;
    for (const char* piece : in_order) {
        size_t found = text.find(piece, at);
        ASSERT_NE(found, std::string::npos) << piece << " after " << at << " in\n" << text;
        at = found;
    }
}

// Text of exactly `bytes` bytes that cycles through characters of one to
// four bytes in UTF-8 (ASCII fills the end); with a colon when it may have
// one, as a password may.
std::string mixed_utf8(std::size_t bytes, bool colon)
{
    const std::string pieces[] = {"a", "\xc3\xb6", "\xe2\x82\xac", "\xf0\x9d\x84\x9e",
                                  colon ? ":" : "Z"};
    std::string text;
    for (std::size_t i = 0; text.size() < bytes; ++i) {
        const std::string& piece = pieces[i % 5];
        text += text.size() + piece.size() <= bytes ? piece : "x";
    }
    return text;
}

// User and password of any length go out exactly, in the header's usual
// place: the toolkit on its own corrupts 769 bytes and more and cuts off
// longer ones.
TEST_P(RoundTrip, SendsTheCredentialsExactlyAtAnyLength)
{
    const int type = GetParam();
    Target target(type);
    target.fake().script("GetProcessList", qortest::Reply::ok(process_list_xml({"GREEN"})));
    SoapClient client(type);
    ASSERT_EQ(client.register_rc(), SOAP_OK);
    const auto header_names = [](const qortest::Request& request) {
        std::vector<std::string> names;
        for (const auto& header : request.headers)
            names.push_back(header.first);
        return names;
    };
    std::vector<std::string> usual_names;
    for (const std::size_t bytes : {3, 768, 769, 1023, 4096, 40000}) {
        const std::string user = mixed_utf8(bytes / 2, false);
        const std::string password = mixed_utf8(bytes - user.size() - 1, true);
        ASSERT_EQ(user.size() + 1 + password.size(), bytes);
        client.set_credentials(user.c_str(), password.c_str());
        ASSERT_EQ(client.get_process_list(target.endpoint()), SOAP_OK) << bytes << client.fault();
        const qortest::Request request = target.fake().last_request();
        EXPECT_EQ(request.basic_credentials(), user + ":" + password) << bytes;
        if (usual_names.empty())
            usual_names = header_names(request);
        EXPECT_EQ(header_names(request), usual_names) << bytes;
    }
    // A user without a password, or a password without a user, is no pair:
    // no Authorization header goes out.
    for (const auto& [user, password] : {std::pair<const char*, const char*>{"qoradm", nullptr},
                                         std::pair<const char*, const char*>{nullptr, "secret"}}) {
        client.set_credentials(user, password);
        ASSERT_EQ(client.get_process_list(target.endpoint()), SOAP_OK) << client.fault();
        EXPECT_FALSE(target.fake().last_request().has_header("Authorization"));
    }
    client.set_credentials(nullptr, nullptr);
}

TEST_P(RoundTrip, KeepsTheConnectionAliveOverRepeatedCalls)
{
    const int type = GetParam();
    Target target(type);
    target.fake().script("GetProcessList", qortest::Reply::ok(process_list_xml({"GREEN"})));
    SoapClient client(type, USE_CLIENT_CERT, false);
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(client.get_process_list(target.endpoint()), SOAP_OK) << client.fault();
    EXPECT_EQ(target.fake().request_count(), 3u);
    EXPECT_EQ(target.fake().connections_accepted(), 1u) << type_name(type);
    if (target.proxy() != nullptr) {
        EXPECT_EQ(target.proxy()->handshakes_completed(), 1);
    }
}

// Chunked replies and DIME attachments end where their own framing says:
// calls with them share one kept connection and lose no byte.
TEST_P(RoundTrip, CarriesChunkedAndDimeRepliesOnOneConnection)
{
    const int type = GetParam();
    Target target(type);
    target.fake().script(
        "GetProcessList",
        qortest::Reply::ok(process_list_xml({"GREEN", "GRAY", "RED"})).as_chunked());
    std::string content(70001, '\0');
    for (size_t i = 0; i < content.size(); ++i)
        content[i] = static_cast<char>(i * 7 % 251);
    const std::string envelope =
        qortest::envelope("<QORControl:ReadSnapshotResponse><snapshot "
                          "href=\"cid:snap\"/></QORControl:ReadSnapshotResponse>");
    target.fake().script(
        "ReadSnapshot",
        qortest::Reply::dime({qortest::dime_envelope_record(envelope),
                              qortest::DimeRecord{"cid:snap", "application/zip", content}}));
    SoapClient client(type, USE_CLIENT_CERT, false);
    for (int round = 0; round < 2; ++round) {
        int count = -1;
        ASSERT_EQ(client.get_process_list(target.endpoint(), &count), SOAP_OK)
            << round << ": " << client.fault();
        EXPECT_EQ(count, 3);
        soap_destroy(client.ctx());
        soap_end(client.ctx());
        QORControl__SnapshotZip zip;
        char name[] = "s.zip";
        ASSERT_EQ(soap_call_QORControl__ReadSnapshot(client.ctx(), target.endpoint().c_str(), "",
                                                     name, zip),
                  SOAP_OK)
            << round << ": " << client.fault();
        ASSERT_NE(zip.__ptr, nullptr);
        EXPECT_TRUE(std::string(reinterpret_cast<const char*>(zip.__ptr),
                                static_cast<size_t>(zip.__size)) == content)
            << round;
    }
    EXPECT_EQ(target.fake().request_count(), 4u);
    EXPECT_EQ(target.fake().connections_accepted(), 1u) << type_name(type);
}

// A SOAP Fault (here one that the service keeps the connection after) is a
// complete reply: the connection carries the next call.
TEST_P(RoundTrip, KeepsTheConnectionAfterAFault)
{
    const int type = GetParam();
    Target target(type);
    target.fake().script(
        "GetProcessList",
        std::vector<qortest::Reply>{
            qortest::Reply::http(200, qortest::envelope(qortest::fault11_xml("SOAP-ENV:Server",
                                                                             "Permission denied"))),
            qortest::Reply::ok(process_list_xml({"GREEN"}))});
    SoapClient client(type, USE_CLIENT_CERT, false);
    EXPECT_EQ(client.get_process_list(target.endpoint()), SOAP_SVR_FAULT);
    EXPECT_NE(client.fault().find("Permission denied"), std::string::npos) << client.fault();
    int count = -1;
    ASSERT_EQ(client.get_process_list(target.endpoint(), &count), SOAP_OK) << client.fault();
    EXPECT_EQ(count, 1);
    EXPECT_EQ(target.fake().connections_accepted(), 1u) << type_name(type);
}

// The service answers and then closes the connection without saying so: the
// next call notices and connects again.
TEST_P(RoundTrip, ReconnectsWhenThePeerClosedTheKeptConnection)
{
    const int type = GetParam();
    Target target(type);
    const std::string body = qortest::envelope(process_list_xml({"GREEN"}));
    const std::string raw =
        "HTTP/1.1 200 OK\r\nContent-Type: text/xml; charset=utf-8\r\nContent-Length: " +
        std::to_string(body.size()) + "\r\n\r\n" + body;
    target.fake().script("GetProcessList", qortest::Reply::raw(raw));
    SoapClient client(type, USE_CLIENT_CERT, true);
    ASSERT_EQ(client.get_process_list(target.endpoint()), SOAP_OK) << client.fault();
    // Let the close arrive before the next call looks at the connection.
    if (type == WINHTTP || type == WINHTTPS) {
        usleep(300000); // the stand-in's connections are its own
    } else {
        ASSERT_TRUE(soap_valid_socket(client.ctx()->socket))
            << "the connection is kept after the call";
        pollfd p{client.ctx()->socket, POLLRDHUP, 0};
        EXPECT_EQ(poll(&p, 1, 5000), 1) << "the service closed the connection";
    }
    ASSERT_EQ(client.get_process_list(target.endpoint()), SOAP_OK) << client.fault();
    EXPECT_EQ(target.fake().request_count(), 2u);
    EXPECT_EQ(target.fake().connections_accepted(), 2u) << type_name(type);
    // Over the raw transports the trace holds each request followed by the
    // reply's bytes exactly as the service wrote them.
    if (type != WINHTTP && type != WINHTTPS) {
        const std::string trace = client.trace();
        const std::vector<qortest::Request> requests = target.fake().requests();
        size_t at = 0;
        for (const qortest::Request& r : requests) {
            const size_t post = trace.find(r.request_line + "\r\n", at);
            ASSERT_NE(post, std::string::npos) << trace;
            const size_t request_body = trace.find(r.body, post);
            ASSERT_NE(request_body, std::string::npos) << trace;
            at = request_body + r.body.size();
            EXPECT_EQ(trace.compare(at, raw.size(), raw), 0)
                << "the reply follows its request at once:\n"
                << trace;
            at += raw.size();
        }
        EXPECT_EQ(at, trace.size()) << "nothing else is traced";
    }
}

// The service writes a second reply late, after a complete one, and keeps
// the connection open: the next call leaves those unread bytes with their
// connection and reads its own reply on a new one.
TEST_P(RoundTrip, TakesNoLateStrayReplyForTheNextCall)
{
    const int type = GetParam();
    Target target(type);
    auto raw_reply = [](const std::string& xml) {
        const std::string body = qortest::envelope(xml);
        return "HTTP/1.1 200 OK\r\nContent-Type: text/xml; charset=utf-8\r\nContent-Length: " +
               std::to_string(body.size()) + "\r\n\r\n" + body;
    };
    const std::string first = raw_reply(process_list_xml({"GREEN"}));
    const std::string stray = raw_reply(process_list_xml({"RED", "RED", "RED"}));
    qortest::Reply late = qortest::Reply::raw_pieces({first, stray}).holding();
    late.sent = std::make_shared<std::atomic<size_t>>(0);
    target.fake().script("GetProcessList",
                         {late, qortest::Reply::ok(process_list_xml({"GREEN", "GRAY"}))});
    SoapClient client(type, USE_CLIENT_CERT, false);
    int count = -1;
    ASSERT_EQ(client.get_process_list(target.endpoint(), &count), SOAP_OK) << client.fault();
    EXPECT_EQ(count, 1);
    // The stray bytes are on their way to the client before the next call.
    auto arrived = [&] {
        return (target.proxy() != nullptr ? target.proxy()->bytes_to_clients()
                                          : late.sent->load()) == first.size() + stray.size();
    };
    for (int i = 0; i < 500 && !arrived(); ++i)
        usleep(10000);
    ASSERT_TRUE(arrived());
    ASSERT_EQ(client.get_process_list(target.endpoint(), &count), SOAP_OK) << client.fault();
    EXPECT_EQ(count, 2) << type_name(type) << ": the stray reply was taken for the call's own";
    EXPECT_EQ(target.fake().request_count(), 2u);
    EXPECT_EQ(target.fake().connections_accepted(), 2u) << type_name(type);
}

// The service drops the connection without an answer: the call fails with a
// printable error, and the next call works on a new connection.
TEST_P(RoundTrip, SurvivesADroppedConnection)
{
    const int type = GetParam();
    Target target(type);
    target.fake().script("GetProcessList", std::vector<qortest::Reply>{
                                               qortest::Reply::drop(),
                                               qortest::Reply::ok(process_list_xml({"GRAY"}))});
    SoapClient client(type, USE_CLIENT_CERT, false);
    EXPECT_NE(client.get_process_list(target.endpoint()), SOAP_OK);
    EXPECT_FALSE(client.fault().empty());
    int count = -1;
    EXPECT_EQ(client.get_process_list(target.endpoint(), &count), SOAP_OK) << client.fault();
    EXPECT_EQ(count, 1);
}

// Replies that are no HTTP, stop in the middle or carry no XML: each call
// fails with a printable error instead of crashing, the bytes that came are
// in the trace, and the next call works on a new connection.
TEST_P(RoundTrip, FailsCleanlyOnAGarbledOrCutReply)
{
    const int type = GetParam();
    const std::string body = qortest::envelope(process_list_xml({"GREEN", "RED"}));
    const std::string head =
        "HTTP/1.1 200 OK\r\nContent-Type: text/xml; charset=utf-8\r\nContent-Length: ";
    struct Case
    {
        const char* what;
        qortest::Reply reply;
        std::string traced; // bytes the raw transports must show in the trace
    } cases[] = {
        {"no HTTP at all", qortest::Reply::raw("SSH-2.0-garbage\r\n\r\nmore garbage\r\n"),
         "SSH-2.0-garbage"},
        {"binary noise",
         qortest::Reply::raw(std::string("\x00\xff\x16\x03\x01\x00\x05\x80\r\n\r\n", 12)),
         std::string("\x00\xff\x16\x03", 4)},
        {"closed inside the headers", qortest::Reply::raw("HTTP/1.1 200 OK\r\nContent-Ty"),
         "HTTP/1.1 200 OK\r\nContent-Ty"},
        {"closed inside the body",
         qortest::Reply::raw(head + std::to_string(body.size()) + "\r\n\r\n" +
                             body.substr(0, body.size() / 2)),
         body.substr(0, body.size() / 2)},
        {"framed, but no XML", qortest::Reply::http(200, "<<<this is not XML &&&"),
         "<<<this is not XML &&&"},
        {"framed, XML cut short", qortest::Reply::http(200, body.substr(0, body.size() - 40)),
         body.substr(0, body.size() - 40)},
    };
    for (Case& c : cases) {
        Target target(type);
        target.fake().script(
            "GetProcessList",
            std::vector<qortest::Reply>{c.reply, qortest::Reply::ok(process_list_xml({"GRAY"}))});
        SoapClient client(type, USE_CLIENT_CERT, true);
        // The failure comes from the reply itself, never from waiting for bytes
        // beyond its frame.
        client.ctx()->recv_timeout = 20;
        EXPECT_NE(client.get_process_list(target.endpoint()), SOAP_OK) << c.what;
        EXPECT_FALSE(client.fault().empty()) << c.what;
        EXPECT_NE(client.ctx()->errnum, ETIMEDOUT) << c.what << ": " << client.fault();
        if (type != WINHTTP && type != WINHTTPS) { // the stand-in hands over a parsed response
            EXPECT_NE(client.trace().find(c.traced), std::string::npos)
                << c.what << ": " << client.trace();
        }
        int count = -1;
        EXPECT_EQ(client.get_process_list(target.endpoint(), &count), SOAP_OK)
            << c.what << ": " << client.fault();
        EXPECT_EQ(count, 1) << c.what;
        // Where the broken exchange left the stream is unknown: never reused.
        if (type != WINHTTP && type != WINHTTPS) {
            EXPECT_EQ(target.fake().connections_accepted(), 2u) << c.what;
        }
    }
}

// A peer that accepts the connection and then says nothing: the call ends
// with an error after the context's time-outs (given in microseconds), also
// when no send time-out is set.
TEST_P(RoundTrip, GivesUpOnASilentPeer)
{
    const int type = GetParam();
    std::string dir, endpoint;
    int listener = -1;
    if (type == PIPE) {
        char tmpl[] = "/tmp/qor_silent_XXXXXX";
        dir = mkdtemp(tmpl);
        plugin_set_pipe_dir(dir.c_str());
        listener = silent_unix_listener(dir + "/qorcontrol_09");
        endpoint = "pipe:\\\\.\\pipe\\qorcontrol_09";
    } else {
        uint16_t port = 0;
        listener = silent_tcp_listener(&port);
        endpoint = std::string(type == NI_HTTPS || type == WINHTTPS ? "https" : "http") +
                   "://127.0.0.1:" + std::to_string(port);
    }
    ASSERT_GE(listener, 0);
    // A safety net only: should the time-out not work, closing the listener
    // after a long while resets the connection, and the fault text shows it.
    g_silent_done = false;
    std::thread net([listener] {
        for (int i = 0; i < 200 && !g_silent_done.load(); ++i)
            usleep(100000);
        shutdown(listener, SHUT_RDWR);
    });
    SoapClient client(type, USE_CLIENT_CERT, false);
    client.ctx()->connect_timeout = -300000;
    client.ctx()->send_timeout = 0;
    client.ctx()->recv_timeout = -300000;
    const int rc = client.get_process_list(endpoint);
    const std::string fault = client.fault();
    g_silent_done = true;
    net.join();
    close(listener);
    if (!dir.empty()) {
        plugin_set_pipe_dir(nullptr);
        unlink((dir + "/qorcontrol_09").c_str());
        rmdir(dir.c_str());
    }
    EXPECT_NE(rc, SOAP_OK);
    EXPECT_FALSE(fault.empty());
    const bool timed_out = fault.find("time") != std::string::npos ||
                           fault.find("Time") != std::string::npos ||
                           client.ctx()->errnum == ETIMEDOUT;
    EXPECT_TRUE(timed_out) << type_name(type) << ": " << fault;
}

// Standard input from a pipe that holds the given bytes, for the scope.
class StdinFromPipe
{
  public:
    explicit StdinFromPipe(const std::string& bytes)
    {
        int p[2] = {-1, -1};
        if (::pipe(p) != 0)
            return;
        ok_ = ::write(p[1], bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
        ::close(p[1]);
        saved_ = ::dup(0);
        ::dup2(p[0], 0);
        ::close(p[0]);
    }
    ~StdinFromPipe()
    {
        if (saved_ >= 0) {
            ::dup2(saved_, 0);
            ::close(saved_);
        }
    }
    StdinFromPipe(const StdinFromPipe&) = delete;
    StdinFromPipe& operator=(const StdinFromPipe&) = delete;
    bool ok() const { return ok_ && saved_ >= 0; }
    // What nobody read: the writing end is closed, so this ends.
    std::string unread() const
    {
        std::string rest;
        char buf[4096];
        for (ssize_t n; (n = ::read(0, buf, sizeof buf)) > 0;)
            rest.append(buf, static_cast<size_t>(n));
        return rest;
    }

  private:
    int saved_ = -1;
    bool ok_ = false;
};

// An endpoint without a host (the toolkit then opens no connection and would
// use its standard streams) fails the call before a byte goes out: nothing on
// standard output, nothing taken from standard input, and nothing sent on a
// connection kept from the call before.
TEST_P(RoundTrip, SendsNothingWithoutAHost)
{
    const int type = GetParam();
    Target target(type);
    target.fake().script("GetProcessList", qortest::Reply::ok(process_list_xml({"GREEN"})));
    SoapClient client(type, USE_CLIENT_CERT, false);
    const std::string reply = "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: " +
                              std::to_string(qortest::envelope("").size()) + "\r\n\r\n" +
                              qortest::envelope("");
    const std::string scheme = type == NI_HTTPS || type == WINHTTPS ? "https://" : "http://";
    const std::string no_host[] = {
        "", scheme, scheme + ":50013", scheme + "[]:50013", scheme + "/x", scheme + "?x"};
    for (bool kept : {false, true}) {
        if (kept) {
            ASSERT_EQ(client.get_process_list(target.endpoint()), SOAP_OK) << client.fault();
        }
        for (const std::string& endpoint : no_host) {
            StdinFromPipe in(reply);
            ASSERT_TRUE(in.ok());
            std::fflush(stdout);
            ::testing::internal::CaptureStdout();
            const int rc = client.get_process_list(endpoint);
            std::fflush(stdout);
            const std::string out = ::testing::internal::GetCapturedStdout();
            EXPECT_EQ(rc, SOAP_TCP_ERROR) << type_name(type) << " [" << endpoint << "]";
            EXPECT_NE(client.fault().find("no host to connect to"), std::string::npos)
                << type_name(type) << " [" << endpoint << "]: " << client.fault();
            EXPECT_EQ(out, "") << type_name(type) << " [" << endpoint << "]";
            EXPECT_EQ(in.unread(), reply) << type_name(type) << " [" << endpoint << "]";
        }
    }
    EXPECT_EQ(target.fake().request_count(), 1u) << type_name(type);
}

INSTANTIATE_TEST_SUITE_P(AllTransports, RoundTrip,
                         ::testing::Values(NI_HTTP, NI_HTTPS, WINHTTP, WINHTTPS, PIPE, GSOAP_HTTP),
                         [](const ::testing::TestParamInfo<int>& p) {
                             return std::string(type_name(p.param));
                         });

} // namespace

namespace {

// "-trace -": the raw bytes go to standard output between the program's own
// lines, in the order they happened.
TEST(TraceToStandardOutput, InterleavesWithThePrintedLines)
{
    for (int type : {NI_HTTP, GSOAP_HTTP, WINHTTP}) {
        qortest::FakeService fake;
        fake.script("GetProcessList", qortest::Reply::ok(process_list_xml({"GREEN"})));
        SoapClient client(type, USE_CLIENT_CERT, false);
        plugin_set_trace(client.ctx(), stdout, stdout);
        ::testing::internal::CaptureStdout();
        printfU16(u"before\n");
        const int rc = client.get_process_list(fake.endpoint());
        printfU16(u"after\n");
        std::fflush(stdout);
        const std::string out = ::testing::internal::GetCapturedStdout();
        ASSERT_EQ(rc, SOAP_OK) << type_name(type);
        const size_t before = out.find("before\n"), post = out.find("POST /"),
                     status = out.find("HTTP/1.1 200"), after = out.find("after\n");
        ASSERT_NE(post, std::string::npos) << out;
        ASSERT_NE(status, std::string::npos) << out;
        EXPECT_EQ(before, 0u) << out;
        EXPECT_LT(before, post);
        EXPECT_LT(post, status);
        EXPECT_LT(status, after);
        EXPECT_NE(after, std::string::npos);
    }
}

} // namespace
