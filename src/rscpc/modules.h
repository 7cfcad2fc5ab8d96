#ifndef QOR_RSCPC_MODULES_H
#define QOR_RSCPC_MODULES_H

/* The identification strings of the converter's modules ("@(#) $Id: ",
 * the module's source path and revision). The error recorder takes the
 * module name of a record, its report and its system-log lines from them,
 * so they name the converter's own modules whatever files hold the code. */

#include "u16/qor_uc.h"

namespace rscpc {

/* Start-up, cache creation, sizes, options, invalidation, reorganisation. */
inline constexpr QOR_UC kRscpmcIdent[] = u"@(#) $Id: //krn/rscp/rscpmc#1 $ not thread safe";
inline constexpr QOR_UC kRscpmcPath[] = u"krn/rscp/rscpmc";
/* The hook table. */
inline constexpr QOR_UC kRscphookIdent[] = u"@(#) $Id: //krn/rscp/rscphook#1 $ not thread safe";
/* The table readers and the room check of the loader. */
inline constexpr QOR_UC kRscpdlIdent[] = u"@(#) $Id: //krn/rscp/rscpdl#1 $ not thread safe";
inline constexpr QOR_UC kRscpmlIdent[] = u"@(#) $Id: //krn/rscp/rscpml#1 $ not thread safe";
/* Status report, quality check and database code-page query. */
inline constexpr QOR_UC kRscpmiIdent[] = u"@(#) $Id: //krn/rscp/rscpmi#2 $ not thread safe";
inline constexpr QOR_UC kRscpmiPath[] = u"krn/rscp/rscpmi";

} // namespace rscpc

#endif
