// The logon file that the service names: read only as a regular file on this
// machine, one bounded line, never a FIFO, a device or the standard input.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "client/logon_file.h"
#include "soap_client.h"
#include "support/fake_service.h"
#include "support/waiting_fifo_writer.h"

namespace {

std::string logon_reply(const std::string& file)
{
    return "<QORControl:RequestLogonFileResponse><filename>" + qortest::xml_escape(file) +
           "</filename></QORControl:RequestLogonFileResponse>";
}

TEST(LogonFile, IsReadOnlyAsALocalRegularFileOtherThanTheInput)
{
    char tmpl[] = "/tmp/qor_logon_XXXXXX";
    const std::string dir = mkdtemp(tmpl);
    std::ofstream(dir + "/logon") << "s3cret\nsecond line\n";
    std::ofstream(dir + "/long") << std::string(3000, 'x');
    std::ofstream(dir + "/input") << "typed\n";
    ASSERT_EQ(mkdir((dir + "/dir").c_str(), 0700), 0);
    ASSERT_EQ(mkfifo((dir + "/fifo").c_str(), 0600), 0);
    ASSERT_EQ(symlink((dir + "/fifo").c_str(), (dir + "/fifo_link").c_str()), 0);
    // The standard input is a regular file here, so only its identity tells.
    const int saved_input = dup(STDIN_FILENO);
    const int input = open((dir + "/input").c_str(), O_RDONLY);
    ASSERT_GE(input, 0);
    ASSERT_EQ(dup2(input, STDIN_FILENO), STDIN_FILENO);

    struct Case
    {
        std::string file;
        int transport;
        const char* host;
        std::string password;
        const char* refusal; // part of the FAIL line; null: none
    } cases[] = {
        {dir + "/logon", NI_HTTP, "localhost", "s3cret\n", nullptr},
        {dir + "/logon", PIPE, ".", "s3cret\n", nullptr},
        {dir + "/logon", NI_HTTP, "127.0.0.1", "s3cret\n", nullptr},
        {dir + "/long", NI_HTTP, "localhost", std::string(1023, 'x'), nullptr},
        {dir + "/missing", NI_HTTP, "localhost", "", nullptr},
        {dir + "/logon", NI_HTTP, "192.0.2.7", "", "the service does not run on this machine"},
        {dir + "/logon", WINHTTPS, "192.0.2.7", "", "the service does not run on this machine"},
        {dir + "/dir", NI_HTTP, "localhost", "", "not a regular file"},
        {dir + "/fifo", NI_HTTP, "localhost", "", "not a regular file"},
        {dir + "/fifo_link", NI_HTTP, "localhost", "", "not a regular file"},
        {"/dev/zero", NI_HTTP, "localhost", "", "not a regular file"},
        {"/dev/stdin", NI_HTTP, "localhost", "", "it is the standard input"},
        {"/proc/self/fd/0", NI_HTTP, "localhost", "", "it is the standard input"},
    };
    qortest::FakeService fake;
    ClientEnvironment environment;
    environment.account_name = [](char* buffer, int size) {
        std::snprintf(buffer, static_cast<size_t>(size), "%s", "qorhost\\qoradm");
        return 1;
    };
    std::vector<qortest::Reply> replies;
    for (const Case& c : cases)
        replies.push_back(qortest::Reply::ok(logon_reply(c.file)));
    fake.script("RequestLogonFile", replies);
    for (const Case& c : cases) {
        SoapClient client(NI_HTTP, 3, false);
        ClientSettings settings;
        char empty_user[] = "";
        settings.user = empty_user;
        settings.transport = c.transport;
        settings.host = c.host;
        const std::string endpoint = fake.endpoint();
        CallContext call{client.ctx(), endpoint.c_str(), settings,
                         environment,  cU("Shutdown"),   cU("script")};
        const std::string what = c.file + " via " + c.host;
        // A writer waits on the FIFO: opening it would release the writer.
        WaitingFifoWriter writer(dir + "/fifo");
        ASSERT_TRUE(writer.waiting()) << what;
        ::testing::internal::CaptureStdout();
        const int result = logon_file_step(call);
        const std::string out = ::testing::internal::GetCapturedStdout();
        EXPECT_TRUE(writer.waiting()) << what << ": the FIFO was opened";
        EXPECT_STREQ(settings.user, QOR_LOGON_FILE_USER) << what;
        ASSERT_NE(client.ctx()->passwd, nullptr) << what;
        EXPECT_EQ(std::string(client.ctx()->passwd), c.password) << what;
        if (c.refusal != nullptr) {
            EXPECT_EQ(result, 1) << what;
            EXPECT_NE(out.find("OK\nFAIL: logon file " + c.file + " not read: " + c.refusal + "\n"),
                      std::string::npos)
                << what << ": " << out;
        } else {
            EXPECT_EQ(result, 0) << what;
            EXPECT_EQ(out.find("FAIL"), std::string::npos) << what << ": " << out;
        }
    }
    EXPECT_EQ(fake.request_count(), sizeof cases / sizeof cases[0]);
    dup2(saved_input, STDIN_FILENO);
    close(saved_input);
    close(input);
    for (const char* name : {"/logon", "/long", "/input", "/fifo", "/fifo_link"})
        unlink((dir + name).c_str());
    rmdir((dir + "/dir").c_str());
    rmdir(dir.c_str());
}

} // namespace
