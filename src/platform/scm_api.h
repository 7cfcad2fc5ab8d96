#ifndef QOR_PLATFORM_SCM_API_H
#define QOR_PLATFORM_SCM_API_H

// The Service Control Manager interface the client needs to start a
// service. Linux has no such manager: system_scm() gives a stand-in whose
// every call fails with ERROR_CALL_NOT_IMPLEMENTED. Names are UTF-16 text
// as char16_t, the type u16 calls QOR_UC: platform sits below u16.

#include <cstdint>

typedef void* SC_HANDLE;

#define SC_MANAGER_CONNECT 0x0001u
#define SERVICE_START 0x0010u
#define SCM_ERROR_CALL_NOT_IMPLEMENTED 120u
#define SCM_ERROR_SERVICE_ALREADY_RUNNING 1056u

class ScmApi
{
  public:
    virtual ~ScmApi() = default;
    // machine: none for this machine; database: none for the default one.
    virtual SC_HANDLE OpenSCManagerW(const char16_t* machine, const char16_t* database,
                                     uint32_t access) = 0;
    virtual SC_HANDLE OpenServiceW(SC_HANDLE manager, const char16_t* service, uint32_t access) = 0;
    virtual bool StartServiceW(SC_HANDLE service, uint32_t argc, const char16_t** argv) = 0;
    virtual bool CloseServiceHandle(SC_HANDLE handle) = 0;
    // The error of the last failed call.
    virtual uint32_t GetLastError() = 0;
};

ScmApi& system_scm();

#endif
