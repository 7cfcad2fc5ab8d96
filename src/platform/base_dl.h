#ifndef QOR_PLATFORM_BASE_DL_H
#define QOR_PLATFORM_BASE_DL_H

/* Loading shared libraries on Linux for the dynamic loader of the base
 * libraries. Failures give an error code (errno at the failure, 0 when the
 * system gave none) and the loader's own message text. */

#include <cstddef>

struct BaseDlError
{
    unsigned long code;
    char text[512];
};

/* Loads a library by file name (UTF-8); null on failure. */
void* base_dl_open(const char* name, BaseDlError* error);
/* The address of a symbol; null when it is missing. */
void* base_dl_symbol(void* module, const char* symbol, BaseDlError* error);
/* false when the library could not be closed. */
bool base_dl_close(void* module, BaseDlError* error);
/* The file the module was loaded from, into path (size bytes); false when
 * unknown or it does not fit. */
bool base_dl_module_path(void* module, char* path, size_t size);

#endif
