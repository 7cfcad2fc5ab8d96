// The fields of an HTTP header block as the toolkit's reader takes them.

#include "transport/http_fields.h"

namespace qortransport {
namespace {

// The toolkit reads header text as signed bytes and skips those up to a
// blank: the control bytes, the blank, and every byte above 0x7F.
bool toolkit_blank(char c)
{
    return static_cast<signed char>(c) <= ' ';
}

char lower_ascii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The next physical line of block from pos: its bytes with their line end,
// and its text without it.
struct Line
{
    std::string bytes, text;
};

Line line_at(const std::string& block, size_t pos)
{
    const size_t lf = block.find('\n', pos);
    Line line;
    line.bytes = block.substr(pos, lf == std::string::npos ? std::string::npos : lf + 1 - pos);
    line.text = line.bytes;
    if (!line.text.empty() && line.text.back() == '\n')
        line.text.pop_back();
    if (!line.text.empty() && line.text.back() == '\r')
        line.text.pop_back();
    return line;
}

bool continues(const std::string& block, size_t pos)
{
    return pos < block.size() && (block[pos] == ' ' || block[pos] == '\t');
}

} // namespace

std::vector<HttpField> http_fields(const std::string& block)
{
    std::vector<HttpField> fields;
    size_t pos = line_at(block, 0).bytes.size(); // the status line
    while (continues(block, pos))
        pos += line_at(block, pos).bytes.size();
    while (pos < block.size()) {
        Line line = line_at(block, pos);
        if (line.text.empty())
            break; // the end of the block
        pos += line.bytes.size();
        HttpField field;
        field.lines = line.bytes;
        std::string joined = line.text;
        while (continues(block, pos)) {
            const Line more = line_at(block, pos);
            field.lines += more.bytes;
            joined += more.text;
            pos += more.bytes.size();
        }
        joined = joined.substr(0, joined.find('\0')); // where the toolkit's text ends
        const size_t colon = joined.find(':');
        if (colon == std::string::npos)
            continue;
        field.name = joined.substr(0, colon);
        size_t b = colon + 1, e = joined.size();
        while (b < e && toolkit_blank(joined[b]))
            ++b;
        while (e > b && toolkit_blank(joined[e - 1]))
            --e;
        if (e - b >= 2 && joined[b] == '"' && joined[e - 1] == '"') {
            ++b;
            --e;
        }
        field.value = joined.substr(b, e - b);
        fields.push_back(std::move(field));
    }
    return fields;
}

bool toolkit_matches(const std::string& text, const char* pattern)
{
    const auto ends = [&text](size_t i) {
        return i >= text.size() || text[i] == '"' || text[i] == '\0';
    };
    size_t i = 0;
    for (; *pattern != '\0'; ++pattern, ++i) {
        if (ends(i))
            return false;
        if (*pattern != '-' && lower_ascii(text[i]) != lower_ascii(*pattern))
            return false;
    }
    return ends(i);
}

} // namespace qortransport
