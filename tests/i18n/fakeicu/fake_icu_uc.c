/* A small stand-in for the ICU common library, exporting the versioned names
 * that the start-up binds. Character properties cover ASCII, Latin-1 and the
 * case pairs of Latin Extended-A, enough to tell its answers from those of
 * the 7-bit mode. Built with FAKE_BAD_DATA, the upper-case mapping leaves
 * every character unchanged, as a library without working data does.
 * Entry points that the start-up binds but never calls are empty. */
#include <stdint.h>
#include <stdio.h>

#define FAKE_NAME2(name, major) name##_##major
#define FAKE_NAME1(name, major) FAKE_NAME2(name, major)
#define V(name) FAKE_NAME1(name, FAKE_ICU_MAJOR)
#define STUB(name)                                                                                 \
    void V(name)(void) {}

static int is_latin1_upper(int32_t c)
{
    return c >= 0xC0 && c <= 0xDE && c != 0xD7;
}
static int is_latin1_lower(int32_t c)
{
    return c >= 0xDF && c <= 0xFF && c != 0xF7;
}
static int is_ext_a(int32_t c)
{
    return c >= 0x100 && c <= 0x17F;
}

int8_t V(u_isupper)(int32_t c)
{
    return (c >= 'A' && c <= 'Z') || is_latin1_upper(c) || (is_ext_a(c) && c % 2 == 0);
}
int8_t V(u_islower)(int32_t c)
{
    return (c >= 'a' && c <= 'z') || is_latin1_lower(c) || (is_ext_a(c) && c % 2 == 1);
}
int8_t V(u_isalpha)(int32_t c)
{
    return V(u_isupper)(c) || V(u_islower)(c);
}
int8_t V(u_isalnum)(int32_t c)
{
    return V(u_isalpha)(c) || (c >= '0' && c <= '9');
}
int8_t V(u_iscntrl)(int32_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}
int8_t V(u_isprint)(int32_t c)
{
    return !V(u_iscntrl)(c);
}
int8_t V(u_isspace)(int32_t c)
{
    return c == ' ' || (c >= 0x09 && c <= 0x0D);
}

int32_t V(u_toupper)(int32_t c)
{
#ifdef FAKE_BAD_DATA
    return c;
#else
    if ((c >= 'a' && c <= 'z') || (is_latin1_lower(c) && c != 0xDF && c != 0xFF))
        return c - 0x20;
    if (is_ext_a(c) && c % 2 == 1)
        return c - 1;
    return c;
#endif
}

int32_t V(u_tolower)(int32_t c)
{
    if ((c >= 'A' && c <= 'Z') || is_latin1_upper(c))
        return c + 0x20;
    if (is_ext_a(c) && c % 2 == 0)
        return c + 1;
    return c;
}

void V(u_getVersion)(uint8_t* version)
{
    version[0] = FAKE_ICU_MAJOR;
    version[1] = 9;
    version[2] = 0;
    version[3] = 0;
}

void V(u_getUnicodeVersion)(uint8_t* version)
{
    version[0] = 15;
    version[1] = 0;
    version[2] = 0;
    version[3] = 0;
}

void V(u_versionToString)(const uint8_t* version, char* text)
{
    snprintf(text, 20, "%u.%u", (unsigned)version[0], (unsigned)version[1]);
}

STUB(u_errorName)
STUB(u_charType)
STUB(u_getIntPropertyValue)
STUB(u_charDirection)
STUB(u_getPropertyEnum)
STUB(u_getPropertyValueName)
STUB(u_setMemoryFunctions)
STUB(u_init)
STUB(u_cleanup)
STUB(uenum_unext)
STUB(uenum_count)
STUB(u_strToUpper)
STUB(ubidi_open)
STUB(ubidi_close)
STUB(ubidi_setInverse)
STUB(ubidi_setPara)
STUB(ubidi_writeReordered)
STUB(ubidi_getLogicalMap)
STUB(ubidi_getVisualMap)
STUB(ubidi_getLevelAt)
STUB(u_charMirror)
STUB(u_shapeArabic)
STUB(unorm_normalize)
STUB(unorm_quickCheck)
STUB(unorm_quickCheckWithOptions)
STUB(unorm_isNormalized)
STUB(unorm_isNormalizedWithOptions)
STUB(unorm_next)
STUB(unorm_previous)
STUB(unorm_concatenate)
STUB(unorm_compare)
STUB(ubrk_open)
STUB(ubrk_openRules)
STUB(ubrk_safeClone)
STUB(ubrk_close)
STUB(ubrk_setText)
STUB(ubrk_current)
STUB(ubrk_next)
STUB(ubrk_previous)
STUB(ubrk_first)
STUB(ubrk_last)
STUB(ubrk_preceding)
STUB(ubrk_following)
STUB(ubrk_getAvailable)
STUB(ubrk_countAvailable)
STUB(ubrk_isBoundary)
STUB(ubrk_getRuleStatus)
STUB(ubrk_getLocaleByType)
STUB(uloc_getDefault)
STUB(uidna_toASCII)
STUB(uidna_toUnicode)
STUB(uidna_IDNToASCII)
STUB(uidna_IDNToUnicode)
STUB(uidna_compare)
