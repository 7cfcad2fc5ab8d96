// Thread services of the base libraries on Linux.

#include "platform/base_thread.h"

#include <sys/syscall.h>
#include <unistd.h>

uint32_t base_thread_id(void)
{
    return static_cast<uint32_t>(gettid());
}

bool base_tls_alloc(uint32_t* index, void (*destructor)(void*))
{
    pthread_key_t key;
    if (pthread_key_create(&key, destructor) != 0)
        return false;
    *index = static_cast<uint32_t>(key);
    return true;
}

bool base_tls_free(uint32_t index)
{
    return pthread_key_delete(static_cast<pthread_key_t>(index)) == 0;
}

bool base_tls_set(uint32_t index, void* value)
{
    return pthread_setspecific(static_cast<pthread_key_t>(index), value) == 0;
}

void* base_tls_get(uint32_t index)
{
    return pthread_getspecific(static_cast<pthread_key_t>(index));
}

void base_cs_init(pthread_mutex_t* cs)
{
    pthread_mutexattr_t attr;
    pthread_mutexattr_init(&attr);
    pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(cs, &attr);
    pthread_mutexattr_destroy(&attr);
}

void base_cs_enter(pthread_mutex_t* cs)
{
    pthread_mutex_lock(cs);
}

void base_cs_leave(pthread_mutex_t* cs)
{
    pthread_mutex_unlock(cs);
}

void base_cs_delete(pthread_mutex_t* cs)
{
    pthread_mutex_destroy(cs);
}
