// The option loop, the number and keyword readers and the checks after the
// loop.
#include "client/options.h"

#include <cstdint>
#include <cstdio>
#include <string_view>

#include "base/dptrc.h"
#include "client/host_text.h"
#include "client/strings.h"
#include "client/trace_file.h"
#include "client/typed_words.h"
#include "u16/u16.h"

namespace {

using Word = std::u16string_view;

bool is_space(QOR_UC c)
{
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

int keyword_index(const QOR_UC* word, std::initializer_list<Word> keywords)
{
    int i = 0;
    for (Word keyword : keywords) {
        if (keyword == Word(word))
            return i;
        ++i;
    }
    return -1;
}

// Takes the value word that follows an option; the words running out is a
// usage error.
const QOR_UC* next_word(int argc, const QOR_UC* const* argv, int* index)
{
    if (*index + 1 >= argc)
        print_usage();
    return argv[++*index];
}

} // namespace

void client_exit(int code)
{
    throw ClientExit{code};
}

int word_to_int(const QOR_UC* word)
{
    if (word == nullptr)
        return 0;
    const QOR_UC* p = word;
    while (is_space(*p))
        ++p;
    bool negative = false;
    if (*p == u'+' || *p == u'-') {
        negative = *p == u'-';
        ++p;
    }
    // Accumulate with saturation: wcstol clamps to the range of a 32-bit long.
    constexpr std::int64_t kMax = INT32_MAX;
    constexpr std::int64_t kMinMagnitude = -static_cast<std::int64_t>(INT32_MIN);
    const std::int64_t limit = negative ? kMinMagnitude : kMax;
    std::int64_t value = 0;
    for (; *p >= u'0' && *p <= u'9'; ++p) {
        value = value * 10 + (*p - u'0');
        if (value > limit)
            value = limit;
    }
    return static_cast<int>(negative ? -value : value);
}

int parse_system_option(const QOR_UC* word)
{
    return keyword_index(word, {u"ALL", u"SCS", u"DIALOG", u"VORN", u"J2EE", u"LEVEL", u"TOVA",
                                u"ENQREP", u"ZDB", u"ALLNOZDB"});
}

int parse_parameter_mode(const QOR_UC* word)
{
    return keyword_index(word, {u"DYNAMIC", u"PERSIST", u"DYNAMIC_PERSIST"});
}

void parse_command_line(int argc, const QOR_UC* const* argv, ClientSettings& s)
{
    for (int i = 1; i < argc; ++i) {
        const Word word(argv[i]);
        if (word == u"-prot") {
            const int prot =
                keyword_index(next_word(argc, argv, &i), {u"NI_HTTP", u"NI_HTTPS", u"GSOAP_HTTP",
                                                          u"WINHTTP", u"WINHTTPS", u"PIPE"});
            static constexpr int kTypes[] = {TRANSPORT_NI_HTTP,    TRANSPORT_NI_HTTPS,
                                             TRANSPORT_GSOAP_HTTP, TRANSPORT_WINHTTP,
                                             TRANSPORT_WINHTTPS,   TRANSPORT_PIPE};
            if (prot < 0)
                print_usage();
            s.transport = kTypes[prot];
            // The local machine is "." in a pipe name.
            if (s.transport == TRANSPORT_PIPE && std::string_view(s.host) == "localhost")
                s.host = ".";
        } else if (word == u"-trace") {
            const QOR_UC* name = next_word(argc, argv, &i);
            if (s.trace != nullptr && s.trace != stdout)
                std::fclose(s.trace); // a later -trace replaces an earlier one
            if (Word(name) == u"-")
                s.trace = stdout;
            else if (!word_typed_as_utf8(name))
                s.trace = nullptr; // its 16-bit form names another file: as a failed open
            else
                s.trace = open_trace_file(name);
        } else if (word == u"-debug") {
            DpTrcLevel = 3;
        } else if (word == u"-host") {
            const QOR_UC* name = next_word(argc, argv, &i);
            char* host = wide_to_utf8(nullptr, name);
            s.host = host != nullptr ? host : "";
            s.host_typed = name;
        } else if (word == u"-nr") {
            s.instance_nr = word_to_int(next_word(argc, argv, &i));
        } else if (word == u"-user") {
            const QOR_UC* user = next_word(argc, argv, &i);
            const QOR_UC* password = next_word(argc, argv, &i);
            s.user = wide_to_utf8(nullptr, user);
            s.password = wide_to_utf8(nullptr, password);
        } else if (word == u"-queryuser") {
            s.query_user = true;
        } else if (word == u"-function") {
            s.webmethod = next_word(argc, argv, &i);
            parse_webmethod_args(argc, argv, &i, s);
        } else if (word == u"-repeat") {
            s.repeat_count = word_to_int(next_word(argc, argv, &i));
            s.repeat_delay = word_to_int(next_word(argc, argv, &i));
        } else if (word == u"-format") {
            const QOR_UC* format = next_word(argc, argv, &i);
            if (Word(format) != u"list" && Word(format) != u"script")
                print_usage();
            s.format = format;
        }
        // Any other word is skipped without a message.
    }
    if (s.instance_nr < 0 || s.instance_nr > 99 || s.webmethod == nullptr)
        print_usage();
    // One host and nothing else: no port, user, path or second host in it.
    if (s.host_typed != nullptr && (!host_text_valid(s.host_typed) || *s.host == '\0'))
        print_usage();
}
