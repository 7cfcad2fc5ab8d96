/* UTF-16 to UTF-8 conversion of about 100 MB of text, against iconv. */
#include <iconv.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "rscp/rscp_utf.h"

namespace {

double seconds_since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv)
{
    const size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100;
    /* Mostly ASCII with accented letters, a currency sign and an emoji, as in
     * texts exchanged with the service. */
    const std::u16string pattern = u"Work process 12 of instance PRD \u00e4\u00f6\u00fc running "
                                   u"since 10:42 \u20ac \U0001F600 ok\n";
    std::u16string text;
    const size_t units = megabytes * 1024 * 1024 / 2;
    text.reserve(units + pattern.size());
    while (text.size() < units)
        text += pattern;

    std::vector<char> out(text.size() * 3 + 16);
    std::vector<char> ref(out.size());
    int32_t len = 0;
    uint32_t rc = 0;
    size_t ref_len = 0;
    double ours = 1e9, theirs = 1e9;
    /* Best of three rounds of each. */
    for (int round = 0; round < 3; ++round) {
        auto start = std::chrono::steady_clock::now();
        rc = U16nToUtf8(out.data(), static_cast<int32_t>(out.size()), &len, text.data(),
                        static_cast<int32_t>(text.size()));
        const double a = seconds_since(start);
        if (a < ours)
            ours = a;

        iconv_t cd = iconv_open("UTF-8", "UTF-16LE");
        char* ip = reinterpret_cast<char*>(text.data());
        size_t il = text.size() * 2;
        char* op = ref.data();
        size_t ol = ref.size();
        start = std::chrono::steady_clock::now();
        iconv(cd, &ip, &il, &op, &ol);
        const double b = seconds_since(start);
        if (b < theirs)
            theirs = b;
        iconv_close(cd);
        ref_len = ref.size() - ol;
    }

    const bool same = rc == 0 && static_cast<size_t>(len) == ref_len &&
                      std::memcmp(out.data(), ref.data(), ref_len) == 0;
    std::printf("UTF-16 input          %zu MB (%zu units)\n", text.size() * 2 / (1024 * 1024),
                text.size());
    std::printf("U16nToUtf8            %.3f s\n", ours);
    std::printf("iconv                 %.3f s\n", theirs);
    std::printf("ratio                 %.2f (goal <= 1.0)\n", ours / theirs);
    std::printf("identical output      %s\n", same ? "yes" : "NO");
    return same ? 0 : 2;
}
