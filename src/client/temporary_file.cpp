// A temporary file that no ending of the program by SIGINT, SIGTERM, SIGHUP,
// SIGQUIT or SIGXFSZ leaves behind.
#include "client/temporary_file.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/random.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>

namespace {

// SIGXFSZ comes from the write itself when it meets a file-size limit.
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGXFSZ};
constexpr int kSignalCount = sizeof kSignals / sizeof kSignals[0];
constexpr char kPrefix[] = ".qorcontrol-";
constexpr std::size_t kRandomLetters = 6;
constexpr int kAttempts = 100;

// What the handler may touch: the folder's descriptor, the name there and a
// flag, all set while the signals are held.
int g_folder = -1;
char g_name[sizeof kPrefix + kRandomLetters];
volatile sig_atomic_t g_exists = 0;
struct sigaction g_previous[kSignalCount];
bool g_handled[kSignalCount];

extern "C" void remove_and_go_on(int signal)
{
    if (g_exists)
        unlinkat(g_folder, g_name, 0);
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

// A new name into g_name: the prefix and random letters, as mkstemp makes.
void make_name(unsigned attempt)
{
    static constexpr char kLetters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::uint64_t random = 0;
    if (getrandom(&random, sizeof random, GRND_NONBLOCK) != sizeof random) {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        random = (static_cast<std::uint64_t>(now.tv_nsec) * 2654435761u) ^
                 (static_cast<std::uint64_t>(getpid()) << 20) ^ attempt;
    }
    std::memcpy(g_name, kPrefix, sizeof kPrefix - 1);
    char* out = g_name + sizeof kPrefix - 1;
    for (std::size_t i = 0; i < kRandomLetters; ++i) {
        *out++ = kLetters[random % (sizeof kLetters - 1)];
        random /= sizeof kLetters - 1;
    }
    *out = '\0';
}

} // namespace

TemporaryFile::TemporaryFile(int folder)
{
    const SignalsHeld held;
    g_folder = fcntl(folder, F_DUPFD_CLOEXEC, 0);
    if (g_folder < 0)
        return;
    for (unsigned attempt = 0; attempt < kAttempts && fd_ < 0; ++attempt) {
        make_name(attempt);
        fd_ = openat(g_folder, g_name, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd_ < 0 && errno != EEXIST)
            break;
    }
    if (fd_ < 0) {
        close(g_folder);
        g_folder = -1;
        return;
    }
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
        unlinkat(g_folder, g_name, 0);
    g_exists = 0;
    for (int i = 0; i < kSignalCount; ++i) {
        if (g_handled[i])
            sigaction(kSignals[i], &g_previous[i], nullptr);
    }
    close(g_folder);
    g_folder = -1;
}

bool TemporaryFile::rename_to(const std::string& name)
{
    const SignalsHeld held;
    if (!g_exists || renameat(g_folder, g_name, g_folder, name.c_str()) != 0)
        return false;
    g_exists = 0;
    return true;
}
