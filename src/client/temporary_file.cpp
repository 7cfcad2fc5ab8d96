// A temporary file that no ending of the program leaves behind: an unnamed
// one where the file system has them, else a hidden one that SIGINT,
// SIGTERM, SIGHUP, SIGQUIT and SIGXFSZ remove.
#include "client/temporary_file.h"

#include <errno.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <signal.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>

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

// Holds the signals back while the name and the flag change, or every
// signal that can be held.
class SignalsHeld
{
  public:
    explicit SignalsHeld(bool every_signal = false)
    {
        sigset_t held;
        sigemptyset(&held);
        if (every_signal)
            sigfillset(&held);
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

// What open(2) gives where the file system has no unnamed files (EISDIR
// from a kernel that does not know O_TMPFILE).
bool lacks_unnamed_files(int error)
{
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
}

// The folder of the process's descriptors in a /proc file system, through
// which an unnamed file is linked (linkat with AT_EMPTY_PATH would need
// CAP_DAC_READ_SEARCH); -1 where /proc holds no such file system or its
// entry for fd is not that file: /proc/self/fd/N would then name another.
int proc_fds_of(int fd)
{
    const int fds = open("/proc/self/fd", O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fds < 0)
        return -1;
    struct statfs file_system
    {
    };
    struct stat entry
    {
    };
    struct stat file
    {
    };
    if (fstatfs(fds, &file_system) == 0 && file_system.f_type == PROC_SUPER_MAGIC &&
        fstatat(fds, std::to_string(fd).c_str(), &entry, 0) == 0 && fstat(fd, &file) == 0 &&
        entry.st_dev == file.st_dev && entry.st_ino == file.st_ino)
        return fds;
    close(fds);
    return -1;
}

} // namespace

int open_at(int folder, const char* name, int flags, mode_t mode)
{
    return openat(folder, name, flags, mode);
}

TemporaryFile::TemporaryFile(int folder, bool may_replace, FileOpener open)
    : may_replace_(may_replace)
{
    const SignalsHeld held;
    g_folder = fcntl(folder, F_DUPFD_CLOEXEC, 0);
    if (g_folder < 0)
        return;
    fd_ = open(g_folder, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    // Without /proc the unnamed file could never get its name.
    if (fd_ >= 0 && (proc_fds_ = proc_fds_of(fd_)) >= 0) {
        unnamed_ = true;
        return;
    }
    const bool lacks_unnamed = fd_ >= 0 || lacks_unnamed_files(errno);
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
    }
    // A hidden file that could be neither renamed nor removed would stay.
    needs_name_ = lacks_unnamed && !may_replace;
    if (lacks_unnamed && may_replace)
        make_hidden(open);
    if (fd_ < 0) {
        close(g_folder);
        g_folder = -1;
    }
}

void TemporaryFile::make_hidden(FileOpener open)
{
    for (unsigned attempt = 0; attempt < kAttempts && fd_ < 0; ++attempt) {
        make_name(attempt);
        fd_ = open(g_folder, g_name, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd_ < 0 && errno != EEXIST)
            break;
    }
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
    if (proc_fds_ >= 0)
        close(proc_fds_);
    if (fd_ < 0)
        return; // nothing was made
    close(fd_);
    if (exists_) {
        const SignalsHeld held;
        if (g_exists)
            unlinkat(g_folder, g_name, 0);
        g_exists = 0;
        for (int i = 0; i < kSignalCount; ++i) {
            if (g_handled[i])
                sigaction(kSignals[i], &g_previous[i], nullptr);
        }
    }
    close(g_folder);
    g_folder = -1;
}

bool TemporaryFile::put_in_place(const std::string& name)
{
    if (fd_ < 0)
        return false;
    if (!unnamed_) {
        const SignalsHeld held;
        if (!g_exists || renameat(g_folder, g_name, g_folder, name.c_str()) != 0)
            return false;
        g_exists = 0;
        return true;
    }
    // Linked under a free name, the file appears there complete at once.
    const std::string unnamed = std::to_string(fd_);
    if (linkat(proc_fds_, unnamed.c_str(), g_folder, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return true;
    return errno == EEXIST && may_replace_ && link_hidden_and_rename(name);
}

// A name is replaced by a rename, so the file first gets a hidden name. Every
// signal that can be held waits until it has lost that name again: only
// SIGKILL between the link and the rename can leave the hidden file.
bool TemporaryFile::link_hidden_and_rename(const std::string& name)
{
    const SignalsHeld held(true);
    const std::string unnamed = std::to_string(fd_);
    bool linked = false;
    for (unsigned attempt = 0; attempt < kAttempts && !linked; ++attempt) {
        make_name(attempt);
        linked = linkat(proc_fds_, unnamed.c_str(), g_folder, g_name, AT_SYMLINK_FOLLOW) == 0;
        if (!linked && errno != EEXIST)
            return false;
    }
    if (!linked)
        return false;
    if (renameat(g_folder, g_name, g_folder, name.c_str()) == 0)
        return true;
    unlinkat(g_folder, g_name, 0);
    return false;
}
