// Loading shared libraries on Linux.

#include "platform/base_dl.h"

#include <cerrno>
#include <cstring>
#include <dlfcn.h>
#include <link.h>

namespace {

void take_error(BaseDlError* error, int saved_errno)
{
    if (error == nullptr)
        return;
    const char* text = dlerror();
    error->code = static_cast<unsigned long>(saved_errno);
    if (text == nullptr)
        text = "unknown error";
    size_t n = strnlen(text, sizeof error->text - 1);
    memcpy(error->text, text, n);
    error->text[n] = '\0';
}

} // namespace

void* base_dl_open(const char* name, BaseDlError* error)
{
    dlerror();
    errno = 0;
    void* module = dlopen(name, RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr)
        take_error(error, errno);
    return module;
}

void* base_dl_symbol(void* module, const char* symbol, BaseDlError* error)
{
    dlerror();
    errno = 0;
    void* address = dlsym(module, symbol);
    if (address == nullptr)
        take_error(error, errno);
    return address;
}

bool base_dl_close(void* module, BaseDlError* error)
{
    dlerror();
    errno = 0;
    if (dlclose(module) != 0) {
        take_error(error, errno);
        return false;
    }
    return true;
}

bool base_dl_module_path(void* module, char* path, size_t size)
{
    struct link_map* map = nullptr;
    if (dlinfo(module, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr || map->l_name == nullptr)
        return false;
    size_t n = strlen(map->l_name);
    if (n == 0 || n >= size)
        return false;
    memcpy(path, map->l_name, n + 1);
    return true;
}
