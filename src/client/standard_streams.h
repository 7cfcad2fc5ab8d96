#ifndef QOR_CLIENT_STANDARD_STREAMS_H
#define QOR_CLIENT_STANDARD_STREAMS_H

/* Opens each of the descriptors 0, 1 and 2 that is closed on /dev/null, so
 * that no file or socket opened later takes its number and receives what is
 * printed or traced. Runs first in the process; false when a closed one
 * cannot be opened. */
bool open_closed_standard_streams(void);

/* Gives standard output a large block buffer unless it is a terminal; must
 * run before anything is written to it. */
void buffer_standard_output(void);

#endif
