// No byte of a password reaches standard error, the trace file or anything
// read after the password's line.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "client/cmdline_mask.h"
#include "client/trace_mask.h"
#include "client_harness.h"
#include "u16/pty_child.h"

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

// The command line that diagnostics keep shows no password after -user.
TEST(ClientPassword, DiagnosticsKeepTheCommandLineWithoutThePassword)
{
    const struct
    {
        std::vector<const char16_t*> words;
        std::vector<std::u16string> shown;
    } cases[] = {
        {{u"q", u"-user", u"bob", u"pw", u"-nr", u"1"},
         {u"q", u"-user", u"bob", u"********", u"-nr", u"1"}},
        {{u"q", u"-user", u"", u"pw", u"-user", u"al", u"x"},
         {u"q", u"-user", u"", u"********", u"-user", u"al", u"********"}},
        {{u"q", u"-nr", u"1", u"-user", u"bob"}, {u"q", u"-nr", u"1", u"-user", u"bob"}},
        {{u"q", u"-User", u"bob", u"pw"}, {u"q", u"-User", u"bob", u"pw"}},
    };
    for (const auto& c : cases) {
        const int argc = static_cast<int>(c.words.size());
        const std::vector<const QOR_UC*> shown = words_for_diagnostics(argc, c.words.data());
        ASSERT_EQ(shown.size(), c.words.size() + 1);
        EXPECT_EQ(shown.back(), nullptr);
        for (std::size_t i = 0; i < c.shown.size(); ++i)
            EXPECT_EQ(std::u16string(shown[i]), c.shown[i]) << i;
    }
}

using clienttest::read_file;

// A child on a pseudo-terminal runs the program (its standard error goes to
// a file), then reports its exit code and the next line the terminal holds.
std::function<void(int)> program_then_next_line(const std::vector<std::string>& words,
                                                const std::string& stderr_path)
{
    return [words, stderr_path](int report_fd) {
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
        (void)!write(report_fd, line.data(), line.size());
    };
}

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
    std::vector<std::string> words = {"-user",  "cmduser", "CmdPw9",  "-queryuser",
                                      "-debug", "-trace",  trace_path};
    const std::vector<std::string> call = instance.call({"Shutdown"});
    words.insert(words.end(), call.begin(), call.end());
    setenv("NLSUI_FILE_TRACE", "1", 1);
    u16test::PtyChild program(program_then_next_line(words, stderr_path));
    unsetenv("NLSUI_FILE_TRACE");
    ASSERT_TRUE(program.started());
    ASSERT_TRUE(program.wait_for("User? "));
    program.type("us\xff"
                 "er\n");
    ASSERT_TRUE(program.wait_for("Password? "));
    ASSERT_TRUE(program.wait_echo_off());
    program.type("Zq\xfe\xfdPw\xc3(k\nnext line\n");
    int status = 0;
    EXPECT_EQ(program.report(&status), "exit=0\nrest=[next line\n]");

    const std::string sent = "Zq\xc3\xbe\xc3\xbdPw\xc3\x83(k";
    ASSERT_EQ(instance.service->request_count(), 1u);
    EXPECT_EQ(instance.service->last_request().header("Authorization"),
              "Basic " + clienttest::base64("us#er:" + sent));

    std::string diagnostics = read_file(stderr_path);
    const std::string trace = read_file(trace_path);
    // The developer trace ran, the invalid user name was reported, and the
    // request went to the trace file.
    EXPECT_NE(diagnostics.find("NiRawConnect"), std::string::npos) << diagnostics;
    const std::string report = "Invalid UTF-8 encountered by fgetcU16";
    const std::size_t first_report = diagnostics.find(report);
    EXPECT_NE(first_report, std::string::npos);
    EXPECT_EQ(diagnostics.find(report, first_report + 1), std::string::npos) << diagnostics;
    EXPECT_NE(trace.find("Authorization: ********\r\n"), std::string::npos) << trace;
    EXPECT_NE(diagnostics.find("Cmdline : " + std::string(QORCONTROL_BINARY) +
                               " -user cmduser ******** -queryuser"),
              std::string::npos)
        << diagnostics;
    // The folder's random name stands on the command line that the
    // diagnostics show, and may hold a piece by chance ("qor_pw_G1PwzM").
    for (std::size_t at; (at = diagnostics.find(dir)) != std::string::npos;)
        diagnostics.replace(at, dir.size(), "<dir>");
    const std::string pieces[] = {"CmdPw9",    "Zq",     "Pw",
                                  "\xfe\xfd",  "\xc3(k", " 5a 71",
                                  " fe ",      " fd ",   clienttest::base64("us#er:" + sent),
                                  "next line", "|Zq"};
    for (const std::string& piece : pieces) {
        EXPECT_EQ(diagnostics.find(piece), std::string::npos) << piece << "\n" << diagnostics;
        EXPECT_EQ(trace.find(piece), std::string::npos) << piece;
    }
    std::system(("rm -rf '" + dir + "'").c_str());
}

} // namespace
