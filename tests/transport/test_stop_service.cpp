// StopService over each transport: a service that cannot be reached counts
// as stopped (exit code 0), a reply that is no HTTP does not.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "client/run_client.h"
#include "support/fake_service.h"
#include "transport/plugin.h"

namespace {

int run(const std::vector<std::u16string>& words, std::string* out)
{
    std::vector<const QOR_UC*> argv{u"qorcontrol"};
    for (const std::u16string& w : words)
        argv.push_back(w.c_str());
    ClientEnvironment environment = real_client_environment();
    environment.sleep = [](int) {};
    ::testing::internal::CaptureStdout();
    const int rc = run_client(static_cast<int>(argv.size()), argv.data(), environment);
    *out = ::testing::internal::GetCapturedStdout();
    return rc;
}

// A socket bound to an instance port without listening: connections to it
// are refused, and no other test can take the port meanwhile. -1 when none
// is free.
int closed_instance_port(int* nr)
{
    for (int candidate = 98; candidate > 0; --candidate) {
        const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(qortest::FakeService::instance_port(candidate));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) {
            *nr = candidate;
            return fd;
        }
        if (fd >= 0)
            close(fd);
    }
    return -1;
}

std::u16string two_digits(int nr)
{
    return {static_cast<char16_t>(u'0' + nr / 10), static_cast<char16_t>(u'0' + nr % 10)};
}

TEST(StopService, AnUnreachableServiceCountsAsStoppedOnEveryTransport)
{
    char tmpl[] = "/tmp/qor_stoppipe_XXXXXX";
    const std::string dir = mkdtemp(tmpl);
    plugin_set_pipe_dir(dir.c_str());
    int closed_nr = 0, open_nr = 0;
    const int closed = closed_instance_port(&closed_nr);
    ASSERT_GE(closed, 0);
    std::unique_ptr<qortest::FakeService> fake =
        qortest::FakeService::on_free_instance_port(open_nr);
    struct Case
    {
        std::u16string prot;
        const char* status; // of a reply; null: no service
        int exit_code;
    } cases[] = {
        {u"NI_HTTP", nullptr, 0}, {u"GSOAP_HTTP", nullptr, 0}, {u"WINHTTP", nullptr, 0},
        {u"PIPE", nullptr, 0},    {u"NI_HTTP", "600", 1},      {u"GSOAP_HTTP", "600", 1},
        {u"WINHTTP", "600", 1},   {u"WINHTTP", "99", 1},
    };
    std::vector<qortest::Reply> replies; // in the order of the cases that reach the service
    for (const Case& c : cases)
        if (c.status != nullptr)
            replies.push_back(qortest::Reply::raw(std::string("HTTP/1.1 ") + c.status +
                                                  " X\r\nContent-Length: 0\r\n\r\n"));
    fake->script("StopService", replies);
    for (const Case& c : cases) {
        const std::u16string nr = two_digits(c.status != nullptr ? open_nr : closed_nr);
        std::string out;
        const int rc = run(
            {u"-prot", c.prot, u"-host", u"127.0.0.1", u"-nr", nr, u"-function", u"StopService"},
            &out);
        const std::string what = std::string(c.prot.begin(), c.prot.end()) + " " +
                                 (c.status != nullptr ? c.status : "unreachable");
        EXPECT_EQ(rc, c.exit_code) << what << ": " << out;
        EXPECT_NE(out.find("StopService\nFAIL: "), std::string::npos) << what << ": " << out;
    }
    EXPECT_EQ(fake->request_count(), replies.size());
    close(closed);
    plugin_set_pipe_dir(nullptr);
    rmdir(dir.c_str());
}

} // namespace
