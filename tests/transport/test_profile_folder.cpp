// The built program over NI_HTTPS in a working directory that holds a
// DEFAULT.PFL under the name the default profile folder turns into there, or
// files named like the crypto library, some of them a library that marks the
// directory when loaded: the program reads no such profile and loads no such
// file, and the call goes through the system's crypto library as usual.
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

// The fake service behind a TLS front on the HTTPS port of the first
// instance number free, and a working directory of its own.
class HttpsRun
{
  public:
    HttpsRun()
    {
        fake_.set_default(qortest::Reply::ok(
            "<QORControl:GetProcessListResponse><process><item><name>disp</name>"
            "<dispstatus>QORControl-GREEN</dispstatus><pid>1</pid></item></process>"
            "</QORControl:GetProcessListResponse>"));
        const TestPki& pki = test_pki();
        for (nr_ = 1; proxy_ == nullptr && nr_ <= 98; ++nr_) {
            try {
                proxy_ = std::make_unique<TlsProxy>(pki.server_cert, pki.server_key, pki.ca_cert,
                                                    fake_.port(),
                                                    static_cast<uint16_t>(50014 + 100 * nr_));
            } catch (const std::runtime_error&) {
            }
        }
        --nr_;
        char tmpl[] = "/tmp/qor_profile_folder_XXXXXX";
        if (mkdtemp(tmpl) != nullptr)
            work_ = tmpl;
    }
    ~HttpsRun() { run_command("rm -rf '" + work_ + "'"); }

    bool ready() const { return proxy_ != nullptr && !work_.empty(); }
    const std::string& work() const { return work_; }
    std::string out() const { return read_file(work_ + "/out.txt"); }
    std::string err() const { return read_file(work_ + "/err.txt"); }
    int handshakes() const { return proxy_->handshakes_completed(); }

    // The program's exit code for GetProcessList, env_words set first.
    int call(const std::string& env_words = "") const
    {
        const std::string command =
            "cd '" + work_ + "' && env -u QORSYSTEM -u QORPARAM700 -u QORPARAMMSID " + env_words +
            " SECUDIR='" + test_pki().client_dir + "' '" + QORCONTROL_BINARY +
            "' -prot NI_HTTPS -host 127.0.0.1 -nr " + (nr_ < 10 ? "0" : "") + std::to_string(nr_) +
            " -function GetProcessList >out.txt 2>err.txt";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

  private:
    qortest::FakeService fake_;
    std::unique_ptr<TlsProxy> proxy_;
    int nr_ = 1;
    std::string work_;
};

const char kNoProfile[] = "qorparam: qorargv(argc, argv) has not been called!\n"
                          "qorparam(1c): No Profile used.\n"
                          "qorparam: QORSYSTEMNAME neither in Profile nor in Commandline\n";

TEST(ProfileFolder, AProfileInTheWorkingDirectoryIsNeverRead)
{
    const TestPki& pki = test_pki();
    ASSERT_TRUE(pki.ok) << pki.error;
    HttpsRun run;
    ASSERT_TRUE(run.ready());
    const std::string& work = run.work();
    // The default profile folder, \\<no host>\qormnt\<no system>\SYS\profile,
    // read as a name relative to the working directory.
    const std::string folder = work + "/\\\\\\qormnt\\\\SYS\\profile";
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    const std::string library = work + "/libqorplanted.so";
    ASSERT_TRUE(run_command("cp '" + std::string(QOR_TEST_MARK_LIB) + "' '" + library + "'"));
    std::ofstream(folder + "/DEFAULT.PFL") << "ssl/ssl_lib = " << library << "\n";
    const std::string mark = work + "/qor_mark_loaded";

    EXPECT_EQ(run.call(), 3) << run.out() << run.err();
    EXPECT_FALSE(exists(mark)) << "the planted library was loaded";
    EXPECT_NE(run.out().find("\nOK\n"), std::string::npos);
    EXPECT_EQ(run.err(), kNoProfile);
    EXPECT_GE(run.handshakes(), 1);

    // The library does leave its mark when something loads it.
    load_in(work, library);
    EXPECT_TRUE(exists(mark));
}

// The built-in ssl/ssl_lib names qorcrypto.dll: the system's crypto library,
// whatever files of that name the working directory holds, also when the
// library search path includes it.
TEST(ProfileFolder, TheBuiltInLibraryNameIsNeverAFileOfTheWorkingDirectory)
{
    const TestPki& pki = test_pki();
    ASSERT_TRUE(pki.ok) << pki.error;
    // The built-in value and its file name alone.
    const char* const names[] = {"\\\\\\qormnt\\\\SYS\\exe\\run\\qorcrypto.dll", "qorcrypto.dll"};
    const struct
    {
        const char* what;
        bool library; // a loadable library, else an empty file
        bool search_path;
    } cases[] = {
        {"empty files", false, false},
        {"empty files on the search path", false, true},
        {"libraries on the search path", true, true},
    };
    for (const auto& c : cases) {
        HttpsRun run;
        ASSERT_TRUE(run.ready());
        const std::string& work = run.work();
        for (const char* name : names) {
            const std::string file = work + "/" + name;
            if (c.library)
                ASSERT_TRUE(
                    run_command("cp '" + std::string(QOR_TEST_MARK_LIB) + "' '" + file + "'"));
            else
                std::ofstream{file};
            ASSERT_TRUE(exists(file));
        }
        EXPECT_EQ(run.call(c.search_path ? "LD_LIBRARY_PATH='" + work + "'" : ""), 3)
            << c.what << ": " << run.out() << run.err();
        EXPECT_FALSE(exists(work + "/qor_mark_loaded")) << c.what;
        EXPECT_NE(run.out().find("\nOK\n"), std::string::npos) << c.what << ": " << run.out();
        EXPECT_EQ(run.err(), kNoProfile) << c.what;
        EXPECT_GE(run.handshakes(), 1) << c.what;
    }
}

} // namespace
