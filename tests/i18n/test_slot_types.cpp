// Compile-time check that every slot has the type of the ICU function it
// holds. ICU's headers are included here only; the start-up declares the
// types itself. A slot typed differently (an int where ICU returns a
// one-byte UBool, a missing parameter, a 64-bit count) fails to compile.
#include <unicode/ubidi.h>
#include <unicode/ubrk.h>
#include <unicode/ucal.h>
#include <unicode/uchar.h>
#include <unicode/uclean.h>
#include <unicode/ucol.h>
#include <unicode/uenum.h>
#include <unicode/uidna.h>
#include <unicode/uloc.h>
#include <unicode/unorm.h>
#include <unicode/ushape.h>
#include <unicode/ustring.h>
#include <unicode/utrans.h>

#include <gtest/gtest.h>

#include <type_traits>

#include "i18n/nlsui_icu.h"

namespace {

// Translates a type written with ICU's names into the start-up's names:
// ICU's own enumerations and opaque structures become their counterparts,
// everything else (including the built-in types under UBool, UChar, ...)
// stays as it is.
template <class T> struct ToSlot
{
    using type = T;
};
template <class T> struct ToSlot<T*>
{
    using type = typename ToSlot<T>::type*;
};
template <class T> struct ToSlot<const T>
{
    using type = const typename ToSlot<T>::type;
};
template <class R, class... A> struct ToSlot<R(A...)>
{
    using type = typename ToSlot<R>::type(typename ToSlot<A>::type...);
};

#define SAME_TYPE(icu, mine)                                                                       \
    template <> struct ToSlot<icu>                                                                 \
    {                                                                                              \
        using type = mine;                                                                         \
    };
#define SAME_ENUM(icu, mine)                                                                       \
    SAME_TYPE(icu, mine)                                                                           \
    static_assert(std::is_same_v<std::underlying_type_t<icu>, std::underlying_type_t<mine>>,       \
                  #icu " has another underlying type");

SAME_ENUM(::UErrorCode, nlsui_icu::UErrorCode)
SAME_ENUM(::UProperty, nlsui_icu::UProperty)
SAME_ENUM(::UCharDirection, nlsui_icu::UCharDirection)
SAME_ENUM(::UPropertyNameChoice, nlsui_icu::UPropertyNameChoice)
SAME_ENUM(::UNormalizationMode, nlsui_icu::UNormalizationMode)
SAME_ENUM(::UNormalizationCheckResult, nlsui_icu::UNormalizationCheckResult)
SAME_ENUM(::UBreakIteratorType, nlsui_icu::UBreakIteratorType)
SAME_ENUM(::ULocDataLocaleType, nlsui_icu::ULocDataLocaleType)
SAME_ENUM(::UColAttributeValue, nlsui_icu::UColAttributeValue)
SAME_ENUM(::UCollationResult, nlsui_icu::UCollationResult)
SAME_ENUM(::UTransDirection, nlsui_icu::UTransDirection)
SAME_ENUM(::UCalendarType, nlsui_icu::UCalendarType)
SAME_ENUM(::UCalendarDateFields, nlsui_icu::UCalendarDateFields)
SAME_TYPE(::UEnumeration, nlsui_icu::UEnumeration)
SAME_TYPE(::UBiDi, nlsui_icu::UBiDi)
SAME_TYPE(::UBreakIterator, nlsui_icu::UBreakIterator)
SAME_TYPE(::UParseError, nlsui_icu::UParseError)
SAME_TYPE(::UCharIterator, nlsui_icu::UCharIterator)
SAME_TYPE(::UCollator, nlsui_icu::UCollator)

#undef SAME_ENUM
#undef SAME_TYPE

// `name` below is renamed by ICU's headers to the versioned C name, so the
// check compares with exactly the function the start-up looks up.
#define CHECK_SLOT(name, ret, ...)                                                                 \
    static_assert(std::is_same_v<ToSlot<std::remove_pointer_t<decltype(&name)>>::type,             \
                                 nlsui_icu::Fn_##name>,                                            \
                  "slot type differs from ICU's " #name);
// ICU marks some of the functions that the start-up binds as deprecated;
// their types are checked all the same.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
NLSUI_ICU_ALL(CHECK_SLOT)
#pragma GCC diagnostic pop
#undef CHECK_SLOT

// The renaming itself: the versioned names the start-up builds from the
// plain names and the build's suffix are ICU's.
#define STR2(x) #x
#define STR(x) STR2(x)
#define VERSIONED_NAME(name, ret, ...) {#name "_" I18N_ICU_MAJOR, STR(name)},

TEST(StartupSlotTypes, EveryAreaEntryIsCountedAndCarriesIcusVersionedName)
{
    EXPECT_EQ(nlsui_icu::kSlotCount, 89);
    const struct
    {
        const char* built;
        const char* icu;
    } names[] = {NLSUI_ICU_ALL(VERSIONED_NAME)};
    ASSERT_EQ(sizeof names / sizeof names[0], 89u);
    for (const auto& entry : names)
        EXPECT_STREQ(entry.built, entry.icu);
}

#undef VERSIONED_NAME

} // namespace
