#ifndef QOR_PLATFORM_U16_DEBUG_H
#define QOR_PLATFORM_U16_DEBUG_H

/* Breaks into the debugger: raises SIGTRAP with its default action, so an
 * attached debugger stops there and a process without one ends. */
void u16_debug_break(void);

/* True when the environment variable is set and equals "0" (the switch that
 * turns a debugger break off). */
bool u16_env_is_zero(const char* name);

#endif
