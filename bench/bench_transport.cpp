// Transport benchmark against the in-process fake control service:
//  1. one GetProcessList as a whole qorcontrol process over NI_HTTP, against
//     curl posting the same request, interleaved; medians and their ratio;
//  2. qorcontrol -repeat <calls> 0: calls per second over one kept-alive
//     connection, and the number of connections the service accepted;
//  3. <calls> calls in this process over each plain transport: calls per
//     second and connections.
//
//   bench_transport [--runs N] [--calls N] QORCONTROL [CURL]

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "soapH.h"
#include "support/fake_service.h"
#include "transport/plugin.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

const char kReply[] = "<QORControl:GetProcessListResponse><process>"
                      "<item><name>qorwp</name><description>Dispatcher</"
                      "description><dispstatus>QORControl-GREEN</dispstatus>"
                      "<textstatus>Running</textstatus><starttime>2026 12 06 "
                      "08:15:02</starttime><elapsedtime>9:34:10</elapsedtime>"
                      "<pid>24117</pid></item>"
                      "<item><name>qormsg</name><description>Message "
                      "Server</description><dispstatus>QORControl-GREEN</dispstatus>"
                      "<textstatus>Running</textstatus><starttime>2026 12 06 "
                      "08:15:02</starttime><elapsedtime>9:34:10</elapsedtime>"
                      "<pid>24118</pid></item>"
                      "</process></QORControl:GetProcessListResponse>";

// Runs a program with its output thrown away; the wall time in seconds, or
// a negative value when it could not be started.
double run_timed(const std::vector<std::string>& args, int* status)
{
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    const auto start = Clock::now();
    pid_t pid = 0;
    int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        return -1;
    int st = 0;
    waitpid(pid, &st, 0);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (status != nullptr)
        *status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return seconds;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n == 0 ? 0 : (n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2);
}

// An instance number whose HTTP port the fake service can take.
std::unique_ptr<qortest::FakeService> bind_instance(int* nr)
{
    for (int n = 98; n >= 10; --n) {
        try {
            auto fake =
                std::make_unique<qortest::FakeService>(static_cast<uint16_t>(50013 + 100 * n));
            *nr = n;
            return fake;
        } catch (const std::exception&) {
        }
    }
    return nullptr;
}

// Calls per second of GetProcessList over one context and transport type;
// *connections gets the connections the service accepted.
double calls_per_second(int type, int calls, size_t* connections)
{
    std::unique_ptr<qortest::FakeService> fake;
    std::string endpoint;
    char dir_template[] = "/tmp/bench_pipe_XXXXXX";
    std::string dir;
    if (type == PIPE) {
        dir = mkdtemp(dir_template);
        plugin_set_pipe_dir(dir.c_str());
        fake = std::make_unique<qortest::FakeService>(dir + "/qorcontrol_00");
        endpoint = "pipe:\\\\.\\pipe\\qorcontrol_00";
    } else {
        fake = std::make_unique<qortest::FakeService>();
        endpoint = fake->endpoint();
    }
    fake->script("GetProcessList", qortest::Reply::ok(kReply));
    const int mode = SOAP_IO_KEEPALIVE | SOAP_C_UTFSTRING;
    struct soap* soap = soap_new2(mode, mode);
    plugin_arg arg{};
    arg.transport_type = type;
    if (type == WINHTTP)
        arg.winhttp_session = WinHttpOpen(u"gSOAP", 0, nullptr, nullptr, 0);
    soap_register_plugin_arg(soap, plugin_register, &arg);
    int ok = 0;
    const auto start = Clock::now();
    for (int i = 0; i < calls; ++i) {
        QORControl__ArrayOfOSProcess processes;
        ok +=
            soap_call_QORControl__GetProcessList(soap, endpoint.c_str(), "", processes) == SOAP_OK;
        soap_destroy(soap);
        soap_end(soap);
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    soap_free(soap);
    if (arg.winhttp_session != nullptr)
        WinHttpCloseHandle(arg.winhttp_session);
    *connections = fake->connections_accepted();
    fake.reset();
    if (!dir.empty()) {
        plugin_set_pipe_dir(nullptr);
        rmdir(dir.c_str());
    }
    return ok == calls && seconds > 0 ? calls / seconds : 0;
}

} // namespace

int main(int argc, char** argv)
{
    int runs = 50;
    int calls = 1000;
    std::vector<std::string> programs;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--runs" && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (a == "--calls" && i + 1 < argc) {
            calls = std::max(1, std::atoi(argv[++i]));
        } else {
            programs.push_back(a);
        }
    }
    if (programs.empty()) {
        std::fprintf(stderr, "usage: bench_transport [--runs N] [--calls N] QORCONTROL [CURL]\n");
        return 2;
    }
    const std::string qorcontrol = programs[0];
    const std::string curl = programs.size() > 1 ? programs[1] : "/usr/bin/curl";

    int nr = 0;
    std::unique_ptr<qortest::FakeService> fake = bind_instance(&nr);
    if (!fake) {
        std::fprintf(stderr, "bench_transport: no free instance port\n");
        return 1;
    }
    fake->script("GetProcessList", qortest::Reply::ok(kReply));
    char nr_text[8];
    std::snprintf(nr_text, sizeof nr_text, "%02d", nr);
    const std::vector<std::string> one_call = {qorcontrol, "-prot",     "NI_HTTP",
                                               "-host",    "127.0.0.1", "-nr",
                                               nr_text,    "-function", "GetProcessList"};

    // The request qorcontrol sends, for curl to post byte for byte.
    int status = 0;
    if (run_timed(one_call, &status) < 0 || fake->request_count() != 1) {
        std::fprintf(stderr, "bench_transport: qorcontrol did not reach the service (exit %d)\n",
                     status);
        return 1;
    }
    if (status != 3)
        std::fprintf(stderr, "bench_transport: warning: qorcontrol exit code %d, expected 3\n",
                     status);
    const std::string body_file =
        "/tmp/bench_transport_request_" + std::to_string(getpid()) + ".xml";
    {
        std::ofstream out(body_file, std::ios::binary);
        out << fake->last_request().body;
    }
    const std::string url = "http://127.0.0.1:" + std::to_string(50013 + 100 * nr) + "/";
    const std::vector<std::string> curl_call = {curl,
                                                "-s",
                                                "-o",
                                                "/dev/null",
                                                "-H",
                                                "Content-Type: text/xml; charset=utf-8",
                                                "-H",
                                                "SOAPAction: \"\"",
                                                "--data-binary",
                                                "@" + body_file,
                                                url};

    std::vector<double> q, c;
    for (int i = 0; i < runs; ++i) {
        q.push_back(run_timed(one_call, nullptr));
        double t = run_timed(curl_call, &status);
        if (t < 0 || status != 0) {
            std::fprintf(stderr, "bench_transport: %s failed\n", curl.c_str());
            std::remove(body_file.c_str());
            return 1;
        }
        c.push_back(t);
    }
    std::remove(body_file.c_str());
    const double mq = median(q), mc = median(c);
    std::printf("one GetProcessList as a process (median of %d runs)\n", runs);
    std::printf("  qorcontrol -prot NI_HTTP  %8.2f ms\n", mq * 1e3);
    std::printf("  curl                      %8.2f ms\n", mc * 1e3);
    std::printf("  ratio qorcontrol/curl     %8.3f  (goal <= 1.0: %s)\n", mq / mc,
                mq / mc <= 1.0 ? "met" : "NOT met");

    const size_t connections_before = fake->connections_accepted();
    const size_t requests_before = fake->request_count();
    std::vector<std::string> repeated = one_call;
    repeated.insert(repeated.end() - 2, {"-repeat", std::to_string(calls), "0"});
    const double t = run_timed(repeated, &status);
    const size_t made = fake->request_count() - requests_before;
    std::printf("qorcontrol -repeat %d 0 over keep-alive\n", calls);
    std::printf("  calls answered            %8zu\n", made);
    std::printf("  connections               %8zu  (goal 1)\n",
                fake->connections_accepted() - connections_before);
    std::printf("  calls per second          %8.0f\n", t > 0 ? static_cast<double>(made) / t : 0.0);

    std::printf("%d calls in one process over keep-alive (0 calls/s: a call failed)\n", calls);
    const struct
    {
        int type;
        const char* name;
    } types[] = {
        {NI_HTTP, "NI_HTTP"}, {GSOAP_HTTP, "GSOAP_HTTP"}, {PIPE, "PIPE"}, {WINHTTP, "WINHTTP"}};
    for (const auto& tt : types) {
        size_t connections = 0;
        const double rate = calls_per_second(tt.type, calls, &connections);
        std::printf("  %-10s  %8.0f calls/s  %zu connection(s)\n", tt.name, rate, connections);
    }
    return 0;
}
