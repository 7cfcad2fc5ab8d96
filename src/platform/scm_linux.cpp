// Linux has no Service Control Manager: every call fails with
// ERROR_CALL_NOT_IMPLEMENTED, so StartService reports that it is not
// available on this platform.

#include "platform/scm_api.h"

namespace {

class UnavailableScm : public ScmApi
{
  public:
    SC_HANDLE OpenSCManagerW(const char16_t*, const char16_t*, uint32_t) override
    {
        return nullptr;
    }
    SC_HANDLE OpenServiceW(SC_HANDLE, const char16_t*, uint32_t) override { return nullptr; }
    bool StartServiceW(SC_HANDLE, uint32_t, const char16_t**) override { return false; }
    bool CloseServiceHandle(SC_HANDLE) override { return false; }
    uint32_t GetLastError() override { return SCM_ERROR_CALL_NOT_IMPLEMENTED; }
};

} // namespace

ScmApi& system_scm()
{
    static UnavailableScm scm;
    return scm;
}
