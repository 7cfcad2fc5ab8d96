// The command line that diagnostics and the process list may show: no
// password in it.
#include "client/cmdline_mask.h"

#include <string_view>

namespace {

// The second word after a "-user".
bool is_password(int argc, const QOR_UC* const* argv, int i)
{
    return i >= 2 && i < argc && argv[i] != nullptr && argv[i - 2] != nullptr &&
           std::u16string_view(argv[i - 2]) == u"-user";
}

} // namespace

std::vector<const QOR_UC*> words_for_diagnostics(int argc, const QOR_UC* const* argv)
{
    std::vector<const QOR_UC*> words(argv, argv + (argc > 0 ? argc : 0));
    for (int i = 0; i < argc; ++i) {
        if (is_password(argc, argv, i))
            words[static_cast<std::size_t>(i)] = u"********";
    }
    words.push_back(nullptr);
    return words;
}

void hide_passwords(int argc, char** argv, const QOR_UC* const* words)
{
    for (int i = 0; i < argc; ++i) {
        if (is_password(argc, words, i)) {
            for (char* c = argv[i]; c != nullptr && *c != '\0'; ++c)
                *c = '*';
        }
    }
}
