// A fault's detail (see mend_generated.cmake): what its reader passes over
// before the next child element, and the literal text from that element on.
// Markup is read as soap_get reads it everywhere else in a reply, so that the
// transport's reply bounds, which follow soap_get, end every comment,
// instruction, declaration and CDATA section where the reader ends it; the
// runtime's literal reader ended some of them elsewhere ("<!--->", "<?>"),
// and the start tags that it then left to the element reader went uncounted.
#include "soapH.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

namespace {

constexpr soap_wchar kLt = -2; // the runtime's marks of markup (SOAP_LT ...)
constexpr soap_wchar kEndTag = -3;
constexpr soap_wchar kGt = -4;
constexpr soap_wchar kQuote = -5;
constexpr soap_wchar kApostrophe = -6;

// A byte that soap_get skips after "<" and the element reader before an
// element.
bool blank(soap_wchar c)
{
    return c >= 0 && c <= ' ';
}

bool continuation(soap_wchar c)
{
    return c >= 0x80 && c <= 0xBF;
}

// Appends character u as the runtime's literal reader writes it in UTF-8,
// in up to six bytes.
void append_utf8(std::string& out, unsigned long u)
{
    if (u < 0x80) {
        out += static_cast<char>(u);
        return;
    }
    const int more = u < 0x800 ? 1 : u < 0x10000 ? 2 : u < 0x200000 ? 3 : u < 0x4000000 ? 4 : 5;
    static constexpr unsigned char kLead[] = {0, 0xC0, 0xE0, 0xF0, 0xF8, 0xFC};
    out += static_cast<char>(kLead[more] | (u >> (6 * more)));
    for (int shift = 6 * (more - 1); shift >= 0; shift -= 6)
        out += static_cast<char>(0x80 | ((u >> shift) & 0x3F));
}

// The growing text of one detail: appended in place while its block has
// room, so that a detail of many elements is copied a bounded number of
// times, not once per element.
struct DetailText
{
    char** where = nullptr; // the detail's text pointer
    char* block = nullptr;  // what it points to, in the context's memory
    std::size_t length = 0;
    std::size_t capacity = 0; // bytes of block, the terminating NUL included
};

thread_local DetailText growing;

// Appends `more` to *text. Invariant: when *text is the block recorded here
// for this pointer, the block holds `capacity` bytes of which `length` + 1
// are the text and its NUL; any other *text is a NUL-terminated string.
bool append(struct soap* soap, char** text, std::string_view more)
{
    if (growing.where != text || growing.block != *text || *text == nullptr) {
        growing = DetailText{text, *text, *text != nullptr ? std::strlen(*text) : 0, 0};
        growing.capacity = growing.block != nullptr ? growing.length + 1 : 0;
    }
    const std::size_t needed = growing.length + more.size() + 1;
    if (needed < more.size()) {
        soap->error = SOAP_EOM;
        return false;
    }
    if (needed > growing.capacity) {
        const std::size_t capacity = std::max(needed, growing.capacity * 2);
        auto* block = static_cast<char*>(soap_malloc(soap, capacity));
        if (block == nullptr) {
            soap->error = SOAP_EOM;
            return false;
        }
        if (growing.length > 0)
            std::memcpy(block, growing.block, growing.length);
        growing.block = block;
        growing.capacity = capacity;
    }
    std::memcpy(growing.block + growing.length, more.data(), more.size());
    growing.length += more.size();
    growing.block[growing.length] = '\0';
    *text = growing.block;
    return true;
}

// Reads the input as soap_get splits it into markup and characters, taking
// each byte whole into `kept` when one is given. A NUL byte that would be
// kept fails the read: it is no character of XML and would end the text.
class Reader
{
  public:
    Reader(struct soap* soap, std::string* kept) : soap_(soap), kept_(kept) {}

    // The next byte of the input, kept.
    soap_wchar get()
    {
        const soap_wchar c = soap_get1(soap_);
        keep(c);
        return c;
    }

    void keep(soap_wchar c)
    {
        if (kept_ == nullptr || c == EOF)
            return;
        if (c == 0 && soap_->error == SOAP_OK)
            soap_->error = SOAP_SYNTAX_ERROR;
        *kept_ += static_cast<char>(c);
    }

    bool failed() const { return soap_->error != SOAP_OK; }

    // After "&": the bytes of a reference as soap_get takes them, up to
    // seven or up to and including ";".
    void reference()
    {
        for (int i = 0; i < 7; ++i) {
            const soap_wchar b = get();
            if (b == EOF || b == ';')
                return;
        }
    }

    // From the byte c on, up to the ">" that closes markup, counting the "<"
    // and ">" between, as soap_get passes over a comment's end, a
    // declaration or an instruction. False when the input ends first.
    bool to_close(soap_wchar c)
    {
        for (int depth = 1; c != EOF && !failed(); c = get()) {
            if (c == '<')
                ++depth;
            else if (c == '>' && --depth <= 0)
                return true;
        }
        return false;
    }

    // After "<!" and the byte c that follows (kept): a CDATA section, or a
    // comment up to its first "--" and a declaration, each up to its ">".
    bool declaration(soap_wchar c)
    {
        if (c == '[')
            return cdata();
        if (c == '-' && (c = get()) == '-') {
            do {
                c = get();
                if (c == '-' && (c = get()) == '-')
                    break;
            } while (c != EOF && !failed());
        }
        return to_close(c);
    }

    // After "<?": up to its first "?", then up to its ">". As in soap_get, an
    // XML declaration's encoding among its first 63 bytes switches the
    // reading of Latin-1 on or off.
    bool instruction()
    {
        char text[64]; // invariant: length < sizeof text, so text[length] is in it
        std::size_t length = 0;
        soap_wchar c;
        while ((c = get()) != EOF && c != '?' && !failed()) {
            if (length < sizeof text - 1)
                text[length++] = blank(c) ? ' ' : static_cast<char>(c);
        }
        text[length] = '\0';
        const char* encoding = std::strstr(text, " encoding=");
        if (std::strncmp(text, "xml ", 4) == 0 && encoding != nullptr && encoding[10] != '\0') {
            if (soap_tag_cmp(encoding + 11, "iso-8859-*") == 0 ||
                soap_tag_cmp(encoding + 11, "latin*") == 0)
                soap_->mode |= SOAP_ENC_LATIN;
            else if (soap_tag_cmp(encoding + 11, "utf-8*") == 0)
                soap_->mode &= ~SOAP_ENC_LATIN;
        }
        return c != EOF && to_close(c);
    }

    // After "<![": up to the "[" that opens the section, then up to "]]>",
    // which a run of more "]" ends too.
    bool cdata()
    {
        soap_wchar c;
        do {
            c = get();
        } while (c != EOF && c != '[' && !failed());
        int brackets = 0;
        while (c != EOF && !failed()) {
            c = get();
            if (c == '>' && brackets >= 2)
                return true;
            brackets = c == ']' ? brackets + 1 : 0;
        }
        return false;
    }

  private:
    struct soap* soap_;
    std::string* kept_;
};

void end_of_input(struct soap* soap)
{
    if (soap->error == SOAP_OK)
        soap->error = SOAP_EOF;
}

// The start tag that the element reader has peeked at, as the runtime's
// literal reader writes it back: the name, and the attributes of the tag in
// the order of the runtime's list, with their values as read, while they
// fit the runtime's buffer; those that do not are left out.
std::string peeked_start_tag(const struct soap* soap)
{
    // The runtime keeps the tag and each attribute's name and value as
    // NUL-terminated strings (a value is null when it has none).
    constexpr std::size_t room = sizeof soap->tmpbuf;
    std::string tag = "<";
    tag.append(soap->tag, std::min(std::strlen(soap->tag), room - 2));
    for (const struct soap_attribute* a = soap->attributes; a != nullptr; a = a->next) {
        if (!a->visible)
            continue;
        const std::size_t name = std::strlen(a->name);
        if (tag.size() + name + 1 >= room)
            break;
        tag += ' ';
        tag.append(a->name, name);
        if (a->value != nullptr) {
            const std::size_t value = std::strlen(a->value);
            if (tag.size() + value + 3 >= room)
                break;
            tag += "=\"";
            tag.append(a->value, value);
            tag += '"';
        }
    }
    tag += soap->body ? ">" : "/>";
    return tag;
}

// The literal text of the detail from where the reader stands, as the
// runtime's literal reader (soap_inliteral with "-any") takes it: from a
// peeked element to the point after it where the next element starts, or
// from an element not peeked (the one after the host-control object) to the
// detail's end tag; the end is left to read. Markup and
// references are read as soap_get reads them (a reference takes at most
// seven bytes after "&"), and kept as written. Characters beyond ASCII are
// written in UTF-8 as the runtime writes them, but a byte of a sequence
// that is no UTF-8 is never taken as part of one.
class Literal
{
  public:
    explicit Literal(struct soap* soap) : soap_(soap), reader_(soap, &text_) {}

    bool read(std::string& text)
    {
        if (soap_->peeked && *soap_->tag) {
            text_ = peeked_start_tag(soap_);
            depth_ = soap_->body ? 1 : 0;
            after_element_ = true;
            soap_->peeked = 0;
        }
        for (;;) {
            const soap_wchar c = soap_getchar(soap_); // the reader's look-ahead first
            if (!character(c))
                break;
        }
        text = std::move(text_);
        return !reader_.failed() || soap_->error == SOAP_EOF;
    }

  private:
    // Takes c and what belongs to it; false at the end of the text (what
    // ends it is left to read) or when the read failed.
    bool character(soap_wchar c)
    {
        switch (c) {
        case EOF:
            soap_unget(soap_, c);
            return false;
        case kEndTag:
            return end_tag(c);
        case kLt:
            if (after_element_ && depth_ == 0) {
                soap_unget(soap_, c);
                return false;
            }
            ++depth_;
            text_ += '<';
            return true;
        case kGt:
            text_ += '>';
            return true;
        case kQuote:
            text_ += '"';
            return true;
        case kApostrophe:
            text_ += '\'';
            return true;
        case '<':
            return markup();
        case '/':
            slash();
            return true;
        case '&':
            reader_.keep(c);
            reader_.reference();
            return !reader_.failed();
        default:
            break;
        }
        if (c < kApostrophe) {
            referenced(static_cast<unsigned long>(c) & 0x7FFFFFFFUL);
        } else if (c >= 0x80) {
            beyond_ascii(c);
        } else {
            reader_.keep(c);
        }
        return !reader_.failed();
    }

    // "</" at the detail's level ends the text; the runtime's reader reads it.
    bool end_tag(soap_wchar c)
    {
        if (depth_ == 0) {
            soap_unget(soap_, c);
            return false;
        }
        --depth_;
        text_ += "</";
        return true;
    }

    // A "/" right before ">" ends the element inside the text.
    void slash()
    {
        if (depth_ > 0) {
            const soap_wchar next = soap_getchar(soap_);
            if (next == '>')
                --depth_;
            soap_unget(soap_, next);
        }
        text_ += '/';
    }

    // After "<": blanks, then markup, an end tag or a start tag.
    bool markup()
    {
        const std::size_t at = text_.size();
        reader_.keep('<');
        soap_wchar c;
        while (blank(c = reader_.get()) && !reader_.failed()) {
        }
        if (c == EOF || reader_.failed())
            return false;
        if (c == '!')
            return reader_.declaration(reader_.get());
        if (c == '?')
            return reader_.instruction();
        if (c == '%')
            return reader_.to_close(c);
        text_.pop_back(); // c goes back to be read as a character
        if (c == '/') {
            if (depth_ == 0) {
                text_.resize(at);
                soap_unget(soap_, kEndTag);
                return false;
            }
            --depth_;
            soap_unget(soap_, '/');
            return true;
        }
        if (after_element_ && depth_ == 0) {
            // The next element: the element reader reads it from its "<". c
            // came from soap_get1 (the look-ahead is empty after the "<"),
            // so buf[bufidx - 1] still holds it.
            text_.resize(at);
            soap_revget1(soap_);
            soap_unget(soap_, '<');
            return false;
        }
        ++depth_;
        soap_unget(soap_, c);
        return true;
    }

    // A character that a reference gave (only the first one: the element
    // reader decoded it), written back as the runtime's literal reader
    // writes it.
    void referenced(unsigned long u)
    {
        switch (u) {
        case '<':
            text_ += "&lt;";
            return;
        case '>':
            text_ += "&gt;";
            return;
        case '&':
            text_ += "&amp;";
            return;
        case '"':
            text_ += "&quot;";
            return;
        case '\'':
            text_ += "&apos;";
            return;
        default:
            if (u == 0)
                soap_->error = SOAP_SYNTAX_ERROR;
            else
                append_utf8(text_, u);
        }
    }

    // A byte above 0x7F: the lead of a UTF-8 sequence whose continuation
    // bytes follow, written as the character it encodes, or a byte of
    // Latin-1 (every one of them while an XML declaration says so).
    void beyond_ascii(soap_wchar lead)
    {
        const int more = lead >= 0xFC   ? 5
                         : lead >= 0xF8 ? 4
                         : lead >= 0xF0 ? 3
                         : lead >= 0xE0 ? 2
                         : lead >= 0xC0 ? 1
                                        : 0;
        if ((soap_->mode & SOAP_ENC_LATIN) || more == 0) {
            append_utf8(text_, static_cast<unsigned long>(lead));
            return;
        }
        unsigned long u = static_cast<unsigned long>(lead) & (0x3FUL >> more);
        soap_wchar taken[5]; // more <= 5 bytes are taken
        int n = 0;
        for (; n < more; ++n) {
            taken[n] = soap_get1(soap_);
            if (!continuation(taken[n]))
                break;
            u = (u << 6) | (static_cast<unsigned long>(taken[n]) & 0x3F);
        }
        if (n == more && u >= 0x80) {
            append_utf8(text_, u);
            return;
        }
        // No UTF-8: each byte is Latin-1, and the one that broke the
        // sequence is read again as what it is (soap_get1 gave it, so it
        // is still in the buffer before bufidx).
        if (n < more && taken[n] != EOF)
            soap_revget1(soap_);
        append_utf8(text_, static_cast<unsigned long>(lead));
        for (int i = 0; i < n; ++i)
            append_utf8(text_, static_cast<unsigned long>(taken[i]));
    }

    struct soap* soap_;
    std::string text_;
    Reader reader_;
    int depth_ = 0;              // of the elements inside the text
    bool after_element_ = false; // the text began with a peeked element
};

} // namespace

int qor_detail_skip(struct soap* soap)
{
    soap->error = SOAP_OK; // the reader's loop sets its own after a 0
    // Only where the element reader would read the next bytes of the input.
    if (soap->peeked || soap->cdata || soap->ahead != 0)
        return 0;
    Reader reader(soap, nullptr);
    for (;;) {
        // Blanks and character data are no part of the detail's text; a
        // reference takes the bytes that soap_get takes for it.
        soap_wchar c;
        // soap_get0 gave a byte only from buf[bufidx] with bufidx < buflen,
        // so each step over it stays within the bytes read.
        while ((c = soap_get0(soap)) != EOF && c != '<') {
            ++soap->bufidx;
            if (c == '&')
                reader.reference();
        }
        if (c != '<')
            return 0;
        ++soap->bufidx;
        while (blank(c = soap_get0(soap)))
            ++soap->bufidx;
        if (c != '?' && c != '!') {
            // The "<" goes back: the runtime reads it and what follows as if
            // it had not been taken.
            soap_unget(soap, '<');
            return 0;
        }
        ++soap->bufidx;
        if (!(c == '?' ? reader.instruction() : reader.declaration(reader.get()))) {
            end_of_input(soap);
            return -1;
        }
    }
}

bool qor_detail_literal(struct soap* soap, char** text)
{
    if (soap_element_begin_in(soap, "-any", 1, nullptr) != SOAP_OK)
        return false;
    soap->error = SOAP_OK; // a peeked element keeps the error of the reader that declined it
    std::string more;
    if (!Literal(soap).read(more) || (soap->error != SOAP_OK && soap->error != SOAP_EOF))
        return false;
    if (more.empty()) {
        if (soap->error == SOAP_OK)
            soap->error = SOAP_NO_TAG;
        return false;
    }
    return append(soap, text, more);
}
