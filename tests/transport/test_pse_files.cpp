// PSE files are read only as regular files of bounded size: anything else is
// no PSE, with the SSL layer's error and the reason in its trace.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "sssl/sssl.h"
#include "sssl/sssl_state.h"
#include "test_pki.h"

namespace {

std::string read_all(FILE* file)
{
    std::string text;
    std::rewind(file);
    for (int c; (c = std::fgetc(file)) != EOF;)
        text += static_cast<char>(c);
    return text;
}

enum class Make { Copy, Directory, Fifo, Device, Junk };

TEST(PseFiles, OnlyRegularFilesOfBoundedSizeAreRead)
{
    ASSERT_TRUE(test_pki().ok) << test_pki().error;
    struct Case
    {
        const char* file;
        uint32_t creds;
        Make make;
        size_t size;        // of Junk
        int rc;             // of QorSSLInit
        const char* reason; // in the trace, after the path for a refused file; null: none
    } cases[] = {
        {"QORSSLC.pse", SSSL_CRED_CLIENT, Make::Copy, 0, SSSLRC_OK, nullptr},
        {"QORSSLC.pse", SSSL_CRED_CLIENT, Make::Directory, 0, SSSLERR_NO_CRED,
         "no PSE: not a regular file"},
        {"QORSSLC.pse", SSSL_CRED_CLIENT, Make::Fifo, 0, SSSLERR_NO_CRED,
         "no PSE: not a regular file"},
        {"QORSSLC.pse", SSSL_CRED_CLIENT, Make::Device, 0, SSSLERR_NO_CRED,
         "no PSE: not a regular file"},
        {"QORSSLA.pse", SSSL_CRED_ANON, Make::Fifo, 0, SSSLERR_NO_CRED,
         "no PSE: not a regular file"},
        {"QORSSLC.pse", SSSL_CRED_CLIENT, Make::Junk, sssl::kMaxPseBytes + 1, SSSLERR_NO_CRED,
         "no PSE: larger than 1048576 bytes"},
        {"QORSSLC.pse", SSSL_CRED_CLIENT, Make::Junk, sssl::kMaxPseBytes, SSSLERR_NO_CRED,
         "PSE is no PKCS#12 structure"},
    };
    for (const Case& c : cases) {
        char tmpl[] = "/tmp/qor_pse_XXXXXX";
        const std::string dir = mkdtemp(tmpl);
        const std::string path = dir + "/" + c.file;
        switch (c.make) {
        case Make::Copy:
            ASSERT_TRUE(run_command("cp '" + test_pki().client_pse + "' '" + path + "'"));
            break;
        case Make::Directory:
            ASSERT_EQ(mkdir(path.c_str(), 0700), 0);
            break;
        case Make::Fifo:
            ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
            break;
        case Make::Device:
            ASSERT_EQ(symlink("/dev/zero", path.c_str()), 0);
            break;
        case Make::Junk: {
            const int fd = open(path.c_str(), O_WRONLY | O_CREAT, 0600);
            ASSERT_GE(fd, 0);
            ASSERT_EQ(ftruncate(fd, static_cast<off_t>(c.size)), 0);
            close(fd);
            break;
        }
        }
        FILE* trace = std::tmpfile();
        ASSERT_NE(trace, nullptr);
        QorSSLSetTraceFile(trace);
        setenv("SECUDIR", dir.c_str(), 1);
        SSSL_INIT_PARAMS params{};
        params.size = sizeof params;
        params.default_creds = c.creds;
        EXPECT_EQ(QorSSLInit(0, &params, nullptr), c.rc) << path;
        QorSSLExit();
        QorSSLSetTraceFile(nullptr);
        unsetenv("SECUDIR");
        const std::string text = read_all(trace);
        std::fclose(trace);
        if (c.reason != nullptr) {
            const std::string line = c.make == Make::Junk && c.size <= sssl::kMaxPseBytes
                                         ? std::string(c.reason)
                                         : path + ": " + c.reason;
            EXPECT_NE(text.find(line), std::string::npos) << text;
        } else {
            EXPECT_EQ(text.find("no PSE"), std::string::npos) << text;
        }
        if (c.make == Make::Directory)
            rmdir(path.c_str());
        else
            unlink(path.c_str());
        rmdir(dir.c_str());
    }
}

} // namespace
