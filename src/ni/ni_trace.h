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

#include <string>

#include "base/err.h"
#include "ni/ni.h"

// Records a failure of NI in the thread's error information: the code's
// name as the error, the given 8-bit text as the detail.
inline void ni_set_error(int rc, const std::string& detail, int line)
{
    const std::string name = NiErrName(rc);
    const std::u16string error(name.begin(), name.end());
    const std::u16string text(detail.begin(), detail.end());
    ErrSet(u"NI (network interface)", 0, DPTRC_FILE, line, error.c_str(), rc, u"%s", text.c_str());
}

#endif
