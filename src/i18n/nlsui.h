#ifndef QOR_I18N_NLSUI_H
#define QOR_I18N_NLSUI_H

/* I18N start-up: loads the ICU libraries at run time, binds their entry
 * points by versioned name and, when ICU cannot be used, either ends the
 * process (exit status -1) or switches the character functions to a 7-bit
 * emergency mode (environment variable NLSUI_7BIT_FALLBACK).
 *
 * The process entry calls nlsui_set_cmdline and then nlsui_init before the
 * main logic. */

#include "u16/qor_uc.h"

/* Joins all arguments (program name included) by single blanks into a 7-bit
 * copy of at most 256 characters, every unit above 0x7F as '#', and hands it
 * to the Unicode runtime for its diagnostics. */
void nlsui_set_cmdline(int argc, const QOR_UC* const* argv);

/* Runs the start-up; may end the process with exit status -1. */
void nlsui_init(void);

/* Character functions. Each one calls through a process-wide slot: a
 * start-up stub before the start-up (it runs the start-up first), ICU after
 * it, or a 7-bit replacement in the emergency mode. The argument is a
 * character (a 16-bit unit from this program's callers); the class tests are
 * nonzero when the class holds, the mappings return the mapped character. */
int isalnumU(int c);
int isalphaU(int c);
int iscntrlU(int c);
int islowerU(int c);
int isprintU(int c);
int isspaceU(int c);
int isupperU(int c);
int tolowerU(int c);
int toupperU(int c);

#endif
