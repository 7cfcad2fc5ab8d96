#ifndef QOR_PLATFORM_U16_TERMINAL_H
#define QOR_PLATFORM_U16_TERMINAL_H

/* Switches the echo of a terminal off for a password read. While it is off,
 * SIGINT, SIGTERM, SIGHUP and SIGQUIT restore the saved terminal mode before
 * the signal takes its course. Does nothing (returns false) when the file
 * descriptor is no terminal. */
bool u16_echo_off(int fd);
/* Restores the mode saved by u16_echo_off and the previous signal handlers. */
void u16_echo_restore(void);

#endif
