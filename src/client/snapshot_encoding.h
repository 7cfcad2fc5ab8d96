#ifndef QOR_CLIENT_SNAPSHOT_ENCODING_H
#define QOR_CLIENT_SNAPSHOT_ENCODING_H

#include <string_view>

/* What the Content-Transfer-Encoding of a MIME part says of its content. */
enum class PartEncoding {
    kBytes,  // the bytes themselves: 7bit, 8bit or binary
    kBase64, // base64 text
    kOther,  // any other encoding, or a value that names none
};

/* The encoding that a Content-Transfer-Encoding value names, as RFC 2045
 * writes one: a single token, in any case, with blanks and comments in
 * parentheses (nested, "\" quoting the next character) before and after it.
 * A quoted string is no token, so a quoted "base64" names no encoding. */
PartEncoding part_encoding(std::string_view value);

#endif
