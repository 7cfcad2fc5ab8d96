#ifndef QOR_BASE_DL_H
#define QOR_BASE_DL_H

/* Dynamic library loader: loads shared libraries by name into a table of 64
 * rows, counts their users and resolves functions in them. */

#include <cstdint>

#include "u16/qor_uc.h"

typedef int DL_HDL;
#define DL_HDL_INVALID (-1)
#define DL_MAX_HANDLES 64
#define DL_MAX_NAME 256 /* units of a library name, terminator included */

/* Return codes. */
#define DL_OK 0
#define DLENOACCESS (-2) /* DlLoadLib: no name or load failed; DlLoadFunc: not found */
#define DLEINVAL (-3)    /* name too long, or invalid handle */
#define DLENOFREE (-4)   /* no free row */
#define DLEUNLOAD (-5)   /* the library could not be unloaded */

/* A resolved function; cast it to its real type. */
typedef void (*DL_FUNC)(void);

int DlLoadLib(const QOR_UC* name, DL_HDL* hdl);
/* flags are not used; pass 0. *fn is written only on success. */
int DlLoadFunc(DL_HDL hdl, const QOR_UC* function, uint32_t flags, DL_FUNC* fn);
/* On success *hdl becomes DL_HDL_INVALID. */
int DlUnloadLib(DL_HDL* hdl);

#endif
