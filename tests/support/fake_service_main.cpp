// qor-fake-service: serves the sample replies of tests/support/samples on
// 127.0.0.1 (and optionally a unix-domain socket) for a bounded time, so that
// qorcontrol can be tried without an application server.
//
//   qor-fake-service -port <port, 0: any free one> [-unix <path>] [-samples <dir>]
//                    [-seconds <n>] [-requests <n>] [-verbose]
//
// Every <dir>/<Webmethod>.xml holds the Body content answering the request
// element <Webmethod>; other requests get a SOAP Client fault.
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/fake_service.h"

namespace {

constexpr long kDefaultSeconds = 60;
constexpr long kMaxSeconds = 3600;
constexpr long kMaxRequests = 1000000;

struct Options
{
    long port = -1;
    std::string unix_path;
    std::string samples = QOR_FAKE_SAMPLES_DIR;
    long seconds = kDefaultSeconds;
    long requests = 0; // 0: no limit
    bool verbose = false;
};

void usage()
{
    std::fprintf(
        stderr,
        "usage: qor-fake-service -port <0..65535> [-unix <path>] [-samples <dir>]\n"
        "                        [-seconds <1..%ld, default %ld>] [-requests <n>] [-verbose]\n",
        kMaxSeconds, kDefaultSeconds);
}

bool parse_number(const char* text, long min, long max, long& out)
{
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || v < min || v > max)
        return false;
    out = v;
    return true;
}

bool parse(int argc, char** argv, Options& o)
{
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "-verbose") {
            o.verbose = true;
            continue;
        }
        if (i + 1 >= argc)
            return false;
        const char* value = argv[++i];
        if (arg == "-port") {
            if (!parse_number(value, 0, 65535, o.port))
                return false;
        } else if (arg == "-unix") {
            o.unix_path = value;
        } else if (arg == "-samples") {
            o.samples = value;
        } else if (arg == "-seconds") {
            if (!parse_number(value, 1, kMaxSeconds, o.seconds))
                return false;
        } else if (arg == "-requests") {
            if (!parse_number(value, 0, kMaxRequests, o.requests))
                return false;
        } else {
            return false;
        }
    }
    return o.port >= 0;
}

// Reads <dir>/*.xml into (element name, body XML) pairs.
std::vector<std::pair<std::string, std::string>> load_samples(const std::string& dir)
{
    namespace fs = std::filesystem;
    std::vector<std::pair<std::string, std::string>> out;
    for (const auto& entry : fs::directory_iterator(dir)) {
        if (!entry.is_regular_file() || entry.path().extension() != ".xml")
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        out.emplace_back(entry.path().stem().string(), text.str());
    }
    return out;
}

std::size_t total_requests(const std::vector<std::unique_ptr<qortest::FakeService>>& services)
{
    std::size_t n = 0;
    for (const auto& s : services)
        n += s->request_count();
    return n;
}

} // namespace

int main(int argc, char** argv)
{
    Options o;
    if (!parse(argc, argv, o)) {
        usage();
        return 1;
    }
    try {
        auto samples = load_samples(o.samples);
        if (samples.empty()) {
            std::fprintf(stderr, "qor-fake-service: no *.xml sample in %s\n", o.samples.c_str());
            return 1;
        }
        std::vector<std::unique_ptr<qortest::FakeService>> services;
        services.push_back(
            std::make_unique<qortest::FakeService>(static_cast<std::uint16_t>(o.port)));
        if (!o.unix_path.empty())
            services.push_back(std::make_unique<qortest::FakeService>(o.unix_path));
        for (auto& service : services)
            for (const auto& [element, body] : samples)
                service->script(element, qortest::Reply::ok(body));

        std::printf("qor-fake-service: listening on 127.0.0.1:%u%s%s with %zu sample replies\n",
                    static_cast<unsigned>(services[0]->port()), o.unix_path.empty() ? "" : " and ",
                    o.unix_path.c_str(), samples.size());
        std::fflush(stdout);

        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(o.seconds);
        std::size_t reported = 0;
        while (std::chrono::steady_clock::now() < deadline) {
            std::size_t n = total_requests(services);
            if (o.verbose) {
                for (; reported < n && reported < services[0]->request_count(); ++reported)
                    std::fprintf(stderr, "qor-fake-service: request %zu: %s\n", reported,
                                 services[0]->request(reported).element.c_str());
            }
            if (o.requests > 0 && n >= static_cast<std::size_t>(o.requests))
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        // Give the last reply time to leave before the sockets close.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "qor-fake-service: %s\n", e.what());
        return 1;
    }
    return 0;
}
