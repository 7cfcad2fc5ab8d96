// The ICU function slots, the start-up stubs of the character functions and
// the character functions themselves.
#include "i18n/nlsui.h"
#include "i18n/nlsui_fallback.h"
#include "i18n/nlsui_icu.h"
#include "i18n/nlsui_load.h"

namespace nlsui_icu {

// Every slot starts null, except the nine character functions, which start
// with their start-up stubs.
#define NLSUI_ICU_DEFINE_SLOT(name, ret, ...) Fn_##name* p_##name = nullptr;
NLSUI_ICU_AREA_COMMON(NLSUI_ICU_DEFINE_SLOT)
NLSUI_ICU_AREA_BIDI(NLSUI_ICU_DEFINE_SLOT)
NLSUI_ICU_AREA_SHAPE(NLSUI_ICU_DEFINE_SLOT)
NLSUI_ICU_AREA_NORM(NLSUI_ICU_DEFINE_SLOT)
NLSUI_ICU_AREA_BRK(NLSUI_ICU_DEFINE_SLOT)
NLSUI_ICU_AREA_IDNA(NLSUI_ICU_DEFINE_SLOT)
NLSUI_ICU_I18N_LIBRARY(NLSUI_ICU_DEFINE_SLOT)
#undef NLSUI_ICU_DEFINE_SLOT

#define NLSUI_ICU_DEFINE_CTYPE_SLOT(name, ret, ...) Fn_##name* p_##name = stub_##name;
NLSUI_ICU_AREA_CTYPE(NLSUI_ICU_DEFINE_CTYPE_SLOT)
#undef NLSUI_ICU_DEFINE_CTYPE_SLOT

// A stub runs the start-up and answers through its slot. When the start-up
// left the slot holding the stub (or nothing), as it does when the common
// area could not be bound, calling the slot would come back here without
// end: the 7-bit replacements answer instead.
#define NLSUI_ICU_DEFINE_STUB(name, ret, ...)                                                      \
    ret stub_##name(UChar32 c)                                                                     \
    {                                                                                              \
        loadIcuDo();                                                                               \
        if (p_##name == stub_##name || p_##name == nullptr)                                        \
            install7BitFallback();                                                                 \
        return p_##name(c);                                                                        \
    }
NLSUI_ICU_AREA_CTYPE(NLSUI_ICU_DEFINE_STUB)
#undef NLSUI_ICU_DEFINE_STUB

void clearCommonLibrarySlots(void)
{
#define NLSUI_ICU_CLEAR_SLOT(name, ret, ...) p_##name = nullptr;
    NLSUI_ICU_AREA_COMMON(NLSUI_ICU_CLEAR_SLOT)
    NLSUI_ICU_AREA_BIDI(NLSUI_ICU_CLEAR_SLOT)
    NLSUI_ICU_AREA_SHAPE(NLSUI_ICU_CLEAR_SLOT)
    NLSUI_ICU_AREA_NORM(NLSUI_ICU_CLEAR_SLOT)
    NLSUI_ICU_AREA_BRK(NLSUI_ICU_CLEAR_SLOT)
    NLSUI_ICU_AREA_IDNA(NLSUI_ICU_CLEAR_SLOT)
#undef NLSUI_ICU_CLEAR_SLOT
}

void clearI18nLibrarySlots(void)
{
#define NLSUI_ICU_CLEAR_SLOT(name, ret, ...) p_##name = nullptr;
    NLSUI_ICU_I18N_LIBRARY(NLSUI_ICU_CLEAR_SLOT)
#undef NLSUI_ICU_CLEAR_SLOT
}

} // namespace nlsui_icu

int isalnumU(int c)
{
    return nlsui_icu::p_u_isalnum(c);
}
int isalphaU(int c)
{
    return nlsui_icu::p_u_isalpha(c);
}
int iscntrlU(int c)
{
    return nlsui_icu::p_u_iscntrl(c);
}
int islowerU(int c)
{
    return nlsui_icu::p_u_islower(c);
}
int isprintU(int c)
{
    return nlsui_icu::p_u_isprint(c);
}
int isspaceU(int c)
{
    return nlsui_icu::p_u_isspace(c);
}
int isupperU(int c)
{
    return nlsui_icu::p_u_isupper(c);
}
int tolowerU(int c)
{
    return nlsui_icu::p_u_tolower(c);
}
int toupperU(int c)
{
    return nlsui_icu::p_u_toupper(c);
}
