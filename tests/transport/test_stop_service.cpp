// StopService over each transport: a service that cannot be reached counts
// as stopped (exit code 0), a reply that is no HTTP does not.

#include <gtest/gtest.h>
#include <stdlib.h>
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

TEST(StopService, AnUnreachableServiceCountsAsStoppedOnEveryTransport)
{
    char tmpl[] = "/tmp/qor_stoppipe_XXXXXX";
    const std::string dir = mkdtemp(tmpl);
    plugin_set_pipe_dir(dir.c_str());
    int nr = 0;
    std::unique_ptr<qortest::FakeService> service = qortest::FakeService::on_free_instance_port(nr);
    service.reset(); // the port is closed again
    char nr_text[8];
    std::snprintf(nr_text, sizeof nr_text, "%02d", nr);
    const std::u16string nr16(nr_text, nr_text + 2);
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
    for (const Case& c : cases) {
        std::unique_ptr<qortest::FakeService> fake;
        if (c.status != nullptr) {
            fake = std::make_unique<qortest::FakeService>(qortest::FakeService::instance_port(nr));
            fake->script("StopService", qortest::Reply::raw(std::string("HTTP/1.1 ") + c.status +
                                                            " X\r\nContent-Length: 0\r\n\r\n"));
        }
        std::string out;
        const int rc = run(
            {u"-prot", c.prot, u"-host", u"127.0.0.1", u"-nr", nr16, u"-function", u"StopService"},
            &out);
        const std::string what = std::string(c.prot.begin(), c.prot.end()) + " " +
                                 (c.status != nullptr ? c.status : "unreachable");
        EXPECT_EQ(rc, c.exit_code) << what << ": " << out;
        EXPECT_NE(out.find("StopService\nFAIL: "), std::string::npos) << what << ": " << out;
    }
    plugin_set_pipe_dir(nullptr);
    rmdir(dir.c_str());
}

} // namespace
