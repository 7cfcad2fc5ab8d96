// The handle table and the raw-mode operations on its handles.

#include <cstring>
#include <mutex>
#include <vector>

#include "base/item_pool.h"
#include "ni/ni.h"
#include "ni/ni_resolve.h"
#include "ni/ni_trace.h"
#include "platform/ni_si.h"
#include "rscp/rscp_utf.h"
#include "u16/u16_netdb.h"

namespace {

struct Slot
{
    bool used = false;
    int fd = -1;
};

constexpr int32_t kItemInUse = 0; // mark of a taken item (free ones carry FI_ITEM_FREE)

// The free handles: an item pool with one 4-byte item per handle, holding
// the handle's number. A freed handle is the next one given out.
class FreeHandles
{
  public:
    bool init(int count)
    {
        const uint64_t size = FiCalcSize(nullptr, count, sizeof(int32_t));
        if (size == 0)
            return false;
        block_.assign(static_cast<size_t>(size), 0);
        if (FiInit(block_.data(), u"NITAB_FREE", 0, count, sizeof(int32_t), &pool_) != FI_OK) {
            clear();
            return false;
        }
        for (int32_t hdl = 0; hdl < count; ++hdl)
            std::memcpy(data_of(offset_of(hdl)), &hdl, sizeof hdl);
        return true;
    }
    void clear()
    {
        block_.clear();
        block_.shrink_to_fit();
        pool_ = nullptr;
    }
    // A free handle, or NI_INVALID_HDL when none is left.
    NI_HDL take()
    {
        if (pool_ == nullptr || pool_->free_head == 0)
            return NI_INVALID_HDL;
        const int32_t offset = pool_->free_head;
        FI_ITEM_HDR item = header_at(offset);
        pool_->free_head = item.next;
        item.mark = kItemInUse;
        item.next = 0;
        std::memcpy(block_.data() + offset, &item, sizeof item);
        int32_t hdl = 0;
        std::memcpy(&hdl, data_of(offset), sizeof hdl);
        return hdl;
    }
    void give_back(NI_HDL hdl)
    {
        const int32_t offset = offset_of(hdl);
        FI_ITEM_HDR item = header_at(offset);
        if (item.mark == FI_ITEM_FREE)
            return; // already free: the list must not run through it twice
        item.mark = FI_ITEM_FREE;
        item.next = pool_->free_head;
        std::memcpy(block_.data() + offset, &item, sizeof item);
        pool_->free_head = offset;
    }
    bool empty() const { return pool_ == nullptr || pool_->free_head == 0; }

  private:
    int32_t offset_of(NI_HDL hdl) const { return FI_HDR_SIZE + hdl * pool_->stride; }
    unsigned char* data_of(int32_t offset) { return block_.data() + offset + FI_ITEM_HDR_SIZE; }
    FI_ITEM_HDR header_at(int32_t offset) const
    {
        FI_ITEM_HDR item;
        std::memcpy(&item, block_.data() + offset, sizeof item);
        return item;
    }

    std::vector<unsigned char> block_;
    FI_POOL_HDR* pool_ = nullptr;
};

struct HandleTable
{
    std::recursive_mutex lock;
    std::vector<Slot> slots; // empty until NiInit
    FreeHandles free;
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
        if (!t.free.init(max_handles)) {
            NI_TRC_ERR("NiInit3: no handle pool for %d handles\n", max_handles);
            return NIEINTERN;
        }
        t.slots.resize(static_cast<size_t>(max_handles));
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
    t.free.clear();
    t.open = 0;
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
        if (t.free.empty()) {
            NI_TRC_ERR("NiRawConnect: all %zu handles in use\n", t.slots.size());
            return NIEHANDLES;
        }
    }
    const std::string where = std::string(host) + ":" + std::to_string(port);
    QOR_UC wide[MAX_HOSTNAME_LN];
    std::vector<SiAddress> addresses;
    if (rscpUtf8zToU16(wide, MAX_HOSTNAME_LN, nullptr, host) != 0 ||
        ni_host_addresses(wide, &addresses) != QOR_O_K) {
        NI_TRC_ERR("NiRawConnect: host %s unknown\n", host);
        ni_set_error(NIEHOST_UNKNOWN, "connect to " + where + " failed", __LINE__);
        return NIEHOST_UNKNOWN;
    }
    int fd = -1;
    int sys_errno = 0;
    int si = SiConnect(addresses, port, timeout_ms, &fd, &sys_errno);
    if (si != SI_OK) {
        int rc = si_to_ni(si);
        NI_TRC_ERR("NiRawConnect: connect to %s failed: %s (errno %d: %s)\n", where.c_str(),
                   NiErrName(rc), sys_errno, std::strerror(sys_errno));
        ni_set_error(rc, "connect to " + where + " failed", __LINE__, u"connect", sys_errno);
        return rc;
    }
    std::lock_guard<std::recursive_mutex> guard(t.lock);
    const NI_HDL taken = t.free.take();
    if (taken == NI_INVALID_HDL) {
        SiClose(fd);
        NI_TRC_ERR("NiRawConnect: all %zu handles in use\n", t.slots.size());
        return NIEHANDLES;
    }
    Slot& slot = t.slots[static_cast<size_t>(taken)];
    slot.used = true;
    slot.fd = fd;
    ++t.open;
    *hdl = taken;
    NI_TRC(2, "NiRawConnect: hdl %d connected to %s\n", *hdl, where.c_str());
    return QOR_O_K;
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
    t.free.give_back(hdl);
    --t.open;
    NI_TRC(2, "NiCloseHandle: hdl %d closed\n", hdl);
    return QOR_O_K;
}
