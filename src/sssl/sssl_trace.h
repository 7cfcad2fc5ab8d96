#ifndef QOR_SSSL_SSSL_TRACE_H
#define QOR_SSSL_SSSL_TRACE_H

// The SSL layer's trace: every public call on entry ("->> name(args)") and
// on exit ("<<- name()==result") to the file set with QorSSLSetTraceFile.

namespace sssl {

void trace_enter(const char* function, const char* args_fmt, ...)
    __attribute__((format(printf, 2, 3)));
void trace_exit(const char* function, int rc);
void trace_line(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
// Symbolic name of an SSL layer code ("SSSLRC_OK", "SSSLERR_NO_CRED", ...).
const char* rc_name(int rc);

} // namespace sssl

#endif
