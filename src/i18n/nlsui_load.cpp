// The I18N start-up: finds and opens the ICU libraries, binds their entry
// points, checks the data library and decides between ICU, the 7-bit mode
// and the end of the process.
#include "i18n/nlsui_load.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "i18n/nlsui.h"
#include "i18n/nlsui_fallback.h"
#include "i18n/nlsui_icu.h"
#include "i18n/nlsui_trace.h"
#include "platform/i18n_os.h"
#include "u16/u16_string.h"

#ifndef NLSUI_ICU_VERSION
#error "NLSUI_ICU_VERSION and the ICU library names come from the build"
#endif

namespace {

const NlsuiIcuRecord kRecord = {
    NLSUI_ICU_VERSION,  NLSUI_ICU_VERSION,  NLSUI_ICU_COMMON_LIB,
    NLSUI_ICU_DATA_LIB, NLSUI_ICU_I18N_LIB, NLSUI_ICU_SUFFIX,
};

const char kKind[] = "ICU";
/* The dynamic linker's search path, counterpart of PATH for libraries. */
const char kSearchVariable[] = "LD_LIBRARY_PATH";
/* A fixed directory searched last, below which a subdirectory per ICU
 * version holds the libraries; none in the product build. */
#ifndef NLSUI_ICU_NETWORK_DIR
#define NLSUI_ICU_NETWORK_DIR ""
#endif
const char kNetworkDirectory[] = NLSUI_ICU_NETWORK_DIR;

void* g_common = nullptr;
void* g_i18n = nullptr;

struct LoadState
{
    bool done = false;
    int result = -1;
};
LoadState g_common_load;
LoadState g_i18n_load;

const char* search_path_value(void)
{
    const char* value = std::getenv(kSearchVariable);
    return value != nullptr ? value : "<not set>";
}

/* The network directory is searched only when it exists and NO_QOR_ICU_PATH
 * is unset (tested in this order). */
bool network_directory_usable(void)
{
    return i18n_path_exists(kNetworkDirectory) && std::getenv("NO_QOR_ICU_PATH") == nullptr;
}

void* openIcuCommonLib(void)
{
    nlsui_init_trc(NLSUI_TRC_HIGH, "Program is compiled with ICU version %s", kRecord.version);
    nlsui_init_trc(NLSUI_TRC_HIGH, "Required ICU library files: %s %s %s", kRecord.common_library,
                   kRecord.data_library, kRecord.i18n_library);
    nlsui_init_trc_newline();
    nlsui_init_trc(NLSUI_TRC_MEDIUM, "Searching for libicuuc in environment path %s",
                   kSearchVariable);
    nlsui_init_trc(NLSUI_TRC_HIGH, "%s is set to %s ", kSearchVariable, search_path_value());

    void* handle = nlsui_dlopen(kRecord.common_library, kKind);
    if (handle != nullptr) {
        nlsui_init_trc(NLSUI_TRC_MEDIUM, "Loaded ICU common lib: %s", kRecord.common_library);
        return handle;
    }

    if (network_directory_usable()) {
        nlsui_init_trc_newline();
        nlsui_init_trc(NLSUI_TRC_MEDIUM, "Searching for libicuuc in %s", kNetworkDirectory);
        char version_path[MAX_PATH_LN];
        char path[MAX_PATH_LN];
        nlsui_path_join(kNetworkDirectory, kRecord.version_directory, version_path);
        nlsui_path_join(version_path, kRecord.data_library, path);
        // The data library stays loaded for the life of the process.
        if (nlsui_dlopen(path, kKind) != nullptr)
            nlsui_init_trc(NLSUI_TRC_MEDIUM, "Loaded ICU data lib: %s", path);
        nlsui_path_join(version_path, kRecord.common_library, path);
        handle = nlsui_dlopen(path, kKind);
        if (handle != nullptr) {
            nlsui_init_trc(NLSUI_TRC_MEDIUM, "Loaded ICU common lib: %s", path);
            return handle;
        }
    }

    nlsui_init_trc(NLSUI_TRC_LOW,
                   "Could not open the ICU common library.\n"
                   "   The following files must be in the path described by\n"
                   "   the environment variable \"%s\":\n"
                   "   %s, %s, %s",
                   kSearchVariable, kRecord.common_library, kRecord.data_library,
                   kRecord.i18n_library);
    nlsui_init_trc(NLSUI_TRC_LOW, "%s is currently set to %s ", kSearchVariable,
                   search_path_value());
    return nullptr;
}

void* openIcuI18nLib(void)
{
    nlsui_init_trc_newline();
    nlsui_init_trc(NLSUI_TRC_MEDIUM, "Searching for libicui18n in environment path %s",
                   kSearchVariable);
    nlsui_init_trc(NLSUI_TRC_HIGH, "%s is set to %s ", kSearchVariable, search_path_value());

    void* handle = nlsui_dlopen(kRecord.i18n_library, kKind);
    if (handle != nullptr) {
        nlsui_init_trc(NLSUI_TRC_MEDIUM, "Loaded ICU i18n lib: %s from environment path",
                       kRecord.i18n_library);
        return handle;
    }

    if (network_directory_usable()) {
        nlsui_init_trc_newline();
        nlsui_init_trc(NLSUI_TRC_MEDIUM, "Searching for libicui18n in %s", kNetworkDirectory);
        char version_path[MAX_PATH_LN];
        char path[MAX_PATH_LN];
        nlsui_path_join(kNetworkDirectory, kRecord.version_directory, version_path);
        nlsui_path_join(version_path, kRecord.i18n_library, path);
        handle = nlsui_dlopen(path, kKind);
        if (handle != nullptr) {
            nlsui_init_trc(NLSUI_TRC_MEDIUM, "Loaded ICU i18n lib: %s", path);
            return handle;
        }
    }

    nlsui_init_trc(NLSUI_TRC_LOW, "Could not open the ICU i18n library");
    return nullptr;
}

void closeIcuI18nLib(void)
{
    nlsui_init_trc(NLSUI_TRC_LOW, "%s is closed again", kRecord.i18n_library);
    // Collation, transliteration and calendar must not point into a closed
    // library.
    nlsui_icu::clearI18nLibrarySlots();
    if (g_i18n != nullptr) {
        nlsui_dlclose(g_i18n);
        g_i18n = nullptr;
    }
}

/* A working data library maps U+0101 to U+0100. */
int checkIcuDataLib(void)
{
    if (toupperU(0x0101) == 0x0101) {
        nlsui_init_trc(NLSUI_TRC_LOW, "ICU data shared lib does not behave correctly.");
        return -1;
    }
    return 0;
}

void traceIcuVersion(void)
{
    using namespace nlsui_icu;
    nlsui_init_trc(NLSUI_TRC_MEDIUM, "Compiled with ICU version %s", kRecord.version);
    UVersionInfo version = {0, 0, 0, 0};
    char text[20] = "";
    p_u_getVersion(version);
    p_u_versionToString(version, text);
    nlsui_init_trc(NLSUI_TRC_MEDIUM, "Running with ICU version %s", text);
    UVersionInfo unicode = {0, 0, 0, 0};
    char unicode_text[20] = "";
    p_u_getUnicodeVersion(unicode);
    p_u_versionToString(unicode, unicode_text);
    nlsui_init_trc(NLSUI_TRC_MEDIUM, "ICU uses Unicode version %s", unicode_text);
}

/* Ends the process, or switches to the 7-bit mode when the user asked for
 * it. */
void icuLoadFailed(void)
{
    if (std::getenv("NLSUI_7BIT_FALLBACK") == nullptr) {
        nlsui_init_trc(
            NLSUI_TRC_HIGH,
            "Terminating.\n"
            "   You may set the environment variable NLSUI_7BIT_FALLBACK to run the program\n"
            "   without the ICU libraries in an emergency mode.");
        std::exit(-1);
    }
    nlsui_init_trc(NLSUI_TRC_LOW, "Environment variable NLSUI_7BIT_FALLBACK is set.");
    install7BitFallback();
    if (g_common != nullptr) {
        // Nothing may keep pointing into the library that is closed here.
        nlsui_icu::clearCommonLibrarySlots();
        nlsui_reset_common_bound();
        nlsui_dlclose(g_common);
        g_common = nullptr;
    }
}

int finish(LoadState& state, int result)
{
    state.done = true;
    state.result = result;
    return result;
}

} // namespace

const NlsuiIcuRecord& nlsui_icu_record(void)
{
    return kRecord;
}

void* nlsui_icu_common_handle(void)
{
    return g_common;
}

void* nlsui_icu_i18n_handle(void)
{
    return g_i18n;
}

int loadIcuCommon(void)
{
    if (g_common_load.done)
        return g_common_load.result;

    g_common = openIcuCommonLib();
    if (g_common == nullptr) {
        icuLoadFailed();
        return finish(g_common_load, 1);
    }
    if (bindIcuCommon() != 0)
        return finish(g_common_load, 1);
    if (bindIcuCtype() != 0 || checkIcuDataLib() != 0) {
        icuLoadFailed();
        return finish(g_common_load, 1);
    }
    if (bindIcuBidi() != 0 || bindIcuShape() != 0 || bindIcuNorm() != 0 || bindIcuBrk() != 0 ||
        bindIcuIdna() != 0)
        return finish(g_common_load, 1);
    traceIcuVersion();
    return finish(g_common_load, 0);
}

int loadIcuI18n(void)
{
    if (g_i18n_load.done)
        return g_i18n_load.result;

    if (g_common == nullptr) {
        g_i18n = nullptr;
        return finish(g_i18n_load, 1);
    }
    g_i18n = openIcuI18nLib();
    if (g_i18n != nullptr && std::getenv("NLSUI_ICU_COLL_FALLBACK") == nullptr &&
        bindIcuCommon() == 0 && bindIcuColl() == 0 && bindIcuTrans() == 0 && bindIcuCal() == 0)
        return finish(g_i18n_load, 0);
    closeIcuI18nLib();
    return finish(g_i18n_load, 1);
}

int loadIcuDo(void)
{
    nlsui_read_init_trace_level();
    nlsui_read_u16_trace_level();
    nlsui_init_trc_newline();
    nlsui_init_trc(NLSUI_TRC_HIGH, "loadIcuDo() is called");
    int result = loadIcuCommon();
    loadIcuI18n();
    if (result == 0)
        return 0;
    nlsui_init_trc(NLSUI_TRC_LOW, "ICU shared libraries are not loaded");
    return 1;
}

void* nlsui_dlopen(const char* name, const char* kind)
{
    if (std::strlen(name) + 1 > MAX_PATH_LN) {
        nlsui_init_trc(NLSUI_TRC_LOW,
                       "Length of libname %s exceeds MAX_PATH_LN %u. nlsui_dlopen failed.", name,
                       static_cast<unsigned>(MAX_PATH_LN));
        return nullptr;
    }
    void* handle = i18n_dl_open(name);
    if (handle == nullptr) {
        nlsui_init_trc(NLSUI_TRC_HIGH, "Could not open %s shared library %s", kind, name);
        nlsui_init_trc(NLSUI_TRC_HIGH, "Error number: %ld", i18n_dl_last_error());
        return nullptr;
    }
    nlsui_init_trc(NLSUI_TRC_HIGH, "Library handle for %s: %p", name, handle);
    return handle;
}

int nlsui_dlclose(void* handle)
{
    int rc = i18n_dl_close(handle);
    if (rc != 0) {
        nlsui_init_trc(NLSUI_TRC_HIGH, "Could not close shared library handle %p", handle);
        nlsui_init_trc(NLSUI_TRC_HIGH, "Error number: %ld", i18n_dl_last_error());
    }
    return rc;
}

void nlsui_path_join(const char* directory, const char* name, char* result)
{
    // The result may be the directory's own buffer.
    char directory_copy[MAX_PATH_LN];
    auto result_at = reinterpret_cast<std::uintptr_t>(result);
    auto directory_at = reinterpret_cast<std::uintptr_t>(directory);
    if (result_at < directory_at + MAX_PATH_LN && directory_at < result_at + MAX_PATH_LN) {
        std::snprintf(directory_copy, sizeof directory_copy, "%s", directory);
        directory = directory_copy;
    }
    result[0] = '\0';
    size_t directory_length = std::strlen(directory);
    if (directory_length + 1 + std::strlen(name) + 1 > MAX_PATH_LN) {
        nlsui_init_trc(NLSUI_TRC_LOW, "Path %s/%s exceeds MAX_PATH_LN", directory, name);
        return;
    }
    strcpy_sR(result, MAX_PATH_LN, directory);
    if (directory_length > 0 && directory[directory_length - 1] != '/')
        strcat_sR(result, MAX_PATH_LN, "/");
    strcat_sR(result, MAX_PATH_LN, name);
}
