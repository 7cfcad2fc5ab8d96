#ifndef QOR_PLATFORM_BASE_THREAD_H
#define QOR_PLATFORM_BASE_THREAD_H

/* Thread services of the base libraries on Linux: thread ids, thread-local
 * storage slots (pthread keys) and critical sections (recursive mutexes). */

#include <cstdint>
#include <pthread.h>

/* The calling thread's kernel id. */
uint32_t base_thread_id(void);

/* A TLS slot; false when no slot is left. The destructor (may be null) runs
 * at thread exit for a thread's value that is not null. */
bool base_tls_alloc(uint32_t* index, void (*destructor)(void*));
bool base_tls_free(uint32_t index);
bool base_tls_set(uint32_t index, void* value);
void* base_tls_get(uint32_t index);

/* Critical section: recursive within one thread. */
void base_cs_init(pthread_mutex_t* cs);
void base_cs_enter(pthread_mutex_t* cs);
void base_cs_leave(pthread_mutex_t* cs);
void base_cs_delete(pthread_mutex_t* cs);

#endif
