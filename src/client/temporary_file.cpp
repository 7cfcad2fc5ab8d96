// A temporary file that no ending of the program by SIGINT, SIGTERM, SIGHUP
// or SIGQUIT leaves behind.
#include "client/temporary_file.h"

#include <limits.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
constexpr int kSignalCount = sizeof kSignals / sizeof kSignals[0];
constexpr const char* kPattern = ".qorcontrol-XXXXXX";

// What the handler may touch: a fixed buffer and a flag.
char g_name[PATH_MAX];
volatile sig_atomic_t g_exists = 0;
struct sigaction g_previous[kSignalCount];
bool g_handled[kSignalCount];

extern "C" void remove_and_go_on(int signal)
{
    if (g_exists)
        unlink(g_name);
    g_exists = 0;
    // The signal then does what it did before, usually ending the program.
    for (int i = 0; i < kSignalCount; ++i) {
        if (kSignals[i] == signal)
            sigaction(signal, &g_previous[i], nullptr);
    }
    raise(signal);
}

// Holds the signals back while the name and the flag change.
class SignalsHeld
{
  public:
    SignalsHeld()
    {
        sigset_t held;
        sigemptyset(&held);
        for (const int signal : kSignals)
            sigaddset(&held, signal);
        sigprocmask(SIG_BLOCK, &held, &saved_);
    }
    ~SignalsHeld() { sigprocmask(SIG_SETMASK, &saved_, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

  private:
    sigset_t saved_;
};

} // namespace

TemporaryFile::TemporaryFile(const std::string& folder)
{
    if (folder.size() + std::strlen(kPattern) >= sizeof g_name)
        return;
    const SignalsHeld held;
    std::snprintf(g_name, sizeof g_name, "%s%s", folder.c_str(), kPattern);
    fd_ = mkstemp(g_name);
    if (fd_ < 0)
        return;
    exists_ = true;
    g_exists = 1;
    struct sigaction action
    {
    };
    action.sa_handler = remove_and_go_on;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < kSignalCount; ++i) {
        // A signal that is ignored stays ignored.
        g_handled[i] = sigaction(kSignals[i], nullptr, &g_previous[i]) == 0 &&
                       g_previous[i].sa_handler != SIG_IGN &&
                       sigaction(kSignals[i], &action, nullptr) == 0;
    }
}

TemporaryFile::~TemporaryFile()
{
    if (fd_ >= 0)
        close(fd_);
    if (!exists_)
        return;
    const SignalsHeld held;
    if (g_exists)
        unlink(g_name);
    g_exists = 0;
    for (int i = 0; i < kSignalCount; ++i) {
        if (g_handled[i])
            sigaction(kSignals[i], &g_previous[i], nullptr);
    }
}

bool TemporaryFile::rename_to(const std::string& target)
{
    const SignalsHeld held;
    if (!g_exists || std::rename(g_name, target.c_str()) != 0)
        return false;
    g_exists = 0;
    return true;
}
