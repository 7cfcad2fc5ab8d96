// The named character references that a reply may use: the five of XML and
// the HTML names of Latin-1 characters that the toolkit's reader decodes to
// the character they name. It takes its names in any case, the first that
// matches, so that "&eacute;" gives U+00C9 and "&NBSP;" a no-break space:
// those spellings, and every name not listed here, name no character for
// the readers of element text and the reply's shape checker alike.
#pragma once

#include <string_view>

struct QorNamedReference
{
    std::string_view name;
    char32_t character;
};

inline constexpr QorNamedReference kQorNamedReferences[] = {
    {"lt", '<'},      {"gt", '>'},      {"amp", '&'},     {"quot", '"'},    {"apos", '\''},
    {"nbsp", 0xA0},   {"iexcl", 0xA1},  {"cent", 0xA2},   {"pound", 0xA3},  {"curren", 0xA4},
    {"yen", 0xA5},    {"brvbar", 0xA6}, {"sect", 0xA7},   {"uml", 0xA8},    {"copy", 0xA9},
    {"ordf", 0xAA},   {"laquo", 0xAB},  {"not", 0xAC},    {"shy", 0xAD},    {"reg", 0xAE},
    {"macr", 0xAF},   {"deg", 0xB0},    {"plusmn", 0xB1}, {"sup2", 0xB2},   {"sup3", 0xB3},
    {"acute", 0xB4},  {"micro", 0xB5},  {"para", 0xB6},   {"middot", 0xB7}, {"cedil", 0xB8},
    {"sup1", 0xB9},   {"ordm", 0xBA},   {"raquo", 0xBB},  {"frac14", 0xBC}, {"frac12", 0xBD},
    {"frac34", 0xBE}, {"iquest", 0xBF}, {"Agrave", 0xC0}, {"Aacute", 0xC1}, {"Acirc", 0xC2},
    {"Atilde", 0xC3}, {"Auml", 0xC4},   {"Aring", 0xC5},  {"AElig", 0xC6},  {"Ccedil", 0xC7},
    {"Egrave", 0xC8}, {"Eacute", 0xC9}, {"Ecirc", 0xCA},  {"Euml", 0xCB},   {"Igrave", 0xCC},
    {"Iacute", 0xCD}, {"Icirc", 0xCE},  {"Iuml", 0xCF},   {"ETH", 0xD0},    {"Ntilde", 0xD1},
    {"Ograve", 0xD2}, {"Oacute", 0xD3}, {"Ocirc", 0xD4},  {"Otilde", 0xD5}, {"Ouml", 0xD6},
    {"times", 0xD7},  {"Oslash", 0xD8}, {"Ugrave", 0xD9}, {"Uacute", 0xDA}, {"Ucirc", 0xDB},
    {"Uuml", 0xDC},   {"Yacute", 0xDD}, {"THORN", 0xDE},  {"szlig", 0xDF},  {"divide", 0xF7},
    {"yuml", 0xFF},
};

// The element text reader sizes its buffer for a name by the longest one
// here, and reads 0 from qor_named_character as none: no name stands for 0.
static_assert(
    [] {
        for (const QorNamedReference& known : kQorNamedReferences) {
            if (known.character == 0)
                return false;
        }
        return true;
    }(),
    "0 stands for no character");

// The character that `name` (the text between "&" and ";") names, spelled
// exactly as listed; 0 when it names none.
constexpr char32_t qor_named_character(std::string_view name)
{
    for (const QorNamedReference& known : kQorNamedReferences) {
        if (known.name == name)
            return known.character;
    }
    return 0;
}

// The value of a digit of a numeric reference in the base (10 or 16, where
// "a" to "f" count in either case); -1 for any other character.
constexpr int qor_reference_digit(long c, int base)
{
    if (c >= '0' && c <= '9')
        return static_cast<int>(c - '0');
    if (base == 16 && c >= 'a' && c <= 'f')
        return static_cast<int>(c - 'a' + 10);
    if (base == 16 && c >= 'A' && c <= 'F')
        return static_cast<int>(c - 'A' + 10);
    return -1;
}
