#ifndef QOR_PLATFORM_U16_DEBUG_H
#define QOR_PLATFORM_U16_DEBUG_H

/* Breaks into an attached debugger: raises SIGTRAP when a tracer is
 * attached; without one it does nothing (a plain SIGTRAP would end the
 * process). */
void u16_debug_break(void);

/* True when the environment variable is set and equals "0" (the switch that
 * turns a debugger break off). */
bool u16_env_is_zero(const char* name);

#endif
