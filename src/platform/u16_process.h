#ifndef QOR_PLATFORM_U16_PROCESS_H
#define QOR_PLATFORM_U16_PROCESS_H

/* 1 when the process runs as a service of the service manager (it carries
 * the manager's invocation id, or its parent is the init process and it has
 * no terminal), 0 when not, -1 when the process table cannot be read. */
int u16_is_service_process(void);

#endif
