#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "pty_child.h"
#include "u16/u16.h"
#include "u16/u16_secret.h"
#include "u16_test_util.h"

namespace {

using u16test::PtyChild;

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
        U16EndBlankLine(stdin); /* the user's line end is not the password */
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

/* Everything a stream still holds, as the units fgetcU16 gives. */
std::u16string rest_of(FILE* in)
{
    std::u16string rest;
    for (int c = fgetcU16(in); c >= 0; c = fgetcU16(in))
        rest += static_cast<char16_t>(c);
    return rest;
}

/* One line is read: its first word, then the rest up to and including the
 * line end; the next line stays unread. Bytes that are not UTF-8 are taken
 * as the units of the same value, and nothing at all is reported, even with
 * the read-ahead dump switched on. */
TEST(U16SecretLine, TakesTheWordOfOneLineWithoutAnyReport)
{
    const std::string a300(300, 'a');
    const std::string a254(254, 'a');
    // Past the bound an endless line or run of blanks is read no further.
    const std::string beyond(U16_MAX_LINE_DROP + 3, ' ');
    const struct
    {
        std::string input;
        std::u16string word;
        std::u16string rest;
    } cases[] = {
        {"secret\nnext\n", u"secret", u"next\n"},
        {"  pw  tail\nnext", u"pw", u"next"},
        {"\nnext\n", u"", u"next\n"},
        {"   \nnext", u"", u"next"},
        {"pw\r\nnext", u"pw", u"next"},
        {"pw\rnext", u"pw", u"next"},
        {"", u"", u""},
        {"p\xFFss\xFE\nnext", u"p\u00FFss\u00FE", u"next"},
        {"a\xC3\nnext", u"a\u00C3", u"next"},
        {"\xE2\x82\nnext", u"\u00E2\u0082", u"next"},
        {"\xE2\x82x y\nnext", u"\u00E2\u0082x", u"next"},
        {"\xC0\x80z\n", u"\u00C0\u0080z", u""},
        {"\xED\xA0\x80\n", u"\u00ED\u00A0\u0080", u""},
        {"\xF4\x90\x80\x80\n", u"\u00F4\u0090\u0080\u0080", u""},
        {"\x85\xA0\n", u"\u0085\u00A0", u""},
        {"s\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\n", u"s\u00E9\u20AC\U0001F600", u""},
        {"\xC3\xA9\xC2\xA0rest\nnext", u"\u00E9", u"next"},
        {"\xC2\xA0 pw\n", u"pw", u""},
        {a300 + "\nnext", std::u16string(255, u'a'), u"next"},
        {a254 + "\xF0\x9F\x98\x80\nnext", std::u16string(254, u'a'), u"next"},
        {a254 + "\xC3\nnext", std::u16string(254, u'a') + u"\u00C3", u"next"},
        {"pw " + beyond + "\nnext", u"pw", u"   \nnext"},
        {beyond + "pw\n", u"", u"   pw\n"},
    };
    u16test::DiagCapture diag(U16_TRACE_HIGH);
    setenv("NLSUI_FILE_TRACE", "1", 1);
    for (const auto& c : cases) {
        u16test::MemIn in(c.input);
        std::vector<QOR_UC> word(256, 0xBEEF);
        const int n = u16_read_secret_line(in.get(), word.data(), 255);
        EXPECT_EQ(n, static_cast<int>(c.word.size())) << c.input;
        EXPECT_EQ(std::u16string(word.data()), c.word) << c.input;
        EXPECT_EQ(rest_of(in.get()), c.rest) << c.input;
    }
    unsetenv("NLSUI_FILE_TRACE");
    EXPECT_EQ(diag.text(), "");
}

/* After the user name: blanks and one line end are read, anything else
 * stays unread byte for byte, also a unit the scanf engine gave back. */
TEST(U16SecretLine, EndBlankLineLeavesAnythingElse)
{
    const struct
    {
        std::string input;
        std::u16string rest;
    } cases[] = {
        {"user  \t\npw\n", u"pw\n"},
        {"user\r\npw", u"pw"},
        {"user\rpw", u"pw"},
        {"user pw\n", u"pw\n"},
        {"user\n\npw", u"\npw"},
        {"user", u""},
        {"user\xC2\xA0pw", u"\u00A0pw"},
        {"user" + std::string(U16_MAX_LINE_DROP + 2, '\t') + "\npw", u"\t\t\npw"},
    };
    u16test::DiagCapture diag(U16_TRACE_HIGH);
    for (const auto& c : cases) {
        u16test::MemIn in(c.input);
        QOR_UC user[16] = {0};
        ASSERT_EQ(fscanfU16(in.get(), u"%15s", user), 1) << c.input;
        U16EndBlankLine(in.get());
        EXPECT_EQ(rest_of(in.get()), c.rest) << c.input;
    }
    /* A byte that is not UTF-8 is not decoded (and so not reported). */
    u16test::MemIn in("user \xFFpw\n");
    QOR_UC user[16] = {0};
    ASSERT_EQ(fscanfU16(in.get(), u"%15s", user), 1);
    U16EndBlankLine(in.get());
    EXPECT_EQ(diag.text(), "");
    std::string rest;
    for (int b = std::getc(in.get()); b != EOF; b = std::getc(in.get()))
        rest += static_cast<char>(b);
    EXPECT_EQ(rest, "\xFFpw\n");
}

/* A report about invalid input reads ahead of it only on a stream that
 * holds no secret. */
TEST(U16SecretLine, NoReadAheadOnTheSecretStream)
{
    setenv("NLSUI_FILE_TRACE", "1", 1);
    for (const bool secret : {false, true}) {
        u16test::DiagCapture diag(U16_TRACE_LOW);
        U16ResetInputErrorCounter();
        u16test::MemIn in("us\xFFr\nsecretpw\n");
        U16SetSecretInput(secret ? in.get() : nullptr);
        QOR_UC user[16] = {0};
        ASSERT_EQ(fscanfU16(in.get(), u"%15s", user), 1);
        U16SetSecretInput(nullptr);
        /* The dump takes the bytes after the bad one with it. */
        EXPECT_EQ(std::u16string(user), secret ? u"us#r" : u"us#") << secret;
        EXPECT_EQ(diag.text().find("secretpw") == std::string::npos, secret) << diag.text();
        EXPECT_EQ(rest_of(in.get()) == u"\nsecretpw\n", secret) << secret;
    }
    unsetenv("NLSUI_FILE_TRACE");
    U16ResetInputErrorCounter();
}

} // namespace
