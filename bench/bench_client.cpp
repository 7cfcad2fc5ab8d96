// GetProcessList of many processes from the fake control service, printed in
// list format to a file by the qorcontrol program: response throughput and
// the program's peak memory.
//
//   bench_client [processes] [runs] [extra qorcontrol options...]
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <vector>

#include "support/fake_service.h"

extern char** environ;

namespace {

std::string program_path()
{
    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0)
        return "qorcontrol";
    self[n] = 0;
    std::string dir(self);
    dir.erase(dir.rfind('/'));
    return dir + "/../src/client/qorcontrol";
}

std::string process_list(int count)
{
    std::string body = "<QORControl:GetProcessListResponse><process>";
    body.reserve(static_cast<std::size_t>(count) * 260 + 200);
    char item[512];
    for (int i = 0; i < count; ++i) {
        std::snprintf(item, sizeof item,
                      "<item><name>qorwp_%d</name><description>Dispatcher process %d"
                      "</description><dispstatus>QORControl-GREEN</dispstatus>"
                      "<textstatus>Running</textstatus><starttime>2026 12 06 10:00:00"
                      "</starttime><elapsedtime>8:00:00</elapsedtime><pid>%d</pid></item>",
                      i, i, 10000 + i);
        body += item;
    }
    body += "</process></QORControl:GetProcessListResponse>";
    return body;
}

// VmHWM of a running qorcontrol in kB; 0 when it cannot be read or the
// process has not yet become the program (before the exec it still shares
// the parent's memory).
long high_water_kb(const std::string& status_file)
{
    std::FILE* file = std::fopen(status_file.c_str(), "r");
    if (file == nullptr)
        return 0;
    char line[256];
    long kb = 0;
    bool is_program = false;
    char name[64];
    while (std::fgets(line, sizeof line, file) != nullptr) {
        if (std::sscanf(line, "Name: %63s", name) == 1)
            is_program = std::string(name) == "qorcontrol";
        if (std::sscanf(line, "VmHWM: %ld kB", &kb) == 1)
            break;
    }
    std::fclose(file);
    return is_program ? kb : 0;
}

struct Run
{
    double seconds = 0;
    long peak_kb = 0;
    int status = -1;
};

Run run_once(const std::string& program, int nr, const std::string& out_path,
             const std::vector<std::string>& extra)
{
    char nr_text[8];
    std::snprintf(nr_text, sizeof nr_text, "%02d", nr);
    std::vector<std::string> words = {program, "-host",     "127.0.0.1",     "-nr",
                                      nr_text, "-function", "GetProcessList"};
    words.insert(words.end(), extra.begin(), extra.end());
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    Run run;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return run;
    }
    // The program's own high-water mark: the kernel's rusage figure of a
    // spawned child also counts the parent's memory it started from.
    int status = 0;
    const std::string status_file = "/proc/" + std::to_string(pid) + "/status";
    for (;;) {
        run.peak_kb = std::max(run.peak_kb, high_water_kb(status_file));
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid || done < 0)
            break;
        usleep(500);
    }
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    posix_spawn_file_actions_destroy(&actions);
    return run;
}

} // namespace

int main(int argc, char** argv)
{
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100000;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const std::vector<std::string> extra(argv + std::min(argc, 3), argv + argc);
    const std::string program = program_path();
    if (access(program.c_str(), X_OK) != 0) {
        std::fprintf(stderr, "qorcontrol not found at %s\n", program.c_str());
        return 1;
    }
    int nr = 0;
    auto service = qortest::FakeService::on_free_instance_port(nr);
    const std::string envelope = qortest::envelope(process_list(count));
    service->set_default(qortest::Reply::http(200, envelope));
    const std::string out_path = "/tmp/bench_client_" + std::to_string(getpid()) + ".out";

    std::vector<Run> results;
    for (int i = 0; i < runs; ++i)
        results.push_back(run_once(program, nr, out_path, extra));
    std::FILE* out = std::fopen(out_path.c_str(), "rb");
    long out_bytes = 0;
    if (out != nullptr) {
        std::fseek(out, 0, SEEK_END);
        out_bytes = std::ftell(out);
        std::fclose(out);
    }
    std::remove(out_path.c_str());

    std::vector<double> times;
    long peak_kb = 0;
    for (const Run& r : results) {
        if (r.status != 3) {
            std::fprintf(stderr, "qorcontrol ended with %d (expected 3)\n", r.status);
            return 1;
        }
        times.push_back(r.seconds);
        peak_kb = std::max(peak_kb, r.peak_kb);
    }
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    const double response_mb = static_cast<double>(envelope.size()) / 1e6;
    std::printf("processes:           %d\n", count);
    std::printf("response size:       %.1f MB\n", response_mb);
    std::printf("printed output:      %.1f MB\n", static_cast<double>(out_bytes) / 1e6);
    std::printf("median time (%d runs): %.3f s\n", runs, median);
    std::printf("response throughput: %.1f MB/s (goal >= 50)\n", response_mb / median);
    std::printf("peak memory:         %.1f MB = %.2f x response (goal <= 4)\n",
                static_cast<double>(peak_kb) / 1024.0,
                static_cast<double>(peak_kb) * 1024.0 / static_cast<double>(envelope.size()));
    return 0;
}
