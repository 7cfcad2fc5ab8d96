#ifndef QOR_CLIENT_HOST_TEXT_H
#define QOR_CLIENT_HOST_TEXT_H

#include "u16/qor_uc.h"

/* Whether the -host word names one host and nothing beside it: an IPv6
 * address, bare or in brackets with nothing after the "]"; or a name or an
 * IPv4 address made of ASCII letters and digits, "-", "." and "_", and of
 * characters beyond ASCII (an international name). Anything else could make
 * the toolkit, NI, libcurl or the pipe name read a port, a user or another
 * host out of the text: an empty text, a ":" outside an IPv6 address, a
 * bracket elsewhere, "%", "\", blanks, control characters and every other
 * punctuation. U+FFFD (what a byte that is not UTF-8 becomes) and a lone
 * surrogate are no part of a name either. Null is no host at all: false. */
bool host_text_valid(const QOR_UC* text);

#endif
