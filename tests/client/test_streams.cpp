// The built program in a broken environment and on a shared machine: closed
// or unwritable standard streams, endless input, a signal in the delay, the
// password in the process list, and names and proxies that would take the
// logon file's password elsewhere.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "client/logon_file.h"
#include "client_harness.h"
#include "support/closed_port.h"
#include "transport/test_pki.h"
#include "transport/tls_proxy.h"
#include "u16/u16_input.h"

namespace {

using namespace std::string_literals;

const std::string kPrinted = clienttest::heading("GetProcessList") +
                             "OK\nname, description, dispstatus, textstatus, starttime, "
                             "elapsedtime, pid\np, , GREEN, , , , 7\n";

// An exit code as waitpid reports it.
constexpr int exited(int code)
{
    return W_EXITCODE(code, 0);
}

// Reads up to size bytes, fewer at the end of the input.
std::string read_from(int fd, std::size_t size)
{
    std::string text;
    char buf[4096];
    for (ssize_t n = 1; n > 0 && text.size() < size;) {
        n = read(fd, buf, std::min(sizeof buf, size - text.size()));
        text.append(buf, static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
    }
    return clienttest::mask_time_stamps(text);
}

// The exit status of a program that could not have a private hosts file.
constexpr int kNoPrivateHosts = 77;

// Starts the program with its descriptors 0, 1 and 2 on these files ("" one
// closed); with out, standard output goes to a pipe whose read end *out is.
// With hosts, the program sees that file as /etc/hosts, in a mount
// namespace of its own (root only; else it ends with kNoPrivateHosts). A
// program that hangs ends by its alarm after a minute. binary: the program
// as built, or the one built for the tests with this machine narrowed.
pid_t start_program(const std::vector<std::string>& words, const std::string (&files)[3],
                    int* out = nullptr, const std::string& hosts = "",
                    const char* binary = QORCONTROL_BINARY)
{
    int fds[3];
    for (int i = 0; i < 3; ++i)
        fds[i] = files[i].empty() ? -1 : open(files[i].c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    int ends[2];
    if (out != nullptr && pipe2(ends, O_CLOEXEC) == 0) {
        close(fds[1]);
        fds[1] = ends[1];
        *out = ends[0];
    }
    std::vector<char*> argv{const_cast<char*>(binary)};
    for (const std::string& w : words)
        argv.push_back(const_cast<char*>(w.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        signal(SIGPIPE, SIG_DFL); // as a shell starts it
        alarm(60);
        if (!hosts.empty() && (unshare(CLONE_NEWNS) != 0 ||
                               mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                               mount(hosts.c_str(), "/etc/hosts", nullptr, MS_BIND, nullptr) != 0))
            _exit(kNoPrivateHosts);
        for (int i = 0; i < 3; ++i)
            fds[i] < 0 ? close(i) : dup2(fds[i], i);
        execv(binary, argv.data());
        _exit(127);
    }
    for (const int fd : fds)
        close(fd);
    return pid;
}

int finish(pid_t pid)
{
    int status = -1;
    waitpid(pid, &status, 0);
    return status;
}

// A fake service that answers GetProcessList with one GREEN process, on its
// instance's HTTP port and, through a TLS front, on its HTTPS port.
class ClientWholeRun : public testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(test_pki().ok) << test_pki().error;
        // The HTTPS port may be taken by chance: another instance then. The
        // instances tried stay taken until one fits, so that each attempt
        // tries a new number rather than the one just given back.
        std::vector<clienttest::Instance> tried;
        for (int attempt = 0; attempt < 10 && tls_ == nullptr; ++attempt) {
            if (instance_.service != nullptr)
                tried.push_back(std::move(instance_));
            instance_ = clienttest::start_instance();
            try {
                tls_ = std::make_unique<TlsProxy>(
                    test_pki().server_cert, test_pki().server_key, "", instance_.service->port(),
                    static_cast<uint16_t>(qortest::FakeService::instance_port(instance_.nr) + 1));
            } catch (const std::runtime_error&) {
            }
        }
        ASSERT_NE(tls_, nullptr);
        instance_.service->script(
            "GetProcessList",
            qortest::Reply::ok("<QORControl:GetProcessListResponse><process><item><name>p</name>"
                               "<dispstatus>QORControl-GREEN</dispstatus><pid>7</pid></item>"
                               "</process></QORControl:GetProcessListResponse>"));
        setenv("SECUDIR", test_pki().client_dir.c_str(), 1);
        for (const char* proxy : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"})
            unsetenv(proxy);
    }
    void TearDown() override { unsetenv("SECUDIR"); }
    std::vector<std::string> words(std::vector<std::string> options,
                                   const char* webmethod = "GetProcessList")
    {
        const std::vector<std::string> call = instance_.call({webmethod});
        options.insert(options.end(), call.begin(), call.end());
        return options;
    }

    clienttest::Instance instance_;
    std::unique_ptr<TlsProxy> tls_;
    const std::string quiet_[3] = {"/dev/null", "/dev/null", "/dev/null"};
};

// Each standard stream closed in turn, over each transport, with the trace on
// and two calls over one connection: the service receives nothing but the
// requests, and the output goes where it always does.
TEST_F(ClientWholeRun, AClosedStandardStreamTakesNoSocketsPlace)
{
    const std::string out = testing::TempDir() + "qor_out_" + std::to_string(getpid());
    for (const char* prot : {"NI_HTTP", "NI_HTTPS", "GSOAP_HTTP", "WINHTTP", "WINHTTPS"}) {
        for (const int closed : {0, 1, 2}) {
            const std::string label = std::string(prot) + " without " + std::to_string(closed);
            std::string files[3] = {"/dev/null", out, "/dev/null"};
            files[closed].clear();
            std::remove(out.c_str());
            instance_.service->clear_requests();
            const pid_t pid =
                start_program(words({"-debug", "-repeat", "2", "0", "-prot", prot}), files);
            EXPECT_EQ(finish(pid), exited(3)) << label;
            const std::vector<qortest::Request> requests = instance_.service->requests();
            EXPECT_EQ(requests.size(), 2u) << label;
            for (const qortest::Request& request : requests)
                EXPECT_EQ(request.request_line.substr(0, 5) + request.element,
                          "POST GetProcessList")
                    << label;
            EXPECT_EQ(clienttest::mask_time_stamps(clienttest::read_file(out)),
                      closed == 1 ? "" : kPrinted + kPrinted)
                << label;
        }
    }
    std::remove(out.c_str());
}

// Runs that must end with their status: output that cannot be written (a
// full device, a reader that goes away during an endless repetition, also
// where the SSL layer ignores SIGPIPE) is never a success, and an endless
// standard input ends the questions for user and password.
TEST_F(ClientWholeRun, BrokenStreamsEndTheRun)
{
    const struct
    {
        const char* label;
        const char* in;
        const char* out; // null: a pipe closed after the first byte
        std::vector<std::string> options;
        int status;
    } cases[] = {
        {"full device", "/dev/null", "/dev/full", {}, exited(1)},
        {"reader gone", "/dev/null", nullptr, {"-repeat", "-1", "0"}, SIGPIPE},
        {"reader gone, SSL",
         "/dev/null",
         nullptr,
         {"-repeat", "-1", "0", "-prot", "NI_HTTPS"},
         exited(1)},
        {"endless input", "/dev/zero", "/dev/null", {"-queryuser"}, exited(3)},
    };
    for (const auto& c : cases) {
        const std::string files[3] = {c.in, c.out != nullptr ? c.out : "/dev/null", "/dev/null"};
        int out = -1;
        const pid_t pid = start_program(words(c.options), files, c.out != nullptr ? nullptr : &out);
        if (out >= 0) {
            EXPECT_EQ(read_from(out, 1).size(), 1u) << c.label;
            close(out);
        }
        EXPECT_EQ(finish(pid), c.status) << c.label;
    }
}

// -queryuser answered from a file: a name of up to 1,023 characters goes
// out exactly, however many bytes they take, and a run of blanks and empty
// lines longer than the bound (as "yes ''" gives) is no answer, as the end of
// input is: no credentials. So is a name that goes on past the bound, by one
// character or many, which must never go out cut to another user's name,
// and an empty name (a NUL first), which would ask for a logon file.
TEST_F(ClientWholeRun, QueryUserAnswersFromAFile)
{
    std::string name;
    for (int i = 0; i < 1023; ++i)
        name += i % 3 == 0 ? "\xc3\xb6" : i % 3 == 1 ? "\xe2\x82\xac" : "n";
    const std::string password = "p\xc3\xa4\xf0\x9d\x84\x9e:w";
    const std::string endless_blanks(U16_MAX_LINE_DROP, '\n');
    const std::string n1021(1021, 'n');
    const std::string n1022(1022, 'n');
    const std::string n1023(1023, 'n');
    const struct
    {
        const char* label;
        std::string input;
        std::optional<std::string> sent;
    } cases[] = {
        {"long name", name + "\n" + password + "\n", name + ":" + password},
        {"1022 characters", n1022 + "\npw\n", n1022 + ":pw"},
        {"1023 characters", n1023 + "\npw\n", n1023 + ":pw"},
        {"1023 characters, the password on the line", n1023 + " pw\n", n1023 + ":pw"},
        {"1024 characters", n1023 + "n\npw\n", std::nullopt},
        {"1024 characters, the password on the line", n1023 + "n pw\n", std::nullopt},
        {"1023 bytes, 1022 characters", n1021 + "\xc3\xa9\npw\n", n1021 + "\xc3\xa9:pw"},
        {"1025 bytes, 1023 characters", n1022 + "\xe2\x82\xac\npw\n", n1022 + "\xe2\x82\xac:pw"},
        {"1024 characters, the last of two bytes", n1023 + "\xc3\xa9\npw\n", std::nullopt},
        {"1024 characters, the last of three bytes", n1023 + "\xe2\x82\xac\npw\n", std::nullopt},
        {"empty lines first", "\n \n\t\n" + name + "\n" + password + "\n", name + ":" + password},
        {"endless empty lines", endless_blanks + "bob\npw\n", std::nullopt},
        {"endless name", std::string(1023 + U16_MAX_LINE_DROP, 'n') + "tail\npw\n", std::nullopt},
        {"NUL first", "\0\0\n"s + "pw\n", std::nullopt},
    };
    const std::string in = testing::TempDir() + "qor_in_" + std::to_string(getpid());
    for (const auto& c : cases) {
        {
            std::ofstream file(in, std::ios::binary | std::ios::trunc);
            file << c.input;
        }
        instance_.service->clear_requests();
        const std::string files[3] = {in, "/dev/null", "/dev/null"};
        EXPECT_EQ(finish(start_program(words({"-queryuser"}), files)), exited(3)) << c.label;
        ASSERT_EQ(instance_.service->request_count(), 1u) << c.label;
        EXPECT_EQ(instance_.service->last_request().basic_credentials(), c.sent) << c.label;
    }
    std::remove(in.c_str());
}

// A call's results are out before the delay: a SIGTERM in it loses none.
TEST_F(ClientWholeRun, ResultsAreWrittenBeforeTheDelay)
{
    int out = -1;
    const pid_t pid = start_program(words({"-repeat", "2", "600"}), quiet_, &out);
    const std::string first = read_from(out, kPrinted.size());
    kill(pid, SIGTERM);
    EXPECT_EQ(finish(pid), SIGTERM);
    EXPECT_EQ(first + read_from(out, SIZE_MAX), kPrinted);
    close(out);
}

// While the program waits for its reply, the process list shows no password.
TEST_F(ClientWholeRun, ThePasswordIsNotInTheProcessList)
{
    instance_.service->set_default(
        qortest::Reply::ok_empty("Shutdown").after(std::chrono::seconds(30)));
    const pid_t pid = start_program(words({"-user", "bob", "S3cret-pw"}, "Shutdown"), quiet_);
    ASSERT_TRUE(instance_.service->wait_for_requests(1));
    const std::string cmdline = clienttest::read_file("/proc/" + std::to_string(pid) + "/cmdline");
    kill(pid, SIGTERM);
    finish(pid);
    EXPECT_EQ(cmdline.find("S3cret"), std::string::npos);
    EXPECT_NE(cmdline.find("-user\0bob\0*********\0"s), std::string::npos) << cmdline;
    EXPECT_EQ(instance_.service->last_request().header("Authorization"),
              "Basic " + clienttest::base64("bob:S3cret-pw"));
}

std::string logon_reply(const std::string& file)
{
    return "<QORControl:RequestLogonFileResponse><filename>" + file +
           "</filename></QORControl:RequestLogonFileResponse>";
}

// A file that holds a password in its first line, removed at the end.
class LogonFile
{
  public:
    LogonFile() : name_(testing::TempDir() + "qor_logon_" + std::to_string(getpid()))
    {
        std::ofstream(name_) << "s3cret\nsecond line\n";
    }
    ~LogonFile() { std::remove(name_.c_str()); }
    const std::string& name() const { return name_; }

  private:
    std::string name_;
};

// The ordinary case: the service on this machine names the file, and the
// next call carries its first line, over every transport.
TEST_F(ClientWholeRun, TheLogonFileOfAServiceOfThisMachineIsReadOverEveryTransport)
{
    const LogonFile file;
    instance_.service->script("RequestLogonFile", qortest::Reply::ok(logon_reply(file.name())));
    for (const char* prot : {"NI_HTTP", "NI_HTTPS", "GSOAP_HTTP", "WINHTTP", "WINHTTPS"}) {
        instance_.service->clear_requests();
        int out = -1;
        const pid_t pid = start_program(words({"-prot", prot, "-user", "", "x"}), quiet_, &out);
        EXPECT_EQ(read_from(out, SIZE_MAX),
                  clienttest::heading("RequestLogonFile") + "OK\n\n" + kPrinted)
            << prot;
        close(out);
        EXPECT_EQ(finish(pid), exited(3)) << prot;
        ASSERT_EQ(instance_.service->request_count(), 2u) << prot;
        EXPECT_EQ(instance_.service->last_request().basic_credentials(),
                  QOR_LOGON_FILE_USER ":s3cret\n")
            << prot;
    }
}

// Whatever addresses a name has, the logon file is read only when the
// connection that carried the request ends on this machine, never through a
// proxy, which would take the password on. A private hosts file names
// 127.0.0.2 (the service) and ::1 (refusing), a refusing 127.0.0.1 and
// 127.0.0.2, or 127.0.0.1 alone, a name the stand-in's own loopback rule
// does not know.
TEST(ClientLogonFile, IsReadOnlyFromTheServiceAtTheOtherEndOfTheConnection)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "a private hosts file needs root";
    std::unique_ptr<qortest::FakeService> service;
    std::vector<std::unique_ptr<qortest::ClosedPort>> refusing;
    int nr = 1;
    for (; nr <= 98 && service == nullptr; ++nr) {
        const uint16_t port = qortest::FakeService::instance_port(nr);
        try {
            refusing.clear();
            refusing.push_back(std::make_unique<qortest::ClosedPort>(port));
            refusing.push_back(std::make_unique<qortest::ClosedPort>(port, qortest::Loopback::V6));
            service = std::make_unique<qortest::FakeService>(port, qortest::Loopback::V4Second);
        } catch (const std::runtime_error&) {
        }
    }
    ASSERT_NE(service, nullptr) << "no instance port free on 127.0.0.1, ::1 and 127.0.0.2";
    --nr;
    qortest::FakeService proxy;
    const LogonFile file;
    const std::string hosts = testing::TempDir() + "qor_hosts_" + std::to_string(getpid());
    std::ofstream(hosts) << "127.0.0.2 qor-two.test\n::1 qor-two.test\n"
                            "127.0.0.1 qor-one.test\n127.0.0.2 qor-one.test\n"
                            "127.0.0.1 qor-this.test\n";
    for (qortest::FakeService* fake : {service.get(), &proxy}) {
        fake->script("RequestLogonFile", qortest::Reply::ok(logon_reply(file.name())));
        fake->set_default(qortest::Reply::ok_empty("Shutdown"));
    }
    const std::string proxy_url = proxy.endpoint();
    const char* const variables[] = {"http_proxy", "HTTP_PROXY", "all_proxy",
                                     "ALL_PROXY",  "no_proxy",   "NO_PROXY"};
    const struct
    {
        const char* prot;
        const char* host;
        std::vector<std::pair<const char*, std::string>> environment;
        bool proxied;
    } cases[] = {
        {"NI_HTTP", "qor-two.test", {}, false},
        {"GSOAP_HTTP", "qor-two.test", {}, false},
        {"WINHTTP", "qor-two.test", {}, false},
        {"NI_HTTP", "qor-one.test", {}, false},
        {"GSOAP_HTTP", "qor-one.test", {}, false},
        {"WINHTTP", "qor-one.test", {}, false},
        {"GSOAP_HTTP", "qor-two.test", {{"http_proxy", proxy_url}}, false},
        {"WINHTTP", "qor-two.test", {{"HTTP_PROXY", proxy_url}}, false},
        {"WINHTTP",
         "qor-two.test",
         {{"http_proxy", proxy_url}, {"no_proxy", "qor-two.test"}},
         false},
        {"WINHTTP", "qor-two.test", {{"http_proxy", proxy_url}}, true},
        {"WINHTTP", "qor-this.test", {{"http_proxy", proxy_url}}, true},
        {"WINHTTP", "qor-this.test", {{"all_proxy", proxy_url}}, true},
        {"WINHTTP",
         "qor-this.test",
         {{"ALL_PROXY", proxy_url}, {"NO_PROXY", "qor-two.test"}},
         true},
    };
    const std::string quiet[3] = {"/dev/null", "/dev/null", "/dev/null"};
    const std::string instance = std::string(nr < 10 ? "0" : "") + std::to_string(nr);
    for (const auto& c : cases) {
        std::string label = std::string(c.prot) + " " + c.host;
        for (const char* name : variables)
            unsetenv(name);
        for (const auto& [name, value] : c.environment) {
            setenv(name, value.c_str(), 1);
            label += std::string(" ") + name;
        }
        service->clear_requests();
        proxy.clear_requests();
        int out = -1;
        const pid_t pid = start_program({"-prot", c.prot, "-host", c.host, "-nr", instance, "-user",
                                         "", "x", "-function", "Shutdown"},
                                        quiet, &out, hosts);
        const std::string printed = read_from(out, SIZE_MAX);
        close(out);
        const int status = finish(pid);
        if (status == exited(kNoPrivateHosts))
            GTEST_SKIP() << "no mount namespace of its own";
        const std::string refusal =
            c.proxied ? "FAIL: logon file " + file.name() +
                            " not read: the request went through the proxy at 127.0.0.1\n"
                      : "";
        EXPECT_EQ(printed, clienttest::heading("RequestLogonFile") + "OK\n\n" + refusal +
                               clienttest::heading("Shutdown") + "OK\n")
            << label;
        EXPECT_EQ(status, exited(0)) << label;
        const qortest::FakeService& answered = c.proxied ? proxy : *service;
        const qortest::FakeService& idle = c.proxied ? *service : proxy;
        EXPECT_EQ(idle.request_count(), 0u) << label;
        ASSERT_EQ(answered.request_count(), 2u) << label;
        EXPECT_EQ(answered.request(0).basic_credentials(), std::nullopt) << label;
        EXPECT_EQ(answered.request(1).basic_credentials(),
                  QOR_LOGON_FILE_USER ":" + std::string(c.proxied ? "" : "s3cret\n"))
            << label;
    }
    for (const char* name : variables)
        unsetenv(name);
    std::remove(hosts.c_str());
}

// Once read, the logon file's password goes only to this machine, whatever
// a later call's connection reaches. dual.test names 127.0.0.3, where the
// service that named the file answers and then goes away (its port
// refuses, as no other test uses that address), and 127.0.0.2, where
// another service takes the next call: in the same repetition, or in the
// next of -repeat. Counted as another machine's (this machine narrowed to
// 127.0.0.3 in the program built for the tests), it gets no byte of that
// call, which fails; counted as this machine, it gets the password, as any
// address of this machine would. Where the service stays, every call
// carries the password; one given with -user goes wherever the name leads.
TEST(ClientLogonFile, ThePasswordGoesToNoOtherMachine)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "a private hosts file needs root";
    std::unique_ptr<qortest::FakeService> first, other;
    int nr = 1;
    for (; nr <= 98 && first == nullptr; ++nr) {
        const uint16_t port = qortest::FakeService::instance_port(nr);
        try {
            other = std::make_unique<qortest::FakeService>(port, qortest::Loopback::V4Second);
            first = std::make_unique<qortest::FakeService>(port, qortest::Loopback::V4Third);
        } catch (const std::runtime_error&) {
        }
    }
    ASSERT_NE(first, nullptr) << "no instance port free on 127.0.0.3 and 127.0.0.2";
    --nr;
    const LogonFile file;
    const std::string hosts = testing::TempDir() + "qor_hosts_dual_" + std::to_string(getpid());
    std::ofstream(hosts) << "127.0.0.3 dual.test\n127.0.0.2 dual.test\n";
    other->set_default(qortest::Reply::ok_empty("Shutdown"));
    const std::string refused = "FAIL: the service at 127.0.0.2 does not run on this machine, "
                                "request with the logon file's password not sent\n";
    const struct
    {
        const char* prot;
        size_t answered; // calls the first service answers before it goes; 0: all
        bool narrowed;   // 127.0.0.2 counts as another machine
        bool logon_file; // else -user qoradm secret
    } cases[] = {
        {"NI_HTTP", 1, true, true},    {"GSOAP_HTTP", 1, true, true}, {"WINHTTP", 1, true, true},
        {"NI_HTTP", 2, true, true},    {"GSOAP_HTTP", 2, true, true}, {"WINHTTP", 2, true, true},
        {"NI_HTTP", 2, false, true},   {"WINHTTP", 1, false, true},   {"NI_HTTP", 0, true, true},
        {"GSOAP_HTTP", 0, true, true}, {"WINHTTP", 0, true, true},    {"NI_HTTP", 1, true, false},
        {"WINHTTP", 1, true, false},
    };
    const std::string quiet[3] = {"/dev/null", "/dev/null", "/dev/null"};
    const std::string instance = std::string(nr < 10 ? "0" : "") + std::to_string(nr);
    for (const auto& c : cases) {
        const std::string label = std::string(c.prot) + " answered " + std::to_string(c.answered) +
                                  (c.narrowed ? " narrowed" : "") + (c.logon_file ? "" : " -user");
        if (first == nullptr)
            first = std::make_unique<qortest::FakeService>(qortest::FakeService::instance_port(nr),
                                                           qortest::Loopback::V4Third);
        std::vector<std::string> calls{"Shutdown", "Shutdown"};
        if (c.logon_file)
            calls.insert(calls.begin(), "RequestLogonFile");
        std::vector<qortest::Reply> replies{qortest::Reply::ok(logon_reply(file.name())),
                                            qortest::Reply::ok_empty("Shutdown")};
        if (c.answered != 0)
            replies[calls[c.answered - 1] == "Shutdown"].then_gone();
        first->script("RequestLogonFile", replies[0]);
        first->script("Shutdown", replies[1]);
        other->clear_requests();
        if (c.narrowed)
            setenv("QOR_TEST_THIS_MACHINE", "127.0.0.3", 1);
        std::vector<std::string> words{"-prot",  c.prot,  "-host",     "dual.test", "-nr",
                                       instance, "-user", "",          "x",         "-repeat",
                                       "2",      "0",     "-function", "Shutdown"};
        if (!c.logon_file) {
            words[7] = "qoradm";
            words[8] = "secret";
        }
        int out = -1;
        const pid_t pid = start_program(words, quiet, &out, hosts, QORCONTROL_NARROWED_BINARY);
        unsetenv("QOR_TEST_THIS_MACHINE");
        const std::string printed = read_from(out, SIZE_MAX);
        close(out);
        const int status = finish(pid);
        if (status == exited(kNoPrivateHosts))
            GTEST_SKIP() << "no mount namespace of its own";
        const size_t to_first = c.answered != 0 ? c.answered : calls.size();
        const bool refusing = c.narrowed && c.logon_file && to_first < calls.size();
        std::string expected;
        for (size_t i = 0; i < calls.size(); ++i)
            expected += clienttest::heading(calls[i]) + (refusing && i >= to_first ? refused
                                                         : calls[i] == "Shutdown"  ? "OK\n"
                                                                                   : "OK\n\n");
        EXPECT_EQ(printed, expected) << label;
        EXPECT_EQ(status, exited(refusing ? 1 : 0)) << label;
        const std::string password =
            c.logon_file ? QOR_LOGON_FILE_USER ":s3cret\n" : "qoradm:secret";
        const std::vector<qortest::Request> answered = first->requests();
        ASSERT_EQ(answered.size(), to_first) << label;
        for (size_t i = 0; i < answered.size(); ++i)
            EXPECT_EQ(answered[i].basic_credentials(),
                      calls[i] == "Shutdown" ? std::optional<std::string>(password) : std::nullopt)
                << label;
        const std::vector<qortest::Request> elsewhere = other->requests();
        EXPECT_EQ(elsewhere.size(), refusing ? 0u : calls.size() - to_first) << label;
        for (const qortest::Request& r : elsewhere)
            EXPECT_EQ(r.basic_credentials(), password) << label;
        first.reset(); // with its scripts
    }
    std::remove(hosts.c_str());
}

} // namespace
