#ifndef QOR_CLIENT_STRINGS_H
#define QOR_CLIENT_STRINGS_H

#include <string_view>

#include "u16/qor_uc.h"

struct soap;

/* Converts a 16-bit string to UTF-8. With a SOAP context the result lives in
 * the context's memory (freed by soap_end); without one it lives in plain
 * heap memory until the process ends. Control characters other than tab,
 * line feed and carriage return become "#". Returns null for a null string
 * or a failed conversion. */
char* wide_to_utf8(struct soap* soap, const QOR_UC* text);

/* Converts a UTF-8 string to 16 bits, in the context's memory (or, without a
 * context, plain heap memory kept until the process ends). Returns null for
 * a null string, a failed allocation or a failed conversion. */
QOR_UC* utf8_to_wide(struct soap* soap, const char* text);

/* Converts a word of the command line, whose bytes need not be UTF-8, to 16
 * bits in plain heap memory kept until the process ends: malformed UTF-8
 * becomes U+FFFD as the converter replaces it, each byte of a character cut
 * off by the end of the word one U+FFFD, and every other character stays.
 * *utf8 tells whether the word was UTF-8 throughout and so gives back its
 * very bytes (an encoded surrogate does not). Returns null for a null
 * word or a failed allocation. */
QOR_UC* word_to_wide(const char* word, bool* utf8);

/* Whether 16-bit text converts to UTF-8 as exactly these bytes: text read
 * from bytes that were no UTF-8 throughout names something else. */
bool wide_gives_bytes(const QOR_UC* wide, std::string_view bytes);

/* Replaces, in place, every byte below 32 other than tab, line feed and
 * carriage return by "#". */
void replace_control_chars(char* text);

#endif
