// Wildcard patterns of the trace's watch list: "*" matches any run, "?" any
// one character, "\" makes the next character literal.

#include "base/dptrc.h"

#include "u16/u16_string.h"

namespace {

QOR_UC ascii_upper(QOR_UC c)
{
    return c >= u'a' && c <= u'z' ? static_cast<QOR_UC>(c - u'a' + u'A') : c;
}

bool same(QOR_UC a, QOR_UC b, bool fold)
{
    return fold ? ascii_upper(a) == ascii_upper(b) : a == b;
}

// The number of text characters the pattern needs at least.
size_t needed_characters(const QOR_UC* pattern)
{
    size_t n = 0;
    for (const QOR_UC* p = pattern; *p != 0; ++p) {
        if (*p == u'*')
            continue;
        ++n;
        if (*p == u'\\' && p[1] != 0)
            ++p;
    }
    return n;
}

} // namespace

// Walks text and pattern together; on a mismatch the last "*" takes one more
// character and the rest is tried again from there. That finds a match
// whenever trying every split would, without its exponential cost.
bool DpIMatch(const QOR_UC* text, const QOR_UC* pattern, bool prefix, bool fold)
{
    if (text == nullptr || pattern == nullptr)
        return false;
    const QOR_UC* t = text;
    const QOR_UC* p = pattern;
    const QOR_UC* star_pattern = nullptr; // the pattern after the last "*"
    const QOR_UC* star_text = nullptr;    // where that "*" run ends so far
    for (;;) {
        if (*p == 0) {
            if (prefix || *t == 0)
                return true;
        } else if (*p == u'*') {
            star_pattern = ++p;
            star_text = t;
            if (*p == 0)
                return true;
            continue;
        } else if (*t != 0) {
            if (*p == u'?') {
                ++t;
                ++p;
                continue;
            }
            const bool escaped = *p == u'\\';
            if (escaped && p[1] == 0)
                return false;
            if (same(*t, escaped ? p[1] : *p, fold)) {
                ++t;
                p += escaped ? 2 : 1;
                continue;
            }
        } else {
            return false; // only "*" matches at the end of the text
        }
        if (star_pattern == nullptr || *star_text == 0)
            return false;
        t = ++star_text;
        p = star_pattern;
    }
}

bool DpIMatchPattern(const QOR_UC* text, const QOR_UC* pattern)
{
    if (text == nullptr || pattern == nullptr || *pattern == 0)
        return false;
    if (*pattern == u'*' || *pattern == u'?')
        return DpIMatch(text, pattern, true, false);
    if (strlenU16(text) < needed_characters(pattern))
        return false;
    if (pattern[0] == u'\\' && pattern[1] == 0)
        return false;
    const QOR_UC first = pattern[0] == u'\\' ? pattern[1] : pattern[0];
    for (const QOR_UC* t = text; *t != 0; ++t)
        if (*t == first && DpIMatch(t, pattern, true, false))
            return true;
    return false;
}
