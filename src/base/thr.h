#ifndef QOR_BASE_THR_H
#define QOR_BASE_THR_H

/* Thread library: thread ids, thread-specific keys, plain and recursive
 * mutexes, a reentrant asctime and the texts of the library's return codes. */

#include <cstdint>
#include <ctime>
#include <pthread.h>

#include "u16/qor_uc.h"

typedef int32_t THR_RC;

enum : THR_RC {
    THR_ERR_OK = 0,
    THR_ERR_STILL_ALIVE = 1,
    THR_ERR_INVALID_PARAM = 2,
    THR_ERR_EXISTS = 3,
    THR_ERR_INTERNAL = 4,
    THR_ERR_INVALID_ID = 5,
    THR_ERR_INVALID_KEY = 6,
    THR_ERR_NOMEM = 7,
    THR_ERR_NOT_INITIALIZED = 8,
    THR_ERR_NOT_LOCKED = 9,
    THR_ERR_NOT_OWNER = 10,
    THR_ERR_NOT_SUPPORTED = 11,
    THR_ERR_OS = 12,
    THR_ERR_DEADLOCK = 13,
    THR_ERR_NO_RESOURCES = 14,
    THR_ERR_TIMEOUT = 15,
};

/* Operating-system thread id and its text form ("%lu"). */
typedef uint32_t THR_ID_T;
#define THR_ID_INVALID 0xFFFFFFFFu
#define THR_ID_STR_LEN 16 /* units, enough for any id and the terminator */

/* A thread-specific key. Declare key variables with THR_KEY_NOT_CREATED and
 * pass them by address: the library creates the key on first use. */
typedef uint32_t THR_KEY;
#define THR_KEY_NOT_CREATED 0xFFFFFFFFu

/* Clean-up function stored with a key; it runs at thread exit for the
 * thread's value when that is not null. */
typedef void (*THR_KEY_CLEANUP)(void* value);

/* Plain mutex: acts only while the thread library is switched on, which
 * this program never does. */
struct THR_MTX
{
    pthread_mutex_t cs;
};

/* Recursive mutex: always locks; count checks that unlocks never exceed
 * locks. owner is the id of the holding thread, -1 while it is free. */
struct THR_REC_MTX
{
    int32_t count;
    int32_t owner;
    pthread_mutex_t cs;
    QOR_UC* tag;
};

/* Size in units of a ThrAsctime buffer: 24 characters, line feed, terminator. */
#define THR_ASCTIME_LEN 26

THR_ID_T ThrGetCurrentId(void);
int ThrIdEqual(THR_ID_T a, THR_ID_T b);
/* buf holds at least THR_ID_STR_LEN units. */
QOR_UC* ThrIdToStr(QOR_UC* buf, THR_ID_T id);
void ThrIdFormat(QOR_UC* buf, THR_ID_T id);
/* buf holds at least THR_ASCTIME_LEN units; null when tm cannot be shown. */
QOR_UC* ThrAsctime(const struct tm* tm, QOR_UC* buf);

THR_RC ThrKeyVarCreate(THR_KEY* key, THR_KEY_CLEANUP cleanup);
THR_RC ThrKeyVarDelete(THR_KEY* key);
THR_RC ThrKeyVarSet(THR_KEY* key, void* value);
void* ThrKeyVarGet(THR_KEY* key);

/* Thin key primitives. */
THR_RC ThrIKeyCreate(THR_KEY* key, THR_KEY_CLEANUP cleanup);
THR_RC ThrIKeyDelete(THR_KEY key);
THR_RC ThrIKeySet(THR_KEY key, void* value);
void* ThrIKeyGet(THR_KEY key);

const QOR_UC* ThrErrText(THR_RC rc);

THR_RC ThrMtxInit(THR_MTX* mtx, const QOR_UC* name);
THR_RC ThrMtxLock(THR_MTX* mtx);
THR_RC ThrMtxUnlock(THR_MTX* mtx);
THR_RC ThrMtxDelete(THR_MTX* mtx);

THR_RC ThrRecMtxInit(THR_REC_MTX* mtx, const QOR_UC* tag);
THR_RC ThrRecMtxLock(THR_REC_MTX* mtx);
/* More unlocks than locks print a panic line and abort the process. An
 * unlock by a thread that does not hold the mutex changes nothing and
 * returns THR_ERR_NOT_OWNER. */
THR_RC ThrRecMtxUnlock(THR_REC_MTX* mtx);
THR_RC ThrRecMtxDelete(THR_REC_MTX* mtx);

#endif
