#ifndef QOR_I18N_NLSUI_ICU_H
#define QOR_I18N_NLSUI_ICU_H

/* Function slots of the ICU entry points, the lookup of one versioned name
 * and the binders of the ten areas. Slots are plain process-wide pointers,
 * written only during start-up. */

#include "i18n/nlsui_icu_entries.h"

namespace nlsui_icu {

/* Slot types: Fn_<name> is the entry point's function type. */
#define NLSUI_ICU_DECLARE_TYPE(name, ret, ...) using Fn_##name = ret(__VA_ARGS__);
NLSUI_ICU_ALL(NLSUI_ICU_DECLARE_TYPE)
#undef NLSUI_ICU_DECLARE_TYPE

/* The slots: p_<name>. */
#define NLSUI_ICU_DECLARE_SLOT(name, ret, ...) extern Fn_##name* p_##name;
NLSUI_ICU_ALL(NLSUI_ICU_DECLARE_SLOT)
#undef NLSUI_ICU_DECLARE_SLOT

/* Number of slots in all areas. */
#define NLSUI_ICU_COUNT_ONE(name, ret, ...) +1
constexpr int kSlotCount = 0 NLSUI_ICU_ALL(NLSUI_ICU_COUNT_ONE);
#undef NLSUI_ICU_COUNT_ONE

/* Start-up stubs of the nine character functions: each runs the start-up and
 * then answers through its slot. */
UBool stub_u_isalnum(UChar32 c);
UBool stub_u_isalpha(UChar32 c);
UBool stub_u_iscntrl(UChar32 c);
UBool stub_u_islower(UChar32 c);
UBool stub_u_isprint(UChar32 c);
UBool stub_u_isspace(UChar32 c);
UBool stub_u_isupper(UChar32 c);
UChar32 stub_u_toupper(UChar32 c);
UChar32 stub_u_tolower(UChar32 c);

/* Slots of the common library except the character functions, and those of
 * the i18n library, back to null (their library has been closed). */
void clearCommonLibrarySlots(void);
void clearI18nLibrarySlots(void);

} // namespace nlsui_icu

/* The entry point named name (8-bit text) in the module, or dflt when it is
 * not found. */
void* nlsui_dlsym(void* module, const char* name, void* dflt);

/* Binders, one per area: 0 when every entry point of the area is bound, -1 at
 * the first one missing. They read the library handles of the start-up. */
int bindIcuCtype(void);
int bindIcuCommon(void);
int bindIcuBidi(void);
int bindIcuShape(void);
int bindIcuNorm(void);
int bindIcuBrk(void);
int bindIcuIdna(void);
int bindIcuColl(void);
int bindIcuTrans(void);
int bindIcuCal(void);
/* Forgets that the common area is bound (its library was closed). */
void nlsui_reset_common_bound(void);

#endif
