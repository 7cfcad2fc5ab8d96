// The whole start-up, run in child processes: with the real ICU, and with
// small fake ICU libraries that lack chosen entry points or libraries.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "probe_runner.h"

namespace {

using i18ntest::contains;
using i18ntest::count_of;
using i18ntest::EnvList;
using i18ntest::ProbeRun;
using i18ntest::run_probe;
using i18ntest::split_lines;
using i18ntest::TempDir;

const std::string kFakeUc = I18N_FAKE_UC;
const std::string kFakeI18n = I18N_FAKE_I18N;
const std::string kMajor = I18N_ICU_MAJOR;

ProbeRun run_real(const std::vector<std::string>& args, const EnvList& env = {})
{
    TempDir work;
    return run_probe(I18N_PROBE, args, env, work.path());
}

// The fake start-up with the libraries of one scenario on the search path.
// Its fixed directory (searched last) holds a complete set; it is switched
// off unless the network argument says otherwise.
ProbeRun run_fake(const std::string& scenario, const std::vector<std::string>& args,
                  EnvList env = {}, bool network = false)
{
    TempDir work;
    env.emplace_back("LD_LIBRARY_PATH", std::string(I18N_FAKE_DIR) + "/" + scenario);
    if (!network)
        env.emplace_back("NO_QOR_ICU_PATH", "");
    return run_probe(I18N_PROBE_FAKE, args, env, work.path());
}

std::string describe(const ProbeRun& run)
{
    return "exit " + std::to_string(run.exit_code) + "\n--- stdout\n" + run.out + "--- stderr\n" +
           run.err;
}

// Lines of the trace that carry the message's text (the suffix of a line
// that ends in a newline stands on its own line and is not counted).
std::vector<std::string> message_lines(const std::string& err)
{
    static const std::regex suffix_only(R"(^ \[[A-Za-z0-9_.]+ [0-9]+\] pid = [0-9]+$)");
    std::vector<std::string> lines;
    for (const auto& line : split_lines(err))
        if (!line.empty() && !std::regex_match(line, suffix_only))
            lines.push_back(line);
    return lines;
}

TEST(StartupRealIcu, BindsEverythingAndAnswersWithIcu)
{
    ProbeRun run = run_real({"E9", "101", "C4"});
    ASSERT_EQ(run.exit_code, 0) << describe(run);
    EXPECT_TRUE(contains(run.out, "result=0\n")) << describe(run);
    EXPECT_TRUE(contains(run.out, "U+00E9 alnum=1 alpha=1 cntrl=0 lower=1")) << run.out;
    EXPECT_TRUE(contains(run.out, "U+0101 alnum=1 alpha=1 cntrl=0 lower=1 print=1 space=0 upper=0 "
                                  "lower_of=0101 upper_of=0100"))
        << run.out;
    EXPECT_TRUE(contains(run.out, "U+00C4 alnum=1 alpha=1 cntrl=0 lower=0 print=1 space=0 upper=1 "
                                  "lower_of=00E4 upper_of=00C4"))
        << run.out;
    EXPECT_TRUE(
        contains(run.out, "common_handle=1 i18n_handle=1\ncommon_slots=set i18n_slots=set\n"))
        << run.out;
    // Both libraries found by the loader's own search: nothing at level 1.
    EXPECT_EQ(run.err, "");
}

TEST(StartupRealIcu, HighestLevelTracesEveryBoundEntryPointOnce)
{
    ProbeRun run = run_real({"--twice"}, {{"NLSUI_INIT_TRACE_LEVEL", "high"}});
    ASSERT_EQ(run.exit_code, 0) << describe(run);
    EXPECT_EQ(count_of(run.out, "result=0\n"), 2u) << run.out;
    // 89 entry points; the second binding request of the common area and the
    // second start-up call bind nothing.
    EXPECT_EQ(count_of(run.err, "Function pointer for "), 89u);
    const std::regex pointer_line(R"(^Function pointer for [A-Za-z_]+_)" + kMajor +
                                  R"(: 0x[0-9a-f]+ +\[[a-z_0-9]+\.cpp [0-9]+\] pid = [0-9]+$)");
    size_t matched = 0;
    for (const auto& line : split_lines(run.err))
        matched += std::regex_match(line, pointer_line);
    EXPECT_EQ(matched, 89u);
    EXPECT_EQ(count_of(run.err, "loadIcuDo() is called"), 2u);
    EXPECT_TRUE(contains(run.err, "Running with ICU version " I18N_ICU_MAJOR)) << run.err;
    EXPECT_TRUE(contains(run.err, "ICU uses Unicode version ")) << run.err;
    EXPECT_EQ(run.err.rfind("\nNLSUI_INIT_TRACE_LEVEL set to 'high'", 0), 0u) << run.err;
}

TEST(StartupRealIcu, CharacterFunctionUsedBeforeStartupLoadsIcuFirst)
{
    ProbeRun run = run_real({"--stub", "101"});
    ASSERT_EQ(run.exit_code, 0) << describe(run);
    EXPECT_TRUE(contains(run.out, "upper_of=0100\nresult=0\n")) << run.out;
    EXPECT_EQ(run.err, "");
}

TEST(StartupRealIcu, CollationFallbackClosesTheI18nLibraryAgain)
{
    ProbeRun run = run_real({"101"}, {{"NLSUI_ICU_COLL_FALLBACK", "1"}});
    ASSERT_EQ(run.exit_code, 0) << describe(run);
    EXPECT_TRUE(contains(run.out, "result=0\n")) << run.out;
    EXPECT_TRUE(contains(run.out, "upper_of=0100")) << run.out;
    EXPECT_TRUE(
        contains(run.out, "common_handle=1 i18n_handle=0\ncommon_slots=set i18n_slots=null\n"))
        << run.out;
    auto lines = message_lines(run.err);
    ASSERT_EQ(lines.size(), 1u) << run.err;
    EXPECT_EQ(lines[0].rfind(std::string(I18N_ICU_I18N_LIB) + " is closed again [", 0), 0u)
        << run.err;
}

TEST(StartupEntry, KeepsTheCommandLineAndHooksTheCaseInsensitiveCompare)
{
    const std::string long_word(300, 'w');
    const struct
    {
        const char* name;
        std::vector<std::string> words;
        std::string kept;
    } cases[] = {
        {"non-ASCII words",
         {"-function", "Gr\xC3\xBC\xC3\x9F", "\xE6\x97\xA5\xF0\x9F\x98\x80"},
         "-function Gr## ###"}, // U+65E5 is one unit, U+1F600 two
        {"more than 256 characters",
         {"-a", long_word, "-dropped"},
         "-a " + long_word + " -dropped"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        std::vector<std::string> args = {"--entry"};
        args.insert(args.end(), test.words.begin(), test.words.end());
        ProbeRun run = run_real(args);
        ASSERT_EQ(run.exit_code, 0) << describe(run);
        // Upper and lower case of the Latin-1 and Latin Extended-A letters
        // compare equal through the bound ICU mapping.
        EXPECT_EQ(run.out, "casecmp=1\n");
        // The program name (the probe's path) comes first; the copy is cut at
        // 256 characters.
        std::string kept = (std::string(I18N_PROBE) + " " + test.kept).substr(0, 256);
        EXPECT_TRUE(contains(run.err, "\nCmdline : " + kept + "\n")) << run.err;
    }
}

// One scenario of the fake libraries.
struct FakeCase
{
    const char* name;
    const char* scenario;
    EnvList env;
    std::vector<std::string> args;
    int exit_code;
    std::vector<std::string> out; // substrings of stdout
    std::vector<std::string> err; // level-1 messages, in order (start of each line)
};

const std::string kNotLoaded = "ICU shared libraries are not loaded";
const std::string kFallbackSet = "Environment variable NLSUI_7BIT_FALLBACK is set.";
const EnvList kFallback = {{"NLSUI_7BIT_FALLBACK", "1"}};

std::vector<FakeCase> fake_cases()
{
    const std::string dir = I18N_FAKE_DIR;
    const std::string symbol = "symbol load \"";
    const std::string last_error = "Last error number: ";
    return {
        {"all entry points",
         "full",
         {},
         {"101", "E9"},
         0,
         {"result=0\n",
          "U+0101 alnum=1 alpha=1 cntrl=0 lower=1 print=1 space=0 upper=0 lower_of=0101 "
          "upper_of=0100",
          "U+00E9 alnum=1", "common_handle=1 i18n_handle=1\ncommon_slots=set i18n_slots=set\n"},
         {}},
        {"common library missing",
         "none",
         {},
         {"61"},
         255,
         {},
         {"Could not open the ICU common library.", "   The following files",
          "   the environment variable", "   " + kFakeUc,
          "LD_LIBRARY_PATH is currently set to " + dir + "/none  ["}},
        {"common library missing, 7-bit mode",
         "none",
         kFallback,
         {"61", "E9"},
         0,
         {"result=1\n",
          "U+0061 alnum=1 alpha=1 cntrl=0 lower=1 print=1 space=0 upper=0 lower_of=0061 "
          "upper_of=0041",
          "U+00E9 alnum=1 alpha=1 cntrl=0 lower=1 print=1 space=0 upper=0 lower_of=00E9 "
          "upper_of=00E9",
          "common_handle=0 i18n_handle=0\ncommon_slots=null i18n_slots=null\n"},
         {"Could not open the ICU common library.", "   The following files",
          "   the environment variable", "   " + kFakeUc, "LD_LIBRARY_PATH is currently set to ",
          kFallbackSet, kNotLoaded,
          // every non-7-bit character is reported by every function
          "ERROR: Non 7-bit character U+00E9 encountered in function isalnumU",
          "This is not supported in 7-bit mode.",
          "ERROR: Non 7-bit character U+00E9 encountered in function isalphaU",
          "This is not supported in 7-bit mode.",
          "ERROR: Non 7-bit character U+00E9 encountered in function iscntrlU",
          "This is not supported in 7-bit mode.",
          "ERROR: Non 7-bit character U+00E9 encountered in function islowerU",
          "This is not supported in 7-bit mode.",
          "ERROR: Non 7-bit character U+00E9 encountered in function isprintU",
          "This is not supported in 7-bit mode.",
          "ERROR: Non 7-bit character U+00E9 encountered in function isspaceU",
          "This is not supported in 7-bit mode.",
          "ERROR: Non 7-bit character U+00E9 encountered in function isupperU",
          "This is not supported in 7-bit mode.",
          "ERROR: Non 7-bit character U+00E9 encountered in function tolowerU",
          "This is not supported in 7-bit mode.",
          "ERROR: Non 7-bit character U+00E9 encountered in function toupperU",
          "This is not supported in 7-bit mode."}},
        {"character function missing",
         "no_tolower",
         {},
         {"61"},
         255,
         {},
         {symbol + "u_tolower_" + kMajor + "\" failed [", last_error}},
        {"character function missing, 7-bit mode",
         "no_tolower",
         kFallback,
         {"C4", "101"},
         0,
         {"result=1\n",
          // the fake library would map these; the 7-bit mode leaves them
          "U+00C4 alnum=1 alpha=1 cntrl=0 lower=0 print=1 space=0 upper=1 lower_of=00C4 "
          "upper_of=00C4",
          "lower_of=0101 upper_of=0101",
          // the closed common library leaves no slot pointing into it
          "common_handle=0 i18n_handle=0\ncommon_slots=null i18n_slots=null\n"},
         {symbol + "u_tolower_" + kMajor + "\" failed [", last_error, kFallbackSet, kNotLoaded,
          "ERROR: Non 7-bit character U+00C4 encountered in function isalnumU"}},
        {"data library check fails",
         "bad_data",
         {},
         {"61"},
         255,
         {},
         {"ICU data shared lib does not behave correctly. ["}},
        {"data library check fails, 7-bit mode",
         "bad_data",
         kFallback,
         {"61"},
         0,
         {"result=1\n",
          "U+0061 alnum=1 alpha=1 cntrl=0 lower=1 print=1 space=0 upper=0 lower_of=0061 "
          "upper_of=0041",
          "common_handle=0 i18n_handle=0\ncommon_slots=null i18n_slots=null\n"},
         {"ICU data shared lib does not behave correctly. [", kFallbackSet, kNotLoaded}},
        // No 7-bit mode is installed at start-up; the first character function
        // finds its stub still in place after the start-up and switches to the
        // 7-bit replacements instead of calling itself again.
        {"common-area entry missing",
         "no_common_entry",
         {},
         {"101", "61"},
         0,
         {"result=1\n",
          "U+0101 alnum=1 alpha=1 cntrl=0 lower=1 print=1 space=0 upper=0 lower_of=0101 "
          "upper_of=0101",
          "U+0061 alnum=1 alpha=1 cntrl=0 lower=1 print=1 space=0 upper=0 lower_of=0061 "
          "upper_of=0041",
          "common_handle=1 i18n_handle=0\n"},
         {symbol + "uenum_count_" + kMajor + "\" failed [", last_error,
          // the i18n load asks for the common area again
          symbol + "uenum_count_" + kMajor + "\" failed [", last_error,
          kFakeI18n + " is closed again [", kNotLoaded,
          // the stub's start-up call
          kNotLoaded, "ERROR: Non 7-bit character U+0101 encountered in function isalnumU"}},
        {"bidi entry missing",
         "no_bidi_entry",
         {},
         {"101"},
         0,
         {"result=1\n", "lower_of=0101 upper_of=0100", "common_handle=1 i18n_handle=1\n"},
         {symbol + "ubidi_getLevelAt_" + kMajor + "\" failed [", last_error, kNotLoaded}},
        {"i18n library missing",
         "no_i18n",
         {},
         {"101"},
         0,
         {"result=0\n", "upper_of=0100",
          "common_handle=1 i18n_handle=0\ncommon_slots=set i18n_slots=null\n"},
         {"Could not open the ICU i18n library [", kFakeI18n + " is closed again ["}},
        {"collation entry missing",
         "no_coll_entry",
         {},
         {"101"},
         0,
         {"result=0\n", "upper_of=0100",
          "common_handle=1 i18n_handle=0\ncommon_slots=set i18n_slots=null\n"},
         {symbol + "ucol_getSortKey_" + kMajor + "\" failed [", last_error,
          kFakeI18n + " is closed again ["}},
        {"collation fallback",
         "full",
         {{"NLSUI_ICU_COLL_FALLBACK", ""}},
         {"101"},
         0,
         {"result=0\n", "upper_of=0100",
          "common_handle=1 i18n_handle=0\ncommon_slots=set i18n_slots=null\n"},
         {kFakeI18n + " is closed again ["}},
        {"second call after a failed common load",
         "none",
         kFallback,
         {"--twice"},
         0,
         {"result=1\nresult=1\n"},
         {"Could not open the ICU common library.", "   The following files",
          "   the environment variable", "   " + kFakeUc, "LD_LIBRARY_PATH is currently set to ",
          kFallbackSet, kNotLoaded, kNotLoaded}},
    };
}

TEST(StartupFakeIcu, OutcomeOfEachScenario)
{
    for (const auto& test : fake_cases()) {
        SCOPED_TRACE(test.name);
        ProbeRun run = run_fake(test.scenario, test.args, test.env);
        ASSERT_EQ(run.exit_code, test.exit_code) << describe(run);
        for (const auto& part : test.out)
            EXPECT_TRUE(contains(run.out, part)) << part << "\n" << describe(run);
        if (test.exit_code == 255) {
            EXPECT_FALSE(contains(run.out, "result=")) << describe(run);
        }
        auto lines = message_lines(run.err);
        ASSERT_GE(lines.size(), test.err.size()) << describe(run);
        if (test.exit_code == 255) {
            EXPECT_EQ(lines.size(), test.err.size()) << describe(run);
        }
        for (size_t i = 0; i < test.err.size(); ++i)
            EXPECT_EQ(lines[i].rfind(test.err[i], 0), 0u)
                << "line " << i << ": " << test.err[i] << "\n"
                << describe(run);
    }
}

TEST(StartupFakeIcu, ErrorLinesEndInTheSuffixWithoutPaddingAtTheDefaultLevel)
{
    ProbeRun run = run_fake("no_tolower", {});
    ASSERT_EQ(run.exit_code, 255) << describe(run);
    const std::string pid = std::to_string(run.pid);
    auto lines = split_lines(run.err);
    ASSERT_EQ(lines.size(), 2u) << run.err;
    EXPECT_TRUE(std::regex_match(
        lines[0], std::regex("^symbol load \"u_tolower_" + kMajor +
                             "\" failed \\[nlsui_icu_bind\\.cpp [0-9]+\\] pid = " + pid + "$")))
        << lines[0];
    EXPECT_TRUE(std::regex_match(
        lines[1],
        std::regex("^Last error number: -?[0-9]+  \\[nlsui_icu_bind\\.cpp [0-9]+\\] pid = " + pid +
                   "$")))
        << lines[1];
}

TEST(StartupFakeIcu, TerminationAdviceOnlyAtTheHighestLevel)
{
    const struct
    {
        const char* level;
        bool advice;
    } cases[] = {{"low", false}, {"medium", false}, {"high", true}};
    for (const auto& test : cases) {
        ProbeRun run = run_fake("none", {}, {{"NLSUI_INIT_TRACE_LEVEL", test.level}});
        EXPECT_EQ(run.exit_code, 255) << describe(run);
        EXPECT_EQ(
            contains(run.err,
                     "Terminating.\n   You may set the environment variable NLSUI_7BIT_FALLBACK "
                     "to run the program\n   without the ICU libraries in an emergency mode."),
            test.advice)
            << test.level << "\n"
            << run.err;
        // The failed open itself is a detail line.
        EXPECT_EQ(contains(run.err, "\nCould not open ICU shared library " + kFakeUc + "   "),
                  test.advice)
            << run.err;
        EXPECT_EQ(contains(run.err, "\nError number: "), test.advice) << run.err;
    }
}

TEST(StartupFakeIcu, MediumLevelShowsProgressAndVersions)
{
    ProbeRun run = run_fake("full", {}, {{"NLSUI_INIT_TRACE_LEVEL", "medium"}});
    ASSERT_EQ(run.exit_code, 0) << describe(run);
    const std::vector<std::string> expected = {
        "Searching for libicuuc in environment path LD_LIBRARY_PATH",
        "Loaded ICU common lib: " + kFakeUc,
        "Compiled with ICU version ",
        "Running with ICU version " + kMajor + ".9",
        "ICU uses Unicode version 15.0",
        "Searching for libicui18n in environment path LD_LIBRARY_PATH",
        "Loaded ICU i18n lib: " + kFakeI18n + " from environment path",
    };
    auto lines = message_lines(run.err);
    ASSERT_EQ(lines.size(), expected.size()) << run.err;
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(lines[i].rfind(expected[i], 0), 0u) << lines[i];
        // padded to column 79 before the suffix
        EXPECT_EQ(lines[i].find(" ["), 79u) << lines[i];
    }
}

TEST(StartupFakeIcu, FixedDirectoryIsSearchedLastUnlessSwitchedOff)
{
    const std::string version_dir = std::string(I18N_FAKE_DIR) + "/network/" + I18N_ICU_VERSION;
    const std::string network = std::string(I18N_FAKE_DIR) + "/network";
    {
        ProbeRun run = run_fake("none", {"101"}, {{"NLSUI_INIT_TRACE_LEVEL", "medium"}}, true);
        ASSERT_EQ(run.exit_code, 0) << describe(run);
        EXPECT_TRUE(contains(run.out, "result=0\n")) << run.out;
        EXPECT_TRUE(contains(run.out, "upper_of=0100")) << run.out;
        EXPECT_TRUE(contains(run.out, "common_handle=1 i18n_handle=1\n")) << run.out;
        const std::vector<std::string> expected = {
            "Searching for libicuuc in environment path LD_LIBRARY_PATH",
            "Searching for libicuuc in " + network,
            "Loaded ICU data lib: " + version_dir + "/libqorfakeicudata.so",
            "Loaded ICU common lib: " + version_dir + "/" + kFakeUc,
            "Compiled with ICU version ",
            "Running with ICU version ",
            "ICU uses Unicode version ",
            "Searching for libicui18n in environment path LD_LIBRARY_PATH",
            "Searching for libicui18n in " + network,
            "Loaded ICU i18n lib: " + version_dir + "/" + kFakeI18n,
        };
        auto lines = message_lines(run.err);
        ASSERT_EQ(lines.size(), expected.size()) << run.err;
        for (size_t i = 0; i < expected.size(); ++i)
            EXPECT_EQ(lines[i].rfind(expected[i], 0), 0u) << lines[i];
    }
    {
        ProbeRun run = run_fake(
            "none", {}, {{"NO_QOR_ICU_PATH", "1"}, {"NLSUI_INIT_TRACE_LEVEL", "medium"}}, true);
        EXPECT_EQ(run.exit_code, 255) << describe(run);
        EXPECT_FALSE(contains(run.err, "Searching for libicuuc in " + network)) << run.err;
        EXPECT_TRUE(contains(run.err, "Could not open the ICU common library.")) << run.err;
    }
}

} // namespace
