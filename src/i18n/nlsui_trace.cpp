// The start-up trace: level handling, line format and the two destinations.
#include "i18n/nlsui_trace.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/i18n_os.h"
#include "u16/u16_diag.h"

namespace {

int g_level = NLSUI_TRC_LOW;
bool g_level_read = false;
bool g_u16_level_unset = false;

FILE* g_file = nullptr;
bool g_file_tried = false;

NlsuiEventReporter g_reporter = nullptr;

const char kEventSource[] = "QOR-UNICODE";
const char kSuffix[] = " [%s %d] pid = %d\n";

/* Level of one of the four names; -1 for any other word (names are
 * compared exactly, case included). */
int level_of_name(const char* name)
{
    static const struct
    {
        const char* name;
        int level;
    } kNames[] = {{"none", NLSUI_TRC_NONE},
                  {"low", NLSUI_TRC_LOW},
                  {"medium", NLSUI_TRC_MEDIUM},
                  {"high", NLSUI_TRC_HIGH}};
    for (const auto& entry : kNames)
        if (std::strcmp(name, entry.name) == 0)
            return entry.level;
    return -1;
}

void write_blanks(FILE* out, int count)
{
    for (int i = 0; i < count; ++i)
        std::fputc(' ', out);
}

void report_event(const char* message)
{
    if (g_reporter != nullptr)
        g_reporter(kEventSource, message);
    else
        i18n_report_event(kEventSource, message);
}

/* The file form, for a process without standard error. Every line carries
 * the line number of this writer. */
void write_to_file(int level, const char* format, va_list args)
{
    if (!g_file_tried) {
        g_file_tried = true;
        char name[261];
        std::snprintf(name, sizeof name, "nlsui_init_trc_file_%u.trc",
                      static_cast<unsigned>(i18n_getpid()));
        g_file = i18n_open_trace_file(name);
    }
    char message[NLSUI_TRC_FILE_LINE_MAX + 1];
    int count = std::vsnprintf(message, sizeof message, format, args);
    if (count < 0) {
        message[0] = '\0';
        count = 0;
    }
    if (g_file != nullptr) {
        std::fprintf(g_file, "%s", message);
        if (g_level >= NLSUI_TRC_MEDIUM && count < NLSUI_TRC_PAD_WIDTH)
            write_blanks(g_file, NLSUI_TRC_PAD_WIDTH - count);
        std::fprintf(g_file, kSuffix, __FILE_NAME__, __LINE__, i18n_getpid());
        std::fflush(g_file);
    }
    // No message box on this platform: an error line goes to the system log.
    if (level == NLSUI_TRC_LOW)
        report_event(message);
}

} // namespace

void nlsui_read_init_trace_level(void)
{
    if (g_level_read)
        return;
    g_level_read = true;
    const char* value = std::getenv("NLSUI_INIT_TRACE_LEVEL");
    if (value == nullptr)
        return;
    int level = level_of_name(value);
    if (level < 0)
        return;
    g_level = level;
    if (g_level == NLSUI_TRC_HIGH) {
        std::fputc('\n', stderr);
        nlsui_init_trc(NLSUI_TRC_HIGH, "NLSUI_INIT_TRACE_LEVEL set to 'high'");
    }
}

void nlsui_read_u16_trace_level(void)
{
    if (g_u16_level_unset)
        return;
    int candidate = U16GetTraceLevel();
    const char* value = std::getenv("NLSUI_TRACE_LEVEL");
    if (value == nullptr) {
        g_u16_level_unset = true;
        return;
    }
    int level = level_of_name(value);
    if (level >= 0)
        candidate = level;
    // The setter is to see 0 as the previous level. Storing 0 is silent only
    // from a level below 5; from a higher one the report of the new level
    // follows anyway.
    if (U16GetTraceLevel() < 5)
        U16SetTraceLevel(nullptr, 0);
    U16SetTraceLevel(nullptr, candidate);
}

void nlsui_init_trc_newline(void)
{
    if (g_level >= NLSUI_TRC_HIGH)
        std::fputc('\n', stderr);
}

void nlsui_init_trc_at(const char* file, int line, int level, const char* format, ...)
{
    if (g_level < level)
        return;
    va_list args;
    va_start(args, format);
    if (i18n_stderr_is_open()) {
        int count = std::vfprintf(stderr, format, args);
        if (g_level >= NLSUI_TRC_MEDIUM && count >= 0 && count < NLSUI_TRC_PAD_WIDTH)
            write_blanks(stderr, NLSUI_TRC_PAD_WIDTH - count);
        std::fprintf(stderr, kSuffix, file, line, i18n_getpid());
    } else {
        write_to_file(level, format, args);
    }
    va_end(args);
}

void nlsui_set_event_reporter(NlsuiEventReporter reporter)
{
    g_reporter = reporter;
}
