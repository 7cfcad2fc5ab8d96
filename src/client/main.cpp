// Process entry: the UTF-8 argument vector as 16-bit strings, the I18N
// start-up, then the main logic, whose result is the exit code.
#include <cstring>
#include <string>
#include <vector>

#include "client/cmdline_mask.h"
#include "client/run_client.h"
#include "client/standard_streams.h"
#include "client/strings.h"
#include "i18n/nlsui.h"

namespace {

// A word as 16-bit text. A byte that is no UTF-8 becomes U+FFFD in the
// conversion; so does a character cut off at the end of the word, which the
// conversion alone refuses as a whole: an empty word would mean something
// else entirely (an empty -user asks the service for a logon file).
const QOR_UC* widen_word(const char* word)
{
    if (const QOR_UC* wide = utf8_to_wide(nullptr, word))
        return wide;
    std::string mended(word);
    std::size_t cut = mended.size();
    while (cut > 0 && mended.size() - cut < 3 &&
           (static_cast<unsigned char>(mended[cut - 1]) & 0xC0) == 0x80)
        --cut;
    if (cut > 0 && static_cast<unsigned char>(mended[cut - 1]) >= 0xC0)
        mended.replace(cut - 1, std::string::npos, "\xFF");
    const QOR_UC* wide = utf8_to_wide(nullptr, mended.c_str());
    return wide != nullptr ? wide : u"\uFFFD";
}

} // namespace

int main(int argc, char** argv)
{
    // Before anything opens a file or a socket that could take their place.
    if (!open_closed_standard_streams())
        return 1;
    buffer_standard_output();
    std::vector<const QOR_UC*> args;
    args.reserve(static_cast<std::size_t>(argc) + 1);
    for (int i = 0; i < argc; ++i) {
        args.push_back(widen_word(argv[i]));
    }
    args.push_back(nullptr);
    // The copies are read; the process list need not show the password.
    hide_passwords(argc, argv, args.data());
    nlsui_set_cmdline(argc, words_for_diagnostics(argc, args.data()).data());
    nlsui_init();
    return run_client(argc, args.data());
}
