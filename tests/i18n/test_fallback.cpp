// The 7-bit replacements of the character functions, called directly in this
// process (the start-up trace stays at its default level "low" here).
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <string>

#include "i18n/nlsui.h"
#include "i18n/nlsui_fallback.h"
#include "i18n/nlsui_icu.h"
#include "probe_runner.h"

namespace {

using namespace nlsui_icu;
using i18ntest::capture_stderr;
using i18ntest::split_lines;

struct ReplacementCase
{
    const char* function; // name in the error line
    int (*call)(int);
    int c;
    int expected;
};

int call_isalnum(int c)
{
    return fallback_u_isalnum(c);
}
int call_isalpha(int c)
{
    return fallback_u_isalpha(c);
}
int call_iscntrl(int c)
{
    return fallback_u_iscntrl(c);
}
int call_islower(int c)
{
    return fallback_u_islower(c);
}
int call_isprint(int c)
{
    return fallback_u_isprint(c);
}
int call_isspace(int c)
{
    return fallback_u_isspace(c);
}
int call_isupper(int c)
{
    return fallback_u_isupper(c);
}
int call_toupper(int c)
{
    return fallback_u_toupper(c);
}
int call_tolower(int c)
{
    return fallback_u_tolower(c);
}

const ReplacementCase kSevenBitCases[] = {
    {"toupperU", call_toupper, 0x61, 0x41},
    {"toupperU", call_toupper, 0x7A, 0x5A},
    {"toupperU", call_toupper, 0x7B, 0x7B},
    {"toupperU", call_toupper, 0x60, 0x60},
    {"toupperU", call_toupper, 0x41, 0x41},
    {"tolowerU", call_tolower, 0x41, 0x61},
    {"tolowerU", call_tolower, 0x5A, 0x7A},
    {"tolowerU", call_tolower, 0x40, 0x40},
    {"tolowerU", call_tolower, 0x5B, 0x5B},
    {"isspaceU", call_isspace, 0x09, 1},
    {"isspaceU", call_isspace, 0x20, 1},
    {"isspaceU", call_isspace, 0x41, 0},
    {"isalnumU", call_isalnum, '5', 1},
    {"isalnumU", call_isalnum, '-', 0},
    {"isalphaU", call_isalpha, 'q', 1},
    {"isalphaU", call_isalpha, '7', 0},
    {"iscntrlU", call_iscntrl, 0x7F, 1},
    {"iscntrlU", call_iscntrl, 0x1F, 1},
    {"iscntrlU", call_iscntrl, 'x', 0},
    {"islowerU", call_islower, 'a', 1},
    {"islowerU", call_islower, 'A', 0},
    {"isupperU", call_isupper, 'A', 1},
    {"isupperU", call_isupper, 'a', 0},
    {"isprintU", call_isprint, ' ', 1},
    {"isprintU", call_isprint, '~', 1},
    {"isprintU", call_isprint, 0x07, 0},
    // Bits above the 16 low ones do not count (masked like a 16-bit unit).
    {"toupperU", call_toupper, 0x10061, 0x41},
};

TEST(StartupSevenBitFallback, SevenBitCharactersAnswerWithoutReport)
{
    for (const auto& test : kSevenBitCases) {
        int result = -1;
        std::string err = capture_stderr([&] { result = test.call(test.c); });
        EXPECT_EQ(result, test.expected) << test.function << " of " << std::hex << test.c;
        EXPECT_EQ(err, "") << test.function << " of " << std::hex << test.c;
    }
}

const ReplacementCase kNon7BitCases[] = {
    {"tolowerU", call_tolower, 0x00C4, 0x00C4}, // only the 26 Latin letters map
    {"toupperU", call_toupper, 0x00E4, 0x00E4}, {"toupperU", call_toupper, 0x0101, 0x0101},
    {"isalphaU", call_isalpha, 0x00E9, 1}, // the runtime's Unicode answer
    {"isalnumU", call_isalnum, 0x00E9, 1},      {"islowerU", call_islower, 0x00E9, 1},
    {"isupperU", call_isupper, 0x00C9, 1},      {"isupperU", call_isupper, 0x00E9, 0},
    {"isspaceU", call_isspace, 0x3000, 1},      {"iscntrlU", call_iscntrl, 0x0085, 1},
    {"isprintU", call_isprint, 0x20AC, 1},      {"isalphaU", call_isalpha, 0x0080, 0},
};

TEST(StartupSevenBitFallback, NonSevenBitCharactersAreReportedAndAnswered)
{
    // Each message ends in a newline, so its suffix opens the next line.
    const std::regex suffix("^ \\[[A-Za-z0-9_.]+ [0-9]+\\] pid = " + std::to_string(getpid()) +
                            "$");
    for (const auto& test : kNon7BitCases) {
        int result = -1;
        std::string err = capture_stderr([&] { result = test.call(test.c); });
        EXPECT_EQ(result, test.expected) << test.function << " of " << std::hex << test.c;
        auto lines = split_lines(err);
        ASSERT_EQ(lines.size(), 4u) << err;
        char first[128];
        std::snprintf(first, sizeof first,
                      "ERROR: Non 7-bit character U+%04X encountered in function %s",
                      static_cast<unsigned>(test.c), test.function);
        EXPECT_EQ(lines[0], first);
        EXPECT_TRUE(std::regex_match(lines[1], suffix)) << lines[1];
        EXPECT_EQ(lines[2], "This is not supported in 7-bit mode.");
        EXPECT_TRUE(std::regex_match(lines[3], suffix)) << lines[3];
    }
}

TEST(StartupSevenBitFallback, ClassTestsAnswerOneByteTruthValues)
{
    // A slot holds a one-byte result: a nonzero runtime answer must come
    // back as exactly 1, never as a truncated 0 or another value.
    UBool (*const tests[])(UChar32) = {fallback_u_isalnum, fallback_u_isalpha, fallback_u_iscntrl,
                                       fallback_u_islower, fallback_u_isprint, fallback_u_isspace,
                                       fallback_u_isupper};
    const struct
    {
        int c;
        UBool expected[7]; // alnum alpha cntrl lower print space upper
    } cases[] = {
        {'A', {1, 1, 0, 0, 1, 0, 1}}, {'z', {1, 1, 0, 1, 1, 0, 0}},  {'0', {1, 0, 0, 0, 1, 0, 0}},
        {' ', {0, 0, 0, 0, 1, 1, 0}}, {'\t', {0, 0, 1, 0, 0, 1, 0}}, {0x7F, {0, 0, 1, 0, 0, 0, 0}},
    };
    for (const auto& test : cases)
        for (size_t k = 0; k < 7; ++k)
            EXPECT_EQ(static_cast<int>(tests[k](test.c)), static_cast<int>(test.expected[k]))
                << "class test " << k << " of " << std::hex << test.c;
}

TEST(StartupSevenBitFallback, InstallPutsAllNineReplacementsIntoTheSlots)
{
    install7BitFallback();
    EXPECT_EQ(p_u_isalnum, fallback_u_isalnum);
    EXPECT_EQ(p_u_isalpha, fallback_u_isalpha);
    EXPECT_EQ(p_u_iscntrl, fallback_u_iscntrl);
    EXPECT_EQ(p_u_islower, fallback_u_islower);
    EXPECT_EQ(p_u_isprint, fallback_u_isprint);
    EXPECT_EQ(p_u_isspace, fallback_u_isspace);
    EXPECT_EQ(p_u_isupper, fallback_u_isupper);
    EXPECT_EQ(p_u_toupper, fallback_u_toupper);
    EXPECT_EQ(p_u_tolower, fallback_u_tolower);
    // The public character functions now answer through them.
    EXPECT_EQ(toupperU('q'), 'Q');
    EXPECT_EQ(tolowerU('Q'), 'q');
    EXPECT_NE(isalphaU('q'), 0);
    EXPECT_EQ(isupperU('q'), 0);
}

} // namespace
