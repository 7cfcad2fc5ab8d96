#ifndef QOR_TESTS_I18N_PROBE_RUNNER_H
#define QOR_TESTS_I18N_PROBE_RUNNER_H

// Runs a start-up probe in a child process with a chosen environment and
// working directory and collects what it wrote.

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace i18ntest {

using EnvList = std::vector<std::pair<std::string, std::string>>;

struct ProbeRun
{
    int exit_code = -1; // exit status, or 128 + signal
    int pid = 0;
    std::string out;
    std::string err;
};

// A fresh directory that is removed with everything in it.
class TempDir
{
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

// Starts program with args in workdir. The child inherits this process's
// environment without the start-up's variables (NLSUI_*, NO_QOR_ICU_PATH,
// LD_LIBRARY_PATH), plus env. A child that runs longer than a minute is
// killed.
ProbeRun run_probe(const std::string& program, const std::vector<std::string>& args,
                   const EnvList& env, const std::string& workdir);

std::vector<std::string> split_lines(const std::string& text);
bool contains(const std::string& text, const std::string& part);
size_t count_of(const std::string& text, const std::string& part);
std::string read_file(const std::string& path);

// Runs body with file descriptor 2 sent to a file; returns what was written.
std::string capture_stderr(const std::function<void()>& body);

} // namespace i18ntest

#endif
