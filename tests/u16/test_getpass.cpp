#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <string>

#include "u16/u16.h"

namespace {

/* Runs body in a child whose standard streams are the slave side of a
 * pseudo-terminal; the parent drives the master side. */
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
        for (int round = 0; round < 100 && seen_.find(text) == std::string::npos; ++round) {
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
        for (int i = 0; i < 200 && echo_on(); ++i)
            usleep(10000);
        return !echo_on();
    }

    /* Everything the child reported, after it ended. */
    std::string report(int* status)
    {
        std::string out;
        char buf[256];
        for (int round = 0; round < 100; ++round) {
            pollfd p{report_, POLLIN, 0};
            if (poll(&p, 1, 100) <= 0)
                continue;
            const ssize_t n = read(report_, buf, sizeof buf);
            if (n <= 0)
                break;
            out.append(buf, static_cast<size_t>(n));
        }
        for (int round = 0; round < 100; ++round) {
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
    pid_t pid_ = -1;
    int master_ = -1;
    int report_ = -1;
    std::string seen_;
};

std::string utf8(const QOR_UC* s)
{
    char buf[1024];
    nlsui_u16_to_utf8(buf, s, sizeof buf);
    return buf;
}

void report_password(int fd, const QOR_UC* word)
{
    termios t{};
    tcgetattr(STDIN_FILENO, &t);
    const std::string line =
        std::string((t.c_lflag & ECHO) != 0 ? "echo" : "noecho") + "[" + utf8(word) + "]";
    (void)!write(fd, line.data(), line.size());
}

TEST(U16Getpass, EchoIsOffDuringTheReadAndRestoredAfter)
{
    PtyChild child([](int fd) { report_password(fd, getpassU16(u"Password? ")); });
    ASSERT_TRUE(child.started());
    ASSERT_TRUE(child.wait_for("Password? "));
    /* The prompt is out, so the echo is being switched off. */
    EXPECT_TRUE(child.wait_echo_off());
    child.type("s\xC3\xA9"
               "cr\xE2\x82\xAC"
               "t\n");
    int status = 0;
    EXPECT_EQ(child.report(&status), "echo[s\xC3\xA9"
                                     "cr\xE2\x82\xAC"
                                     "t]");
    EXPECT_EQ(child.seen().find("cr"), std::string::npos) << "the password was echoed";
}

TEST(U16Getpass, ReadsAfterScanf)
{
    PtyChild child([](int fd) {
        QOR_UC user[64] = {0};
        scanfU16(u"%63s", user);
        const std::string u = "user[" + utf8(user) + "]";
        (void)!write(fd, u.data(), u.size());
        report_password(fd, getpassU16(u"Password? "));
    });
    ASSERT_TRUE(child.started());
    child.type("\xC3\xA4lice\n");
    ASSERT_TRUE(child.wait_for("Password? "));
    ASSERT_TRUE(child.wait_echo_off());
    child.type("p\xC3\xA4ss\n");
    int status = 0;
    EXPECT_EQ(child.report(&status), "user[\xC3\xA4lice]echo[p\xC3\xA4ss]");
}

TEST(U16Getpass, EndOfInputNeverYieldsThePreviousPassword)
{
    PtyChild child([](int fd) {
        report_password(fd, getpassU16(u"First? "));
        report_password(fd, getpassU16(u"Second? "));
    });
    ASSERT_TRUE(child.started());
    ASSERT_TRUE(child.wait_for("First? "));
    ASSERT_TRUE(child.wait_echo_off());
    child.type("one\n");
    ASSERT_TRUE(child.wait_for("Second? "));
    ASSERT_TRUE(child.wait_echo_off());
    child.type("\x04"); // end of input at the start of a line
    int status = 0;
    EXPECT_EQ(child.report(&status), "echo[one]echo[]");
}

TEST(U16Getpass, InterruptRestoresTheEcho)
{
    PtyChild child([](int fd) { report_password(fd, getpassU16(u"Password? ")); });
    ASSERT_TRUE(child.started());
    ASSERT_TRUE(child.wait_for("Password? "));
    ASSERT_TRUE(child.wait_echo_off());
    kill(child.pid(), SIGINT);
    int status = 0;
    EXPECT_EQ(child.report(&status), "");
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT);
    EXPECT_TRUE(child.echo_on());
}

TEST(U16Getpass, WithoutATerminalTheWordIsReadAllTheSame)
{
    int in[2];
    ASSERT_EQ(pipe(in), 0);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(in[0], STDIN_FILENO);
        close(in[1]);
        const QOR_UC* w = getpassU16(u"");
        _exit(std::u16string(w) == u"word" ? 0 : 1);
    }
    close(in[0]);
    (void)!write(in[1], "  word rest\n", 12);
    close(in[1]);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

} // namespace
