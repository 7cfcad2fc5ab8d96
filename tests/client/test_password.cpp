// No byte of a password reaches standard error, the trace file or anything
// read after the password's line.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "client/trace_mask.h"
#include "client_harness.h"

namespace {

// The trace as written in pieces split at every position: the value of an
// Authorization line is hidden, everything else passes unchanged.
TEST(ClientTraceMask, HidesTheAuthorizationValueHoweverTheWritesAreSplit)
{
    const struct
    {
        std::string written;
        std::string traced;
    } cases[] = {
        {"POST / HTTP/1.1\r\nAuthorization: Basic dXM6cHc=\r\nSOAPAction: \"\"\r\n\r\n<x/>",
         "POST / HTTP/1.1\r\nAuthorization: ********\r\nSOAPAction: \"\"\r\n\r\n<x/>"},
        {"authorization:Basic QQ==\nHost: h\n", "authorization: ********\nHost: h\n"},
        {"AUTHORIZATION: x\r\n", "AUTHORIZATION: ********\r\n"},
        {"Authorization:", "Authorization: ********"},
        {"X-Authorization: y\r\n", "X-Authorization: y\r\n"},
        {"<a>Authorization: no</a>\n", "<a>Authorization: no</a>\n"},
        {"Authorizatio\r\nAuthorizations: z\n", "Authorizatio\r\nAuthorizations: z\n"},
        {"head\nAuthor", "head\nAuthor"},
        {"", ""},
    };
    for (const auto& c : cases) {
        for (std::size_t split = 0; split <= c.written.size(); ++split) {
            char* data = nullptr;
            std::size_t size = 0;
            FILE* file = open_memstream(&data, &size);
            ASSERT_NE(file, nullptr);
            FILE* trace = open_masked_trace(file);
            ASSERT_NE(trace, nullptr);
            EXPECT_EQ(std::fwrite(c.written.data(), 1, split, trace), split);
            std::fflush(trace);
            const std::size_t rest = c.written.size() - split;
            EXPECT_EQ(std::fwrite(c.written.data() + split, 1, rest, trace), rest);
            EXPECT_EQ(std::fclose(trace), 0);
            std::fflush(file);
            EXPECT_EQ(std::string(data, size), c.traced) << c.written << " split at " << split;
            std::fclose(file);
            std::free(data);
        }
    }
    EXPECT_EQ(open_masked_trace(nullptr), nullptr);
}

std::string read_file(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

// The program on a pseudo-terminal, started by a child that afterwards
// reports its exit code and the next line left on the terminal.
class ProgramOnTerminal
{
  public:
    ProgramOnTerminal(const std::vector<std::string>& words, const std::string& stderr_path)
    {
        int report[2];
        if (pipe(report) != 0)
            return;
        report_ = report[0];
        pid_ = forkpty(&master_, nullptr, nullptr, nullptr);
        if (pid_ == 0) {
            close(report[0]);
            const pid_t program = fork();
            if (program == 0) {
                const int err = open(stderr_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
                dup2(err, STDERR_FILENO);
                std::vector<char*> argv{const_cast<char*>(QORCONTROL_BINARY)};
                for (const std::string& w : words)
                    argv.push_back(const_cast<char*>(w.c_str()));
                argv.push_back(nullptr);
                execv(QORCONTROL_BINARY, argv.data());
                _exit(127);
            }
            int status = 0;
            waitpid(program, &status, 0);
            std::string line =
                "exit=" + std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) + "\nrest=[";
            char buf[256];
            const ssize_t n = read(STDIN_FILENO, buf, sizeof buf); // one line
            if (n > 0)
                line.append(buf, static_cast<std::size_t>(n));
            line += "]";
            (void)!write(report[1], line.data(), line.size());
            _exit(0);
        }
        close(report[1]);
    }
    ~ProgramOnTerminal()
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
    ProgramOnTerminal(const ProgramOnTerminal&) = delete;
    ProgramOnTerminal& operator=(const ProgramOnTerminal&) = delete;

    bool started() const { return pid_ > 0 && master_ >= 0; }

    // Reads the terminal until it showed the text (bounded).
    bool wait_for(const std::string& text)
    {
        for (int round = 0; round < 200 && seen_.find(text) == std::string::npos; ++round) {
            pollfd p{master_, POLLIN, 0};
            if (poll(&p, 1, 100) <= 0)
                continue;
            char buf[512];
            const ssize_t n = read(master_, buf, sizeof buf);
            if (n <= 0)
                break;
            seen_.append(buf, static_cast<std::size_t>(n));
        }
        return seen_.find(text) != std::string::npos;
    }

    // Waits (bounded) until the program has switched the echo off.
    bool wait_echo_off()
    {
        for (int i = 0; i < 500; ++i) {
            termios t{};
            tcgetattr(master_, &t);
            if ((t.c_lflag & ECHO) == 0)
                return true;
            usleep(10000);
        }
        return false;
    }

    void type(const std::string& text) { (void)!write(master_, text.data(), text.size()); }

    // The child's report, once it has ended (bounded); the terminal is
    // drained meanwhile.
    std::string report()
    {
        std::string out;
        for (int round = 0; round < 300; ++round) {
            pollfd p[2] = {{report_, POLLIN, 0}, {master_, POLLIN, 0}};
            if (poll(p, 2, 100) <= 0)
                continue;
            char buf[256];
            if ((p[1].revents & POLLIN) != 0) {
                const ssize_t n = read(master_, buf, sizeof buf);
                if (n > 0)
                    seen_.append(buf, static_cast<std::size_t>(n));
            }
            if ((p[0].revents & (POLLIN | POLLHUP)) != 0) {
                const ssize_t n = read(report_, buf, sizeof buf);
                if (n <= 0)
                    break;
                out.append(buf, static_cast<std::size_t>(n));
            }
        }
        return out;
    }

  private:
    pid_t pid_ = -1;
    int master_ = -1;
    int report_ = -1;
    std::string seen_;
};

// -queryuser with the developer trace, a trace file and the read-ahead dump
// of invalid input switched on: a password with bytes that are not UTF-8 is
// sent as typed (each such byte as the character of the same value), and
// neither standard error nor the trace file holds any of it; the line typed
// after the password stays for whoever reads next.
TEST(ClientPassword, InvalidBytesReachNoDiagnosticAndNoTrace)
{
    char dir_pattern[] = "/tmp/qor_pw_XXXXXX";
    const std::string dir = mkdtemp(dir_pattern);
    const std::string trace_path = dir + "/trace.txt";
    const std::string stderr_path = dir + "/stderr.txt";
    clienttest::Instance instance = clienttest::start_instance();
    instance.service->set_default(qortest::Reply::ok_empty("Shutdown"));
    std::vector<std::string> words = {"-queryuser", "-debug", "-trace", trace_path};
    const std::vector<std::string> call = instance.call({"Shutdown"});
    words.insert(words.end(), call.begin(), call.end());
    setenv("NLSUI_FILE_TRACE", "1", 1);
    ProgramOnTerminal program(words, stderr_path);
    unsetenv("NLSUI_FILE_TRACE");
    ASSERT_TRUE(program.started());
    ASSERT_TRUE(program.wait_for("User? "));
    program.type("us\xff"
                 "er\n");
    ASSERT_TRUE(program.wait_for("Password? "));
    ASSERT_TRUE(program.wait_echo_off());
    program.type("Zq\xfe\xfdPw\xc3(k\nnext line\n");
    EXPECT_EQ(program.report(), "exit=0\nrest=[next line\n]");

    const std::string sent = "Zq\xc3\xbe\xc3\xbdPw\xc3\x83(k";
    ASSERT_EQ(instance.service->request_count(), 1u);
    EXPECT_EQ(instance.service->last_request().header("Authorization"),
              "Basic " + clienttest::base64("us#er:" + sent));

    const std::string diagnostics = read_file(stderr_path);
    const std::string trace = read_file(trace_path);
    // The developer trace ran, the invalid user name was reported, and the
    // request went to the trace file.
    EXPECT_NE(diagnostics.find("NiRawConnect"), std::string::npos) << diagnostics;
    const std::string report = "Invalid UTF-8 encountered by fgetcU16";
    const std::size_t first_report = diagnostics.find(report);
    EXPECT_NE(first_report, std::string::npos);
    EXPECT_EQ(diagnostics.find(report, first_report + 1), std::string::npos) << diagnostics;
    EXPECT_NE(trace.find("Authorization: ********\r\n"), std::string::npos) << trace;
    const std::string pieces[] = {
        "Zq",        "Pw",   "\xfe\xfd", "\xc3(k",
        " 5a 71",    " fe ", " fd ",     clienttest::base64("us#er:" + sent),
        "next line", "|Zq"};
    for (const std::string& piece : pieces) {
        EXPECT_EQ(diagnostics.find(piece), std::string::npos) << piece << "\n" << diagnostics;
        EXPECT_EQ(trace.find(piece), std::string::npos) << piece;
    }
    std::system(("rm -rf '" + dir + "'").c_str());
}

} // namespace
