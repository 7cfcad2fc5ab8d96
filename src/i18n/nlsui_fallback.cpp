// The 7-bit replacements of the character functions.
#include "i18n/nlsui_fallback.h"

#include <clocale>
#include <cwctype>
#include <locale.h>

#include "i18n/nlsui_icu.h"
#include "i18n/nlsui_trace.h"

namespace nlsui_icu {
namespace {

/* A locale object of its own, so that the answers do not depend on (or
 * change) the process locale. C.UTF-8 classifies like a Unicode-aware
 * runtime; plain "C" is the last resort. Created once, kept for the life of
 * the process. */
locale_t classification_locale(void)
{
    static locale_t locale = [] {
        locale_t created = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
        if (created == static_cast<locale_t>(nullptr))
            created = newlocale(LC_CTYPE_MASK, "C", static_cast<locale_t>(nullptr));
        return created;
    }();
    return locale;
}

bool is_non_7bit(UChar32 c)
{
    return (c & 0xFF80) != 0;
}

/* The two error lines for a character that has no 7-bit answer. */
void report_non_7bit(UChar32 c, const char* function)
{
    if (!is_non_7bit(c))
        return;
    nlsui_init_trc(NLSUI_TRC_LOW, "ERROR: Non 7-bit character U+%04X encountered in function %s\n",
                   static_cast<unsigned>(c), function);
    nlsui_init_trc(NLSUI_TRC_LOW, "This is not supported in 7-bit mode.\n");
}

using ClassTest = int (*)(wint_t, locale_t);

UBool classify(UChar32 c, const char* function, ClassTest test)
{
    report_non_7bit(c, function);
    wint_t unit = static_cast<wint_t>(c & 0xFFFF);
    locale_t locale = classification_locale();
    if (locale == static_cast<locale_t>(nullptr))
        return 0;
    // The slot's result is one byte: collapse the runtime's answer to 0/1.
    return test(unit, locale) != 0 ? 1 : 0;
}

} // namespace

UBool fallback_u_isalnum(UChar32 c)
{
    return classify(c, "isalnumU", iswalnum_l);
}
UBool fallback_u_isalpha(UChar32 c)
{
    return classify(c, "isalphaU", iswalpha_l);
}
UBool fallback_u_iscntrl(UChar32 c)
{
    return classify(c, "iscntrlU", iswcntrl_l);
}
UBool fallback_u_islower(UChar32 c)
{
    return classify(c, "islowerU", iswlower_l);
}
UBool fallback_u_isprint(UChar32 c)
{
    return classify(c, "isprintU", iswprint_l);
}
UBool fallback_u_isspace(UChar32 c)
{
    return classify(c, "isspaceU", iswspace_l);
}
UBool fallback_u_isupper(UChar32 c)
{
    return classify(c, "isupperU", iswupper_l);
}

UChar32 fallback_u_toupper(UChar32 c)
{
    report_non_7bit(c, "toupperU");
    UChar32 unit = c & 0xFFFF;
    return unit >= 0x61 && unit <= 0x7A ? unit - 0x20 : unit;
}

UChar32 fallback_u_tolower(UChar32 c)
{
    report_non_7bit(c, "tolowerU");
    UChar32 unit = c & 0xFFFF;
    return unit >= 0x41 && unit <= 0x5A ? unit + 0x20 : unit;
}

} // namespace nlsui_icu

void install7BitFallback(void)
{
    using namespace nlsui_icu;
    p_u_isalnum = fallback_u_isalnum;
    p_u_isalpha = fallback_u_isalpha;
    p_u_iscntrl = fallback_u_iscntrl;
    p_u_islower = fallback_u_islower;
    p_u_isprint = fallback_u_isprint;
    p_u_isspace = fallback_u_isspace;
    p_u_isupper = fallback_u_isupper;
    p_u_toupper = fallback_u_toupper;
    p_u_tolower = fallback_u_tolower;
    nlsui_init_trc(NLSUI_TRC_HIGH,
                   "Unicode ctype functions are replaced with 7bit fallback functions");
}
