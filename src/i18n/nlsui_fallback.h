#ifndef QOR_I18N_NLSUI_FALLBACK_H
#define QOR_I18N_NLSUI_FALLBACK_H

/* The 7-bit emergency mode of the character functions, for a run without
 * ICU: class tests through the C library's classification in the "C.UTF-8"
 * locale, case mappings of the 26 Latin letters only, and two error lines of
 * the start-up trace for every character above U+007F. */

#include "i18n/nlsui_icu_types.h"

/* Puts the nine replacements into the character-function slots. */
void install7BitFallback(void);

namespace nlsui_icu {

/* The replacements, with the slot types of the ICU functions they replace. */
UBool fallback_u_isalnum(UChar32 c);
UBool fallback_u_isalpha(UChar32 c);
UBool fallback_u_iscntrl(UChar32 c);
UBool fallback_u_islower(UChar32 c);
UBool fallback_u_isprint(UChar32 c);
UBool fallback_u_isspace(UChar32 c);
UBool fallback_u_isupper(UChar32 c);
UChar32 fallback_u_toupper(UChar32 c);
UChar32 fallback_u_tolower(UChar32 c);

} // namespace nlsui_icu

#endif
