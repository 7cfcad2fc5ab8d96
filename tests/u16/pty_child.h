#ifndef QOR_TESTS_U16_PTY_CHILD_H
#define QOR_TESTS_U16_PTY_CHILD_H

#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>

namespace u16test {

/* Runs body in a child whose standard streams are the slave side of a
 * pseudo-terminal; the parent drives the master side. Each wait ends at its
 * event; the bound only keeps a broken child from hanging the test, far
 * beyond what a loaded machine takes. */
class PtyChild
{
  public:
    explicit PtyChild(const std::function<void(int report_fd)>& body)
    {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        report_ = fds[0];
        pid_ = forkpty(&master_, nullptr, nullptr, nullptr);
        if (pid_ == 0) {
            close(fds[0]);
            body(fds[1]);
            close(fds[1]);
            _exit(0);
        }
        close(fds[1]);
    }
    ~PtyChild()
    {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (master_ >= 0)
            close(master_);
        if (report_ >= 0)
            close(report_);
    }
    PtyChild(const PtyChild&) = delete;
    PtyChild& operator=(const PtyChild&) = delete;

    bool started() const { return pid_ > 0 && master_ >= 0; }

    /* Reads terminal output until it contains the text (bounded wait). */
    bool wait_for(const std::string& text)
    {
        const auto deadline = std::chrono::steady_clock::now() + kBound;
        while (seen_.find(text) == std::string::npos &&
               std::chrono::steady_clock::now() < deadline) {
            pollfd p{master_, POLLIN, 0};
            if (poll(&p, 1, 100) <= 0)
                continue;
            char buf[256];
            const ssize_t n = read(master_, buf, sizeof buf);
            if (n <= 0)
                break;
            seen_.append(buf, static_cast<size_t>(n));
        }
        return seen_.find(text) != std::string::npos;
    }

    bool echo_on()
    {
        termios t{};
        tcgetattr(master_, &t);
        return (t.c_lflag & ECHO) != 0;
    }

    void type(const std::string& text) { (void)!write(master_, text.data(), text.size()); }

    /* Waits (bounded) until the child has switched the echo off. */
    bool wait_echo_off()
    {
        const auto deadline = std::chrono::steady_clock::now() + kBound;
        while (echo_on() && std::chrono::steady_clock::now() < deadline)
            usleep(10000);
        return !echo_on();
    }

    /* Everything the child reported, after it ended. */
    std::string report(int* status)
    {
        std::string out;
        char buf[256];
        const auto deadline = std::chrono::steady_clock::now() + kBound;
        while (std::chrono::steady_clock::now() < deadline) {
            pollfd p{report_, POLLIN, 0};
            if (poll(&p, 1, 100) <= 0)
                continue;
            const ssize_t n = read(report_, buf, sizeof buf);
            if (n <= 0)
                break;
            out.append(buf, static_cast<size_t>(n));
        }
        while (std::chrono::steady_clock::now() < deadline) {
            if (waitpid(pid_, status, WNOHANG) == pid_) {
                pid_ = -1;
                break;
            }
            usleep(20000);
        }
        return out;
    }

    pid_t pid() const { return pid_; }
    const std::string& seen() const { return seen_; }

  private:
    static constexpr std::chrono::seconds kBound{120};

    pid_t pid_ = -1;
    int master_ = -1;
    int report_ = -1;
    std::string seen_;
};

} // namespace u16test

#endif
