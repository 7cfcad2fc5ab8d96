#ifndef QOR_CLIENT_TYPED_WORDS_H
#define QOR_CLIENT_TYPED_WORDS_H

#include "u16/qor_uc.h"

/* The command-line words whose bytes were not all UTF-8. Their 16-bit form
 * holds U+FFFD for each broken sequence: it may go out as text, but as a
 * local file name it would name another file than the one typed. Words are
 * told apart by their address, as the argument vector holds them. */
void mark_word_not_utf8(const QOR_UC* word);

/* False for a marked word; true for any other, null included. */
bool word_typed_as_utf8(const QOR_UC* word);

#endif
