// Binding of optional system functions by name.
#include "u16/u16_apibind.h"

#include <string>

#include "platform/i18n_os.h"
#include "u16/u16_os.h"

namespace {

thread_local uint32_t t_last_error = 0;

} // namespace

void* ApiILoadProc(const char* procedure, const QOR_UC* library)
{
    if (procedure == nullptr || library == nullptr)
        return nullptr;
    std::string name(static_cast<size_t>(nlsui_u16_to_utf8(nullptr, library, 0)) + 1, '\0');
    name.resize(static_cast<size_t>(
        nlsui_u16_to_utf8(name.data(), library, static_cast<int>(name.size()))));
    void* module = i18n_dl_open(name.c_str());
    if (module == nullptr)
        return nullptr;
    void* address = i18n_dl_sym(module, procedure);
    if (address == nullptr)
        i18n_dl_close(module);
    return address;
}

uint32_t ApiGetLastError(void)
{
    return t_last_error;
}

void ApiSetLastError(uint32_t code)
{
    t_last_error = code;
}
