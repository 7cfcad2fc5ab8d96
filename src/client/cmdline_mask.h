#ifndef QOR_CLIENT_CMDLINE_MASK_H
#define QOR_CLIENT_CMDLINE_MASK_H

#include <vector>

#include "u16/qor_uc.h"

/* The command line as the Unicode diagnostics keep it for their first
 * report: the words as given, except that the second word after every
 * "-user" (the password) reads "********". A null word stays null. */
std::vector<const QOR_UC*> words_for_diagnostics(int argc, const QOR_UC* const* argv);

#endif
