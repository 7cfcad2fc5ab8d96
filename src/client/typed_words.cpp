// The command-line words that were not typed as UTF-8.
#include "client/typed_words.h"

#include <algorithm>
#include <vector>

namespace {

// Marked once, by main, before anything reads them; a command line holds few.
std::vector<const QOR_UC*>& marked_words()
{
    static std::vector<const QOR_UC*> words;
    return words;
}

} // namespace

void mark_word_not_utf8(const QOR_UC* word)
{
    marked_words().push_back(word);
}

bool word_typed_as_utf8(const QOR_UC* word)
{
    const std::vector<const QOR_UC*>& words = marked_words();
    return word == nullptr || std::find(words.begin(), words.end(), word) == words.end();
}
