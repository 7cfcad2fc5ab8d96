#ifndef QOR_PLATFORM_I18N_OS_H
#define QOR_PLATFORM_I18N_OS_H

/* Operating-system services of the I18N start-up: loading shared libraries
 * through the dynamic linker's own search, the state of standard error, the
 * start-up trace file and the system log. */

#include <cstdio>

/* Opens a shared library by file name or path (the dynamic linker searches
 * LD_LIBRARY_PATH and its cache for a plain name); null on failure and for
 * an empty name. */
void* i18n_dl_open(const char* name);
/* The symbol's address, or null. */
void* i18n_dl_sym(void* handle, const char* name);
/* 0 on success. */
int i18n_dl_close(void* handle);
/* The error number of the last failed call above (errno, 0 when the loader
 * gave none). */
long i18n_dl_last_error(void);

/* True while file descriptor 2 is open. */
bool i18n_stderr_is_open(void);

/* Creates or empties the file for writing without following a symbolic link
 * in its last component; null on failure. */
FILE* i18n_open_trace_file(const char* name);

/* True when the path names an existing file or directory. */
bool i18n_path_exists(const char* path);

/* Sends one error message to the system log under the given source name. */
void i18n_report_event(const char* source, const char* message);

int i18n_getpid(void);

#endif
