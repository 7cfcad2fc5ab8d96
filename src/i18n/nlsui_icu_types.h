#ifndef QOR_I18N_NLSUI_ICU_TYPES_H
#define QOR_I18N_NLSUI_ICU_TYPES_H

/* The C types of the ICU entry points that the start-up binds, declared here
 * because the program never includes ICU's headers (they rename every
 * function at compile time). Widths and signedness are ICU's own: a UBool is
 * one signed byte, a UChar32 a 32-bit integer, and each enumeration has the
 * underlying type that the compiler gives ICU's enumeration. */

#include <cstddef>
#include <cstdint>

namespace nlsui_icu {

using UBool = int8_t;
using UChar = char16_t;
using UChar32 = int32_t;
using UDate = double;
using UBiDiLevel = uint8_t;
using UVersionInfo = uint8_t[4];

enum UErrorCode : int {};
enum UProperty : int {};
enum UCharDirection : unsigned {};
enum UPropertyNameChoice : unsigned {};
enum UNormalizationMode : unsigned {};
enum UNormalizationCheckResult : unsigned {};
enum UBreakIteratorType : unsigned {};
enum ULocDataLocaleType : unsigned {};
enum UColAttributeValue : int {};
enum UCollationResult : int {};
enum UTransDirection : unsigned {};
enum UCalendarType : unsigned {};
enum UCalendarDateFields : unsigned {};

/* Objects that only ICU looks into. */
struct UEnumeration;
struct UBiDi;
struct UBreakIterator;
struct UParseError;
struct UCharIterator;
struct UCollator;
using UTransliterator = void*;
using UCalendar = void*;

using UMemAllocFn = void*(const void* context, size_t size);
using UMemReallocFn = void*(const void* context, void* mem, size_t size);
using UMemFreeFn = void(const void* context, void* mem);

} // namespace nlsui_icu

#endif
