// Initialisation of the SSL layer: parameter checks, default credentials
// from PSE files or memory, the PSE directory and the trace.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "sssl/sssl.h"

namespace {

bool run(const std::string& cmd)
{
    return std::system((cmd + " >/dev/null 2>&1").c_str()) == 0;
}

std::string read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A directory with a key-and-certificate PSE and a CA-only PSE made by the
// openssl command, plus a file that is no PKCS#12 structure.
class PseFiles : public ::testing::Test
{
  protected:
    static void SetUpTestSuite()
    {
        char tmpl[] = "/tmp/qor_pse_XXXXXX";
        dir_ = mkdtemp(tmpl);
        ok_ = run("openssl req -x509 -newkey rsa:2048 -nodes -keyout " + dir_ + "/k.pem -out " +
                  dir_ + "/c.pem -days 2 -subj /CN=PseTest") &&
              run("openssl pkcs12 -export -in " + dir_ + "/c.pem -inkey " + dir_ + "/k.pem -out " +
                  dir_ + "/full.p12 -passout pass:") &&
              run("openssl pkcs12 -export -nokeys -in " + dir_ + "/c.pem -out " + dir_ +
                  "/ca.p12 -passout pass:");
        std::ofstream(dir_ + "/junk") << "this is no PKCS#12 structure";
    }
    static void TearDownTestSuite() { run("rm -rf " + dir_); }
    void SetUp() override
    {
        ASSERT_TRUE(ok_) << "openssl command failed";
        sec_ = dir_ + "/sec" + std::to_string(++counter_);
        ASSERT_TRUE(run("mkdir " + sec_));
        setenv("SECUDIR", sec_.c_str(), 1);
    }
    void TearDown() override
    {
        QorSSLExit();
        QorSSLSetTraceFile(nullptr);
        unsetenv("SECUDIR");
    }
    void put(const char* source, const char* pse)
    {
        ASSERT_TRUE(run("cp " + dir_ + "/" + source + " " + sec_ + "/" + pse));
    }
    static int init(uint32_t creds, const void* data = nullptr, uint32_t len = 0)
    {
        SSSL_INIT_PARAMS p{};
        p.size = sizeof p;
        p.default_creds = creds;
        p.cred_data = data;
        p.cred_len = len;
        return QorSSLInit(0, &p, nullptr);
    }
    static std::string dir_;
    static bool ok_;
    static int counter_;
    std::string sec_;
};
std::string PseFiles::dir_;
bool PseFiles::ok_ = false;
int PseFiles::counter_ = 0;

TEST_F(PseFiles, DefaultCredentialsFromTheFiles)
{
    struct Case
    {
        const char* client; // file copied to QORSSLC.pse, or null
        const char* anon;   // file copied to QORSSLA.pse, or null
        const char* server; // file copied to QORSSLS.pse, or null
        uint32_t creds;
        int rc;
    } cases[] = {
        {"full.p12", nullptr, nullptr, SSSL_CRED_CLIENT, SSSLRC_OK},
        {nullptr, nullptr, nullptr, SSSL_CRED_CLIENT, SSSLERR_NO_CRED},  // no client PSE
        {"junk", nullptr, nullptr, SSSL_CRED_CLIENT, SSSLERR_NO_CRED},   // not PKCS#12
        {"ca.p12", nullptr, nullptr, SSSL_CRED_CLIENT, SSSLERR_NO_CRED}, // no key in it
        {nullptr, "ca.p12", nullptr, SSSL_CRED_ANON, SSSLRC_OK},
        {nullptr, nullptr, nullptr, SSSL_CRED_ANON, SSSLRC_OK},      // no PSE at all is allowed
        {nullptr, "junk", nullptr, SSSL_CRED_ANON, SSSLERR_NO_CRED}, // a broken one is not
        {"full.p12", "ca.p12", nullptr, SSSL_CRED_CLIENT | SSSL_CRED_ANON, SSSLRC_OK},
        {nullptr, nullptr, nullptr, SSSL_CRED_SERVER, SSSLERR_NO_CRED},
        {nullptr, nullptr, "full.p12", SSSL_CRED_SERVER, SSSLRC_OK},
        {nullptr, nullptr, nullptr, 0, SSSLRC_OK},
    };
    for (const Case& c : cases) {
        SetUp();
        if (c.client != nullptr)
            put(c.client, SSSL_CLIENT_PSE);
        if (c.anon != nullptr)
            put(c.anon, SSSL_ANON_PSE);
        if (c.server != nullptr)
            put(c.server, SSSL_SERVER_PSE);
        EXPECT_EQ(init(c.creds), c.rc)
            << (c.client ? c.client : "-") << " " << (c.anon ? c.anon : "-") << " " << c.creds;
        QorSSLExit();
    }
}

// The layer opens the very file whose existence made the client choose its
// credential: a trailing slash of SECUDIR is not doubled, and a trailing
// backslash is part of the directory's name.
TEST_F(PseFiles, SecudirNamesTheDirectoryAsTheClientReadsIt)
{
    for (const char* ending : {"/", "\\"}) {
        SetUp();
        const std::string secudir = sec_ + ending;
        setenv("SECUDIR", secudir.c_str(), 1);
        const std::string dir = ending[0] == '/' ? secudir : secudir + "/";
        ASSERT_TRUE(run("mkdir -p '" + dir + "' && cp " + dir_ + "/full.p12 '" + dir +
                        SSSL_CLIENT_PSE + "'"));
        EXPECT_EQ(init(SSSL_CRED_CLIENT), SSSLRC_OK) << secudir;
        QorSSLExit();
    }
}

TEST_F(PseFiles, InMemoryCredentialStandsInForTheAnonymousFile)
{
    const std::string der = read_file(dir_ + "/ca.p12");
    ASSERT_FALSE(der.empty());
    put("junk", SSSL_ANON_PSE); // ignored: the memory credential wins
    EXPECT_EQ(init(SSSL_CRED_ANON, der.data(), static_cast<uint32_t>(der.size())), SSSLRC_OK);
    QorSSLExit();
    const std::string junk = "not der";
    EXPECT_EQ(init(SSSL_CRED_ANON, junk.data(), static_cast<uint32_t>(junk.size())),
              SSSLERR_NO_CRED);
}

TEST_F(PseFiles, RejectsBadParameterRecords)
{
    EXPECT_EQ(QorSSLInit(0, nullptr, nullptr), SSSLERR_PARAM);
    SSSL_INIT_PARAMS p{};
    p.size = 112;
    EXPECT_EQ(QorSSLInit(0, &p, nullptr), SSSLERR_PARAM);
    p.size = sizeof p;
    p.cred_len = 10; // a length without data
    EXPECT_EQ(QorSSLInit(0, &p, nullptr), SSSLERR_PARAM);
    static const char data[] = "x";
    p.cred_len = 0;
    p.cred_data = data; // data without a length
    EXPECT_EQ(QorSSLInit(0, &p, nullptr), SSSLERR_PARAM);
    EXPECT_EQ(sizeof(SSSL_INIT_PARAMS), 120u);
}

TEST_F(PseFiles, SessionsNeedAnInitialisedLayerAndValidArguments)
{
    SSSL_HDL s = nullptr;
    EXPECT_EQ(QorSSLConnect(0, USE_CLIENT_CERT, "localhost", 100, &s), SSSLERR_PARAM)
        << "no such NI handle";
    EXPECT_EQ(QorSSLConnect(0, static_cast<SSSL_AUTH_T>(1), "localhost", 100, &s), SSSLERR_PARAM);
    EXPECT_EQ(QorSSLConnect(0, USE_CLIENT_CERT, nullptr, 100, &s), SSSLERR_PARAM);
    EXPECT_EQ(QorSSLClose(&s), SSSLERR_PARAM);
    EXPECT_EQ(QorSSLClose(nullptr), SSSLERR_PARAM);
    EXPECT_EQ(QorSSLWrite(nullptr, "x", 1, 10), SSSLERR_PARAM);
    size_t n = 5;
    char buf[4];
    EXPECT_EQ(QorSSLRead(nullptr, buf, sizeof buf, 10, &n), SSSLERR_PARAM);
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(QorSSLPending(nullptr), 0);
}

TEST_F(PseFiles, TracesEachCallOnEntryAndExit)
{
    FILE* trace = std::tmpfile();
    ASSERT_NE(trace, nullptr);
    EXPECT_EQ(QorSSLSetTraceFile(trace), QOR_O_K);
    init(SSSL_CRED_CLIENT); // fails: no client PSE
    put("full.p12", SSSL_CLIENT_PSE);
    init(SSSL_CRED_CLIENT);
    QorSSLSetTraceFile(nullptr);
    init(SSSL_CRED_CLIENT); // not traced
    std::fflush(trace);
    std::rewind(trace);
    std::string text;
    for (int c; (c = std::fgetc(trace)) != EOF;)
        text += static_cast<char>(c);
    std::fclose(trace);
    const std::string enter = "->> QorSSLInit(read_profile=0, default_creds=2, cred_len=0)\n";
    const size_t e1 = text.find(enter);
    const size_t x1 = text.find("<<- QorSSLInit()==SSSLERR_NO_CRED\n");
    const size_t e2 = text.find(enter, e1 + 1);
    const size_t x2 = text.find("<<- QorSSLInit()==SSSLRC_OK\n");
    ASSERT_NE(e1, std::string::npos) << text;
    ASSERT_NE(x1, std::string::npos) << text;
    ASSERT_NE(e2, std::string::npos) << text;
    ASSERT_NE(x2, std::string::npos) << text;
    EXPECT_LT(e1, x1);
    EXPECT_LT(x1, e2);
    EXPECT_LT(e2, x2);
    EXPECT_EQ(text.find(enter, e2 + 1), std::string::npos) << "no trace after it was switched off";
}

TEST(PseDir, FollowsSecudirThenTheHomeDirectories)
{
    struct Case
    {
        const char* secudir;
        const char* drive;
        const char* path;
        const char* home;
        const char* dir;
    } cases[] = {
        {"/etc/sec", "C:", "/users/x", "/home/x", "/etc/sec"},
        {"/etc/sec/", nullptr, nullptr, nullptr, "/etc/sec/"},
        {nullptr, "/data", "/users/x", "/home/x", "/data/users/x/sec"},
        {nullptr, "/data", "/users/x/", nullptr, "/data/users/x/sec"},
        {nullptr, "/data", "/users/x\\", nullptr,
         "/data/users/x\\/sec"},                               // a backslash is no separator
        {nullptr, "", "", "/home/x", "/sec"},                  // both set and empty
        {nullptr, "/data", nullptr, "/home/x", "/home/x/sec"}, // HOMEPATH missing
        {nullptr, nullptr, nullptr, "/home/x/", "/home/x/sec"},
        {nullptr, nullptr, nullptr, nullptr, ""},
        {"", nullptr, nullptr, "/home/y", "/home/y/sec"}, // an empty SECUDIR counts as unset
    };
    for (const Case& c : cases) {
        auto set = [](const char* name, const char* value) {
            if (value != nullptr) {
                setenv(name, value, 1);
            } else {
                unsetenv(name);
            }
        };
        set("SECUDIR", c.secudir);
        set("HOMEDRIVE", c.drive);
        set("HOMEPATH", c.path);
        set("HOME", c.home);
        EXPECT_EQ(QorSSLPseDir(), c.dir);
    }
    unsetenv("SECUDIR");
    unsetenv("HOMEDRIVE");
    unsetenv("HOMEPATH");
}

// Without SECUDIR and a home directory no PSE file is known: one that lies in
// the current directory is never read.
TEST(PseDir, WithoutADirectoryNoFileOfTheCurrentDirectoryIsRead)
{
    const char* home = std::getenv("HOME");
    const std::string saved_home = home != nullptr ? home : "";
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    char tmpl[] = "/tmp/qor_cwdpse_XXXXXX";
    const std::string dir = mkdtemp(tmpl);
    for (const char* file : {SSSL_CLIENT_PSE, SSSL_ANON_PSE})
        std::ofstream(dir + "/" + file) << "no PKCS#12";
    ASSERT_EQ(chdir(dir.c_str()), 0);
    for (const char* name : {"SECUDIR", "HOMEDRIVE", "HOMEPATH", "HOME"})
        unsetenv(name);
    struct Case
    {
        uint32_t creds;
        int rc;
    } cases[] = {
        {SSSL_CRED_ANON, SSSLRC_OK},         // no anonymous PSE: allowed
        {SSSL_CRED_CLIENT, SSSLERR_NO_CRED}, // no client PSE
    };
    for (const Case& c : cases) {
        SSSL_INIT_PARAMS p{};
        p.size = sizeof p;
        p.default_creds = c.creds;
        EXPECT_EQ(QorSSLInit(0, &p, nullptr), c.rc) << c.creds;
        QorSSLExit();
    }
    EXPECT_EQ(chdir(cwd), 0);
    if (!saved_home.empty())
        setenv("HOME", saved_home.c_str(), 1);
    for (const char* file : {SSSL_CLIENT_PSE, SSSL_ANON_PSE})
        std::remove((dir + "/" + file).c_str());
    rmdir(dir.c_str());
}

TEST(PseDir, InitialisationSetsAMissingSecudir)
{
    const char* home = std::getenv("HOME");
    const std::string saved = home != nullptr ? home : "";
    unsetenv("SECUDIR");
    setenv("HOME", "/nonexistent-home", 1);
    SSSL_INIT_PARAMS p{};
    p.size = sizeof p;
    p.default_creds = SSSL_CRED_ANON;
    EXPECT_EQ(QorSSLInit(0, &p, nullptr), SSSLRC_OK);
    ASSERT_NE(std::getenv("SECUDIR"), nullptr);
    EXPECT_STREQ(std::getenv("SECUDIR"), "/nonexistent-home/sec");
    QorSSLExit();
    unsetenv("SECUDIR");
    if (!saved.empty())
        setenv("HOME", saved.c_str(), 1);
}

TEST(SslErrors, EveryCodeHasAText)
{
    for (int rc :
         {SSSLRC_OK, SSSLERR_PARAM, SSSLERR_NOT_INIT, SSSLERR_LIB_NOT_FOUND, SSSLERR_LIB_SYMBOL,
          SSSLERR_LIB_INIT, SSSLERR_NO_MEMORY, SSSLERR_PSE_READ, SSSLERR_CONN_FAILED,
          SSSLERR_SERVER_CERT, SSSLERR_CONN_CLOSED, SSSLERR_TIMEOUT, SSSLERR_IO, SSSLERR_NO_CRED})
        EXPECT_STRNE(QorSSLErrText(rc), "unknown SSL layer error") << rc;
    EXPECT_STREQ(QorSSLErrText(-999), "unknown SSL layer error");
    EXPECT_EQ(SSSLERR_NO_CRED, -31);
}

} // namespace
