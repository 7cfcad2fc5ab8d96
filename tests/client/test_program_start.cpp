// The start of the built program as a whole: the code-page converter comes
// up first, before the options are read, and a clean start is silent.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "client_harness.h"
#include "support/waiting_fifo_writer.h"

namespace {

struct Started
{
    int exit_code = -1;
    std::string out;
    std::string err;
};

// A working directory of its own for each run, so that a TCPDB.DAT there
// is the only one the program sees.
class ProgramStart : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "qorstart.XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string path(const char* name) const { return (dir_ / name).string(); }

    // The program with the words, in the working directory; a start that
    // waited on a file would be ended by timeout (exit 124).
    Started start(const std::string& words) const
    {
        Started result;
        const std::string err = path("stderr.txt");
        const std::string command = "cd '" + dir_.string() + "' && timeout 60 " +
                                    QORCONTROL_BINARY + " " + words + " 2>'" + err + "'";
        FILE* pipe = popen(command.c_str(), "r");
        if (pipe == nullptr)
            return result;
        char buf[4096];
        size_t n = 0;
        while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0)
            result.out.append(buf, n);
        const int status = pclose(pipe);
        result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::ifstream in(err, std::ios::binary);
        result.err.assign(std::istreambuf_iterator<char>(in), {});
        std::filesystem::remove(err);
        return result;
    }

    std::filesystem::path dir_;
};

TEST_F(ProgramStart, ACleanStartWritesNothingToStandardError)
{
    const Started usage = start("");
    EXPECT_EQ(usage.exit_code, 1);
    EXPECT_EQ(usage.out.rfind("NAME\n    qorcontrol (Version: ", 0), 0u);
    EXPECT_EQ(usage.err, "");

    clienttest::Instance instance = clienttest::start_instance();
    instance.service->set_default(qortest::Reply::ok_empty("Shutdown"));
    const Started call =
        start("-host 127.0.0.1 -nr " + std::to_string(instance.nr) + " -function Shutdown");
    EXPECT_EQ(call.exit_code, 0);
    EXPECT_EQ(clienttest::mask_time_stamps(call.out), clienttest::heading("Shutdown") + "OK\n");
    EXPECT_EQ(call.err, "");
}

TEST_F(ProgramStart, TheConverterStartsBeforeTheOptionsAreRead)
{
    // The converter's start-up reads TCPDB.DAT and reports its bad lines:
    // the report shows that it ran, also for a command line that the option
    // parser refuses at once.
    std::ofstream(path("TCPDB.DAT")) << "TCPDB\n12345\n";
    const std::string report = "TCPDB.DAT line 2: format error: \"12345\".\n";
    for (const char* words : {"", "-nr 100 -function GetProcessList", "-format"}) {
        const Started s = start(words);
        EXPECT_EQ(s.exit_code, 1) << words;
        EXPECT_EQ(s.out.rfind("NAME\n", 0), 0u) << words;
        EXPECT_EQ(s.err, report) << words;
    }
}

TEST_F(ProgramStart, AFifoNamedTcpdbDatDoesNotHoldTheStartUp)
{
    const std::string usual = start("").out;
    ASSERT_EQ(mkfifo(path("queue").c_str(), 0600), 0);
    for (const bool link : {false, true}) {
        const char* what = link ? "a link to a FIFO" : "a FIFO";
        std::filesystem::remove(path("TCPDB.DAT"));
        if (link)
            std::filesystem::create_symlink(path("queue"), path("TCPDB.DAT"));
        else
            ASSERT_EQ(mkfifo(path("TCPDB.DAT").c_str(), 0600), 0);
        // A writer waits on the FIFO: opening it would release the writer.
        WaitingFifoWriter writer(path("TCPDB.DAT"));
        ASSERT_TRUE(writer.waiting()) << what;
        const Started s = start("");
        EXPECT_TRUE(writer.waiting()) << what << ": the FIFO was opened";
        EXPECT_EQ(s.exit_code, 1) << what;
        EXPECT_EQ(s.out, usual) << what;
        // The converter says once why it left the file alone.
        EXPECT_EQ(s.err.rfind("Syslog: k CP6 : TCPDB.DAT&not a regular file&", 0), 0u) << s.err;
        EXPECT_EQ(std::count(s.err.begin(), s.err.end(), '\n'), 1) << s.err;
    }
}

} // namespace
