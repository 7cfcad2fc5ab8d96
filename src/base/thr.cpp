// Thread library: ids, keys, mutexes, asctime and return-code texts.

#include "base/thr.h"
#include "base/thr_internal.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <new>

#include "platform/base_thread.h"
#include "u16/u16_printf.h"
#include "u16/u16_string.h"

namespace {

// The library's switches: only an initialisation of the whole library would
// set them, and this program has none, so plain mutexes stay inactive.
int g_library_on = 0;
int g_initialised = 0;

struct KeyNode
{
    THR_KEY_CLEANUP cleanup;
    THR_KEY key;
    std::unique_ptr<KeyNode> next;
};

// The key list is guarded always, whatever the library switch says.
std::mutex g_key_list_mutex;
std::unique_ptr<KeyNode> g_key_list;
std::atomic<bool> g_fail_next_node{false};

bool key_listed_locked(THR_KEY key)
{
    for (KeyNode* n = g_key_list.get(); n != nullptr; n = n->next.get())
        if (n->key == key)
            return true;
    return false;
}

std::unique_ptr<KeyNode> new_node()
{
    if (g_fail_next_node.exchange(false))
        return nullptr;
    return std::unique_ptr<KeyNode>(new (std::nothrow) KeyNode{nullptr, 0, nullptr});
}

const QOR_UC* const kErrTexts[] = {
    u"Operation completed successfully.",
    u"Thread still alive.",
    u"Invalid parameter passed.",
    u"Attempt was made to initialize an item which already exists.",
    u"Thread library internal error.",
    u"Thread ID is invalid.",
    u"Thread specific data key is invalid.",
    u"Error occurred while attempting to allocate memory.",
    u"Thread library not yet initialized.",
    u"Attempt was made to unlock a critical section which is not currently locked.",
    u"Attempt was made to unlock a critical section owned by another thread.",
    u"Threads not supported on this platform.",
    u"Operating system error occurred.",
    u"Operation would cause the calling thread to deadlock.",
    u"Operation failed due to lack of resources.",
    u"Operation timed out.",
};

} // namespace

void ThrIFailNextNodeAlloc(void)
{
    g_fail_next_node.store(true);
}

bool ThrIKeyListed(unsigned int key)
{
    std::lock_guard<std::mutex> guard(g_key_list_mutex);
    return key_listed_locked(key);
}

THR_ID_T ThrGetCurrentId(void)
{
    return base_thread_id();
}

int ThrIdEqual(THR_ID_T a, THR_ID_T b)
{
    return a == b ? 1 : 0;
}

QOR_UC* ThrIdToStr(QOR_UC* buf, THR_ID_T id)
{
    snprintfU16(buf, THR_ID_STR_LEN, u"%lu", static_cast<unsigned>(id));
    return buf;
}

void ThrIdFormat(QOR_UC* buf, THR_ID_T id)
{
    ThrIdToStr(buf, id);
}

QOR_UC* ThrAsctime(const struct tm* tm, QOR_UC* buf)
{
    static const char kDays[7][4] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char kMonths[12][4] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    if (tm == nullptr || tm->tm_wday < 0 || tm->tm_wday > 6 || tm->tm_mon < 0 || tm->tm_mon > 11 ||
        tm->tm_mday < 1 || tm->tm_mday > 31 || tm->tm_hour < 0 || tm->tm_hour > 23 ||
        tm->tm_min < 0 || tm->tm_min > 59 || tm->tm_sec < 0 || tm->tm_sec > 60 ||
        tm->tm_year < -1900 || tm->tm_year > 9999 - 1900)
        return nullptr;
    char text[64];
    snprintf(text, sizeof text, "%s %s %2d %02d:%02d:%02d %04d\n", kDays[tm->tm_wday],
             kMonths[tm->tm_mon], tm->tm_mday, tm->tm_hour, tm->tm_min, tm->tm_sec,
             tm->tm_year + 1900);
    text[THR_ASCTIME_LEN - 1] = '\0'; // 24 characters and the line feed
    A7ToU16(buf, text);
    return buf;
}

THR_RC ThrIKeyCreate(THR_KEY* key, THR_KEY_CLEANUP cleanup)
{
    uint32_t index;
    if (!base_tls_alloc(&index, cleanup))
        return THR_ERR_NO_RESOURCES;
    *key = index;
    return THR_ERR_OK;
}

THR_RC ThrIKeyDelete(THR_KEY key)
{
    return base_tls_free(key) ? THR_ERR_OK : THR_ERR_INVALID_KEY;
}

THR_RC ThrIKeySet(THR_KEY key, void* value)
{
    return base_tls_set(key, value) ? THR_ERR_OK : THR_ERR_INVALID_KEY;
}

void* ThrIKeyGet(THR_KEY key)
{
    return base_tls_get(key);
}

THR_RC ThrKeyVarCreate(THR_KEY* key, THR_KEY_CLEANUP cleanup)
{
    if (key == nullptr)
        return THR_ERR_INVALID_PARAM;
    std::lock_guard<std::mutex> guard(g_key_list_mutex);
    THR_KEY current = __atomic_load_n(key, __ATOMIC_ACQUIRE);
    if (current != THR_KEY_NOT_CREATED) {
        if (key_listed_locked(current))
            return THR_ERR_EXISTS;
        __atomic_store_n(key, THR_KEY_NOT_CREATED, __ATOMIC_RELEASE); // stale value
    }
    std::unique_ptr<KeyNode> node = new_node();
    if (!node)
        return THR_ERR_NOMEM; // no index taken yet, so none can leak
    THR_KEY index;
    THR_RC rc = ThrIKeyCreate(&index, cleanup);
    if (rc != THR_ERR_OK)
        return rc;
    node->cleanup = cleanup;
    node->key = index;
    node->next = std::move(g_key_list);
    g_key_list = std::move(node);
    __atomic_store_n(key, index, __ATOMIC_RELEASE);
    return THR_ERR_OK;
}

THR_RC ThrKeyVarDelete(THR_KEY* key)
{
    if (key == nullptr)
        return THR_ERR_INVALID_PARAM;
    std::lock_guard<std::mutex> guard(g_key_list_mutex);
    THR_KEY current = __atomic_load_n(key, __ATOMIC_ACQUIRE);
    if (current == THR_KEY_NOT_CREATED)
        return THR_ERR_INVALID_PARAM;
    THR_RC rc = ThrIKeyDelete(current);
    for (std::unique_ptr<KeyNode>* link = &g_key_list; *link; link = &(*link)->next) {
        if ((*link)->key == current) {
            *link = std::move((*link)->next);
            break;
        }
    }
    __atomic_store_n(key, THR_KEY_NOT_CREATED, __ATOMIC_RELEASE);
    return rc;
}

THR_RC ThrKeyVarSet(THR_KEY* key, void* value)
{
    if (key == nullptr)
        return THR_ERR_INVALID_PARAM;
    if (__atomic_load_n(key, __ATOMIC_ACQUIRE) == THR_KEY_NOT_CREATED) {
        THR_RC rc = ThrKeyVarCreate(key, nullptr);
        if (rc != THR_ERR_OK && rc != THR_ERR_EXISTS)
            return rc;
    }
    return ThrIKeySet(__atomic_load_n(key, __ATOMIC_ACQUIRE), value);
}

void* ThrKeyVarGet(THR_KEY* key)
{
    if (key == nullptr)
        return nullptr;
    if (__atomic_load_n(key, __ATOMIC_ACQUIRE) == THR_KEY_NOT_CREATED) {
        THR_RC rc = ThrKeyVarCreate(key, nullptr);
        if (rc != THR_ERR_OK && rc != THR_ERR_EXISTS)
            return nullptr;
    }
    return ThrIKeyGet(__atomic_load_n(key, __ATOMIC_ACQUIRE));
}

const QOR_UC* ThrErrText(THR_RC rc)
{
    if (rc < 0 || rc >= static_cast<THR_RC>(sizeof kErrTexts / sizeof kErrTexts[0]))
        return u"Error code not defined by the thread library.";
    return kErrTexts[rc];
}

THR_RC ThrMtxInit(THR_MTX* mtx, const QOR_UC*)
{
    base_cs_init(&mtx->cs);
    return THR_ERR_OK;
}

THR_RC ThrMtxLock(THR_MTX* mtx)
{
    if (g_library_on)
        base_cs_enter(&mtx->cs);
    return THR_ERR_OK;
}

THR_RC ThrMtxUnlock(THR_MTX* mtx)
{
    if (g_library_on)
        base_cs_leave(&mtx->cs);
    return THR_ERR_OK;
}

THR_RC ThrMtxDelete(THR_MTX* mtx)
{
    if (!g_initialised)
        return THR_ERR_NOT_INITIALIZED;
    base_cs_delete(&mtx->cs);
    return THR_ERR_OK;
}

THR_RC ThrRecMtxInit(THR_REC_MTX* mtx, const QOR_UC* tag)
{
    base_cs_init(&mtx->cs);
    mtx->owner = -1;
    mtx->count = 0;
    mtx->tag = nullptr;
    if (tag != nullptr) {
        size_t units = strlenU16(tag) + 1;
        mtx->tag = static_cast<QOR_UC*>(malloc(units * sizeof(QOR_UC)));
        if (mtx->tag != nullptr)
            memcpyU(mtx->tag, tag, units, __FILE__, __LINE__);
    }
    return THR_ERR_OK;
}

THR_RC ThrRecMtxLock(THR_REC_MTX* mtx)
{
    base_cs_enter(&mtx->cs);
    mtx->count++;
    // Other threads read the owner without holding the mutex.
    __atomic_store_n(&mtx->owner, static_cast<int32_t>(ThrGetCurrentId()), __ATOMIC_RELAXED);
    return THR_ERR_OK;
}

THR_RC ThrRecMtxUnlock(THR_REC_MTX* mtx)
{
    const int32_t owner = __atomic_load_n(&mtx->owner, __ATOMIC_RELAXED);
    if (owner == -1) {
        // Nobody holds it: one unlock more than locks.
        fprintfU16(stderr, u"ThrRecMtxUnlock: PANIC: #unlock > #lock, tag: \"%s\"\n",
                   mtx->tag != nullptr ? mtx->tag : u"not set");
        fflush(stderr);
        abort();
    }
    // Only the holder may touch the count or leave the critical section; the
    // owner field holds our own id only while we hold the mutex.
    if (owner != static_cast<int32_t>(ThrGetCurrentId()))
        return THR_ERR_NOT_OWNER;
    if (--mtx->count == 0)
        __atomic_store_n(&mtx->owner, -1, __ATOMIC_RELAXED);
    base_cs_leave(&mtx->cs);
    return THR_ERR_OK;
}

THR_RC ThrRecMtxDelete(THR_REC_MTX* mtx)
{
    free(mtx->tag);
    mtx->tag = nullptr;
    base_cs_delete(&mtx->cs);
    return THR_ERR_OK;
}
