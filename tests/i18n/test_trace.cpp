// The start-up trace: levels, line format, the trace file of a process
// without standard error, and the hand-over of the Unicode runtime's level.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "platform/i18n_os.h"
#include "probe_runner.h"

namespace {

using i18ntest::contains;
using i18ntest::count_of;
using i18ntest::EnvList;
using i18ntest::ProbeRun;
using i18ntest::read_file;
using i18ntest::run_probe;
using i18ntest::split_lines;
using i18ntest::TempDir;

std::string describe(const ProbeRun& run)
{
    return "exit " + std::to_string(run.exit_code) + "\n--- stdout\n" + run.out + "--- stderr\n" +
           run.err;
}

std::string suffix_pattern(const std::string& file, int pid)
{
    return " \\[" + file + " [0-9]+\\] pid = " + std::to_string(pid) + "\n";
}

// The message, its padding when padded is set, and the suffix.
void expect_line(const std::string& actual, const std::string& message, bool padded, int pid,
                 const std::string& file = "i18n_probe\\.cpp")
{
    std::string prefix = message;
    if (padded && message.size() < 79)
        prefix += std::string(79 - message.size(), ' ');
    ASSERT_EQ(actual.substr(0, prefix.size()), prefix);
    EXPECT_TRUE(
        std::regex_match(actual.substr(prefix.size()), std::regex(suffix_pattern(file, pid))))
        << "[" << actual.substr(prefix.size()) << "]";
}

TEST(StartupTrace, LevelsPaddingAndSuffix)
{
    const std::string long79(79, 'm');
    const std::string long100(100, 'n');
    const struct
    {
        const char* variable; // NLSUI_INIT_TRACE_LEVEL, null for unset
        int message_level;
        std::string message;
        bool written;
        bool padded;
    } cases[] = {
        {nullptr, 1, "abc", true, false},
        {nullptr, 4, "abc", false, false},
        {"low", 1, "abc", true, false},
        {"low", 4, "abc", false, false},
        {"LOW", 1, "abc", true, false},     // case matters: level stays 1
        {"Medium", 4, "abc", false, false}, // likewise
        {"bogus", 1, "abc", true, false},
        {"none", 1, "abc", false, false},
        {"medium", 1, "abc", true, true},
        {"medium", 4, "abc", true, true},
        {"medium", 16, "abc", false, false},
        {"medium", 4, long79, true, true},  // 79 characters: no blanks
        {"medium", 4, long100, true, true}, // longer: no blanks either
        {"medium", 4, "x\n", true, true},   // the newline counts; the suffix opens the next line
        {"medium", 4, "", true, true},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(std::string(test.variable != nullptr ? test.variable : "(unset)") + " / " +
                     std::to_string(test.message_level) + " / " + test.message);
        EnvList env;
        if (test.variable != nullptr)
            env.emplace_back("NLSUI_INIT_TRACE_LEVEL", test.variable);
        TempDir work;
        ProbeRun run =
            run_probe(I18N_PROBE, {"--trace", std::to_string(test.message_level), test.message},
                      env, work.path());
        ASSERT_EQ(run.exit_code, 0) << describe(run);
        if (!test.written) {
            EXPECT_EQ(run.err, "");
            continue;
        }
        expect_line(run.err, test.message, test.padded, run.pid);
    }
}

TEST(StartupTrace, HighLevelAnnouncesItselfAfterAnEmptyLine)
{
    TempDir work;
    ProbeRun run = run_probe(I18N_PROBE, {"--trace", "16", "detail"},
                             {{"NLSUI_INIT_TRACE_LEVEL", "high"}}, work.path());
    ASSERT_EQ(run.exit_code, 0) << describe(run);
    ASSERT_EQ(run.err.substr(0, 1), "\n");
    std::string rest = run.err.substr(1);
    size_t first_end = rest.find('\n') + 1;
    expect_line(rest.substr(0, first_end), "NLSUI_INIT_TRACE_LEVEL set to 'high'", true, run.pid,
                "nlsui_trace\\.cpp");
    expect_line(rest.substr(first_end), "detail", true, run.pid);
}

// Runs a probe with file descriptor 2 closed; error lines reported to the
// system log are collected in an events file instead.
struct NoStderrRun
{
    ProbeRun run;
    std::string trace; // content of the trace file, or "(none)"
    std::string events;
    std::vector<std::string> files; // names in the working directory
};

NoStderrRun run_without_stderr(const std::string& program, const std::vector<std::string>& args,
                               const EnvList& env)
{
    TempDir work;
    TempDir side;
    const std::string events = side.path() + "/events";
    std::vector<std::string> all_args = {"--close-stderr", "--events", events};
    all_args.insert(all_args.end(), args.begin(), args.end());
    NoStderrRun result;
    result.run = run_probe(program, all_args, env, work.path());
    const std::string trace_path =
        work.path() + "/nlsui_init_trc_file_" + std::to_string(result.run.pid) + ".trc";
    struct stat info;
    result.trace = stat(trace_path.c_str(), &info) == 0 ? read_file(trace_path) : "(none)";
    result.events = stat(events.c_str(), &info) == 0 ? read_file(events) : "";
    for (const auto& entry : std::filesystem::directory_iterator(work.path()))
        result.files.push_back(entry.path().filename().string());
    return result;
}

// The fake start-up's environment for one scenario, its fixed directory
// switched off.
EnvList fake_env(const std::string& scenario, EnvList env = {})
{
    env.emplace_back("LD_LIBRARY_PATH", std::string(I18N_FAKE_DIR) + "/" + scenario);
    env.emplace_back("NO_QOR_ICU_PATH", "1");
    return env;
}

TEST(StartupTraceFile, LinesGoToTheTraceFileAndErrorsToTheSystemLog)
{
    NoStderrRun result = run_without_stderr(I18N_PROBE_FAKE, {"61"},
                                            fake_env("none", {{"NLSUI_7BIT_FALLBACK", "1"}}));
    ASSERT_EQ(result.run.exit_code, 0) << describe(result.run);
    EXPECT_TRUE(contains(result.run.out, "result=1\n")) << result.run.out;
    ASSERT_EQ(result.files.size(), 1u);
    const std::string& trace = result.trace;
    EXPECT_EQ(trace.rfind("Could not open the ICU common library.\n   The following files", 0), 0u)
        << trace;
    EXPECT_TRUE(contains(trace, "\nEnvironment variable NLSUI_7BIT_FALLBACK is set. [")) << trace;
    EXPECT_TRUE(contains(trace, "\nICU shared libraries are not loaded [")) << trace;
    // Every line of the file form carries the same line number.
    std::regex suffix(R"( \[([a-z_0-9]+\.cpp) ([0-9]+)\] pid = ([0-9]+)$)");
    std::string first_place;
    size_t suffixes = 0;
    for (const auto& line : split_lines(trace)) {
        std::smatch match;
        if (!std::regex_search(line, match, suffix))
            continue;
        ++suffixes;
        EXPECT_EQ(match[3].str(), std::to_string(result.run.pid));
        if (first_place.empty())
            first_place = match[1].str() + ":" + match[2].str();
        EXPECT_EQ(match[1].str() + ":" + match[2].str(), first_place);
    }
    EXPECT_EQ(suffixes, 4u) << trace;
    // One system-log entry per error line, under the start-up's source name.
    EXPECT_EQ(count_of(result.events, "QOR-UNICODE: "), 4u) << result.events;
    EXPECT_EQ(result.events.rfind("QOR-UNICODE: Could not open the ICU common library.\n", 0), 0u)
        << result.events;
    EXPECT_TRUE(contains(result.events, "QOR-UNICODE: ICU shared libraries are not loaded\n"))
        << result.events;
}

TEST(StartupTraceFile, CreatedOnlyWhenALineIsWritten)
{
    const struct
    {
        const char* name;
        const char* program;
        EnvList env;
        bool created;
    } cases[] = {
        {"level none", I18N_PROBE_FAKE,
         fake_env("none", {{"NLSUI_7BIT_FALLBACK", "1"}, {"NLSUI_INIT_TRACE_LEVEL", "none"}}),
         false},
        {"nothing to report", I18N_PROBE, {}, false},
        {"progress lines", I18N_PROBE_FAKE,
         fake_env("full", {{"NLSUI_INIT_TRACE_LEVEL", "medium"}}), true},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        NoStderrRun result = run_without_stderr(test.program, {}, test.env);
        ASSERT_EQ(result.run.exit_code, 0) << describe(result.run);
        EXPECT_EQ(result.files.size(), test.created ? 1u : 0u);
        EXPECT_EQ(result.trace != "(none)", test.created);
        EXPECT_EQ(result.events, ""); // no error lines in any of these
    }
}

TEST(StartupTraceFile, ProgressLinesArePaddedAndLongMessagesCut)
{
    NoStderrRun padded = run_without_stderr(I18N_PROBE, {"--trace", "4", "short"},
                                            {{"NLSUI_INIT_TRACE_LEVEL", "medium"}});
    ASSERT_EQ(padded.run.exit_code, 0);
    EXPECT_EQ(padded.trace.substr(0, 81), "short" + std::string(74, ' ') + " [") << padded.trace;

    const std::string huge(3000, 'h');
    NoStderrRun cut = run_without_stderr(I18N_PROBE, {"--trace", "1", huge}, {});
    ASSERT_EQ(cut.run.exit_code, 0);
    EXPECT_EQ(cut.trace.substr(0, 1026), std::string(1024, 'h') + " [") << cut.trace.size();
    EXPECT_EQ(cut.events, "QOR-UNICODE: " + std::string(1024, 'h') + "\n");
}

TEST(StartupTraceFile, SymbolicLinkIsNotFollowed)
{
    TempDir dir;
    const std::string target = dir.path() + "/target";
    const std::string link = dir.path() + "/nlsui_init_trc_file_1.trc";
    {
        FILE* file = std::fopen(target.c_str(), "w");
        ASSERT_NE(file, nullptr);
        std::fputs("keep me", file);
        std::fclose(file);
    }
    ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
    EXPECT_EQ(i18n_open_trace_file(link.c_str()), nullptr);
    EXPECT_EQ(read_file(target), "keep me");

    // A plain existing file is emptied and written.
    FILE* file = i18n_open_trace_file(target.c_str());
    ASSERT_NE(file, nullptr);
    std::fputs("new", file);
    std::fclose(file);
    EXPECT_EQ(read_file(target), "new");
}

TEST(StartupUnicodeTraceLevel, TakenFromNlsuiTraceLevel)
{
    const struct
    {
        const char* value; // null: unset
        int level;
        bool reported;
    } cases[] = {
        {nullptr, 4, false}, {"none", 0, false}, {"low", 1, true},
        {"medium", 4, true}, {"high", 16, true}, {"High", 4, true}, // unknown word keeps the level
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.value != nullptr ? test.value : "(unset)");
        EnvList env;
        if (test.value != nullptr)
            env.emplace_back("NLSUI_TRACE_LEVEL", test.value);
        TempDir work;
        ProbeRun run = run_probe(I18N_PROBE, {}, env, work.path());
        ASSERT_EQ(run.exit_code, 0) << describe(run);
        EXPECT_TRUE(contains(run.out, "u16_level=" + std::to_string(test.level) + "\n")) << run.out;
        EXPECT_EQ(contains(run.err, "U16 trace level set to "), test.reported) << run.err;
    }
}

TEST(StartupUnicodeTraceLevel, AppliedAgainAtEveryStartupCall)
{
    TempDir work;
    ProbeRun run = run_probe(I18N_PROBE, {"--twice"}, {{"NLSUI_TRACE_LEVEL", "low"}}, work.path());
    ASSERT_EQ(run.exit_code, 0) << describe(run);
    EXPECT_EQ(count_of(run.err, "U16 trace level set to low"), 2u) << run.err;
    EXPECT_TRUE(contains(run.out, "u16_level=1\n")) << run.out;
}

} // namespace
