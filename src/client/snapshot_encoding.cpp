// The transfer encoding that a MIME part's header names.
#include "client/snapshot_encoding.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

namespace {

bool blank(char c)
{
    return c == ' ' || c == '\t';
}

// A character of a token: printable ASCII other than the blank and the
// special characters of RFC 2045.
bool token_character(char c)
{
    return c > ' ' && c < 0x7F && std::strchr("()<>@,;:\\\"/[]?=", c) == nullptr;
}

// Passes over blanks and comments from `at`; false when a comment does not
// end.
bool skip_blanks_and_comments(std::string_view value, std::size_t& at)
{
    while (at < value.size()) {
        if (blank(value[at])) {
            ++at;
            continue;
        }
        if (value[at] != '(')
            return true;
        int depth = 0;
        do {
            const char c = value[at++];
            if (c == '\\' && at++ == value.size())
                return false; // nothing left to quote
            depth += c == '(' ? 1 : c == ')' ? -1 : 0;
        } while (depth > 0 && at < value.size());
        if (depth > 0)
            return false;
    }
    return true;
}

} // namespace

PartEncoding part_encoding(std::string_view value)
{
    std::size_t at = 0;
    if (!skip_blanks_and_comments(value, at))
        return PartEncoding::kOther;
    const std::size_t start = at;
    while (at < value.size() && token_character(value[at]))
        ++at;
    std::string token(value.substr(start, at - start));
    if (!skip_blanks_and_comments(value, at) || at != value.size())
        return PartEncoding::kOther;
    std::transform(token.begin(), token.end(), token.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (token == "7bit" || token == "8bit" || token == "binary")
        return PartEncoding::kBytes;
    return token == "base64" ? PartEncoding::kBase64 : PartEncoding::kOther;
}
