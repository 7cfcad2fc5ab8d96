// Child-process runner of the start-up probes.
#include "probe_runner.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace i18ntest {

TempDir::TempDir()
{
    const char* base = std::getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/i18n_test_XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    path_ = buffer.data();
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

namespace {

bool is_startup_variable(const char* entry)
{
    static const char* const kPrefixes[] = {"NLSUI_", "NO_QOR_ICU_PATH=", "LD_LIBRARY_PATH="};
    for (const char* prefix : kPrefixes)
        if (std::strncmp(entry, prefix, std::strlen(prefix)) == 0)
            return true;
    return false;
}

} // namespace

ProbeRun run_probe(const std::string& program, const std::vector<std::string>& args,
                   const EnvList& env, const std::string& workdir)
{
    TempDir capture;
    const std::string out_path = capture.path() + "/out";
    const std::string err_path = capture.path() + "/err";

    // Everything the child needs is built before the fork.
    std::vector<std::string> env_strings;
    for (char** entry = environ; *entry != nullptr; ++entry)
        if (!is_startup_variable(*entry))
            env_strings.emplace_back(*entry);
    for (const auto& [name, value] : env)
        env_strings.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (auto& s : env_strings)
        envp.push_back(s.data());
    envp.push_back(nullptr);
    std::vector<std::string> arg_strings{program};
    arg_strings.insert(arg_strings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& s : arg_strings)
        argv.push_back(s.data());
    argv.push_back(nullptr);

    pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out < 0 || err < 0 || dup2(out, STDOUT_FILENO) < 0 || dup2(err, STDERR_FILENO) < 0 ||
            chdir(workdir.c_str()) != 0)
            _exit(126);
        close(out);
        close(err);
        alarm(60);
        execve(program.c_str(), argv.data(), envp.data());
        _exit(127);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    ProbeRun run;
    run.pid = static_cast<int>(pid);
    run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.out = read_file(out_path);
    run.err = read_file(err_path);
    return run;
}

std::vector<std::string> split_lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

size_t count_of(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos;
         at = text.find(part, at + part.size()))
        ++count;
    return count;
}

std::string read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::string capture_stderr(const std::function<void()>& body)
{
    TempDir dir;
    const std::string path = dir.path() + "/stderr";
    std::fflush(stderr);
    int saved = dup(STDERR_FILENO);
    int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (saved < 0 || file < 0)
        throw std::runtime_error("cannot redirect standard error");
    dup2(file, STDERR_FILENO);
    close(file);
    body();
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    return read_file(path);
}

} // namespace i18ntest
