// The check of the -host word: one host, nothing that bends the endpoint.
#include "client/host_text.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <string_view>

namespace {

using Text = std::u16string_view;

bool is_ipv6_address(Text text)
{
    char ascii[INET6_ADDRSTRLEN];
    if (text.empty() || text.size() >= sizeof ascii)
        return false;
    std::size_t n = 0;
    for (char16_t c : text) {
        if (c == 0 || c >= 0x80)
            return false;
        ascii[n++] = static_cast<char>(c);
    }
    ascii[n] = '\0';
    in6_addr address{};
    return inet_pton(AF_INET6, ascii, &address) == 1;
}

bool is_name_ascii(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
           c == u'-' || c == u'.' || c == u'_';
}

bool is_high_surrogate(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

bool is_low_surrogate(char16_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

bool is_name(Text text)
{
    if (text.empty())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c < 0x80) {
            if (!is_name_ascii(c))
                return false;
        } else if (c <= 0x9F || c == 0xFFFD || is_low_surrogate(c)) {
            return false; // a C1 control, a byte that was not UTF-8, half a pair
        } else if (is_high_surrogate(c)) {
            if (i + 1 >= text.size() || !is_low_surrogate(text[i + 1]))
                return false;
            ++i;
        }
    }
    return true;
}

} // namespace

bool host_text_valid(const QOR_UC* text)
{
    if (text == nullptr)
        return false;
    const Text host(text);
    if (!host.empty() && host.front() == u'[')
        return host.size() > 2 && host.back() == u']' &&
               is_ipv6_address(host.substr(1, host.size() - 2));
    if (host.find(u':') != Text::npos)
        return is_ipv6_address(host);
    return is_name(host);
}
