// Shared-library loading for the I18N start-up, on the dynamic linker.
#include "platform/i18n_os.h"

#include <dlfcn.h>

#include <cerrno>

namespace {

long g_last_error = 0;

void remember_failure(int saved_errno)
{
    g_last_error = saved_errno;
    dlerror(); // the loader's pending message is not kept
}

} // namespace

void* i18n_dl_open(const char* name)
{
    // The dynamic linker answers an empty name with the program itself; an
    // empty name names no library.
    if (name == nullptr || name[0] == '\0') {
        g_last_error = EINVAL;
        return nullptr;
    }
    errno = 0;
    void* handle = dlopen(name, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr)
        remember_failure(errno);
    return handle;
}

void* i18n_dl_sym(void* handle, const char* name)
{
    dlerror();
    errno = 0;
    void* symbol = dlsym(handle, name);
    if (symbol == nullptr)
        remember_failure(errno);
    return symbol;
}

int i18n_dl_close(void* handle)
{
    errno = 0;
    int rc = dlclose(handle);
    if (rc != 0)
        remember_failure(errno);
    return rc;
}

long i18n_dl_last_error(void)
{
    return g_last_error;
}
