#ifndef QOR_BASE_ERR_H
#define QOR_BASE_ERR_H

/* Error information: each thread's record of its last error, a run of 21
 * zero-terminated UTF-16 fields between two "*ERR*" eyecatchers, at most
 * ERR_MAX_LEN units. Formats are UTF-16; "%s" takes a 16-bit string. */

#include <cstddef>
#include <cstdint>

#include "u16/qor_uc.h"

#define ERR_MAX_LEN 500 /* units of a whole record, terminators included */

/* Field numbers for ErrGetFld and ErrReplace. */
enum {
    ERR_FLD_EYECATCHER = 0,
    ERR_FLD_FORMAT_VERSION = 1,
    ERR_FLD_ERROR = 2,
    ERR_FLD_RC = 3,
    ERR_FLD_COMPONENT = 4,
    ERR_FLD_RELEASE = 5,
    ERR_FLD_VERSION = 6,
    ERR_FLD_MODULE = 7,
    ERR_FLD_LINE = 8,
    ERR_FLD_DETAIL = 9,
    ERR_FLD_TIME = 10,
    ERR_FLD_SYSCALL = 11,
    ERR_FLD_ERRNO = 12,
    ERR_FLD_ERRNO_TEXT = 13,
    ERR_FLD_COUNTER = 14,
    ERR_FLD_LOCATION = 15,
    ERR_FLD_DESCR_MSG_NO = 16,
    ERR_FLD_DESCR_VARGS = 17,
    ERR_FLD_DETAIL_MSG_NO = 18,
    ERR_FLD_DETAIL_VARGS = 19,
    ERR_FLD_EYECATCHER_END = 20,
    ERR_FLD_COUNT = 21,
};

/* Return codes. */
#define ERR_OK 0
#define ERR_TOO_LARGE (-1)
#define ERR_NO_INFO (-2)
#define ERR_NOT_REPLACEABLE (-3)
#define ERR_NO_MEMORY (-5)
#define ERR_INVALID (-6)
#define ERR_CONVERSION (-8)

int ErrSet(const QOR_UC* component, uint32_t version, const QOR_UC* file, int line,
           const QOR_UC* error_text, int rc, const QOR_UC* detail_fmt, ...);
/* syserr is an errno value (0: none); its text comes from the system
 * error-code texts. A set log flag also writes a "***LOG Q0I=> " trace line. */
int ErrSetSys(const QOR_UC* component, uint32_t version, const QOR_UC* file, int line,
              unsigned char log, const QOR_UC* error_text, int rc, const QOR_UC* detail_fmt,
              const QOR_UC* syscall, int syserr, ...);
/* All texts already formatted. */
int ErrISetSys(const QOR_UC* component, uint32_t version, const QOR_UC* file, int line,
               unsigned char log, const QOR_UC* error_text, int rc, const QOR_UC* detail,
               const QOR_UC* syscall, int syserr, const QOR_UC* descr_msg_no,
               const QOR_UC* descr_vargs, const QOR_UC* detail_msg_no, const QOR_UC* detail_vargs);

/* The text of field n of the current record; "" when there is none (or n is
 * outside 0..20). The pointer is valid until the record changes. */
const QOR_UC* ErrGetFld(int n);
int ErrGetAttr(const QOR_UC** area, int* len);
bool ErrIsSet(void);
int ErrClear(void);

/* Takes over a record of n units as the current one. */
int ErrCpTo(const QOR_UC* record, int n);
/* The current record as UTF-8 into dst (size bytes); *len gets the bytes. */
int ErrCpToNet(unsigned char* dst, int* len, int size);
/* Takes over a received UTF-8 (or EBCDIC) record of n bytes. */
int ErrCpNetToInt(const unsigned char* data, int n);

/* Replaces field n. Arguments by field: 2, 9, 15, 16, 18: a format and its
 * arguments; 3, 14, 12: an int; 4-8, 11, 13, 17, 19: a 16-bit text. */
int ErrReplace(int n, ...);

/* The text of an errno value cut to size - 1 units; null for size < 1. */
QOR_UC* ErrSysText(int code, QOR_UC* buf, int size);
/* Copies src with every "%" doubled; null for size 0. */
QOR_UC* ErrIEscapePercent(const QOR_UC* src, QOR_UC* dst, size_t size);

#endif
