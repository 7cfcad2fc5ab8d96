#ifndef QOR_U16_U16_ERRTEXT_H
#define QOR_U16_U16_ERRTEXT_H

/* Texts of system error codes, HRESULTs and errno values:
 * "NAME: message". */

#include <cstdint>

#include "u16/qor_uc.h"

/* The code's read-only text, or an empty string for 0 or an unknown code. */
const QOR_UC* syserrtextU16(uint32_t code);

/* The same for a Linux errno value (mapped by its symbol first). */
const QOR_UC* syserrtextErrnoU16(int linux_errno);

#endif
