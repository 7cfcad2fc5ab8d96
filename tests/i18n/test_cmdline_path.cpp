// The 7-bit command-line copy and the joining of library paths.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "i18n/nlsui_cmdline.h"
#include "i18n/nlsui_load.h"
#include "probe_runner.h"

namespace {

std::string join(const std::vector<std::u16string>& words)
{
    std::vector<const QOR_UC*> argv;
    for (const auto& word : words)
        argv.push_back(word.c_str());
    char buffer[NLSUI_CMDLINE_MAX + 1 + 8];
    std::memset(buffer, 'X', sizeof buffer);
    nlsui_join_cmdline(static_cast<int>(argv.size()), argv.data(), buffer);
    // Nothing is written past the 257-byte copy.
    for (size_t i = NLSUI_CMDLINE_MAX + 1; i < sizeof buffer; ++i)
        EXPECT_EQ(buffer[i], 'X');
    return buffer;
}

TEST(StartupCmdline, WordsAreJoinedByBlanksWithNonAsciiAsHash)
{
    const struct
    {
        std::vector<std::u16string> words;
        std::string expected;
    } cases[] = {
        {{u"qorcontrol", u"-nr", u"w\u00e9rd"}, "qorcontrol -nr w#rd"},
        {{u"qorcontrol"}, "qorcontrol"},
        {{}, ""},
        {{u"a", u"", u"b"}, "a  b"},
        {{u"\u65e5\u672c", u"x\U0001F600y"}, "## x##y"}, // a surrogate pair is two units
        {{u"tab\there", u"\u007f"}, "tab\there \x7f"},
    };
    for (const auto& test : cases)
        EXPECT_EQ(join(test.words), test.expected);
}

TEST(StartupCmdline, LongCommandLinesAreCutAt256Characters)
{
    const std::u16string a200(200, u'a');
    const std::u16string b100(100, u'b');
    const std::u16string c255(255, u'c');
    const std::u16string d300(300, u'd');

    // Cut inside the second word.
    EXPECT_EQ(join({a200, b100}), std::string(200, 'a') + " " + std::string(55, 'b'));
    // A first word of 255 leaves room for the blank only: the copy ends in a
    // blank and later words are dropped.
    EXPECT_EQ(join({c255, u"next", u"more"}), std::string(255, 'c') + " ");
    // One long word alone.
    EXPECT_EQ(join({d300}), std::string(256, 'd'));
    // Exactly 256 characters fit without loss.
    EXPECT_EQ(join({std::u16string(127, u'e'), std::u16string(128, u'f')}),
              std::string(127, 'e') + " " + std::string(128, 'f'));
    // Non-ASCII units near the cut still count one each.
    std::u16string wide(300, u'\u00e4');
    EXPECT_EQ(join({u"p", wide}), "p " + std::string(254, '#'));
}

TEST(StartupPathJoin, DirectoryAndNameAreJoinedWithinTheLimit)
{
    const std::string dir200(200, 'd');
    const struct
    {
        std::string directory;
        std::string name;
        std::string expected;
        bool reported;
    } cases[] = {
        {"/opt/icu", "libicuuc.so", "/opt/icu/libicuuc.so", false},
        {"/opt/icu/", "libicuuc.so", "/opt/icu/libicuuc.so", false},
        {"", "libicuuc.so", "libicuuc.so", false},
        {"/", "x", "/x", false},
        // 200 + 1 + 58 + 1 = 260 fits exactly.
        {dir200, std::string(58, 'n'), dir200 + "/" + std::string(58, 'n'), false},
        // One more does not, and leaves the result empty.
        {dir200, std::string(59, 'n'), "", true},
        // The separator counts even when the directory already ends in one.
        {std::string(199, 'd') + "/", std::string(59, 'n'), "", true},
    };
    for (const auto& test : cases) {
        char result[MAX_PATH_LN];
        std::memset(result, 'X', sizeof result);
        std::string err = i18ntest::capture_stderr(
            [&] { nlsui_path_join(test.directory.c_str(), test.name.c_str(), result); });
        EXPECT_EQ(std::string(result), test.expected) << test.directory << " + " << test.name;
        if (test.reported) {
            EXPECT_EQ(
                err.rfind("Path " + test.directory + "/" + test.name + " exceeds MAX_PATH_LN [", 0),
                0u)
                << err;
        } else {
            EXPECT_EQ(err, "");
        }
    }
}

TEST(StartupPathJoin, ResultMayBeTheDirectoryBuffer)
{
    char buffer[MAX_PATH_LN] = "/usr/lib/icu";
    nlsui_path_join(buffer, "72.1", buffer);
    EXPECT_STREQ(buffer, "/usr/lib/icu/72.1");
    nlsui_path_join(buffer, "libicuuc.so", buffer);
    EXPECT_STREQ(buffer, "/usr/lib/icu/72.1/libicuuc.so");
}

TEST(StartupLibraryOpen, OverlongNamesAreRefusedBeforeTheLoaderSeesThem)
{
    // 259 characters plus the terminator fit; 260 do not.
    std::string fits(259, 'l');
    std::string too_long(260, 'l');
    void* handle = &handle;
    std::string err = i18ntest::capture_stderr([&] { handle = nlsui_dlopen(fits.c_str(), "ICU"); });
    EXPECT_EQ(handle, nullptr); // no such file: reported at the highest level only
    EXPECT_EQ(err, "");
    handle = &handle;
    err = i18ntest::capture_stderr([&] { handle = nlsui_dlopen(too_long.c_str(), "ICU"); });
    EXPECT_EQ(handle, nullptr);
    EXPECT_EQ(i18ntest::split_lines(err).size(), 1u) << err;
    EXPECT_EQ(err.rfind("Length of libname " + too_long +
                            " exceeds MAX_PATH_LN 260. nlsui_dlopen failed. [",
                        0),
              0u)
        << err;
}

TEST(StartupLibraryOpen, EmptyNameOpensNothing)
{
    // A path join that did not fit leaves the empty name: the open must fail
    // rather than hand out the program itself as the library.
    void* handle = &handle;
    std::string err = i18ntest::capture_stderr([&] { handle = nlsui_dlopen("", "ICU"); });
    EXPECT_EQ(handle, nullptr);
    EXPECT_EQ(err, "");
}

} // namespace
