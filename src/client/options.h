#ifndef QOR_CLIENT_OPTIONS_H
#define QOR_CLIENT_OPTIONS_H

#include "client/settings.h"
#include "u16/qor_uc.h"

/* Thrown to end the run with an exit code (usage errors, failed set-up,
 * unknown webmethod); run_client catches it and returns the code, so the
 * process ends exactly as through exit() with everything flushed. */
struct ClientExit
{
    int code;
};

/* Ends the run with the given exit code. */
[[noreturn]] void client_exit(int code);

/* Prints the usage text with the program's product version and ends the run
 * with exit code 1. */
[[noreturn]] void print_usage(void);

/* The usage text with "%s" in place of the version. */
const QOR_UC* usage_text(void);

/* A number word read in base 10 the way the Windows C library's wcstol reads
 * it: leading white space, an optional sign, the digits up to the first
 * other character (none: 0), clamped to the 32-bit range. */
int word_to_int(const QOR_UC* word);

/* StartStopOption code of an option word ("ALL" 0 ... "ALLNOZDB" 9), or -1. */
int parse_system_option(const QOR_UC* word);

/* PERSISTENCE-TYPE code of a mode word ("DYNAMIC" 0, "PERSIST" 1,
 * "DYNAMIC_PERSIST" 2), or -1. */
int parse_parameter_mode(const QOR_UC* word);

/* Runs the option loop over argv[1..argc-1] and the checks after it; ends
 * the run through print_usage on a command-line error. */
void parse_command_line(int argc, const QOR_UC* const* argv, ClientSettings& settings);

/* Takes the arguments of the webmethod named in settings.webmethod by the
 * argument rule of its row, starting at argv[*index + 1], into
 * settings.arguments (fresh for each "-function"); *index is left at the
 * last word taken. A name without a row takes nothing. */
void parse_webmethod_args(int argc, const QOR_UC* const* argv, int* index,
                          ClientSettings& settings);

#endif
