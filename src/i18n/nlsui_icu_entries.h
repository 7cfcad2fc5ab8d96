#ifndef QOR_I18N_NLSUI_ICU_ENTRIES_H
#define QOR_I18N_NLSUI_ICU_ENTRIES_H

/* The ICU entry points of the ten binding areas, in binding order, as
 * X(name, result type, parameter types...). The name is ICU's plain C name;
 * the start-up looks it up with the version suffix appended. The types are
 * those of nlsui_icu_types.h. */

#include "i18n/nlsui_icu_types.h"

/* Character functions (common library). */
#define NLSUI_ICU_AREA_CTYPE(X)                                                                    \
    X(u_isalnum, UBool, UChar32)                                                                   \
    X(u_isalpha, UBool, UChar32)                                                                   \
    X(u_iscntrl, UBool, UChar32)                                                                   \
    X(u_islower, UBool, UChar32)                                                                   \
    X(u_isprint, UBool, UChar32)                                                                   \
    X(u_isspace, UBool, UChar32)                                                                   \
    X(u_isupper, UBool, UChar32)                                                                   \
    X(u_toupper, UChar32, UChar32)                                                                 \
    X(u_tolower, UChar32, UChar32)

/* Common area (common library). */
#define NLSUI_ICU_AREA_COMMON(X)                                                                   \
    X(u_versionToString, void, const uint8_t*, char*)                                              \
    X(u_errorName, const char*, UErrorCode)                                                        \
    X(u_getVersion, void, uint8_t*)                                                                \
    X(u_getUnicodeVersion, void, uint8_t*)                                                         \
    X(u_charType, int8_t, UChar32)                                                                 \
    X(u_getIntPropertyValue, int32_t, UChar32, UProperty)                                          \
    X(u_charDirection, UCharDirection, UChar32)                                                    \
    X(u_getPropertyEnum, UProperty, const char*)                                                   \
    X(u_getPropertyValueName, const char*, UProperty, int32_t, UPropertyNameChoice)                \
    X(u_setMemoryFunctions, void, const void*, UMemAllocFn*, UMemReallocFn*, UMemFreeFn*,          \
      UErrorCode*)                                                                                 \
    X(u_init, void, UErrorCode*)                                                                   \
    X(u_cleanup, void, void)                                                                       \
    X(uenum_unext, const UChar*, UEnumeration*, int32_t*, UErrorCode*)                             \
    X(uenum_count, int32_t, UEnumeration*, UErrorCode*)                                            \
    X(u_strToUpper, int32_t, UChar*, int32_t, const UChar*, int32_t, const char*, UErrorCode*)

/* Bidirectional text (common library). */
#define NLSUI_ICU_AREA_BIDI(X)                                                                     \
    X(ubidi_open, UBiDi*, void)                                                                    \
    X(ubidi_close, void, UBiDi*)                                                                   \
    X(ubidi_setInverse, void, UBiDi*, UBool)                                                       \
    X(ubidi_setPara, void, UBiDi*, const UChar*, int32_t, UBiDiLevel, UBiDiLevel*, UErrorCode*)    \
    X(ubidi_writeReordered, int32_t, UBiDi*, UChar*, int32_t, uint16_t, UErrorCode*)               \
    X(ubidi_getLogicalMap, void, UBiDi*, int32_t*, UErrorCode*)                                    \
    X(ubidi_getVisualMap, void, UBiDi*, int32_t*, UErrorCode*)                                     \
    X(ubidi_getLevelAt, UBiDiLevel, const UBiDi*, int32_t)                                         \
    X(u_charMirror, UChar32, UChar32)

/* Arabic shaping (common library). */
#define NLSUI_ICU_AREA_SHAPE(X)                                                                    \
    X(u_shapeArabic, int32_t, const UChar*, int32_t, UChar*, int32_t, uint32_t, UErrorCode*)

/* Normalisation (common library). */
#define NLSUI_ICU_AREA_NORM(X)                                                                     \
    X(unorm_normalize, int32_t, const UChar*, int32_t, UNormalizationMode, int32_t, UChar*,        \
      int32_t, UErrorCode*)                                                                        \
    X(unorm_quickCheck, UNormalizationCheckResult, const UChar*, int32_t, UNormalizationMode,      \
      UErrorCode*)                                                                                 \
    X(unorm_quickCheckWithOptions, UNormalizationCheckResult, const UChar*, int32_t,               \
      UNormalizationMode, int32_t, UErrorCode*)                                                    \
    X(unorm_isNormalized, UBool, const UChar*, int32_t, UNormalizationMode, UErrorCode*)           \
    X(unorm_isNormalizedWithOptions, UBool, const UChar*, int32_t, UNormalizationMode, int32_t,    \
      UErrorCode*)                                                                                 \
    X(unorm_next, int32_t, UCharIterator*, UChar*, int32_t, UNormalizationMode, int32_t, UBool,    \
      UBool*, UErrorCode*)                                                                         \
    X(unorm_previous, int32_t, UCharIterator*, UChar*, int32_t, UNormalizationMode, int32_t,       \
      UBool, UBool*, UErrorCode*)                                                                  \
    X(unorm_concatenate, int32_t, const UChar*, int32_t, const UChar*, int32_t, UChar*, int32_t,   \
      UNormalizationMode, int32_t, UErrorCode*)                                                    \
    X(unorm_compare, int32_t, const UChar*, int32_t, const UChar*, int32_t, uint32_t, UErrorCode*)

/* Break iteration and locale (common library). */
#define NLSUI_ICU_AREA_BRK(X)                                                                      \
    X(ubrk_open, UBreakIterator*, UBreakIteratorType, const char*, const UChar*, int32_t,          \
      UErrorCode*)                                                                                 \
    X(ubrk_openRules, UBreakIterator*, const UChar*, int32_t, const UChar*, int32_t, UParseError*, \
      UErrorCode*)                                                                                 \
    X(ubrk_safeClone, UBreakIterator*, const UBreakIterator*, void*, int32_t*, UErrorCode*)        \
    X(ubrk_close, void, UBreakIterator*)                                                           \
    X(ubrk_setText, void, UBreakIterator*, const UChar*, int32_t, UErrorCode*)                     \
    X(ubrk_current, int32_t, const UBreakIterator*)                                                \
    X(ubrk_next, int32_t, UBreakIterator*)                                                         \
    X(ubrk_previous, int32_t, UBreakIterator*)                                                     \
    X(ubrk_first, int32_t, UBreakIterator*)                                                        \
    X(ubrk_last, int32_t, UBreakIterator*)                                                         \
    X(ubrk_preceding, int32_t, UBreakIterator*, int32_t)                                           \
    X(ubrk_following, int32_t, UBreakIterator*, int32_t)                                           \
    X(ubrk_getAvailable, const char*, int32_t)                                                     \
    X(ubrk_countAvailable, int32_t, void)                                                          \
    X(ubrk_isBoundary, UBool, UBreakIterator*, int32_t)                                            \
    X(ubrk_getRuleStatus, int32_t, UBreakIterator*)                                                \
    X(ubrk_getLocaleByType, const char*, const UBreakIterator*, ULocDataLocaleType, UErrorCode*)   \
    X(uloc_getDefault, const char*, void)

/* IDNA (common library). */
#define NLSUI_ICU_AREA_IDNA(X)                                                                     \
    X(uidna_toASCII, int32_t, const UChar*, int32_t, UChar*, int32_t, int32_t, UParseError*,       \
      UErrorCode*)                                                                                 \
    X(uidna_toUnicode, int32_t, const UChar*, int32_t, UChar*, int32_t, int32_t, UParseError*,     \
      UErrorCode*)                                                                                 \
    X(uidna_IDNToASCII, int32_t, const UChar*, int32_t, UChar*, int32_t, int32_t, UParseError*,    \
      UErrorCode*)                                                                                 \
    X(uidna_IDNToUnicode, int32_t, const UChar*, int32_t, UChar*, int32_t, int32_t, UParseError*,  \
      UErrorCode*)                                                                                 \
    X(uidna_compare, int32_t, const UChar*, int32_t, const UChar*, int32_t, int32_t, UErrorCode*)

/* Collation (i18n library). */
#define NLSUI_ICU_AREA_COLL(X)                                                                     \
    X(ucol_open, UCollator*, const char*, UErrorCode*)                                             \
    X(ucol_strcoll, UCollationResult, const UCollator*, const UChar*, int32_t, const UChar*,       \
      int32_t)                                                                                     \
    X(ucol_close, void, UCollator*)                                                                \
    X(ucol_setStrength, void, UCollator*, UColAttributeValue)                                      \
    X(ucol_getSortKey, int32_t, const UCollator*, const UChar*, int32_t, uint8_t*, int32_t)        \
    X(ucol_getLocaleByType, const char*, const UCollator*, ULocDataLocaleType, UErrorCode*)

/* Transliteration (i18n library). */
#define NLSUI_ICU_AREA_TRANS(X)                                                                    \
    X(utrans_openU, UTransliterator*, const UChar*, int32_t, UTransDirection, const UChar*,        \
      int32_t, UParseError*, UErrorCode*)                                                          \
    X(utrans_openInverse, UTransliterator*, const UTransliterator*, UErrorCode*)                   \
    X(utrans_close, void, UTransliterator*)                                                        \
    X(utrans_getUnicodeID, const UChar*, const UTransliterator*, int32_t*)                         \
    X(utrans_setFilter, void, UTransliterator*, const UChar*, int32_t, UErrorCode*)                \
    X(utrans_countAvailableIDs, int32_t, void)                                                     \
    X(utrans_openIDs, UEnumeration*, UErrorCode*)                                                  \
    X(utrans_transUChars, void, const UTransliterator*, UChar*, int32_t*, int32_t, int32_t,        \
      int32_t*, UErrorCode*)

/* Calendar (i18n library). */
#define NLSUI_ICU_AREA_CAL(X)                                                                      \
    X(ucal_getAvailable, const char*, int32_t)                                                     \
    X(ucal_countAvailable, int32_t, void)                                                          \
    X(ucal_open, UCalendar*, const UChar*, int32_t, const char*, UCalendarType, UErrorCode*)       \
    X(ucal_close, void, UCalendar*)                                                                \
    X(ucal_set, void, UCalendar*, UCalendarDateFields, int32_t)                                    \
    X(ucal_setDate, void, UCalendar*, int32_t, int32_t, int32_t, UErrorCode*)                      \
    X(ucal_get, int32_t, const UCalendar*, UCalendarDateFields, UErrorCode*)                       \
    X(ucal_getMillis, UDate, const UCalendar*, UErrorCode*)                                        \
    X(ucal_setMillis, void, UCalendar*, UDate, UErrorCode*)

/* All entry points of each library. */
#define NLSUI_ICU_COMMON_LIBRARY(X)                                                                \
    NLSUI_ICU_AREA_CTYPE(X)                                                                        \
    NLSUI_ICU_AREA_COMMON(X)                                                                       \
    NLSUI_ICU_AREA_BIDI(X)                                                                         \
    NLSUI_ICU_AREA_SHAPE(X)                                                                        \
    NLSUI_ICU_AREA_NORM(X)                                                                         \
    NLSUI_ICU_AREA_BRK(X)                                                                          \
    NLSUI_ICU_AREA_IDNA(X)
#define NLSUI_ICU_I18N_LIBRARY(X)                                                                  \
    NLSUI_ICU_AREA_COLL(X)                                                                         \
    NLSUI_ICU_AREA_TRANS(X)                                                                        \
    NLSUI_ICU_AREA_CAL(X)
#define NLSUI_ICU_ALL(X)                                                                           \
    NLSUI_ICU_COMMON_LIBRARY(X)                                                                    \
    NLSUI_ICU_I18N_LIBRARY(X)

#endif
