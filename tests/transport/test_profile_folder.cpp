// The built program over NI_HTTPS in a working directory that holds a
// DEFAULT.PFL under the name the default profile folder turns into there,
// naming a library that marks the directory when loaded: the program never
// reads that profile, so the library is never loaded and the call goes
// through the system's crypto library as usual.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>

#include "support/fake_service.h"
#include "test_pki.h"
#include "tls_proxy.h"

namespace {

std::string read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool exists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

// Loads the library in a child process working in dir.
void load_in(const std::string& dir, const std::string& library)
{
    const pid_t child = fork();
    if (child == 0) {
        const bool loaded = chdir(dir.c_str()) == 0 && dlopen(library.c_str(), RTLD_NOW) != nullptr;
        _exit(loaded ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
}

TEST(ProfileFolder, AProfileInTheWorkingDirectoryIsNeverRead)
{
    const TestPki& pki = test_pki();
    ASSERT_TRUE(pki.ok) << pki.error;
    qortest::FakeService fake;
    fake.set_default(
        qortest::Reply::ok("<QORControl:GetProcessListResponse><process><item><name>disp</name>"
                           "<dispstatus>QORControl-GREEN</dispstatus><pid>1</pid></item></process>"
                           "</QORControl:GetProcessListResponse>"));
    // The TLS front on the HTTPS port of the first instance number free.
    std::unique_ptr<TlsProxy> proxy;
    int nr = 1;
    for (; proxy == nullptr && nr <= 98; ++nr) {
        try {
            proxy =
                std::make_unique<TlsProxy>(pki.server_cert, pki.server_key, pki.ca_cert,
                                           fake.port(), static_cast<uint16_t>(50014 + 100 * nr));
        } catch (const std::runtime_error&) {
        }
    }
    ASSERT_NE(proxy, nullptr);
    --nr;

    char tmpl[] = "/tmp/qor_profile_folder_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    const std::string work = tmpl;
    // The default profile folder, \\<no host>\qormnt\<no system>\SYS\profile,
    // read as a name relative to the working directory.
    const std::string folder = work + "/\\\\\\qormnt\\\\SYS\\profile";
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    const std::string library = work + "/libqorplanted.so";
    ASSERT_TRUE(run_command("cp '" + std::string(QOR_TEST_MARK_LIB) + "' '" + library + "'"));
    std::ofstream(folder + "/DEFAULT.PFL") << "ssl/ssl_lib = " << library << "\n";
    const std::string mark = work + "/qor_mark_loaded";

    const std::string command =
        "cd '" + work + "' && env -u QORSYSTEM -u QORPARAM700 -u QORPARAMMSID SECUDIR='" +
        pki.client_dir + "' '" + QORCONTROL_BINARY + "' -prot NI_HTTPS -host 127.0.0.1 -nr " +
        (nr < 10 ? "0" : "") + std::to_string(nr) + " -function GetProcessList >out.txt 2>err.txt";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3)
        << read_file(work + "/out.txt") << read_file(work + "/err.txt");
    EXPECT_FALSE(exists(mark)) << "the planted library was loaded";
    EXPECT_NE(read_file(work + "/out.txt").find("\nOK\n"), std::string::npos);
    EXPECT_EQ(read_file(work + "/err.txt"),
              "qorparam: qorargv(argc, argv) has not been called!\n"
              "qorparam(1c): No Profile used.\n"
              "qorparam: QORSYSTEMNAME neither in Profile nor in Commandline\n");
    EXPECT_GE(proxy->handshakes_completed(), 1);

    // The library does leave its mark when something loads it.
    load_in(work, library);
    EXPECT_TRUE(exists(mark));
    run_command("rm -rf '" + work + "'");
}

} // namespace
