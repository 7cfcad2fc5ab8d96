#ifndef QOR_U16_U16_ERRTEXT_TABLE_H
#define QOR_U16_U16_ERRTEXT_TABLE_H

/* Internal: the error-text rows in ascending order of the unsigned code,
 * followed by an end row {0, null} that is not counted in kSysErrTextRows. */

#include <cstddef>
#include <cstdint>

#include "u16/qor_uc.h"

struct SysErrTextRow
{
    uint32_t code;
    const QOR_UC* text;
};

extern const SysErrTextRow kSysErrText[];
extern const size_t kSysErrTextRows;

#endif
