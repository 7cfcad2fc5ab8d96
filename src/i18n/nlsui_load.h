#ifndef QOR_I18N_NLSUI_LOAD_H
#define QOR_I18N_NLSUI_LOAD_H

/* Loading of the ICU libraries: the steps of the start-up that nlsui_init
 * runs, and the library handles that the binders read. */

#include <cstddef>

/* Longest library name or joined path, terminator included. */
#define MAX_PATH_LN 260

/* 0 when the common library is loaded, all of its areas are bound and the
 * data library answers; 1 when not. Ends the process with exit status -1
 * when the common library cannot be used and NLSUI_7BIT_FALLBACK is unset.
 * The work is done once; later calls return the stored outcome. */
int loadIcuDo(void);
int loadIcuCommon(void);
int loadIcuI18n(void);

/* Opens a library by name or path; kind names it in messages. */
void* nlsui_dlopen(const char* name, const char* kind);
int nlsui_dlclose(void* handle);
/* Joins directory and name with one '/' into result (MAX_PATH_LN bytes);
 * leaves result empty when the path does not fit. */
void nlsui_path_join(const char* directory, const char* name, char* result);

/* Handles of the open libraries (null when not open). */
void* nlsui_icu_common_handle(void);
void* nlsui_icu_i18n_handle(void);

/* The library record the program is built for. */
struct NlsuiIcuRecord
{
    const char* version;           /* ICU version, e.g. "72.1" */
    const char* version_directory; /* below the network directory */
    const char* common_library;
    const char* data_library;
    const char* i18n_library;
    const char* suffix; /* appended to every entry-point name */
};
const NlsuiIcuRecord& nlsui_icu_record(void);

#endif
