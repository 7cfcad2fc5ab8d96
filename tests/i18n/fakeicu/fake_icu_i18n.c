/* A small stand-in for the ICU i18n library: the versioned names of the
 * collation, transliteration and calendar entry points that the start-up
 * binds (and this program never calls). */
#define FAKE_NAME2(name, major) name##_##major
#define FAKE_NAME1(name, major) FAKE_NAME2(name, major)
#define V(name) FAKE_NAME1(name, FAKE_ICU_MAJOR)
#define STUB(name)                                                                                 \
    void V(name)(void) {}

STUB(ucol_open)
STUB(ucol_strcoll)
STUB(ucol_close)
STUB(ucol_setStrength)
STUB(ucol_getSortKey)
STUB(ucol_getLocaleByType)
STUB(utrans_openU)
STUB(utrans_openInverse)
STUB(utrans_close)
STUB(utrans_getUnicodeID)
STUB(utrans_setFilter)
STUB(utrans_countAvailableIDs)
STUB(utrans_openIDs)
STUB(utrans_transUChars)
STUB(ucal_getAvailable)
STUB(ucal_countAvailable)
STUB(ucal_open)
STUB(ucal_close)
STUB(ucal_set)
STUB(ucal_setDate)
STUB(ucal_get)
STUB(ucal_getMillis)
STUB(ucal_setMillis)
