// The sample service executable: argument checks, serving the samples, and
// stopping by itself after the given number of requests.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "raw_client.h"
#include "support/fake_service.h"

namespace qortest {
namespace {

// A port that was free a moment ago.
std::uint16_t free_port()
{
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        if (fd >= 0)
            ::close(fd);
        return 0;
    }
    ::close(fd);
    return ntohs(addr.sin_port);
}

// Runs the executable with `args`; its standard output comes through `out_fd`.
struct Child
{
    pid_t pid = -1;
    int out_fd = -1;

    explicit Child(std::vector<std::string> args)
    {
        // Everything the child needs is prepared before fork: it only execs.
        std::string exe = QOR_FAKE_SERVICE_EXE;
        std::vector<char*> argv{exe.data()};
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        int fds[2];
        if (::pipe(fds) != 0)
            return;
        pid = ::fork();
        if (pid == 0) {
            ::dup2(fds[1], 1);
            ::dup2(fds[1], 2);
            ::execv(exe.c_str(), argv.data());
            ::_exit(127);
        }
        ::close(fds[1]);
        out_fd = fds[0];
    }

    // Reads output until `needle` shows or the child's output ends (5 s at most).
    std::string read_until(const std::string& needle)
    {
        std::string out;
        char buf[512];
        while (out.find(needle) == std::string::npos) {
            pollfd p{out_fd, POLLIN, 0};
            if (::poll(&p, 1, 5000) <= 0)
                break;
            ssize_t n = ::read(out_fd, buf, sizeof buf);
            if (n <= 0)
                break;
            out.append(buf, static_cast<std::size_t>(n));
        }
        return out;
    }

    // Exit status, or -1 when it did not end within ~10 s (then it is killed).
    int wait_exit()
    {
        for (int i = 0; i < 200; ++i) {
            int status = 0;
            if (::waitpid(pid, &status, WNOHANG) == pid) {
                pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            ::usleep(50000);
        }
        return -1;
    }

    ~Child()
    {
        if (pid > 0) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
        if (out_fd >= 0)
            ::close(out_fd);
    }
};

TEST(FakeServiceExecutable, RefusesBadArguments)
{
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"-port"},
        {"-port", "0"},
        {"-port", "65536"},
        {"-port", "12x"},
        {"-port", "50013", "-seconds", "0"},
        {"-port", "50013", "-seconds", "3601"},
        {"-port", "50013", "-requests", "-1"},
        {"-port", "50013", "-unknown", "1"},
        {"-port", "50013", "-samples", "/nonexistent-qor-samples"},
    };
    for (const auto& args : cases) {
        std::string joined;
        for (const auto& a : args)
            joined += a + " ";
        SCOPED_TRACE(joined);
        Child child(args);
        ASSERT_GT(child.pid, 0);
        std::string out = child.read_until("\n");
        EXPECT_EQ(child.wait_exit(), 1);
        EXPECT_EQ(out.find("listening"), std::string::npos);
    }
}

TEST(FakeServiceExecutable, ServesSamplesAndStopsAfterTheRequestCount)
{
    std::uint16_t port = free_port();
    ASSERT_NE(port, 0);
    Child child({"-port", std::to_string(port), "-requests", "2", "-seconds", "20"});
    ASSERT_GT(child.pid, 0);
    std::string out = child.read_until("listening");
    ASSERT_NE(out.find("listening on 127.0.0.1:" + std::to_string(port)), std::string::npos) << out;

    RawClient c(port);
    ASSERT_TRUE(c.connected());
    ASSERT_TRUE(c.send(post(request_xml("GetProcessList"))));
    HttpReply r = c.read_reply();
    ASSERT_TRUE(r.complete);
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(first_body_element(r.body).qname, "QORControl:GetProcessListResponse");
    EXPECT_NE(r.body.find("<name>qorgw</name>"), std::string::npos);

    ASSERT_TRUE(c.send(post(request_xml("NoSuchWebmethod"))));
    r = c.read_reply();
    ASSERT_TRUE(r.complete);
    EXPECT_EQ(r.status, 500);
    EXPECT_NE(r.body.find("NoSuchWebmethod"), std::string::npos);

    EXPECT_EQ(child.wait_exit(), 0);
}

} // namespace
} // namespace qortest
