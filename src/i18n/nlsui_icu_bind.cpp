// Lookup of versioned ICU names and the binders of the ten areas.
#include <cstring>

#include "i18n/nlsui_icu.h"
#include "i18n/nlsui_load.h"
#include "i18n/nlsui_trace.h"
#include "platform/i18n_os.h"

namespace {

/* One entry point of an area: its plain name and how to store an address
 * into its slot. */
struct SlotRef
{
    const char* name;
    void (*store)(void* address);
};

#define NLSUI_ICU_SLOT_REF(name, ret, ...)                                                         \
    {#name, [](void* address) {                                                                    \
         nlsui_icu::p_##name = reinterpret_cast<nlsui_icu::Fn_##name*>(address);                   \
     }},

const SlotRef kCtype[] = {NLSUI_ICU_AREA_CTYPE(NLSUI_ICU_SLOT_REF)};
const SlotRef kCommon[] = {NLSUI_ICU_AREA_COMMON(NLSUI_ICU_SLOT_REF)};
const SlotRef kBidi[] = {NLSUI_ICU_AREA_BIDI(NLSUI_ICU_SLOT_REF)};
const SlotRef kShape[] = {NLSUI_ICU_AREA_SHAPE(NLSUI_ICU_SLOT_REF)};
const SlotRef kNorm[] = {NLSUI_ICU_AREA_NORM(NLSUI_ICU_SLOT_REF)};
const SlotRef kBrk[] = {NLSUI_ICU_AREA_BRK(NLSUI_ICU_SLOT_REF)};
const SlotRef kIdna[] = {NLSUI_ICU_AREA_IDNA(NLSUI_ICU_SLOT_REF)};
const SlotRef kColl[] = {NLSUI_ICU_AREA_COLL(NLSUI_ICU_SLOT_REF)};
const SlotRef kTrans[] = {NLSUI_ICU_AREA_TRANS(NLSUI_ICU_SLOT_REF)};
const SlotRef kCal[] = {NLSUI_ICU_AREA_CAL(NLSUI_ICU_SLOT_REF)};

#undef NLSUI_ICU_SLOT_REF

bool g_common_bound = false;

/* Binds the entry points in order, each stored at once; stops at the first
 * one missing. */
template <size_t N> int bind_area(void* module, const SlotRef (&area)[N])
{
    const char* suffix = nlsui_icu_record().suffix;
    for (const SlotRef& entry : area) {
        char versioned[128];
        std::snprintf(versioned, sizeof versioned, "%s%s", entry.name, suffix);
        void* address = nlsui_dlsym(module, versioned, nullptr);
        entry.store(address);
        if (address == nullptr) {
            nlsui_init_trc(NLSUI_TRC_LOW, "symbol load \"%s\" failed", versioned);
            nlsui_init_trc(NLSUI_TRC_LOW, "Last error number: %ld ", i18n_dl_last_error());
            return -1;
        }
    }
    return 0;
}

} // namespace

void* nlsui_dlsym(void* module, const char* name, void* dflt)
{
    void* address = module != nullptr ? i18n_dl_sym(module, name) : nullptr;
    if (address == nullptr) {
        nlsui_init_trc(NLSUI_TRC_MEDIUM, "GetProcAddress %s failed with error: %ld", name,
                       i18n_dl_last_error());
        return dflt;
    }
    nlsui_init_trc(NLSUI_TRC_HIGH, "Function pointer for %s: %p", name, address);
    return address;
}

int bindIcuCommon(void)
{
    if (g_common_bound)
        return 0;
    if (bind_area(nlsui_icu_common_handle(), kCommon) != 0)
        return -1;
    g_common_bound = true;
    return 0;
}

void nlsui_reset_common_bound(void)
{
    g_common_bound = false;
}

int bindIcuCtype(void)
{
    return bind_area(nlsui_icu_common_handle(), kCtype);
}
int bindIcuBidi(void)
{
    return bind_area(nlsui_icu_common_handle(), kBidi);
}
int bindIcuShape(void)
{
    return bind_area(nlsui_icu_common_handle(), kShape);
}
int bindIcuNorm(void)
{
    return bind_area(nlsui_icu_common_handle(), kNorm);
}
int bindIcuBrk(void)
{
    return bind_area(nlsui_icu_common_handle(), kBrk);
}
int bindIcuIdna(void)
{
    return bind_area(nlsui_icu_common_handle(), kIdna);
}
int bindIcuColl(void)
{
    return bind_area(nlsui_icu_i18n_handle(), kColl);
}
int bindIcuTrans(void)
{
    return bind_area(nlsui_icu_i18n_handle(), kTrans);
}
int bindIcuCal(void)
{
    return bind_area(nlsui_icu_i18n_handle(), kCal);
}
