#ifndef QOR_RSCPC_SETTINGS_H
#define QOR_RSCPC_SETTINGS_H

/* The converter's settings: parameters through the host's lookup (hook 18)
 * and environment variables. */

#include <cstdint>

#include "u16/qor_uc.h"

/* The parameter's value, or null. */
const QOR_UC* rscp_parameter(const QOR_UC* name);
/* The environment variable's value as 16-bit text in out (at most size - 1
 * units), or null when it is not set. */
const QOR_UC* rscp_environment(const char* name, QOR_UC* out, int32_t size);
/* A decimal number with optional sign; values beyond 32 bits saturate.
 * Reading stops at the first other character. */
int32_t rscp_decimal(const QOR_UC* text);

#endif
