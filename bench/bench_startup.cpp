// Whole-process start-up time of a program with ICU bound, against the same
// program in the 7-bit mode with no ICU to be found, measured in one run
// with the two kinds interleaved.
//
//   bench_startup [--runs N] [--limit-ms X] --hide-icu SHIM PROGRAM [ARGS...]
//
// SHIM is a preload library that makes the dynamic loader find no ICU
// library (bench/startup.sh builds it). Prints the medians and their
// difference; exit status 1 when the difference exceeds the limit (2 ms).
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct Options
{
    int runs = 200;
    double limit_ms = 2.0;
    std::string shim;
    std::vector<std::string> command;
};

// The environment of one kind of run: this process's own, without the
// start-up's variables, plus extra.
std::vector<std::string> make_environment(const std::vector<std::string>& extra)
{
    std::vector<std::string> env;
    for (char** entry = environ; *entry != nullptr; ++entry)
        if (std::strncmp(*entry, "NLSUI_", 6) != 0 && std::strncmp(*entry, "LD_PRELOAD=", 11) != 0)
            env.emplace_back(*entry);
    env.insert(env.end(), extra.begin(), extra.end());
    return env;
}

// Runs the command once; returns the wall time in milliseconds, the exit
// status and (when asked) what it wrote on standard error.
double run_once(const Options& options, const std::vector<std::string>& env, int* status,
                std::string* err_text)
{
    std::vector<std::string> args = options.command;
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> env_copy = env;
    std::vector<char*> envp;
    for (auto& e : env_copy)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    char err_path[] = "/tmp/bench_startup_XXXXXX";
    int err_fd = -1;
    if (err_text != nullptr) {
        err_fd = mkstemp(err_path);
        if (err_fd < 0) {
            std::perror("mkstemp");
            std::exit(2);
        }
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    if (err_fd >= 0)
        posix_spawn_file_actions_adddup2(&actions, err_fd, STDERR_FILENO);
    else
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

    auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) {
        std::fprintf(stderr, "bench_startup: cannot start %s\n", argv[0]);
        std::exit(2);
    }
    while (waitpid(pid, status, 0) < 0) {
    }
    auto end = std::chrono::steady_clock::now();
    posix_spawn_file_actions_destroy(&actions);

    if (err_fd >= 0) {
        err_text->clear();
        lseek(err_fd, 0, SEEK_SET);
        char buffer[4096];
        ssize_t got;
        while ((got = read(err_fd, buffer, sizeof buffer)) > 0)
            err_text->append(buffer, static_cast<size_t>(got));
        close(err_fd);
        unlink(err_path);
    }
    return std::chrono::duration<double, std::milli>(end - start).count();
}

double percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    size_t index = static_cast<size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5);
    return values[index];
}

Options parse(int argc, char** argv)
{
    Options options;
    int i = 1;
    for (; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc)
            options.runs = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--limit-ms" && i + 1 < argc)
            options.limit_ms = std::atof(argv[++i]);
        else if (arg == "--hide-icu" && i + 1 < argc)
            options.shim = argv[++i];
        else
            break;
    }
    for (; i < argc; ++i)
        options.command.emplace_back(argv[i]);
    if (options.command.empty() || options.shim.empty()) {
        std::fprintf(
            stderr,
            "usage: bench_startup [--runs N] [--limit-ms X] --hide-icu SHIM PROGRAM [ARGS...]\n");
        std::exit(2);
    }
    return options;
}

} // namespace

int main(int argc, char** argv)
{
    Options options = parse(argc, argv);
    const auto with_icu = make_environment({});
    const auto fallback = make_environment({"NLSUI_7BIT_FALLBACK=1", "LD_PRELOAD=" + options.shim});

    // Both kinds must do what they claim before they are timed.
    int status_icu = 0;
    int status_fallback = 0;
    std::string err;
    run_once(options, make_environment({"NLSUI_INIT_TRACE_LEVEL=medium"}), &status_icu, &err);
    if (err.find("Loaded ICU common lib: ") == std::string::npos) {
        std::fprintf(stderr, "bench_startup: the program did not bind ICU:\n%s", err.c_str());
        return 2;
    }
    run_once(options, fallback, &status_fallback, &err);
    if (err.find("Environment variable NLSUI_7BIT_FALLBACK is set.") == std::string::npos) {
        std::fprintf(stderr, "bench_startup: the 7-bit run found ICU:\n%s", err.c_str());
        return 2;
    }

    std::vector<double> icu_ms;
    std::vector<double> fallback_ms;
    for (int i = 0; i < options.runs; ++i) {
        int status = 0;
        icu_ms.push_back(run_once(options, with_icu, &status, nullptr));
        fallback_ms.push_back(run_once(options, fallback, &status, nullptr));
    }
    const double icu_median = percentile(icu_ms, 0.5);
    const double fallback_median = percentile(fallback_ms, 0.5);
    const double difference = icu_median - fallback_median;
    std::printf("program: %s (%d runs of each kind, interleaved)\n", options.command[0].c_str(),
                options.runs);
    std::printf("ICU bound:              median %.3f ms  min %.3f ms  p90 %.3f ms\n", icu_median,
                percentile(icu_ms, 0.0), percentile(icu_ms, 0.9));
    std::printf("7-bit mode, no ICU:     median %.3f ms  min %.3f ms  p90 %.3f ms\n",
                fallback_median, percentile(fallback_ms, 0.0), percentile(fallback_ms, 0.9));
    std::printf("start-up cost of ICU:   %.3f ms (limit %.3f ms): %s\n", difference,
                options.limit_ms, difference <= options.limit_ms ? "ok" : "over");
    return difference <= options.limit_ms ? 0 : 1;
}
