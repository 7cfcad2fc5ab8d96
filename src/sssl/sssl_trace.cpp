#include "sssl/sssl_trace.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>

#include "sssl/sssl.h"

namespace {

std::mutex g_trace_lock;
FILE* g_trace = nullptr;

struct RcEntry
{
    int rc;
    const char* name;
    const char* text;
};

constexpr RcEntry kCodes[] = {
    {SSSLRC_OK, "SSSLRC_OK", "ok"},
    {SSSLERR_PARAM, "SSSLERR_PARAM", "invalid argument"},
    {SSSLERR_NOT_INIT, "SSSLERR_NOT_INIT", "SSL layer not initialised"},
    {SSSLERR_LIB_NOT_FOUND, "SSSLERR_LIB_NOT_FOUND", "crypto library not found"},
    {SSSLERR_LIB_SYMBOL, "SSSLERR_LIB_SYMBOL", "crypto library lacks a function"},
    {SSSLERR_LIB_INIT, "SSSLERR_LIB_INIT", "crypto library initialisation failed"},
    {SSSLERR_NO_MEMORY, "SSSLERR_NO_MEMORY", "out of memory"},
    {SSSLERR_PSE_READ, "SSSLERR_PSE_READ", "PSE unreadable"},
    {SSSLERR_CONN_FAILED, "SSSLERR_CONN_FAILED", "SSL handshake failed"},
    {SSSLERR_SERVER_CERT, "SSSLERR_SERVER_CERT", "server certificate not accepted"},
    {SSSLERR_CONN_CLOSED, "SSSLERR_CONN_CLOSED", "connection closed by peer"},
    {SSSLERR_TIMEOUT, "SSSLERR_TIMEOUT", "time-out"},
    {SSSLERR_IO, "SSSLERR_IO", "SSL read or write failed"},
    {SSSLERR_NO_CRED, "SSSLERR_NO_CRED", "no credential could be set up"},
};

const RcEntry* find(int rc)
{
    for (const auto& e : kCodes)
        if (e.rc == rc)
            return &e;
    return nullptr;
}

} // namespace

int QorSSLSetTraceFile(FILE* trace)
{
    std::lock_guard<std::mutex> guard(g_trace_lock);
    g_trace = trace;
    return QOR_O_K;
}

const char* QorSSLErrText(int rc)
{
    const RcEntry* e = find(rc);
    return e != nullptr ? e->text : "unknown SSL layer error";
}

namespace sssl {

const char* rc_name(int rc)
{
    const RcEntry* e = find(rc);
    return e != nullptr ? e->name : "SSSLERR_?";
}

void trace_enter(const char* function, const char* args_fmt, ...)
{
    std::lock_guard<std::mutex> guard(g_trace_lock);
    if (g_trace == nullptr)
        return;
    std::fprintf(g_trace, "->> %.64s(", function);
    va_list ap;
    va_start(ap, args_fmt);
    std::vfprintf(g_trace, args_fmt, ap);
    va_end(ap);
    std::fputs(")\n", g_trace);
    std::fflush(g_trace);
}

void trace_exit(const char* function, int rc)
{
    std::lock_guard<std::mutex> guard(g_trace_lock);
    if (g_trace == nullptr)
        return;
    std::fprintf(g_trace, "<<- %.64s()==%.128s\n", function, rc_name(rc));
    std::fflush(g_trace);
}

void trace_line(const char* fmt, ...)
{
    std::lock_guard<std::mutex> guard(g_trace_lock);
    if (g_trace == nullptr)
        return;
    std::fputs("    ", g_trace);
    va_list ap;
    va_start(ap, fmt);
    std::vfprintf(g_trace, fmt, ap);
    va_end(ap);
    std::fputc('\n', g_trace);
    std::fflush(g_trace);
}

} // namespace sssl
