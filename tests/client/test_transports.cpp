// The set-up of the transports as a run uses them: the pipe endpoint of the
// local machine, the trace on the standard output and the WinHTTP session.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "client_harness.h"
#include "transport/plugin.h"

namespace {

using clienttest::heading;
using qortest::Reply;

TEST(ClientTransports, PipeOfTheLocalMachine)
{
    char pattern[] = "/tmp/qor_pipe_XXXXXX";
    const std::string dir = mkdtemp(pattern);
    plugin_set_pipe_dir(dir.c_str());
    {
        qortest::FakeService service(dir + "/qorcontrol_42");
        service.set_default(Reply::ok_empty("Shutdown"));
        // The default host and "-host localhost" before -prot PIPE both mean ".".
        const std::vector<std::vector<std::string>> runs = {
            {"-prot", "PIPE", "-nr", "42", "-function", "Shutdown"},
            {"-host", "localhost", "-prot", "PIPE", "-nr", "42", "-function", "Shutdown"},
        };
        for (const auto& words : runs) {
            const clienttest::RunResult r = clienttest::run(words);
            EXPECT_EQ(r.exit_code, 0);
            EXPECT_EQ(r.out, heading("Shutdown") + "OK\n");
        }
        EXPECT_EQ(service.request_count(), 2u);
        // Another machine's pipe is not reachable from here.
        const clienttest::RunResult remote = clienttest::run(
            {"-prot", "PIPE", "-host", "otherhost", "-nr", "42", "-function", "Shutdown"});
        EXPECT_EQ(remote.exit_code, 1);
        EXPECT_EQ(remote.out.rfind(heading("Shutdown") + "FAIL: ", 0), 0u);
        EXPECT_EQ(service.request_count(), 2u);
    }
    plugin_set_pipe_dir(nullptr);
    std::system(("rm -rf '" + dir + "'").c_str());
}

TEST(ClientTransports, TraceOnStandardOutputComesBeforeTheResult)
{
    clienttest::Instance instance = clienttest::start_instance();
    instance.service->set_default(Reply::ok_empty("Shutdown"));
    std::vector<std::string> words = {"-trace", "-"};
    const std::vector<std::string> call = instance.call({"Shutdown"});
    words.insert(words.end(), call.begin(), call.end());
    const clienttest::RunResult r = clienttest::run(words);
    EXPECT_EQ(r.exit_code, 0);
    const std::size_t request = r.out.find("<QORControl:Shutdown");
    const std::size_t response = r.out.find("<QORControl:ShutdownResponse");
    const std::size_t result = r.out.find(heading("Shutdown") + "OK\n");
    ASSERT_NE(request, std::string::npos) << r.out;
    ASSERT_NE(response, std::string::npos) << r.out;
    ASSERT_NE(result, std::string::npos) << r.out;
    EXPECT_LT(request, response);
    EXPECT_LT(response, result);
}

TEST(ClientTransports, EveryProtocolReachesAPlainService)
{
    // WinHTTP's default proxy settings come from the environment.
    for (const char* proxy : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"})
        unsetenv(proxy);
    clienttest::Instance instance = clienttest::start_instance();
    instance.service->set_default(Reply::ok_empty("Shutdown"));
    for (const char* prot : {"NI_HTTP", "GSOAP_HTTP", "WINHTTP"}) {
        std::vector<std::string> words = {"-prot", prot};
        const std::vector<std::string> call = instance.call({"Shutdown"});
        words.insert(words.end(), call.begin(), call.end());
        const clienttest::RunResult r = clienttest::run(words);
        EXPECT_EQ(r.exit_code, 0) << prot << r.out;
        EXPECT_EQ(r.out, heading("Shutdown") + "OK\n") << prot;
    }
    EXPECT_EQ(instance.service->request_count(), 3u);
}

// Each repetition prints its result as soon as its reply's envelope has come:
// none waits for the rest of the reply before it (here the rest of an
// announced length, which never comes while the service holds the connection
// open), and none goes out on that connection, where no reply would come. A
// reply that ended leaves its connection to the next repetition. A wait would
// last WinHTTP's 30 s receive time-out.
TEST(ClientTransports, ARepetitionWaitsForNoRestOfTheReplyBefore)
{
    for (const char* proxy : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"})
        unsetenv(proxy);
    const std::string body = qortest::envelope("<QORControl:ShutdownResponse/>");
    const std::string held =
        "HTTP/1.1 200 OK\r\nContent-Type: text/xml; charset=utf-8\r\nContent-Length: " +
        std::to_string(body.size() + 12) + "\r\n\r\n" + body;
    for (const char* prot : {"NI_HTTP", "GSOAP_HTTP", "WINHTTP"}) {
        clienttest::Instance instance = clienttest::start_instance();
        instance.service->script("Shutdown",
                                 {Reply::raw(held).holding(), Reply::ok_empty("Shutdown")});
        std::vector<std::string> words = {"-prot", prot, "-repeat", "3", "0"};
        const std::vector<std::string> call = instance.call({"Shutdown"});
        words.insert(words.end(), call.begin(), call.end());
        const auto start = std::chrono::steady_clock::now();
        const clienttest::RunResult r = clienttest::run(words);
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(r.exit_code, 0) << prot << r.out;
        EXPECT_EQ(r.out, heading("Shutdown") + "OK\n" + heading("Shutdown") + "OK\n" +
                             heading("Shutdown") + "OK\n")
            << prot;
        EXPECT_LT(took, std::chrono::seconds(15))
            << prot << ": " << std::chrono::duration_cast<std::chrono::seconds>(took).count()
            << " s";
        EXPECT_EQ(instance.service->connections_accepted(), 2u) << prot;
    }
}

TEST(ClientTransports, SecondFunctionReplacesTheFirst)
{
    clienttest::Instance instance = clienttest::start_instance();
    instance.service->set_default(Reply::ok_empty("Stop"));
    std::vector<std::string> words = instance.call({"Start", "rl", "-function", "Stop", "15"});
    const clienttest::RunResult r = clienttest::run(words);
    EXPECT_EQ(r.out, heading("Stop") + "OK\n");
    ASSERT_EQ(instance.service->request_count(), 1u);
    const qortest::Request request = instance.service->last_request();
    EXPECT_EQ(request.element, "Stop");
    EXPECT_EQ(clienttest::element_text(request.body, "softtimeout"), "15");
}

} // namespace
