// Endpoint, PSE selection, string conversions, -queryuser and the refused
// host names of the set-up.
#include <gtest/gtest.h>

#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "client/host_text.h"
#include "client/setup.h"
#include "client/strings.h"
#include "client_harness.h"
#include "ni/ni.h"
#include "transport/test_pki.h"
#include "transport/tls_proxy.h"

namespace {

// Sets or clears an environment variable for one test, restoring it after.
class EnvVar
{
  public:
    EnvVar(const char* name, const char* value) : name_(name)
    {
        const char* old = std::getenv(name);
        had_ = old != nullptr;
        if (had_)
            old_ = old;
        if (value != nullptr)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~EnvVar()
    {
        if (had_)
            setenv(name_.c_str(), old_.c_str(), 1);
        else
            unsetenv(name_.c_str());
    }

  private:
    std::string name_;
    std::string old_;
    bool had_ = false;
};

class TempDir
{
  public:
    TempDir()
    {
        char pattern[] = "/tmp/qor_client_XXXXXX";
        path_ = mkdtemp(pattern);
    }
    ~TempDir() { std::system(("rm -rf '" + path_ + "'").c_str()); }
    const std::string& path() const { return path_; }
    void touch(const std::string& name) const { std::ofstream(path_ + "/" + name) << "x"; }

  private:
    std::string path_;
};

TEST(ClientEndpoint, PortsServicesAndPipes)
{
    TempDir dir;
    const std::string services = dir.path() + "/services";
    std::ofstream(services) << "qorctrl00 8080/tcp\nqorzoziduros 1600/tcp\n";
    NiSetServicesFile(services.c_str());
    const struct
    {
        int transport;
        const char* host;
        int nr;
        const char* endpoint;
    } cases[] = {
        {TRANSPORT_NI_HTTP, "localhost", 0, "http://localhost:8080"},
        {TRANSPORT_NI_HTTPS, "localhost", 0, "https://localhost:50014"},
        {TRANSPORT_NI_HTTP, "h", 1, "http://h:50113"},
        {TRANSPORT_WINHTTPS, "h", 7, "https://h:50714"},
        {TRANSPORT_GSOAP_HTTP, "h", 98, "http://h:59813"},
        {TRANSPORT_WINHTTP, "localhost", 99, "http://localhost:1128"},
        {TRANSPORT_NI_HTTPS, "localhost", 99, "https://localhost:1600"},
        {TRANSPORT_PIPE, ".", 0, "pipe:\\\\.\\pipe\\qorcontrol_00"},
        {TRANSPORT_PIPE, "server", 42, "pipe:\\\\server\\pipe\\qorcontrol_42"},
        // An IPv6 literal: in brackets in a URL, bare in a pipe name.
        {TRANSPORT_NI_HTTP, "::1", 1, "http://[::1]:50113"},
        {TRANSPORT_WINHTTPS, "[::1]", 7, "https://[::1]:50714"},
        {TRANSPORT_PIPE, "[fe80::1]", 42, "pipe:\\\\fe80::1\\pipe\\qorcontrol_42"},
    };
    for (const auto& c : cases) {
        std::string endpoint;
        ASSERT_TRUE(make_endpoint(c.transport, c.host, c.nr, &endpoint));
        EXPECT_EQ(endpoint, c.endpoint);
    }
    NiSetServicesFile(nullptr);
    std::string endpoint;
    ASSERT_TRUE(make_endpoint(TRANSPORT_NI_HTTP, "localhost", 0, &endpoint));
    EXPECT_EQ(endpoint, "http://localhost:50013");
    // A host name that does not fit is refused, never cut.
    const std::string long_host(kEndpointSize, 'a');
    EXPECT_FALSE(make_endpoint(TRANSPORT_NI_HTTPS, long_host.c_str(), 0, &endpoint));
    EXPECT_FALSE(make_endpoint(TRANSPORT_PIPE, long_host.c_str(), 0, &endpoint));
}

TEST(ClientEndpoint, TooLongHostEndsTheRunBeforeAnyCall)
{
    // The set-up comes before the webmethod name is looked up.
    const std::string host(400, 'h');
    for (const char* webmethod : {"GetProcessList", "NoSuchMethod"}) {
        const clienttest::RunResult r =
            clienttest::run({"-host", host, "-nr", "0", "-function", webmethod});
        EXPECT_EQ(r.exit_code, 1) << webmethod;
        EXPECT_EQ(r.out, "Host name too long\n") << webmethod;
    }
}

// A blank, a control character or a URL delimiter in the host would make the
// toolkit read another endpoint (a blank starts the next one, "/" ends the
// host): the usage text, no call.
TEST(ClientEndpoint, HostThatWouldBendTheUrlIsACommandLineError)
{
    clienttest::Instance instance = clienttest::start_instance();
    const std::vector<std::string> call = instance.call({"Shutdown"});
    for (const char* host :
         {"127.0.0.1 ", " 127.0.0.1", "127.0.0.1\t", "127.0\x01.0.1", "127.0.0.1\x7f",
          "127.0.0.1\xc2\x85", "127.0.0.1/x", "127.0.0.1?x", "127.0.0.1#x", "qoradm@127.0.0.1"}) {
        for (const char* prot : {"NI_HTTP", "PIPE"}) {
            std::vector<std::string> words = {"-prot", prot};
            words.insert(words.end(), call.begin(), call.end());
            words.insert(words.end(), {"-host", host});
            const clienttest::RunResult r = clienttest::run(words);
            EXPECT_EQ(r.exit_code, 1) << prot << " [" << host << "]";
            EXPECT_EQ(r.out.rfind("NAME\n", 0), 0u) << prot << " [" << host << "]: " << r.out;
        }
    }
    EXPECT_EQ(instance.service->request_count(), 0u);
}

// One host and nothing beside it: no port, user, path, zone or second host
// (the whole program's table stands in test_program.cpp).
TEST(ClientHostText, NamesOneHostAndNothingElse)
{
    const struct
    {
        std::u16string text;
        bool valid;
    } cases[] = {
        {u"localhost", true},
        {u"127.0.0.1", true},
        {u"qor-app_01.example.", true},
        {u".", true},
        {u"::1", true},
        {u"[::1]", true},
        {u"::ffff:127.0.0.1", true},
        {u"[fe80::1]", true},
        {u"h\u00e9te.example", true},
        {u"\u4f8b\u3048.\U00020000", true}, // a pair of surrogates is one character
        {u"", false},
        {u"[", false},
        {u"[::1", false},
        {u"[::1]:80", false},
        {u"[[::1]]", false},
        {u"[127.0.0.1]", false},
        {u"[localhost]", false},
        {u"x[::1]", false},
        {u"localhost:80", false},
        {u":::", false},
        {u"[fe80::1%25lo]", false},
        {u"a,b", false},
        {u"a;b", false},
        {u"a+b", false},
        {u"a'b", false},
        {u"a\u0085b", false},
        {u"a\ufffdb", false},
        {u"a\xd800", false},
        {u"\xdc00\x61", false},
        {u"\xd800\xd800\xdc00", false},
        {u"[]", false},
        {u"\U0010FFFF", true},             // the last pair of surrogates
        {u"a\xdbff", false},               // the last high one alone
        {u"\u013a:1", false},              // no ASCII ":" stands for it
        {std::u16string(46, u':'), false}, // longer than any address
    };
    for (const auto& c : cases) {
        const std::string shown(c.text.begin(), c.text.end());
        EXPECT_EQ(host_text_valid(c.text.c_str()), c.valid) << shown;
    }
    EXPECT_FALSE(host_text_valid(nullptr));
}

// An IPv6 literal reaches the instance with or without its brackets.
TEST(ClientEndpoint, Ipv6LiteralHost)
{
    try {
        qortest::FakeService probe(0, qortest::Loopback::V6);
    } catch (const std::exception& e) {
        GTEST_SKIP() << "this machine has no IPv6 loopback: " << e.what();
    }
    for (const char* proxy : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"})
        unsetenv(proxy);
    int nr = 0;
    const auto service =
        qortest::FakeService::on_free_instance_port(nr, 1, 98, qortest::Loopback::V6);
    service->set_default(qortest::Reply::ok_empty("Shutdown"));
    for (const char* prot : {"NI_HTTP", "GSOAP_HTTP", "WINHTTP"}) {
        for (const char* host : {"::1", "[::1]"}) {
            const clienttest::RunResult r = clienttest::run(
                {"-prot", prot, "-host", host, "-nr", std::to_string(nr), "-function", "Shutdown"});
            EXPECT_EQ(r.exit_code, 0) << prot << " " << host;
            EXPECT_EQ(r.out, clienttest::heading("Shutdown") + "OK\n") << prot << " " << host;
        }
    }
    EXPECT_EQ(service->request_count(), 6u);
}

// The PSE directory of a name that comes through 16-bit text unchanged.
std::u16string pse_dir()
{
    std::u16string dir;
    EXPECT_TRUE(client_pse_dir(&dir));
    return dir;
}

TEST(ClientPse, SelectionAndSeparators)
{
    TempDir dir;
    {
        EnvVar secudir("SECUDIR", dir.path().c_str());
        EXPECT_EQ(pse_dir(), std::u16string(dir.path().begin(), dir.path().end()) + u"/");
        EXPECT_EQ(find_client_pse(), 0);
        dir.touch("QORSSLA.pse");
        EXPECT_EQ(find_client_pse(), 1);
        dir.touch("QORSSLC.pse");
        EXPECT_EQ(find_client_pse(), 2);
    }
    {
        const std::string with_separator = dir.path() + "/";
        EnvVar secudir("SECUDIR", with_separator.c_str());
        EXPECT_EQ(pse_dir(), std::u16string(with_separator.begin(), with_separator.end()));
        EXPECT_EQ(find_client_pse(), 2);
    }
    {
        // Without SECUDIR: the "sec" folder of HOMEDRIVE+HOMEPATH, else HOME.
        EnvVar secudir("SECUDIR", nullptr);
        EnvVar drive("HOMEDRIVE", "");
        EnvVar path("HOMEPATH", (dir.path() + "/").c_str());
        const std::string sec = dir.path() + "/sec/";
        EXPECT_EQ(pse_dir(), std::u16string(sec.begin(), sec.end()));
        EXPECT_EQ(find_client_pse(), 0);
        std::system(("mkdir -p '" + sec + "'").c_str());
        std::ofstream(sec + "QORSSLA.pse") << "x";
        EXPECT_EQ(find_client_pse(), 1);
    }
    {
        EnvVar secudir("SECUDIR", nullptr);
        EnvVar drive("HOMEDRIVE", nullptr);
        EnvVar path("HOMEPATH", nullptr);
        EnvVar home("HOME", dir.path().c_str());
        const std::string sec = dir.path() + "/sec/";
        EXPECT_EQ(pse_dir(), std::u16string(sec.begin(), sec.end()));
        EXPECT_EQ(find_client_pse(), 1);
    }
    {
        // A backslash is an ordinary character of a directory name here, not
        // a separator: the names are looked up inside that directory, where
        // the SSL layer reads them too.
        const std::string odd = dir.path() + "/odd\\";
        std::system(("mkdir -p '" + odd + "'").c_str());
        std::ofstream(odd + "/QORSSLC.pse") << "x";
        EnvVar secudir("SECUDIR", odd.c_str());
        EXPECT_EQ(pse_dir(), std::u16string(odd.begin(), odd.end()) + u"/");
        EXPECT_EQ(find_client_pse(), 2);
    }
    {
        // An empty SECUDIR counts as not set, as for the SSL layer.
        EnvVar secudir("SECUDIR", "");
        EnvVar drive("HOMEDRIVE", nullptr);
        EnvVar path("HOMEPATH", nullptr);
        EnvVar home("HOME", dir.path().c_str());
        const std::string sec = dir.path() + "/sec/";
        EXPECT_EQ(pse_dir(), std::u16string(sec.begin(), sec.end()));
        EXPECT_EQ(find_client_pse(), 1);
    }
    {
        // A directory whose names do not fit the path buffer is refused: left
        // out, it would choose the mode that verifies no server.
        const std::string deep = dir.path() + "/" + std::string(300, 'd');
        EnvVar secudir("SECUDIR", deep.c_str());
        EXPECT_EQ(find_client_pse(), kPseNameUnusable);
    }
}

TEST(ClientPse, CredentialSelectionOfTheSslLayer)
{
    const struct
    {
        int pse;
        unsigned int default_creds;
        int auth;
    } cases[] = {
        {2, SSSL_CRED_CLIENT, USE_CLIENT_CERT},
        {1, SSSL_CRED_ANON, NO_CLIENT_CERT},
        {0, SSSL_CRED_ANON, ANON_SRVCERT_NO_VERIFY},
    };
    for (const auto& c : cases) {
        SSSL_INIT_PARAMS params;
        std::memset(&params, 0x5a, sizeof params); // every field must be set afresh
        EXPECT_EQ(choose_ssl_credentials(c.pse, &params), c.auth) << c.pse;
        EXPECT_EQ(params.size, 120u);
        EXPECT_EQ(params.default_creds, c.default_creds) << c.pse;
        EXPECT_EQ(params.cred_data, nullptr);
        EXPECT_EQ(params.cred_len, 0u);
        EXPECT_EQ(params.reserved0, 0u);
        EXPECT_EQ(params.reserved1, 0u);
        for (unsigned char byte : params.reserved)
            ASSERT_EQ(byte, 0u);
    }
}

TEST(ClientPse, UnreadableClientPseEndsTheRunBeforeAnyCall)
{
    TempDir dir;
    dir.touch("QORSSLC.pse"); // not a PKCS#12 container
    EnvVar secudir("SECUDIR", dir.path().c_str());
    clienttest::Instance instance = clienttest::start_instance();
    std::vector<std::string> words = {"-prot", "NI_HTTPS"};
    const std::vector<std::string> call = instance.call({"GetProcessList"});
    words.insert(words.end(), call.begin(), call.end());
    const clienttest::RunResult r = clienttest::run(words);
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.out, "QorSSLInit failed\n");
    EXPECT_EQ(instance.service->request_count(), 0u);
}

// A Shutdown with -user over NI_HTTPS to a fake service behind a TLS front
// with the test server's certificate, which only the trusting PSE trusts;
// the services table that names the front's port is in effect while it lives.
struct PasswordOverTls
{
    explicit PasswordOverTls(const std::string& services)
        : instance(clienttest::start_instance()),
          tls(test_pki().server_cert, test_pki().server_key, "", instance.service->port())
    {
        instance.service->set_default(qortest::Reply::ok_empty("Shutdown"));
        std::ofstream(services) << "qorctrls" << (instance.nr < 10 ? "0" : "") << instance.nr << " "
                                << tls.port() << "/tcp\n";
        NiSetServicesFile(services.c_str());
        words = {"-prot", "NI_HTTPS", "-user", "u", "Secret9"};
        const std::vector<std::string> call = instance.call({"Shutdown"});
        words.insert(words.end(), call.begin(), call.end());
    }
    ~PasswordOverTls() { NiSetServicesFile(nullptr); }
    PasswordOverTls(const PasswordOverTls&) = delete;
    PasswordOverTls& operator=(const PasswordOverTls&) = delete;

    clienttest::Instance instance;
    TlsProxy tls;
    std::vector<std::string> words;
};

// The PSE that decides the mode over NI_HTTPS is the file that the SSL layer
// opens, named by the variables' own bytes, behind a TLS front whose
// certificate the user's PSE does not trust: a name that 16-bit text would
// alter, or that does not fit, ends the run before anything is sent; a
// folder the variables do not name (the one with U+FFFD's bytes) plays no
// part; a usable name verifies the service.
TEST(ClientPse, TheJudgedPseIsTheOneOpened)
{
    ASSERT_TRUE(test_pki().ok) << test_pki().error;
    enum Outcome { Refused, Untrusted, Served };
    const std::string untrusting = test_pki().other_dir + "/QORSSLC.pse";
    const std::string trusting = test_pki().client_pse;
    const std::string deep = std::string(200, 'd') + "/" + std::string(100, 'd');
    using Var = std::optional<std::string>;
    TempDir dir;
    const std::string b = dir.path() + "/";
    const struct
    {
        const char* label;
        Var secudir, home, drive, path;
        std::vector<std::pair<std::string, std::string>> pses; // folder under b, PSE file
        Outcome outcome;
    } cases[] = {
        {"SECUDIR not UTF-8", b + "s\xff", {}, {}, {}, {{"s\xff", untrusting}}, Refused},
        {"SECUDIR not UTF-8, U+FFFD's folder trusts the service",
         b + "t\xff",
         {},
         {},
         {},
         {{"t\xff", untrusting}, {"t\xef\xbf\xbd", trusting}},
         Refused},
        {"SECUDIR cut off inside a character",
         b + "u\xc3",
         {},
         {},
         {},
         {{"u\xc3", untrusting}},
         Refused},
        {"HOME not UTF-8", {}, b + "h\xfe", {}, {}, {{"h\xfe/sec", untrusting}}, Refused},
        {"HOMEPATH not UTF-8", {}, {}, b, "p\xfe", {{"p\xfe/sec", untrusting}}, Refused},
        {"PSE name longer than 260", b + deep, {}, {}, {}, {{deep, untrusting}}, Refused},
        {"SECUDIR beyond ASCII",
         b + "s\xc3\xa9",
         {},
         {},
         {},
         {{"s\xc3\xa9", untrusting}},
         Untrusted},
        // Each variable alone is no UTF-8; the name they make together is.
        {"HOMEDRIVE and HOMEPATH joined",
         {},
         {},
         b + "d\xc3",
         "\xa9",
         {{"d\xc3\xa9/sec", untrusting}},
         Untrusted},
        {"HOME beyond ASCII", {}, b + "h\xc3\xa9", {}, {}, {{"h\xc3\xa9/sec", trusting}}, Served},
    };
    for (const auto& c : cases) {
        for (const auto& [folder, pse] : c.pses) {
            ASSERT_TRUE(run_command("mkdir -p '" + b + folder + "' && cp '" + pse + "' '" + b +
                                    folder + "/QORSSLC.pse'"))
                << c.label;
        }
    }
    PasswordOverTls front(b + "services");
    clienttest::Instance& instance = front.instance;
    TlsProxy& tls = front.tls;
    const std::vector<std::string>& words = front.words;
    for (const auto& c : cases) {
        const auto value = [](const Var& v) { return v ? v->c_str() : nullptr; };
        EnvVar secudir("SECUDIR", value(c.secudir));
        EnvVar home("HOME", value(c.home));
        EnvVar drive("HOMEDRIVE", value(c.drive));
        EnvVar path("HOMEPATH", value(c.path));
        const int handshakes = tls.handshakes_completed();
        const std::size_t requests = instance.service->request_count();
        const clienttest::RunResult r = clienttest::run(words);
        if (c.outcome == Served) {
            EXPECT_EQ(r.exit_code, 0) << c.label;
            EXPECT_EQ(r.out, clienttest::heading("Shutdown") + "OK\n") << c.label;
            EXPECT_EQ(instance.service->request_count(), requests + 1) << c.label;
            continue;
        }
        EXPECT_EQ(r.exit_code, 1) << c.label;
        if (c.outcome == Refused) {
            EXPECT_EQ(r.out, "FAIL: the PSE file name is no UTF-8 text or longer than 260 "
                             "characters\n")
                << c.label;
        }
        EXPECT_EQ(tls.handshakes_completed(), handshakes) << c.label;
        EXPECT_EQ(instance.service->request_count(), requests) << c.label;
    }
}

// A PSE name that is there but leads to no file (a link to nothing, a link
// loop) is no proof that the user has no PSE: it must never choose the mode
// that verifies no server, so the password does not reach a server that no
// PSE of the user trusts.
TEST(ClientPse, ANameThatLeadsNowhereNeverVerifiesNoServer)
{
    ASSERT_TRUE(test_pki().ok) << test_pki().error;
    TempDir dir;
    const std::string b = dir.path() + "/";
    const struct
    {
        const char* label;
        std::string folder;
        std::string setup; // shell command that lays out the folder
    } cases[] = {
        {"client PSE links to nothing", b + "c_gone",
         "mkdir -p '" + b + "c_gone' && ln -s '" + b + "nowhere/QORSSLC.pse' '" + b +
             "c_gone/QORSSLC.pse'"},
        {"client PSE links to itself", b + "c_loop",
         "mkdir -p '" + b + "c_loop' && ln -s QORSSLC.pse '" + b + "c_loop/QORSSLC.pse'"},
        {"anonymous PSE links to nothing", b + "a_gone",
         "mkdir -p '" + b + "a_gone' && ln -s '" + b + "nowhere/QORSSLA.pse' '" + b +
             "a_gone/QORSSLA.pse'"},
    };
    for (const auto& c : cases)
        ASSERT_TRUE(run_command(c.setup)) << c.label;
    PasswordOverTls front(b + "services");
    clienttest::Instance& instance = front.instance;
    TlsProxy& tls = front.tls;
    const std::vector<std::string>& words = front.words;
    for (const auto& c : cases) {
        EnvVar secudir("SECUDIR", c.folder.c_str());
        const int handshakes = tls.handshakes_completed();
        const std::size_t requests = instance.service->request_count();
        const clienttest::RunResult r = clienttest::run(words);
        EXPECT_EQ(r.exit_code, 1) << c.label;
        EXPECT_EQ(tls.handshakes_completed(), handshakes) << c.label;
        EXPECT_EQ(instance.service->request_count(), requests) << c.label;
    }
}

TEST(ClientStrings, ConversionsReplaceControlCharacters)
{
    const struct
    {
        const char16_t* wide;
        const char* utf8;
    } cases[] = {
        {u"plain", "plain"},
        {u"a\rb\tc\nd", "a\rb\tc\nd"},
        {u"form\ffeed\x01", "form#feed#"},
        {u"\u00e9\u20ac", "\xc3\xa9\xe2\x82\xac"},
        {u"", ""},
    };
    for (const auto& c : cases) {
        const char* utf8 = wide_to_utf8(nullptr, c.wide);
        ASSERT_NE(utf8, nullptr);
        EXPECT_STREQ(utf8, c.utf8);
    }
    EXPECT_EQ(wide_to_utf8(nullptr, nullptr), nullptr);
    EXPECT_EQ(utf8_to_wide(nullptr, nullptr), nullptr);
    const QOR_UC* back = utf8_to_wide(nullptr, "\xc3\xa9x");
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(std::u16string(back), u"\u00e9x");
    char text[] = "a\x02\x1f\t\r\n ";
    replace_control_chars(text);
    EXPECT_STREQ(text, "a##\t\r\n ");
}

// A command-line word gets one unit per byte at most: words that need as
// many units as bytes (all ASCII, all broken, one cut off at the end) and
// fewer (a character beyond U+FFFF, an overlong form) fill their memory
// exactly or less.
TEST(ClientStrings, WordsKeepEveryCharacterAndTellWhetherTheyWereUtf8)
{
    const struct
    {
        const char* word;
        std::u16string wide;
        bool utf8;
    } cases[] = {
        {"", u"", true},
        {"a", u"a", true},
        {"\xff", u"\uFFFD", false},
        {"ab\xff", u"ab\uFFFD", false},
        {"\xff\xfe\x80", u"\uFFFD\uFFFD\uFFFD", false},
        {"\xe2\x82", u"\uFFFD\uFFFD", false}, // cut off: one per byte
        {"ab\xf0\x9f\x98", u"ab\uFFFD\uFFFD\uFFFD", false},
        {"\xc0\x80u", u"\uFFFDu", false},
        {"\xf0\x9f\x98\x80", u"\U0001F600", true},
        {"M\xfcller", u"M\uFFFDller", false},
        {"\xef\xbf\xbd", u"\uFFFD", true}, // U+FFFD as typed
        // Encoded surrogates are kept as units, which give other bytes back.
        {"a\xed\xa0\x80", u"a\xD800", false},
        {"\xed\xa0\x80\xed\xb0\x80", u"\U00010000", false},
    };
    for (const auto& c : cases) {
        bool utf8 = !c.utf8;
        const QOR_UC* wide = word_to_wide(c.word, &utf8);
        ASSERT_NE(wide, nullptr) << c.word;
        EXPECT_EQ(std::u16string(wide), c.wide) << c.word;
        EXPECT_EQ(utf8, c.utf8) << c.word;
    }
    bool utf8 = true;
    EXPECT_EQ(word_to_wide(nullptr, &utf8), nullptr);
}

// Runs the -queryuser dialogue in a child process on a pseudo-terminal,
// answers each prompt when it shows, and returns everything the terminal
// showed.
std::string query_on_terminal(const std::string& user_line, const std::string& password_line,
                              std::string* user, std::string* password)
{
    int master = -1;
    const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    if (pid == 0) {
        ClientSettings settings;
        query_user_and_password(settings);
        std::printf("\n[%s][%s]\n", settings.user != nullptr ? settings.user : "<null>",
                    settings.password != nullptr ? settings.password : "<null>");
        std::fflush(stdout);
        _exit(0);
    }
    if (pid < 0)
        return "";
    std::string seen;
    char buf[512];
    bool user_sent = false;
    bool password_sent = false;
    bool done = false;
    for (int round = 0; round < 200 && !done; ++round) { // at most about 10 seconds
        fd_set set;
        FD_ZERO(&set);
        FD_SET(master, &set);
        timeval tv{0, 50000};
        if (select(master + 1, &set, nullptr, nullptr, &tv) > 0) {
            const ssize_t n = read(master, buf, sizeof buf);
            if (n <= 0)
                break;
            seen.append(buf, static_cast<std::size_t>(n));
        }
        if (!user_sent && seen.find("User? ") != std::string::npos) {
            user_sent = write(master, user_line.data(), user_line.size()) > 0;
        }
        if (!password_sent && seen.find("Password? ") != std::string::npos) {
            usleep(100000); // let the child switch the echo off first
            password_sent = write(master, password_line.data(), password_line.size()) > 0;
        }
        const std::size_t report = seen.find("\n[");
        done = report != std::string::npos && seen.find("]\r\n", report) != std::string::npos;
    }
    if (!done)
        kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    close(master);
    const std::size_t open = seen.rfind("\n[");
    if (open != std::string::npos) {
        const std::size_t mid = seen.find("][", open);
        const std::size_t end = mid != std::string::npos ? seen.find(']', mid + 2) : mid;
        if (mid != std::string::npos && end != std::string::npos) {
            *user = seen.substr(open + 2, mid - open - 2);
            *password = seen.substr(mid + 2, end - mid - 2);
        }
    }
    return seen;
}

TEST(ClientQueryUser, AsksForUserAndPasswordWithoutEcho)
{
    std::string user;
    std::string password;
    const std::string seen = query_on_terminal("alice\n", "hidden-pw\n", &user, &password);
    EXPECT_NE(seen.find("User? "), std::string::npos) << seen;
    EXPECT_NE(seen.find("Password? "), std::string::npos) << seen;
    EXPECT_EQ(user, "alice");
    EXPECT_EQ(password, "hidden-pw");
    // The password is not echoed: it shows up only in the child's own report.
    const std::size_t first = seen.find("hidden-pw");
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(seen.rfind("hidden-pw"), first);
    EXPECT_GT(first, seen.find("\n["));
}

TEST(ClientQueryUser, AnswersAreUtf8OrNone)
{
    const struct
    {
        const char* user_line;
        const char* password_line;
        const char* user;
        const char* password;
    } cases[] = {
        {"j\xc3\xb6rg\n", "p\xc3\xa4ss\xe2\x82\xac\n", "j\xc3\xb6rg", "p\xc3\xa4ss\xe2\x82\xac"},
        {"  padded  \n", "  pw  \n", "padded", "pw"},
        // End of input instead of a user name: no user, so no logon-file
        // request either, which an empty user name would start.
        {"\x04", "\x04", "<null>", "<null>"},
    };
    for (const auto& c : cases) {
        std::string user;
        std::string password;
        const std::string seen = query_on_terminal(c.user_line, c.password_line, &user, &password);
        EXPECT_NE(seen.find("Password? "), std::string::npos) << seen;
        EXPECT_EQ(user, c.user) << seen;
        EXPECT_EQ(password, c.password) << seen;
    }
}

TEST(ClientQueryUser, LongAnswersAreBounded)
{
    std::string user;
    std::string password;
    const std::string long_user(3000, 'u');
    query_on_terminal(long_user + "\n", "pw\n", &user, &password);
    // A name longer than 1023 characters is no answer, never a shorter name.
    EXPECT_EQ(user, "<null>");
    EXPECT_EQ(password, "<null>");
}

} // namespace
