#ifndef QOR_U16_U16_H
#define QOR_U16_U16_H

/* The 16-bit Unicode C library. */

#include "u16/qor_uc.h"
#include "u16/u16_diag.h"
#include "u16/u16_errtext.h"
#include "u16/u16_input.h"
#include "u16/u16_os.h"
#include "u16/u16_printf.h"
#include "u16/u16_scanf.h"
#include "u16/u16_string.h"

#endif
