#ifndef QOR_U16_U16_APIBIND_TABLE_H
#define QOR_U16_U16_APIBIND_TABLE_H

/* The system functions that are bound by name, one slot each in namespace
 * qorapi, called like the function: qorapi::NetShareGetInfo(...). None of
 * their libraries exists on Linux, so every slot gives the absent behaviour
 * of its row. */

#include <netdb.h>
#include <sys/socket.h>

#include <cstddef>
#include <cstdint>

#include "platform/u16_sysinfo.h"
#include "u16/u16_apibind.h"
#include "u16/u16_nsfallback.h"

namespace qorapi {

typedef int32_t Bool;
typedef uint32_t Dword;
typedef void* Handle;

/* Absent results that name a reason. */
constexpr long kNotSupported = 50;      // the request is not supported
constexpr long kNetNameNotFound = 2310; // the share does not exist

/* GetProcessHandleCount without its library: a count of 0, result 0. */
Bool no_handle_count(Handle process, Dword* count);

/* X(library, function, result type, parameter types, absent behaviour) */
#define QOR_API_BOUND_FUNCTIONS(X)                                                                 \
    X(u"advapi32.dll", EqualSid, Bool, (void*, void*), ApiReturns<0>)                              \
    X(u"advapi32.dll", AddAce, Bool, (void*, Dword, Dword, void*, Dword), ApiReturns<0>)           \
    X(u"advapi32.dll", GetAce, Bool, (void*, Dword, void**), ApiReturns<0>)                        \
    X(u"advapi32.dll", GetAclInformation, Bool, (void*, void*, Dword, int32_t), ApiReturns<0>)     \
    X(u"advapi32.dll", InitializeAcl, Bool, (void*, Dword, Dword), ApiReturns<0>)                  \
    X(u"advapi32.dll", AddAccessAllowedAce, Bool, (void*, Dword, Dword, void*), ApiReturns<0>)     \
    X(u"advapi32.dll", InitializeSecurityDescriptor, Bool, (void*, Dword), ApiReturns<0>)          \
    X(u"advapi32.dll", SetSecurityDescriptorDacl, Bool, (void*, Bool, void*, Bool), ApiReturns<0>) \
    X(u"advapi32.dll", AllocateAndInitializeSid, Bool,                                             \
      (void*, uint8_t, Dword, Dword, Dword, Dword, Dword, Dword, Dword, Dword, void**),            \
      ApiReturns<0>)                                                                               \
    X(u"advapi32.dll", GetLengthSid, Dword, (void*), ApiReturns<0>)                                \
    X(u"advapi32.dll", CopySid, Bool, (Dword, void*, void*), ApiReturns<0>)                        \
    X(u"advapi32.dll", FreeSid, void*, (void*), ApiReturns<0>)                                     \
    X(u"advapi32.dll", SetSecurityInfo, Dword,                                                     \
      (Handle, int32_t, Dword, void*, void*, void*, void*), ApiReturns<kNotSupported>)             \
    X(u"advapi32.dll", GetSecurityInfo, Dword,                                                     \
      (Handle, int32_t, Dword, void**, void**, void**, void**, void**), ApiReturns<kNotSupported>) \
    X(u"advapi32.dll", SetEntriesInAclW, Dword, (uint32_t, void*, void*, void**),                  \
      ApiReturns<kNotSupported>)                                                                   \
    X(u"advapi32.dll", SetEntriesInAclA, Dword, (uint32_t, void*, void*, void**),                  \
      ApiReturns<kNotSupported>)                                                                   \
    X(u"advapi32.dll", BuildExplicitAccessWithNameA, void, (void*, char*, Dword, int32_t, Dword),  \
      ApiDoesNothing)                                                                              \
    X(u"advapi32.dll", BuildExplicitAccessWithNameW, void,                                         \
      (void*, QOR_UC*, Dword, int32_t, Dword), ApiDoesNothing)                                     \
    X(u"netapi32.dll", NetShareGetInfo, Dword, (QOR_UC*, QOR_UC*, Dword, uint8_t**),               \
      ApiReturns<kNetNameNotFound>)                                                                \
    X(u"psapi.dll", EnumProcesses, Bool, (Dword*, Dword, Dword*), ApiReturns<0>)                   \
    X(u"psapi.dll", EnumProcessModules, Bool, (Handle, Handle*, Dword, Dword*), ApiReturns<0>)     \
    X(u"psapi.dll", GetModuleBaseNameA, Dword, (Handle, Handle, char*, Dword), ApiReturns<0>)      \
    X(u"psapi.dll", GetModuleBaseNameW, Dword, (Handle, Handle, QOR_UC*, Dword), ApiReturns<0>)    \
    X(u"psapi.dll", GetModuleFileNameExA, Dword, (Handle, Handle, char*, Dword), ApiReturns<0>)    \
    X(u"psapi.dll", GetModuleFileNameExW, Dword, (Handle, Handle, QOR_UC*, Dword), ApiReturns<0>)  \
    X(u"psapi.dll", GetProcessMemoryInfo, Bool, (Handle, void*, Dword), ApiReturns<0>)             \
    X(u"psapi.dll", GetModuleInformation, Bool, (Handle, Handle, void*, Dword), ApiReturns<0>)     \
    X(u"pdh.dll", PdhOpenQuery, Dword, (const QOR_UC*, uintptr_t, Handle*),                        \
      ApiReturns<kNotSupported>)                                                                   \
    X(u"pdh.dll", PdhCloseQuery, Dword, (Handle), ApiReturns<kNotSupported>)                       \
    X(u"pdh.dll", PdhCollectQueryData, Dword, (Handle), ApiReturns<kNotSupported>)                 \
    X(u"pdh.dll", PdhAddCounterA, Dword, (Handle, const char*, uintptr_t, Handle*),                \
      ApiReturns<kNotSupported>)                                                                   \
    X(u"pdh.dll", PdhAddCounterW, Dword, (Handle, const QOR_UC*, uintptr_t, Handle*),              \
      ApiReturns<kNotSupported>)                                                                   \
    X(u"pdh.dll", PdhRemoveCounter, Dword, (Handle), ApiReturns<kNotSupported>)                    \
    X(u"pdh.dll", PdhGetRawCounterValue, Dword, (Handle, Dword*, void*),                           \
      ApiReturns<kNotSupported>)                                                                   \
    X(u"pdh.dll", PdhGetFormattedCounterValue, Dword, (Handle, Dword, Dword*, void*),              \
      ApiReturns<kNotSupported>)                                                                   \
    X(u"pdh.dll", PdhEnumObjectItemsW, Dword,                                                      \
      (const QOR_UC*, const QOR_UC*, const QOR_UC*, QOR_UC*, Dword*, QOR_UC*, Dword*, Dword,       \
       Dword),                                                                                     \
      ApiReturns<kNotSupported>)                                                                   \
    X(u"pdh.dll", PdhEnumObjectItemsA, Dword,                                                      \
      (const char*, const char*, const char*, char*, Dword*, char*, Dword*, Dword, Dword),         \
      ApiReturns<kNotSupported>)                                                                   \
    X(u"pdh.dll", PdhMakeCounterPathW, Dword, (void*, QOR_UC*, Dword*, Dword),                     \
      ApiReturns<kNotSupported>)                                                                   \
    X(u"pdh.dll", PdhMakeCounterPathA, Dword, (void*, char*, Dword*, Dword),                       \
      ApiReturns<kNotSupported>)                                                                   \
    X(u"pdh.dll", PdhGetCounterTimeBase, Dword, (Handle, int64_t*), ApiReturns<kNotSupported>)     \
    X(u"pdh.dll", PdhLookupPerfNameByIndexW, Dword, (const QOR_UC*, Dword, QOR_UC*, Dword*),       \
      ApiReturns<kNotSupported>)                                                                   \
    X(u"pdh.dll", PdhLookupPerfNameByIndexA, Dword, (const char*, Dword, char*, Dword*),           \
      ApiReturns<kNotSupported>)                                                                   \
    X(u"kernel32.dll", GlobalMemoryStatusEx, Bool, (void*), ApiReturns<kNotSupported>)             \
    X(u"kernel32.dll", CreateJobObjectA, Handle, (void*, const char*), ApiReturns<0>)              \
    X(u"kernel32.dll", CreateJobObjectW, Handle, (void*, const QOR_UC*), ApiReturns<0>)            \
    X(u"kernel32.dll", AssignProcessToJobObject, Bool, (Handle, Handle), ApiReturns<0>)            \
    X(u"kernel32.dll", GetProcessAffinityMask, Bool, (Handle, uintptr_t*, uintptr_t*),             \
      ApiReturns<0>)                                                                               \
    X(u"kernel32.dll", SetProcessAffinityMask, Bool, (Handle, uintptr_t), ApiReturns<0>)           \
    X(u"kernel32.dll", GetLogicalProcessorInformation, Bool, (void*, Dword*), ApiReturns<0>)       \
    X(u"kernel32.dll", GetNumaNodeProcessorMask, Bool, (uint8_t, uint64_t*), ApiReturns<0>)        \
    X(u"kernel32.dll", GetNativeSystemInfo, void, (U16SystemInfo*),                                \
      ApiCalls<&u16_get_system_info>)                                                              \
    X(u"kernel32.dll", GetProcessHandleCount, Bool, (Handle, Dword*), ApiCalls<&no_handle_count>)  \
    X(u"kernel32.dll", GetNumaHighestNodeNumber, Bool, (uint32_t*), ApiInvalidFunction)            \
    X(u"kernel32.dll", InitializeProcThreadAttributeList, Bool, (void*, Dword, Dword, size_t*),    \
      ApiInvalidFunction)                                                                          \
    X(u"kernel32.dll", UpdateProcThreadAttribute, Bool,                                            \
      (void*, Dword, uintptr_t, void*, size_t, void*, size_t*), ApiInvalidFunction)                \
    X(u"kernel32.dll", GetNumaNodeProcessorMaskEx, Bool, (uint16_t, void*), ApiInvalidFunction)    \
    X(u"kernel32.dll", GetLogicalProcessorInformationEx, Bool, (int32_t, void*, Dword*),           \
      ApiInvalidFunction)                                                                          \
    X(u"kernel32.dll", GetProcessGroupAffinity, Bool, (Handle, uint16_t*, uint16_t*),              \
      ApiInvalidFunction)                                                                          \
    X(u"kernel32.dll", GetMaximumProcessorCount, Dword, (uint16_t), ApiInvalidFunction)            \
    X(u"kernel32.dll", DeleteProcThreadAttributeList, void, (void*), ApiDoesNothing)               \
    X(u"QorAdrReb.dll", NT_CleanAddressSpace, Dword, (), ApiReturns<kNotSupported>)                \
    X(u"sfc.dll", SfcIsFileProtected, Bool, (Handle, const QOR_UC*), ApiReturns<0>)                \
    X(u"iphlpapi.dll", GetNetworkParams, Dword, (void*, uint32_t*), ApiReturns<0>)                 \
    X(u"iphlpapi.dll", GetAdaptersInfo, Dword, (void*, uint32_t*), ApiReturns<0>)                  \
    X(u"wship6.dll", getaddrinfo, int, (const char*, const char*, const addrinfo*, addrinfo**),    \
      ApiCalls<&nlsui_fallback_getaddrinfo>)                                                       \
    X(u"wship6.dll", freeaddrinfo, void, (addrinfo*), ApiCalls<&nlsui_fallback_freeaddrinfo>)      \
    X(u"wship6.dll", getnameinfo, int,                                                             \
      (const sockaddr*, socklen_t, char*, socklen_t, char*, socklen_t, int),                       \
      ApiCalls<&nlsui_fallback_getnameinfo>)                                                       \
    X(u"wship6.dll", gai_strerror, const char*, (int), ApiCalls<&nlsui_fallback_gai_strerror>)

#define QOR_API_DECLARE_SLOT(library, function, result, parameters, absent)                        \
    extern ApiSlot<result parameters> function;
QOR_API_BOUND_FUNCTIONS(QOR_API_DECLARE_SLOT)
#undef QOR_API_DECLARE_SLOT

} // namespace qorapi

#endif
