// The built program on a shared machine and in a broken environment: closed
// or unwritable standard streams, a signal during the delay, the password in
// the process list and an endless standard input.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "client_harness.h"
#include "transport/test_pki.h"
#include "transport/tls_proxy.h"

namespace {

using qortest::Reply;
using namespace std::string_literals;

const std::string kProcesses = "<QORControl:GetProcessListResponse><process><item><name>p</name>"
                               "<dispstatus>QORControl-GREEN</dispstatus><pid>7</pid></item>"
                               "</process></QORControl:GetProcessListResponse>";
const std::string kPrinted = clienttest::heading("GetProcessList") +
                             "OK\nname, description, dispstatus, textstatus, starttime, "
                             "elapsedtime, pid\np, , GREEN, , , , 7\n";

std::string read_file(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

// Starts the program; in the child, set_up arranges the descriptors (only
// calls that are safe after fork) before the program replaces it.
pid_t start_program(const std::vector<std::string>& words, const std::function<void()>& set_up)
{
    std::vector<char*> argv{const_cast<char*>(QORCONTROL_BINARY)};
    for (const std::string& w : words)
        argv.push_back(const_cast<char*>(w.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        signal(SIGPIPE, SIG_DFL); // as a shell starts it
        set_up();
        execv(QORCONTROL_BINARY, argv.data());
        _exit(127);
    }
    return pid;
}

// The wait status of the program; a program that does not end in a minute
// is killed and -1 returned, so that a hanging run fails instead of hanging.
int wait_for_end(pid_t pid)
{
    int status = 0;
    for (int i = 0; i < 600; ++i) {
        if (waitpid(pid, &status, WNOHANG) == pid)
            return status;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -1;
}

// Waits until the condition holds, a minute at most.
bool eventually(const std::function<bool()>& condition)
{
    for (int i = 0; i < 600 && !condition(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return condition();
}

// A fake service answering GetProcessList with one GREEN process, on its
// instance's HTTP port and, through a TLS front, on its HTTPS port.
class ClientWholeRun : public testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(test_pki().ok) << test_pki().error;
        // The HTTPS port may be taken by chance: another instance then.
        for (int attempt = 0; attempt < 10 && (tls_ == nullptr || tls_->port() == 0); ++attempt) {
            instance_ = clienttest::start_instance();
            tls_ = std::make_unique<TlsProxy>(
                test_pki().server_cert, test_pki().server_key, "", instance_.service->port(),
                static_cast<uint16_t>(qortest::FakeService::instance_port(instance_.nr) + 1));
        }
        ASSERT_NE(tls_->port(), 0);
        instance_.service->script("GetProcessList", Reply::ok(kProcesses));
        setenv("SECUDIR", test_pki().client_dir.c_str(), 1);
        for (const char* proxy : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"})
            unsetenv(proxy);
        char pattern[] = "/tmp/qor_streams_XXXXXX";
        dir_ = mkdtemp(pattern);
    }
    void TearDown() override
    {
        unsetenv("SECUDIR");
        tls_.reset();
        std::system(("rm -rf '" + dir_ + "'").c_str());
    }
    std::vector<std::string> words(const std::vector<std::string>& options,
                                   const std::vector<std::string>& function = {"GetProcessList"})
    {
        std::vector<std::string> all = options;
        const std::vector<std::string> call = instance_.call(function);
        all.insert(all.end(), call.begin(), call.end());
        return all;
    }

    clienttest::Instance instance_;
    std::unique_ptr<TlsProxy> tls_;
    std::string dir_;
};

// Each standard stream closed in turn, over each transport, with the
// developer trace on and two calls over one connection: the service receives
// nothing but the requests, and the output goes where it always does.
TEST_F(ClientWholeRun, AClosedStandardStreamTakesNoSocketsPlace)
{
    const std::string out_path = dir_ + "/out";
    for (const char* prot : {"NI_HTTP", "NI_HTTPS", "GSOAP_HTTP", "WINHTTP", "WINHTTPS"}) {
        for (const int closed : {0, 1, 2}) {
            const std::string label = std::string(prot) + " without " + std::to_string(closed);
            instance_.service->clear_requests();
            const int null = open("/dev/null", O_RDWR | O_CLOEXEC);
            const int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
            const pid_t pid =
                start_program(words({"-debug", "-repeat", "2", "0", "-prot", prot}), [&] {
                    dup2(null, 0);
                    dup2(out, 1);
                    dup2(null, 2);
                    close(closed);
                });
            close(null);
            close(out);
            const int status = wait_for_end(pid);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 3) << label << " " << status;
            const std::vector<qortest::Request> requests = instance_.service->requests();
            EXPECT_EQ(requests.size(), 2u) << label;
            for (const qortest::Request& request : requests) {
                EXPECT_EQ(request.request_line.rfind("POST ", 0), 0u) << label;
                EXPECT_EQ(request.element, "GetProcessList") << label;
            }
            EXPECT_EQ(clienttest::mask_time_stamps(read_file(out_path)),
                      closed == 1 ? "" : kPrinted + kPrinted)
                << label;
        }
    }
}

// Output that cannot be written ends the run with 1, or by SIGPIPE, never
// with an exit code of success: a full device, and a reader that goes away
// during an endless repetition (the SSL layer ignores SIGPIPE).
TEST_F(ClientWholeRun, OutputThatCannotBeWrittenEndsTheRun)
{
    const int full = open("/dev/full", O_WRONLY | O_CLOEXEC);
    const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    ASSERT_GE(full, 0);
    pid_t pid = start_program(words({}), [&] {
        dup2(full, 1);
        dup2(null, 2);
    });
    close(full);
    int status = wait_for_end(pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;

    for (const char* prot : {"NI_HTTP", "NI_HTTPS"}) {
        int out[2];
        ASSERT_EQ(pipe2(out, O_CLOEXEC), 0);
        pid = start_program(words({"-repeat", "-1", "0", "-prot", prot}), [&] {
            dup2(out[1], 1);
            dup2(null, 2);
        });
        close(out[1]);
        char c = 0;
        ASSERT_EQ(read(out[0], &c, 1), 1) << prot; // the first line has come
        close(out[0]);
        status = wait_for_end(pid);
        EXPECT_TRUE((WIFEXITED(status) && WEXITSTATUS(status) == 1) ||
                    (WIFSIGNALED(status) && WTERMSIG(status) == SIGPIPE))
            << prot << " " << status;
    }
    close(null);
}

// The results of an answered call are written before the delay, so a
// SIGTERM during it loses none of them.
TEST_F(ClientWholeRun, ResultsAreWrittenBeforeTheDelay)
{
    const std::string out_path = dir_ + "/out";
    const int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const pid_t pid = start_program(words({"-repeat", "2", "600"}), [&] { dup2(out, 1); });
    close(out);
    EXPECT_TRUE(eventually([&] { return read_file(out_path).size() >= kPrinted.size(); }));
    kill(pid, SIGTERM);
    const int status = wait_for_end(pid);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    EXPECT_EQ(clienttest::mask_time_stamps(read_file(out_path)), kPrinted);
    EXPECT_EQ(instance_.service->request_count(), 1u);
}

// While the program runs, the process list shows no password; the service
// still gets it.
TEST_F(ClientWholeRun, ThePasswordIsNotInTheProcessList)
{
    instance_.service->script("GetProcessList",
                              Reply::ok(kProcesses).after(std::chrono::seconds(30)));
    const int null = open("/dev/null", O_RDWR | O_CLOEXEC);
    const pid_t pid = start_program(words({"-user", "bob", "S3cret-pw"}), [&] { dup2(null, 1); });
    close(null);
    ASSERT_TRUE(instance_.service->wait_for_requests(1));
    const std::string cmdline = read_file("/proc/" + std::to_string(pid) + "/cmdline");
    kill(pid, SIGTERM);
    wait_for_end(pid);
    EXPECT_EQ(cmdline.find("S3cret"), std::string::npos) << cmdline;
    EXPECT_NE(cmdline.find("-user\0bob\0*********\0-host"s), std::string::npos) << cmdline;
    EXPECT_EQ(instance_.service->last_request().header("Authorization"),
              "Basic " + clienttest::base64("bob:S3cret-pw"));
}

// -queryuser with standard input on /dev/zero: the endless line is dropped
// only up to a bound, and the call is made.
TEST_F(ClientWholeRun, AnEndlessInputEndsTheQuestions)
{
    const int zero = open("/dev/zero", O_RDONLY | O_CLOEXEC);
    const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    const pid_t pid = start_program(words({"-queryuser"}), [&] {
        dup2(zero, 0);
        dup2(null, 1);
    });
    close(zero);
    close(null);
    const int status = wait_for_end(pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 3) << status;
    EXPECT_EQ(instance_.service->last_request().element, "GetProcessList");
}

} // namespace
