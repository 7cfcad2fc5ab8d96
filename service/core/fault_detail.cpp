// The literal text of a fault's detail (see mend_generated.cmake): every
// element of it, and a CDATA section as written wherever it stands.
#include "soapH.h"

#include <cstring>
#include <string>
#include <string_view>

namespace {

// A byte that the runtime's element reader skips before an element.
bool blank(soap_wchar c)
{
    return c >= 0 && c <= ' ';
}

// Appends `more` to the detail text *text, in the context's memory.
bool append(struct soap* soap, char** text, std::string_view more)
{
    if (*text != nullptr && more.empty())
        return true;
    const std::size_t head = *text != nullptr ? std::strlen(*text) : 0;
    auto* joined = static_cast<char*>(soap_malloc(soap, head + more.size() + 1));
    if (joined == nullptr) {
        soap->error = SOAP_EOM;
        return false;
    }
    if (head > 0)
        std::memcpy(joined, *text, head);
    std::memcpy(joined + head, more.data(), more.size());
    joined[head + more.size()] = '\0';
    *text = joined;
    return true;
}

bool end_of_input(struct soap* soap)
{
    if (soap->error == SOAP_OK)
        soap->error = SOAP_EOF;
    return false;
}

// From the byte c on, up to the ">" that closes the markup whose start was
// read, counting the "<" and ">" between, as the runtime's character reader
// skips a comment, a declaration or a processing instruction.
bool skip_to_close(struct soap* soap, soap_wchar c)
{
    for (int depth = 1; c != EOF; c = soap_get1(soap)) {
        if (c == '<')
            ++depth;
        else if (c == '>' && --depth <= 0)
            return true;
    }
    return end_of_input(soap);
}

// After "<!" and the byte c that follows: a comment (up to its first "--")
// or a declaration, and the rest up to its ">".
bool skip_declaration(struct soap* soap, soap_wchar c)
{
    if (c == '-' && (c = soap_get1(soap)) == '-') {
        do {
            c = soap_get1(soap);
            if (c == '-' && (c = soap_get1(soap)) == '-')
                break;
        } while (c != EOF);
    }
    return skip_to_close(soap, c);
}

// After "<?": a processing instruction up to its first "?", and the rest up
// to its ">"; as the runtime's character reader reads it, an
// XML declaration's encoding among its first 63 bytes switches the reading
// of Latin-1 on or off.
bool skip_instruction(struct soap* soap)
{
    char text[64];
    std::size_t length = 0;
    soap_wchar c;
    while ((c = soap_get1(soap)) != EOF && c != '?') {
        if (length < sizeof text - 1)
            text[length++] = blank(c) ? ' ' : static_cast<char>(c);
    }
    text[length] = '\0';
    const char* encoding = std::strstr(text, " encoding=");
    if (std::strncmp(text, "xml ", 4) == 0 && encoding != nullptr && encoding[10] != '\0') {
        if (soap_tag_cmp(encoding + 11, "iso-8859-1*") == 0 ||
            soap_tag_cmp(encoding + 11, "latin1*") == 0)
            soap->mode |= SOAP_ENC_LATIN;
        else if (soap_tag_cmp(encoding + 11, "utf-8*") == 0)
            soap->mode &= ~SOAP_ENC_LATIN;
    }
    return skip_to_close(soap, c == EOF ? EOF : soap_get1(soap));
}

// After "<![": the section up to "]]>" as written, and the rest of the
// detail as the runtime's literal reader reads it after text.
bool read_cdata(struct soap* soap, char** text)
{
    std::string section = "<![";
    soap_wchar c;
    do {
        if ((c = soap_get1(soap)) == EOF)
            return end_of_input(soap);
        section += static_cast<char>(c);
    } while (c != '[');
    while (section.compare(section.size() - 3, 3, "]]>") != 0) {
        if ((c = soap_get1(soap)) == EOF)
            return end_of_input(soap);
        if (c == 0) {
            // A NUL byte is no character of XML; kept, it would end the text.
            soap->error = SOAP_SYNTAX_ERROR;
            return false;
        }
        section += static_cast<char>(c);
    }
    const char* rest = soap_string_in(soap, 0, -1, -1, nullptr);
    return rest != nullptr && append(soap, text, section) && append(soap, text, rest);
}

} // namespace

int qor_detail_cdata(struct soap* soap, char** text)
{
    soap->error = SOAP_OK; // the reader's loop sets its own after a 0
    // Only where the element reader would read the next bytes of the input.
    if (soap->peeked || soap->cdata || soap->ahead != 0)
        return 0;
    for (;;) {
        // Blanks are taken as the element reader would skip them.
        soap_wchar c;
        while (blank(c = soap_get0(soap)))
            ++soap->bufidx;
        if (c != '<')
            return 0;
        ++soap->bufidx;
        while (blank(c = soap_get0(soap)))
            ++soap->bufidx;
        if (c == '?') {
            ++soap->bufidx;
            if (!skip_instruction(soap))
                return -1;
            continue;
        }
        if (c != '!') {
            // The "<" goes back: the runtime reads it and what follows as if
            // it had not been taken.
            soap_unget(soap, '<');
            return 0;
        }
        ++soap->bufidx;
        c = soap_get1(soap);
        if (c == '[')
            return read_cdata(soap, text) ? 1 : -1;
        if (!skip_declaration(soap, c))
            return -1;
    }
}

bool qor_detail_literal(struct soap* soap, char** text)
{
    char* next = nullptr;
    if (!soap_inliteral(soap, "-any", &next))
        return false;
    if (*text == nullptr) {
        *text = next;
        return true;
    }
    return next == nullptr || append(soap, text, next);
}
