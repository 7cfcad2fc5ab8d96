// The slots of the functions bound by name, made from the table's rows.
#include "u16/u16_apibind_table.h"

namespace qorapi {

Bool no_handle_count(Handle, Dword* count)
{
    if (count != nullptr)
        *count = 0;
    return 0;
}

#define QOR_API_DEFINE_SLOT(library, function, result, parameters, absent)                         \
    ApiSlot<result parameters> function{#function, library, &ApiStub<function>::call,              \
                                        &ApiAbsent<absent, result parameters>::call};
QOR_API_BOUND_FUNCTIONS(QOR_API_DEFINE_SLOT)
#undef QOR_API_DEFINE_SLOT

} // namespace qorapi
