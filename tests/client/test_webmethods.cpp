// The table of webmethods: its rows against the usage text and the dispatch
// by exact name.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>

#include "client/options.h"
#include "client/webmethods.h"

namespace {

std::string ascii(std::u16string_view text)
{
    return std::string(text.begin(), text.end());
}

// The webmethod names of the usage text: the first word of every line of its
// WEBMETHODS section that is indented by four blanks (deeper lines go on
// with the line before).
std::set<std::string> usage_names()
{
    const std::u16string_view text(usage_text());
    const std::size_t begin = text.find(u"\nWEBMETHODS\n");
    const std::size_t end = text.find(u"\nEXITCODES\n");
    std::set<std::string> names;
    if (begin == std::u16string_view::npos || end == std::u16string_view::npos)
        return names;
    std::u16string_view section = text.substr(begin + 12, end - begin - 12);
    while (!section.empty()) {
        const std::size_t line_end = section.find(u'\n');
        const std::u16string_view line = section.substr(0, line_end);
        if (line.size() > 4 && line.substr(0, 4) == u"    " && line[4] != u' ')
            names.insert(ascii(line.substr(4, line.find(u' ', 4) - 4)));
        section.remove_prefix(line_end == std::u16string_view::npos ? section.size()
                                                                    : line_end + 1);
    }
    return names;
}

TEST(ClientWebmethods, TheUsageTextListsEveryListedRowAndNoOtherName)
{
    const std::set<std::string> listed = usage_names();
    ASSERT_GT(listed.size(), 1u);
    std::set<std::string> rows;
    for (const Webmethod* w = webmethods_begin(); w != webmethods_end(); ++w) {
        const std::string name = ascii(w->name);
        const bool unlisted = (w->rules & kUnlisted) != 0;
        EXPECT_NE(listed.count(name) != 0, unlisted) << name;
        if (!unlisted)
            rows.insert(name);
    }
    EXPECT_EQ(rows, listed);
}

TEST(ClientWebmethods, EveryRowIsFoundByItsExactNameOnly)
{
    std::set<std::u16string> names;
    for (const Webmethod* w = webmethods_begin(); w != webmethods_end(); ++w) {
        EXPECT_TRUE(names.insert(w->name).second) << "twice: " << ascii(w->name);
        EXPECT_EQ(find_webmethod(w->name), w) << ascii(w->name);
        std::u16string lower(w->name);
        for (char16_t& c : lower)
            c = c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
        EXPECT_EQ(find_webmethod(lower.c_str()), nullptr) << ascii(lower);
    }
    EXPECT_EQ(find_webmethod(u""), nullptr);
    EXPECT_EQ(find_webmethod(nullptr), nullptr);
}

} // namespace
