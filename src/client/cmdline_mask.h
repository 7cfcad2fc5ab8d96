#ifndef QOR_CLIENT_CMDLINE_MASK_H
#define QOR_CLIENT_CMDLINE_MASK_H

#include <vector>

#include "u16/qor_uc.h"

/* The command line as the Unicode diagnostics keep it for their first
 * report: the words as given, except that the second word after every
 * "-user" (the password) reads "********". A null word stays null. */
std::vector<const QOR_UC*> words_for_diagnostics(int argc, const QOR_UC* const* argv);

/* Overwrites with '*', in the process's own argument area (argv as main
 * received it), every word that the diagnostics hide, so that no other user
 * reads the password in the process list; words holds the same words as
 * 16-bit strings. */
void hide_passwords(int argc, char** argv, const QOR_UC* const* words);

#endif
