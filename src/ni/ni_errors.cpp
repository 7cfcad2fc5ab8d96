#include "ni/ni.h"

namespace {

struct NiErrEntry
{
    int rc;
    const char* name;
    const char* text;
};

constexpr NiErrEntry kNiErrors[] = {
    {QOR_O_K, "NI_OK", "ok"},
    {NIEINTERN, "NIEINTERN", "internal error"},
    {NIEHOST_UNKNOWN, "NIEHOST_UNKNOWN", "host unknown"},
    {NIESERV_UNKNOWN, "NIESERV_UNKNOWN", "service unknown"},
    {NIESERV_USED, "NIESERV_USED", "service already used"},
    {NIETIMEOUT, "NIETIMEOUT", "timeout"},
    {NIECONN_BROKEN, "NIECONN_BROKEN", "connection to partner broken"},
    {NIETOO_SMALL, "NIETOO_SMALL", "data area too small"},
    {NIEINVAL, "NIEINVAL", "invalid parameters"},
    {NIEHANDLES, "NIEHANDLES", "no free handle"},
    {NIECONN_REFUSED, "NIECONN_REFUSED", "connection refused"},
    {NIENOT_INIT, "NIENOT_INIT", "NI not initialised"},
    {NIEINVHDL, "NIEINVHDL", "invalid handle"},
    {NIESYSTEM, "NIESYSTEM", "operating system call failed"},
};

const NiErrEntry* find(int rc)
{
    for (const auto& e : kNiErrors)
        if (e.rc == rc)
            return &e;
    return nullptr;
}

} // namespace

const char* NiErrName(int rc)
{
    const NiErrEntry* e = find(rc);
    return e != nullptr ? e->name : "NIE?";
}

const char* NiErrText(int rc)
{
    const NiErrEntry* e = find(rc);
    return e != nullptr ? e->text : "unknown error";
}
