#ifndef QOR_U16_QOR_UC_H
#define QOR_U16_QOR_UC_H

/* The program's 16-bit character: one UTF-16 code unit. Linux wchar_t is
 * 32 bits wide, so 16-bit text never goes to the C library's wide functions. */
#ifdef __cplusplus
typedef char16_t QOR_UC;
#else
#include <uchar.h>
typedef char16_t QOR_UC;
#endif

/* A 16-bit string literal: cU("text"). */
#define cU(s) u##s

#endif
