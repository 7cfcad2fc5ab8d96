// The command line that diagnostics may show: no password in it.
#include "client/cmdline_mask.h"

#include <string_view>

std::vector<const QOR_UC*> words_for_diagnostics(int argc, const QOR_UC* const* argv)
{
    std::vector<const QOR_UC*> words(argv, argv + (argc > 0 ? argc : 0));
    for (int i = 0; i + 2 < argc; ++i) {
        if (argv[i] != nullptr && std::u16string_view(argv[i]) == u"-user" &&
            argv[i + 2] != nullptr)
            words[static_cast<std::size_t>(i) + 2] = u"********";
    }
    words.push_back(nullptr);
    return words;
}
