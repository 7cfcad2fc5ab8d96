// The handle table and the raw-mode operations on its handles.

#include <cstring>
#include <mutex>
#include <vector>

#include "ni/ni.h"
#include "ni/ni_trace.h"
#include "platform/ni_si.h"

namespace {

struct Slot
{
    bool used = false;
    int fd = -1;
};

struct HandleTable
{
    std::recursive_mutex lock;
    std::vector<Slot> slots; // empty until NiInit
    size_t next = 0;         // where the search for a free slot starts
    int open = 0;
};

HandleTable& table()
{
    static HandleTable t;
    return t;
}

int si_to_ni(int si_rc)
{
    switch (si_rc) {
    case SI_OK:
        return QOR_O_K;
    case SI_ECONN_REFUSED:
        return NIECONN_REFUSED;
    case SI_ETIMEOUT:
        return NIETIMEOUT;
    case SI_ECONN_BROKEN:
        return NIECONN_BROKEN;
    case SI_EHOST_UNKNOWN:
        return NIEHOST_UNKNOWN;
    case SI_ESERV_UNKNOWN:
        return NIESERV_UNKNOWN;
    case SI_EINVAL:
        return NIEINVAL;
    default:
        return NIESYSTEM;
    }
}

// The socket of an open handle, or a negative NI code.
int socket_of(NI_HDL hdl)
{
    HandleTable& t = table();
    std::lock_guard<std::recursive_mutex> guard(t.lock);
    if (t.slots.empty())
        return NIENOT_INIT;
    if (hdl < 0 || static_cast<size_t>(hdl) >= t.slots.size() ||
        !t.slots[static_cast<size_t>(hdl)].used)
        return NIEINVHDL;
    return t.slots[static_cast<size_t>(hdl)].fd;
}

} // namespace

int NiInit3(int max_handles, int flags)
{
    (void)flags;
    if (max_handles < 1 || max_handles > 65536) {
        NI_TRC_ERR("NiInit3: invalid table size %d\n", max_handles);
        return NIEINVAL;
    }
    HandleTable& t = table();
    std::lock_guard<std::recursive_mutex> guard(t.lock);
    if (t.slots.empty()) {
        t.slots.resize(static_cast<size_t>(max_handles));
        t.next = 0;
        t.open = 0;
        NI_TRC(2, "NiInit3: table of %d handles\n", max_handles);
    }
    return QOR_O_K;
}

int NiInit(void)
{
    return NiInit3(NI_DEFAULT_MAX_HANDLES, 0);
}

void NiExit(void)
{
    HandleTable& t = table();
    std::lock_guard<std::recursive_mutex> guard(t.lock);
    for (Slot& s : t.slots)
        if (s.used)
            SiClose(s.fd);
    t.slots.clear();
    t.slots.shrink_to_fit();
    t.open = 0;
    t.next = 0;
}

int NiOpenHandleCount(void)
{
    HandleTable& t = table();
    std::lock_guard<std::recursive_mutex> guard(t.lock);
    return t.open;
}

int NiRawConnect(const char* host, uint16_t port, int timeout_ms, NI_HDL* hdl)
{
    if (hdl == nullptr || host == nullptr || *host == '\0') {
        NI_TRC_ERR("NiRawConnect: invalid parameters\n");
        return NIEINVAL;
    }
    *hdl = NI_INVALID_HDL;
    HandleTable& t = table();
    {
        std::lock_guard<std::recursive_mutex> guard(t.lock);
        if (t.slots.empty())
            return NIENOT_INIT;
        if (t.open >= static_cast<int>(t.slots.size())) {
            NI_TRC_ERR("NiRawConnect: all %zu handles in use\n", t.slots.size());
            return NIEHANDLES;
        }
    }
    int fd = -1;
    int sys_errno = 0;
    int si = SiConnect(host, port, timeout_ms, &fd, &sys_errno);
    if (si != SI_OK) {
        int rc = si_to_ni(si);
        NI_TRC_ERR("NiRawConnect: connect to %s:%u failed: %s (errno %d: %s)\n", host, port,
                   NiErrName(rc), sys_errno, std::strerror(sys_errno));
        ni_set_error(rc, std::string("connect to ") + host + ":" + std::to_string(port) + " failed",
                     __LINE__);
        return rc;
    }
    std::lock_guard<std::recursive_mutex> guard(t.lock);
    const size_t n = t.slots.size();
    for (size_t i = 0; i < n; ++i) {
        size_t idx = (t.next + i) % n;
        if (!t.slots[idx].used) {
            t.slots[idx].used = true;
            t.slots[idx].fd = fd;
            t.next = (idx + 1) % n;
            ++t.open;
            *hdl = static_cast<NI_HDL>(idx);
            NI_TRC(2, "NiRawConnect: hdl %d connected to %s:%u\n", *hdl, host, port);
            return QOR_O_K;
        }
    }
    SiClose(fd);
    return NIEHANDLES;
}

int NiRawWrite(NI_HDL hdl, const void* buf, size_t len, int timeout_ms, size_t* written)
{
    int fd = socket_of(hdl);
    if (fd < 0)
        return fd;
    size_t done = 0;
    int si = SiWrite(fd, buf, len, timeout_ms, &done, nullptr);
    if (written != nullptr)
        *written = done;
    if (si != SI_OK) {
        NI_TRC_ERR("NiRawWrite: hdl %d: %s\n", hdl, SiRcText(si));
        return si_to_ni(si);
    }
    return QOR_O_K;
}

int NiRawWriteAll(NI_HDL hdl, const void* buf, size_t len, int timeout_ms)
{
    const char* p = static_cast<const char*>(buf);
    while (len > 0) {
        size_t n = 0;
        int rc = NiRawWrite(hdl, p, len, timeout_ms, &n);
        if (rc != QOR_O_K)
            return rc;
        p += n;
        len -= n;
    }
    return QOR_O_K;
}

int NiRawRead(NI_HDL hdl, void* buf, size_t len, int timeout_ms, size_t* read)
{
    if (read != nullptr)
        *read = 0;
    int fd = socket_of(hdl);
    if (fd < 0)
        return fd;
    if (buf == nullptr || len == 0)
        return NIEINVAL;
    size_t got = 0;
    int si = SiRead(fd, buf, len, timeout_ms, &got, nullptr);
    if (read != nullptr)
        *read = got;
    if (si != SI_OK) {
        if (si != SI_ECONN_BROKEN)
            NI_TRC_ERR("NiRawRead: hdl %d: %s\n", hdl, SiRcText(si));
        return si_to_ni(si);
    }
    return QOR_O_K;
}

int NiReadable(NI_HDL hdl, int timeout_ms)
{
    int fd = socket_of(hdl);
    if (fd < 0)
        return fd;
    return si_to_ni(SiWaitReadable(fd, timeout_ms));
}

int NiCheckAlive(NI_HDL hdl)
{
    int fd = socket_of(hdl);
    if (fd < 0)
        return fd;
    return SiPendingOrClosed(fd) == 0 ? QOR_O_K : NIECONN_BROKEN;
}

int NiHdlToSock(NI_HDL hdl, int* sock)
{
    if (sock == nullptr)
        return NIEINVAL;
    int fd = socket_of(hdl);
    if (fd < 0)
        return fd;
    *sock = fd;
    return QOR_O_K;
}

int NiCloseHandle(NI_HDL hdl)
{
    HandleTable& t = table();
    std::lock_guard<std::recursive_mutex> guard(t.lock);
    int fd = socket_of(hdl);
    if (fd < 0)
        return fd;
    SiClose(fd);
    Slot& s = t.slots[static_cast<size_t>(hdl)];
    s.used = false;
    s.fd = -1;
    --t.open;
    NI_TRC(2, "NiCloseHandle: hdl %d closed\n", hdl);
    return QOR_O_K;
}
