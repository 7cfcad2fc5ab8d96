// The attribute names, references and namespace declarations of an XML reply,
// counted as the toolkit's reader splits its bytes.

#include "transport/xml_shape.h"

#include "service/core/named_references.hpp"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

namespace qortransport {
namespace {

// The blanks of the toolkit's reader: every byte up to the space.
bool blank(unsigned char c)
{
    return c <= ' ';
}

// The bytes that end an unquoted attribute value (a "/" or ">" there is
// refused).
bool value_blank(unsigned char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The bytes that end a name in a tag (the blanks, ">", "/", and "<" and
// "&", which are refused there), and those that end text ("<" and "&").
constexpr auto kNameEnd = [] {
    std::array<bool, 256> table{};
    for (int c = 0; c <= ' '; ++c)
        table[c] = true;
    table['>'] = table['/'] = table['<'] = table['&'] = true;
    return table;
}();

constexpr const char* kLessThanInTag = "a \"<\" inside a tag";
constexpr const char* kAmpersandInTag = "a \"&\" inside a tag, outside its values";
constexpr const char* kUnquotedValueEnd = "an unquoted attribute value that ends at \"/\" or \">\"";
constexpr const char* kUnquotedValueLead =
    "an unquoted attribute value that begins with the lead byte of a UTF-8 sequence";

// The first byte of a value after "=" and blanks is read as the start of a
// UTF-8 sequence, whose bytes after the second the toolkit's reader takes
// without looking at them: a blank, quote, "/" or ">" there would be read as
// part of a character. A value can only begin so when it is unquoted.
bool utf8_lead(unsigned char c)
{
    return c >= 0xC0;
}
constexpr auto kTextStop = [] {
    std::array<bool, 256> table{};
    table['<'] = table['&'] = true;
    return table;
}();

// The toolkit's reader takes this many bytes after "&", a ";" included.
constexpr std::size_t kReferenceBytes = 7;

enum class Reference : std::uint8_t { Exact, Long, NoCharacter };

// The bytes that the toolkit's reader took after "&"; `ended` when a ";"
// followed them within its seven bytes.
Reference judge(std::string_view taken, bool ended)
{
    if (taken.empty() || taken[0] != '#') {
        // Only the names it decodes to the characters they name; none that
        // it knows is longer than its seven bytes.
        return ended && qor_named_character(taken) != 0 ? Reference::Exact : Reference::NoCharacter;
    }
    const int base = taken.size() > 1 && (taken[1] == 'x' || taken[1] == 'X') ? 16 : 10;
    const std::size_t first = base == 16 ? 2 : 1;
    unsigned long character = 0; // of six digits at most
    for (std::size_t i = first; i < taken.size(); ++i) {
        const int d = qor_reference_digit(taken[i], base);
        if (d < 0)
            return Reference::NoCharacter;
        character = character * static_cast<unsigned long>(base) + static_cast<unsigned long>(d);
    }
    if (!ended)
        return Reference::Long;
    if (taken.size() == first || character == 0 || (character >= 0xD800 && character <= 0xDFFF) ||
        character > 0x10FFFF)
        return Reference::NoCharacter;
    return Reference::Exact;
}

} // namespace

bool XmlShape::feed(const char* data, std::size_t n)
{
    const char* p = data;
    const char* const end = data + n;
    next_lt_ = nullptr;
    while (p < end && error_.empty() && !ended_) {
        const unsigned char c = static_cast<unsigned char>(*p);
        switch (state_) {
        case State::Text:
            if (cdata_)
                skip_cdata(p, end);
            else
                text(p, end);
            break;
        case State::Reference:
            ++p;
            reference_byte(c);
            break;
        case State::Lt:
            if (blank(c)) {
                ++p;
            } else if (c == '!' || c == '?' || c == '%') {
                ++p;
                state_ = c == '!' ? State::Bang : c == '?' ? State::Pi : State::Markup;
                markup_depth_ = 1;
            } else if (back_ == State::Text) {
                // An end tag, or a start tag whose name begins with this byte.
                p += c == '/';
                state_ = c == '/' ? State::EndTag : State::TagName;
                declared_here_ = 0;
                tag_local_length_ = 0;
                type_value_ = false;
                qname_text_ = false;
            } else {
                // A "<" in a value that begins no markup.
                refuse(kLessThanInTag);
            }
            break;
        case State::Bang:
        case State::BangDash:
            // "<![" opens a CDATA section, "<!--" a comment; anything else
            // is a declaration, and this byte already belongs to it.
            if (c == '[' && state_ == State::Bang) {
                ++p;
                state_ = State::ToBracket;
            } else if (c == '-') {
                ++p;
                state_ = state_ == State::Bang ? State::BangDash : State::Comment;
            } else {
                state_ = State::Markup;
            }
            break;
        case State::Comment: {
            const void* dash = std::memchr(p, '-', static_cast<std::size_t>(end - p));
            p = dash != nullptr ? static_cast<const char*>(dash) + 1 : end;
            if (dash != nullptr)
                state_ = State::CommentDash;
            break;
        }
        case State::CommentDash:
            // "--" ends the comment's text, a ">" its markup; the byte after
            // a single "-" is passed over.
            ++p;
            state_ = c == '-' ? State::Markup : State::Comment;
            break;
        case State::ToBracket:
        case State::Pi:
        case State::EndTag: {
            const char wanted = state_ == State::ToBracket ? '[' : state_ == State::Pi ? '?' : '>';
            const void* at = std::memchr(p, wanted, static_cast<std::size_t>(end - p));
            const char* stop = at != nullptr ? static_cast<const char*>(at) : end;
            if (state_ == State::EndTag) {
                const char* bad =
                    std::find_if(p, stop, [](char b) { return b == '<' || b == '&'; });
                if (bad != stop) {
                    refuse_in_tag(*bad);
                    break;
                }
            }
            p = at != nullptr ? stop + 1 : end;
            if (at == nullptr)
                break;
            if (state_ == State::ToBracket) {
                cdata_ = true;
                state_ = back_;
            } else if (state_ == State::Pi) {
                state_ = State::Markup;
            } else {
                end_tag_done();
            }
            break;
        }
        case State::Markup:
            ++p;
            if (c == '<')
                ++markup_depth_;
            else if (c == '>' && --markup_depth_ <= 0)
                state_ = back_;
            break;
        case State::TagName: {
            const char* const name = p;
            while (p < end && !kNameEnd[static_cast<unsigned char>(*p)])
                ++p;
            if (depth_ < 4)
                tag_name_bytes(name, p);
            if (p < end && (*p == '<' || *p == '&')) {
                refuse_in_tag(*p);
            } else if (p < end) {
                const char delimiter = *p++;
                if (delimiter == '>')
                    start_tag_done(true);
                else
                    state_ = delimiter == '/' ? State::Slash : State::TagBlank;
            }
            break;
        }
        case State::TagBlank:
            ++p;
            if (c == '>') {
                start_tag_done(true);
            } else if (c == '/') {
                state_ = State::Slash;
            } else if (c == '<' || c == '&') {
                refuse_in_tag(static_cast<char>(c));
            } else if (!blank(c)) {
                --p; // the first byte of an attribute name
                state_ = State::AttrName;
                name_.clear();
            }
            break;
        case State::AttrName: {
            const char* const name = p;
            while (p < end && *p != '=' && !kNameEnd[static_cast<unsigned char>(*p)])
                ++p;
            // The toolkit keeps the first bytes of a name, and passes over
            // the rest (name_ never holds more than kNameBytes).
            name_.append(name,
                         std::min(static_cast<std::size_t>(p - name), kNameBytes - name_.size()));
            if (p < end && (*p == '<' || *p == '&'))
                refuse_in_tag(*p);
            else if (p < end && attribute_done()) {
                state_ = *p == '=' ? State::ValueStart : State::AttrBlank;
                p += *p == '=';
            }
            break;
        }
        case State::AttrBlank:
            if (blank(c)) {
                ++p;
            } else {
                p += c == '=';
                state_ = c == '=' ? State::ValueStart : State::TagBlank;
            }
            break;
        case State::ValueStart:
        case State::Value:
            value(p, end);
            break;
        case State::Slash:
            // The toolkit's reader takes any byte after blanks for the ">"
            // of an empty tag, but where it passes over an element only a
            // ">" right after the "/" ends one.
            ++p;
            if (c == '>')
                start_tag_done(false);
            else
                refuse("a \"/\" in a tag that is not followed by \">\"");
            break;
        }
    }
    return error_.empty();
}

void XmlShape::text(const char*& p, const char* end)
{
    // Simple start and end tags ("<name>", "</name>") are taken here at
    // once; anything else goes through the states one byte at a time.
    for (;;) {
        if (p == end)
            return;
        // Short texts byte by byte; for a long one the next "<" is looked up
        // once for all the references before it.
        const char* special = p;
        const char* const near = p + std::min<std::ptrdiff_t>(end - p, 24);
        while (special < near && !kTextStop[static_cast<unsigned char>(*special)])
            ++special;
        if (special == near && near < end) {
            if (next_lt_ == nullptr || next_lt_ < p) {
                const void* lt = std::memchr(p, '<', static_cast<std::size_t>(end - p));
                next_lt_ = lt != nullptr ? static_cast<const char*>(lt) : end;
            }
            const void* amp = std::memchr(p, '&', static_cast<std::size_t>(next_lt_ - p));
            special = amp != nullptr ? static_cast<const char*>(amp) : next_lt_;
        }
        if (special == end) {
            p = end;
            return;
        }
        p = special + 1;
        back_ = State::Text;
        if (*special == '&') {
            reference_begins(qname_depth_ != 0 ? Context::QName : Context::Text);
            return;
        }
        const char* q = p;
        if (q < end && *q == '/') {
            while (++q < end && *q != '>' && *q != '<' && *q != '&')
                ;
            if (q == end || *q != '>')
                break;
            p = q + 1;
            element_ended();
            if (ended_)
                return;
            continue;
        }
        if (q < end && (*q == '!' || *q == '?' || *q == '%'))
            break;
        while (q < end && !kNameEnd[static_cast<unsigned char>(*q)])
            ++q;
        if (q == p || q == end || *q != '>')
            break;
        if (depth_ < 4) {
            tag_local_length_ = 0;
            tag_name_bytes(p, q);
        }
        p = q + 1;
        element_started(false); // a start tag without attributes declares nothing
    }
    state_ = State::Lt;
    back_ = State::Text;
}

void XmlShape::reference_begins(Context context)
{
    state_ = State::Reference;
    reference_length_ = 0;
    reference_context_ = context;
}

void XmlShape::reference_byte(unsigned char c)
{
    const bool ended = c == ';';
    // reference_length_ < kReferenceBytes here: the reference ends at that many.
    if (!ended)
        reference_[reference_length_++] = static_cast<char>(c);
    if (!ended && reference_length_ < kReferenceBytes)
        return;
    state_ = back_;
    if (reference_context_ == Context::Text)
        return; // read whole by the schema's readers
    const Reference r = judge({reference_, reference_length_}, ended);
    if (r == Reference::Exact)
        return;
    error_ = r == Reference::Long ? "a character reference of more than 8 bytes"
                                  : "a character reference that names no character";
    error_ += reference_context_ == Context::Value ? " in an attribute value"
                                                   : " in a fault code or QName";
}

void XmlShape::tag_name_bytes(const char* p, const char* end)
{
    for (; p < end; ++p) {
        if (*p == ':') {
            tag_local_length_ = 0;
        } else {
            if (tag_local_length_ < sizeof tag_local_)
                tag_local_[tag_local_length_] = *p;
            ++tag_local_length_;
        }
    }
}

bool XmlShape::tag_is(const char* name) const
{
    return tag_local_length_ == std::strlen(name) &&
           std::memcmp(tag_local_, name, tag_local_length_) == 0;
}

void XmlShape::element_started(bool qname_text)
{
    // The toolkit reads the text of a Fault's code, and of any element whose
    // xsi:type is QName, with its own reader.
    ++depth_;
    if (depth_ == 3)
        in_fault_ = tag_is("Fault");
    if (qname_depth_ == 0 &&
        (qname_text || (in_fault_ && depth_ == 4 && (tag_is("faultcode") || tag_is("Code")))))
        qname_depth_ = depth_;
}

void XmlShape::value_byte(unsigned char c)
{
    if (c == ':') {
        type_local_length_ = 0;
    } else {
        if (type_local_length_ < sizeof type_local_)
            type_local_[type_local_length_] = static_cast<char>(c);
        ++type_local_length_;
    }
}

void XmlShape::value_done()
{
    if (type_value_) {
        qname_text_ = qname_text_ || (type_local_length_ == sizeof type_local_ &&
                                      std::memcmp(type_local_, "QName", sizeof type_local_) == 0);
        type_value_ = false;
    }
    state_ = State::TagBlank;
}

void XmlShape::skip_cdata(const char*& p, const char* end)
{
    while (p < end && cdata_) {
        if (cdata_brackets_ == 0) {
            const void* bracket = std::memchr(p, ']', static_cast<std::size_t>(end - p));
            p = bracket != nullptr ? static_cast<const char*>(bracket) : end;
            if (bracket == nullptr)
                break;
        }
        cdata_byte(static_cast<unsigned char>(*p++));
    }
}

bool XmlShape::cdata_byte(unsigned char c)
{
    if (c == ']') {
        if (cdata_brackets_ < 2)
            ++cdata_brackets_;
        else
            held_bracket();
        return true;
    }
    if (c == '>' && cdata_brackets_ == 2) {
        cdata_ = false;
        cdata_brackets_ = 0;
        return true;
    }
    if (cdata_brackets_ > 0) {
        cdata_brackets_ = 0;
        held_bracket();
    }
    return false;
}

void XmlShape::held_bracket()
{
    // A "]" that did not end the section is a character like any other.
    if (state_ == State::ValueStart) {
        quote_ = ' ';
        state_ = State::Value;
    }
}

void XmlShape::value(const char*& p, const char* end)
{
    while (p < end) {
        const unsigned char c = static_cast<unsigned char>(*p++);
        if (cdata_) {
            // The toolkit's reader hands on every byte of a CDATA section as
            // it is: no quote ends a value, a blank ends an unquoted one.
            if (cdata_byte(c) || (state_ == State::ValueStart && blank(c)))
                continue;
            if (state_ == State::ValueStart) {
                if (utf8_lead(c)) {
                    refuse(kUnquotedValueLead);
                    return;
                }
                quote_ = ' ';
                state_ = State::Value;
            }
            if (quote_ == ' ' && c == '/') {
                refuse(kUnquotedValueEnd);
                return;
            }
            if (quote_ == ' ' && value_blank(c)) {
                value_done();
                return;
            }
            if (type_value_)
                value_byte(c);
            continue;
        }
        if (c == '<') {
            // Markup is passed over.
            back_ = state_;
            state_ = State::Lt;
            return;
        }
        if (c == '&') {
            // A reference takes its bytes; a value that begins with one is
            // unquoted. A type given by a reference may be QName.
            if (state_ == State::ValueStart)
                quote_ = ' ';
            qname_text_ = qname_text_ || type_value_;
            back_ = State::Value;
            reference_begins(Context::Value);
            return;
        }
        if (state_ == State::ValueStart) {
            if (blank(c))
                continue;
            state_ = State::Value;
            if (c == '"' || c == '\'') {
                quote_ = static_cast<char>(c);
                continue;
            }
            if (utf8_lead(c)) {
                refuse(kUnquotedValueLead);
                return;
            }
            quote_ = ' ';
        }
        // The closing quote ends a quoted value, a blank an unquoted one. A
        // "/" or ">" would end it too, but the toolkit's reader keeps that
        // byte back and reads every later value of the tag as empty, and the
        // bytes of each as an attribute name.
        if (quote_ == ' ' && (c == '/' || c == '>')) {
            refuse(kUnquotedValueEnd);
            return;
        }
        if (quote_ == ' ' ? value_blank(c) : c == quote_) {
            value_done();
            return;
        }
        if (type_value_)
            value_byte(c);
    }
}

bool XmlShape::attribute_done()
{
    // The toolkit's list holds each name once, as spelled (prefix and case
    // included); a name is looked up by its bytes, so that no two names can
    // pass for one.
    if (names_.find(name_) == names_.end()) {
        names_.insert(name_);
        if (names_.size() > kMaxAttributeNames)
            return refuse("attribute names", kMaxAttributeNames);
    }
    const std::string_view name = name_;
    const std::size_t colon = name.rfind(':');
    const std::string_view local = colon == std::string_view::npos ? name : name.substr(colon + 1);
    type_value_ = local == "type";
    type_local_length_ = 0;
    if ((local == "id" || local == "href" || local == "ref") && ++references_ > kMaxReferences)
        return refuse("id, href and ref attributes", kMaxReferences);
    if (name.substr(0, 5) == "xmlns" && (name.size() == 5 || name[5] == ':')) {
        ++declared_here_;
        if (++in_scope_ > kMaxNamespaces)
            return refuse("namespace declarations in scope", kMaxNamespaces);
    }
    return true;
}

void XmlShape::start_tag_done(bool body)
{
    if (body) {
        element_started(qname_text_);
        if (declared_here_ > 0)
            scopes_.emplace_back(depth_, declared_here_);
    } else {
        in_scope_ -= declared_here_;
    }
    declared_here_ = 0;
    state_ = State::Text;
}

void XmlShape::end_tag_done()
{
    element_ended();
    state_ = State::Text;
}

void XmlShape::element_ended()
{
    if (depth_ == 0)
        return; // an end tag before the first element: the toolkit fails on it
    if (--depth_ == 0)
        ended_ = true;
    if (depth_ < qname_depth_)
        qname_depth_ = 0;
    if (depth_ < 3)
        in_fault_ = false;
    if (!scopes_.empty() && scopes_.back().first > depth_)
        close_scopes();
}

void XmlShape::close_scopes()
{
    while (!scopes_.empty() && scopes_.back().first > depth_) {
        in_scope_ -= scopes_.back().second;
        scopes_.pop_back();
    }
}

bool XmlShape::refuse(const char* what, std::size_t bound)
{
    error_ = "more than " + std::to_string(bound) + " " + what;
    return false;
}

void XmlShape::refuse(const char* what)
{
    error_ = what;
}

void XmlShape::refuse_in_tag(char c)
{
    refuse(c == '<' ? kLessThanInTag : kAmpersandInTag);
}

} // namespace qortransport
