// Process entry: the UTF-8 argument vector as 16-bit strings, the I18N
// start-up, then the main logic, whose result is the exit code.
#include <cstddef>
#include <vector>

#include "client/cmdline_mask.h"
#include "client/run_client.h"
#include "client/standard_streams.h"
#include "client/strings.h"
#include "client/typed_words.h"
#include "i18n/nlsui.h"

namespace {

// A word as 16-bit text: bytes that are not UTF-8 become U+FFFD and the word
// keeps every other character, wherever the broken bytes stand. Such a
// word no longer names what was typed, which the file names must know.
const QOR_UC* widen_word(const char* word)
{
    bool utf8 = true;
    const QOR_UC* wide = word_to_wide(word, &utf8);
    if (wide != nullptr && !utf8)
        mark_word_not_utf8(wide);
    return wide;
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
        // Only memory running out leaves a word out: no run without it.
        if (args.back() == nullptr)
            return 1;
    }
    args.push_back(nullptr);
    // The copies are read; the process list need not show the password.
    hide_passwords(argc, argv, args.data());
    nlsui_set_cmdline(argc, words_for_diagnostics(argc, args.data()).data());
    nlsui_init();
    return run_client(argc, args.data());
}
