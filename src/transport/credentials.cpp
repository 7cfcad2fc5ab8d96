// HTTP Basic credentials of every transport: the plug-in writes the
// Authorization value itself. The toolkit encodes "user:password" into the
// buffer it reads it from, which corrupts 769 bytes and more; from about
// 1,786 bytes it cuts them and writes past that buffer. It therefore only
// ever sees an empty pair, and its header line, in its usual place, gets the
// value computed here from the real pair.

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "transport/plugin_data.h"

namespace qortransport {
namespace {

constexpr char kAuthorization[] = "Authorization";
constexpr char kEmpty[] = "";

std::string basic_value(std::string_view user, std::string_view password)
{
    static constexpr char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string pair;
    pair.reserve(user.size() + 1 + password.size());
    pair.append(user).append(1, ':').append(password);
    std::string value = "Basic ";
    value.reserve(value.size() + (pair.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < pair.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, pair.size() - i);
        unsigned long bits = 0;
        for (std::size_t k = 0; k < 3; ++k)
            bits = bits << 8 | (k < n ? static_cast<unsigned char>(pair[i + k]) : 0u);
        for (std::size_t k = 0; k < 4; ++k)
            value += k <= n ? kDigits[(bits >> (18 - 6 * k)) & 0x3F] : '=';
    }
    std::fill(pair.begin(), pair.end(), '\0');
    return value;
}

int post_with_credentials(struct soap* soap, const char* endpoint, const char* host, int port,
                          const char* path, const char* action, ULONG64 count)
{
    PluginData* d = plugin_data(soap);
    if (d == nullptr)
        return SOAP_EOF;
    const char* user = soap->userid;
    const char* password = soap->passwd;
    // A bearer token, or no pair at all, stays the toolkit's own affair.
    if (user == nullptr || password == nullptr || soap->bearer != nullptr)
        return d->saved.post_next(soap, endpoint, host, port, path, action, count);
    d->authorization = basic_value(user, password);
    soap->userid = kEmpty;
    soap->passwd = kEmpty;
    const int rc = d->saved.post_next(soap, endpoint, host, port, path, action, count);
    soap->userid = user;
    soap->passwd = password;
    std::fill(d->authorization.begin(), d->authorization.end(), '\0');
    d->authorization.clear();
    return rc;
}

int header_with_credentials(struct soap* soap, const char* key, const char* value)
{
    PluginData* d = plugin_data(soap);
    if (d == nullptr)
        return SOAP_EOF;
    if (!d->authorization.empty() && key != nullptr && std::strcmp(key, kAuthorization) == 0)
        value = d->authorization.c_str();
    return d->saved.fposthdr(soap, key, value);
}

} // namespace

void install_credentials(struct soap* soap, PluginData* data)
{
    data->saved.post_next = soap->fpost;
    data->saved.fposthdr = soap->fposthdr;
    soap->fpost = post_with_credentials;
    soap->fposthdr = header_with_credentials;
}

} // namespace qortransport
