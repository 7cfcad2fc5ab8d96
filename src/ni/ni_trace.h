#ifndef QOR_NI_NI_TRACE_H
#define QOR_NI_NI_TRACE_H

// NI's developer-trace lines: each names its function first ("%s: ...").

#include "base/dptrc.h"

#define NI_TRC_ERR(...)                                                                            \
    do {                                                                                           \
        if (DpTrcLevel >= 1) {                                                                     \
            DpTrcLock();                                                                           \
            DpTrcSetLoc(DPTRC_FILE, __LINE__);                                                     \
            DpTrcEntryLevel = 1;                                                                   \
            DpTrcErrA(DpTrcHdl, __VA_ARGS__);                                                      \
            DpTrcEntryLevel = 2;                                                                   \
            DpTrcUnlock();                                                                         \
        }                                                                                          \
    } while (0)

#define NI_TRC(level, ...)                                                                         \
    do {                                                                                           \
        if (DpTrcLevel >= (level)) {                                                               \
            DpTrcLock();                                                                           \
            DpTrcEntryLevel = (level);                                                             \
            DpTrcA(DpTrcHdl, __VA_ARGS__);                                                         \
            DpTrcEntryLevel = 2;                                                                   \
            DpTrcUnlock();                                                                         \
        }                                                                                          \
    } while (0)

#include <cstdint>
#include <string>

#include "base/err.h"
#include "ni/ni.h"
#include "rscp/rscp_utf.h"

// NI's component text and version in the error information.
#define NI_COMPONENT u"NI (network interface)"
#define NI_COMPONENT_VERSION 40u

// Records a failure of NI in the thread's error information: the code's
// name as the error, the given UTF-8 text as the detail, and the failed
// system call with its errno when there is one.
inline void ni_set_error(int rc, const std::string& detail, int line,
                         const char16_t* system_call = nullptr, int sys_errno = 0)
{
    const std::string name = NiErrName(rc);
    const std::u16string error(name.begin(), name.end());
    // Decoded, not widened byte by byte: a host name may hold any character.
    std::u16string text(detail.size() + 1, u'\0');
    int32_t length = 0;
    rscpUtf8zToU16(text.data(), static_cast<int32_t>(text.size()), &length, detail.c_str());
    text.resize(static_cast<std::size_t>(length));
    ErrSetSys(NI_COMPONENT, NI_COMPONENT_VERSION, DPTRC_FILE, line, 0, error.c_str(), rc, u"%s",
              system_call, sys_errno, text.c_str());
}

#endif
