#ifndef QOR_CLIENT_TRACE_FILE_H
#define QOR_CLIENT_TRACE_FILE_H

#include <cstdio>

#include "u16/qor_uc.h"

/* Opens the -trace file of a 16-bit name ("NUL" is the null device) for
 * writing from its start, a new one or one that stands there, and only where
 * the walk of write_target.h leads: never through another user's link in a
 * sticky folder, never another user's FIFO or regular file in a sticky folder
 * that everyone may write (the folder owner's aside). A FIFO it may open
 * is opened as "wb" opens it: the open waits for a reader. A link of /proc
 * (/proc/self/cwd, /dev/stderr, /dev/fd/N) is followed by the kernel; at
 * the end it is opened as the open file it stands for. Null when the file
 * cannot or may not be opened. */
FILE* open_trace_file(const QOR_UC* name);

#endif
