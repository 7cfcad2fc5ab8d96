#ifndef QOR_CLIENT_TRACE_MASK_H
#define QOR_CLIENT_TRACE_MASK_H

#include <cstdio>

/* A stream for the transport's trace that writes through to file (flushing
 * it after each write), except the value of every header line
 * "Authorization:" (any case), which becomes " ********": the trace shows
 * that credentials went out, never what they were. Closing the stream
 * leaves file open. Null for a null file, or when no stream can be made
 * (then nothing is traced rather than the credentials). */
FILE* open_masked_trace(FILE* file);

#endif
