#ifndef QOR_TRANSPORT_HTTP_FIELDS_H
#define QOR_TRANSPORT_HTTP_FIELDS_H

// The fields of an HTTP header block as the toolkit's reader takes them, so
// that the response frame and the transports that rebuild a header block
// judge a reply's framing by the very fields the toolkit reads it by.

#include <string>
#include <vector>

namespace qortransport {

struct HttpField
{
    // The field's line and the lines that continue it (that begin with a
    // blank or a tab), as they came, line ends included.
    std::string lines;
    // The text before the first colon of the joined lines.
    std::string name;
    // The text after it: without the bytes up to a blank (also those above
    // 0x7F, which the toolkit compares as signed) at either end, and without
    // a pair of quotes that encloses what is left.
    std::string value;
};

// The fields of a header block after its status line (and the lines that
// continue it), up to its empty line. A line without a colon is no field.
std::vector<HttpField> http_fields(const std::string& block);

// Whether the toolkit takes a name or value for pattern: letters in either
// case, a '-' of the pattern for any byte, the text ending at a quote or a
// NUL.
bool toolkit_matches(const std::string& text, const char* pattern);

} // namespace qortransport

#endif
