// StartService through a Service Control Manager test double, and the
// host-agent check on a scratch program folder.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "client/host_agent.h"
#include "client/options.h"
#include "client/service_start.h"

namespace {

// Records every call; each step fails with the configured error (0: succeeds).
class FakeScm : public ScmApi
{
  public:
    uint32_t manager_error = 0, service_error = 0, start_error = 0;
    std::vector<std::string> calls;
    std::u16string machine_seen, service_seen;
    bool machine_was_null = false;
    uint32_t manager_access = 0, service_access = 0;

    SC_HANDLE OpenSCManagerW(const QOR_UC* machine, const QOR_UC* database,
                             uint32_t access) override
    {
        calls.push_back("OpenSCManager");
        machine_was_null = machine == nullptr;
        machine_seen = machine != nullptr ? machine : u"";
        EXPECT_EQ(database, nullptr);
        manager_access = access;
        return fail_with(manager_error) ? nullptr : &manager_;
    }
    SC_HANDLE OpenServiceW(SC_HANDLE manager, const QOR_UC* service, uint32_t access) override
    {
        calls.push_back("OpenService");
        EXPECT_EQ(manager, &manager_);
        service_seen = service;
        service_access = access;
        return fail_with(service_error) ? nullptr : &service_;
    }
    bool StartServiceW(SC_HANDLE service, uint32_t argc, const QOR_UC** argv) override
    {
        calls.push_back("StartService");
        EXPECT_EQ(service, &service_);
        EXPECT_EQ(argc, 0u);
        EXPECT_EQ(argv, nullptr);
        return !fail_with(start_error);
    }
    bool CloseServiceHandle(SC_HANDLE handle) override
    {
        calls.push_back(handle == &manager_   ? "Close(manager)"
                        : handle == &service_ ? "Close(service)"
                                              : "Close(?)");
        return true;
    }
    uint32_t GetLastError() override { return last_; }

  private:
    bool fail_with(uint32_t error)
    {
        last_ = error;
        return error != 0;
    }
    int manager_ = 0, service_ = 0;
    uint32_t last_ = 0;
};

struct StartRun
{
    int result;
    std::string out;
};

StartRun start(const QOR_UC* sid, int nr, const QOR_UC* machine, FakeScm& scm)
{
    ::testing::internal::CaptureStdout();
    int result = start_instance_service(sid, nr, machine, scm);
    std::fflush(stdout);
    return StartRun{result, ::testing::internal::GetCapturedStdout()};
}

TEST(ServiceName, FollowsTheInstanceRule)
{
    struct Case
    {
        const char16_t* sid;
        int nr;
        const char16_t* name;
    } cases[] = {
        {u"ABC", 0, u"QORABC_00"},    {u"ABCDEF", 7, u"QORABC_07"}, {u"AB", 42, u"QORAB_42"},
        {u"ABC", 99, u"QorHostExec"}, {u"", 5, u"QOR_05"},          {nullptr, 12, u"QOR_12"},
    };
    for (const Case& c : cases) {
        QOR_UC buf[64];
        instance_service_name(c.sid, c.nr, buf, 64);
        EXPECT_EQ(std::u16string(buf), c.name);
    }
    QOR_UC small[5];
    instance_service_name(u"ABC", 1, small, 5);
    EXPECT_EQ(std::u16string(small), u"QORA") << "cut to the buffer";
}

TEST(StartInstanceService, StartsTheServiceAndClosesBothHandles)
{
    struct Case
    {
        uint32_t start_error;
        int result;
        const char* out;
    } cases[] = {
        {0, 0, "OK\n"},
        {SCM_ERROR_SERVICE_ALREADY_RUNNING, 0, "OK\n"},
    };
    for (const Case& c : cases) {
        FakeScm scm;
        scm.start_error = c.start_error;
        StartRun r = start(u"ABCD", 3, nullptr, scm);
        EXPECT_EQ(r.result, c.result);
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(scm.service_seen, u"QORABC_03");
        EXPECT_TRUE(scm.machine_was_null);
        EXPECT_EQ(scm.manager_access, SC_MANAGER_CONNECT);
        EXPECT_EQ(scm.service_access, SERVICE_START);
        EXPECT_EQ(scm.calls,
                  (std::vector<std::string>{"OpenSCManager", "OpenService", "StartService",
                                            "Close(service)", "Close(manager)"}));
    }
}

TEST(StartInstanceService, ReportsEachFailingStep)
{
    struct Case
    {
        uint32_t manager_error, service_error, start_error;
        const char* step;
        std::vector<std::string> calls;
    } cases[] = {
        {5, 0, 0, "OpenSCManager", {"OpenSCManager"}},
        {0, 1060, 0, "OpenService", {"OpenSCManager", "OpenService", "Close(manager)"}},
        {0,
         0,
         1058,
         "StartService",
         {"OpenSCManager", "OpenService", "StartService", "Close(service)", "Close(manager)"}},
    };
    for (const Case& c : cases) {
        FakeScm scm;
        scm.manager_error = c.manager_error;
        scm.service_error = c.service_error;
        scm.start_error = c.start_error;
        StartRun r = start(u"QOR", 1, u"remotehost", scm);
        EXPECT_EQ(r.result, 1) << c.step;
        const std::string prefix = std::string("FAIL: ") + c.step + " failed [";
        EXPECT_EQ(r.out.rfind(prefix, 0), 0u) << r.out;
        EXPECT_EQ(r.out.substr(r.out.size() - 2), "]\n") << r.out;
        EXPECT_GT(r.out.size(), prefix.size() + 2) << "the error has a text: " << r.out;
        EXPECT_EQ(scm.calls, c.calls) << c.step;
        EXPECT_EQ(scm.machine_seen, u"remotehost") << "the machine named by -host is asked";
    }
}

TEST(StartInstanceService, TheHostAgentServiceIgnoresTheSystemId)
{
    FakeScm scm;
    StartRun r = start(u"XYZ", 99, nullptr, scm);
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(scm.service_seen, u"QorHostExec");
}

TEST(StartInstanceService, LinuxHasNoServiceControlManager)
{
    ::testing::internal::CaptureStdout();
    int result = start_instance_service(u"ABC", 0, nullptr);
    std::fflush(stdout);
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(result, 1);
    EXPECT_EQ(out.rfind("FAIL: OpenSCManager failed [ERROR_CALL_NOT_IMPLEMENTED", 0), 0u) << out;
    EXPECT_EQ(system_scm().GetLastError(), SCM_ERROR_CALL_NOT_IMPLEMENTED);
}

class HostAgent : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/qor_progs_XXXXXX";
        root_ = mkdtemp(tmpl);
        exe_ = root_ + "/" + QOR_HOST_AGENT_SUBDIR;
        ASSERT_EQ(std::system(("mkdir -p " + exe_).c_str()), 0);
    }
    void TearDown() override { std::system(("rm -rf " + root_).c_str()); }
    void touch(const char* name) { std::fclose(std::fopen((exe_ + "/" + name).c_str(), "w")); }
    std::string root_, exe_;
};

TEST_F(HostAgent, NeedsBothPrograms)
{
    EXPECT_EQ(check_host_agent_installed_in(root_.c_str()), 1);
    touch("qorstartsrv");
    EXPECT_EQ(check_host_agent_installed_in(root_.c_str()), 1) << "only one program";
    touch("qorhostexec");
    EXPECT_EQ(check_host_agent_installed_in(root_.c_str()), 0);
    EXPECT_EQ(check_host_agent_installed_in((root_ + "/").c_str()), 0) << "a trailing separator";
    std::remove((exe_ + "/qorstartsrv").c_str());
    EXPECT_EQ(check_host_agent_installed_in(root_.c_str()), 1) << "only the other program";
}

TEST(HostAgentPaths, ThoseThatDoNotFitEndTheRun)
{
    const std::string long_root = "/" + std::string(250, 'p');
    std::string long_utf8_root = "/";
    for (int i = 0; i < 125; ++i)
        long_utf8_root += "\xc3\xb6";
    const std::string too_long = "/" + std::string(300, 'p');
    struct Case
    {
        const char* root;
        std::string out;
    } cases[] = {
        {long_root.c_str(),
         "Unable to appent the path " + long_root + " to " + QOR_HOST_AGENT_SUBDIR + "\n"},
        {long_utf8_root.c_str(),
         "Unable to appent the path " + long_utf8_root + " to " + QOR_HOST_AGENT_SUBDIR + "\n"},
        {too_long.c_str(), "Unable to get the default \"Program Folder\" path.\n"},
        {nullptr, "Unable to get the default \"Program Folder\" path.\n"},
    };
    for (const Case& c : cases) {
        ::testing::internal::CaptureStdout();
        int code = -1;
        try {
            check_host_agent_installed_in(c.root);
        } catch (const ClientExit& exit) {
            code = exit.code;
        }
        std::fflush(stdout);
        EXPECT_EQ(code, 1);
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), c.out);
    }
}

} // namespace
