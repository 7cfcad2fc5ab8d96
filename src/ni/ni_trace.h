#ifndef QOR_NI_NI_TRACE_H
#define QOR_NI_NI_TRACE_H

// NI's developer-trace lines: each names its function first ("%s: ...").

#include "base/dptrc.h"

#define NI_TRC_ERR(...)                     \
  do {                                      \
    if (DpTrcLevel >= 1) {                  \
      DpTrcLock();                          \
      DpTrcSetLoc(DPTRC_FILE, __LINE__);    \
      DpTrcEntryLevel = 1;                  \
      DpTrcErrA(DpTrcHdl, __VA_ARGS__);     \
      DpTrcEntryLevel = 2;                  \
      DpTrcUnlock();                        \
    }                                       \
  } while (0)

#define NI_TRC(level, ...)                  \
  do {                                      \
    if (DpTrcLevel >= (level)) {            \
      DpTrcLock();                          \
      DpTrcEntryLevel = (level);            \
      DpTrcA(DpTrcHdl, __VA_ARGS__);        \
      DpTrcEntryLevel = 2;                  \
      DpTrcUnlock();                        \
    }                                       \
  } while (0)

#endif
