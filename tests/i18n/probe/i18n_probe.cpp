// Runs the I18N start-up in a process of its own and prints what came of it,
// for the start-up tests (the start-up's state is process-wide and one-shot).
//
//   i18n_probe [--close-stderr] [--events FILE] [--stub] [--twice] [HEX...]
//   i18n_probe [--close-stderr] --trace LEVEL TEXT
//   i18n_probe --entry WORD...
//
// stdout: "result=N" (loadIcuDo), one answer line per HEX character, the
// state of the libraries and slots, and the Unicode runtime's trace level.
// --entry runs what the process entry runs (nlsui_set_cmdline with the
// program name and the words,
// then nlsui_init), compares two strings ignoring case through the Unicode
// library and makes one diagnostic report, which shows the kept command line.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "i18n/nlsui.h"
#include "i18n/nlsui_icu.h"
#include "i18n/nlsui_load.h"
#include "i18n/nlsui_trace.h"
#include "u16/u16_diag.h"
#include "u16/u16_string.h"

namespace {

const char* g_events_file = nullptr;

void append_event(const char* source, const char* message)
{
    FILE* file = std::fopen(g_events_file, "a");
    if (file == nullptr)
        return;
    std::fprintf(file, "%s: %s\n", source, message);
    std::fclose(file);
}

void print_answers(int c)
{
    // One call after the other, in this order (the 7-bit mode reports each).
    const int answers[] = {isalnumU(c) != 0, isalphaU(c) != 0, iscntrlU(c) != 0, islowerU(c) != 0,
                           isprintU(c) != 0, isspaceU(c) != 0, isupperU(c) != 0};
    const int lower = tolowerU(c);
    const int upper = toupperU(c);
    std::printf("U+%04X alnum=%d alpha=%d cntrl=%d lower=%d print=%d space=%d upper=%d "
                "lower_of=%04X upper_of=%04X\n",
                static_cast<unsigned>(c), answers[0], answers[1], answers[2], answers[3],
                answers[4], answers[5], answers[6], static_cast<unsigned>(lower),
                static_cast<unsigned>(upper));
}

/* "set" when every slot of the list is bound, "null" when none is. */
template <size_t N> const char* slot_state(void* const (&slots)[N])
{
    size_t bound = 0;
    for (void* slot : slots)
        bound += slot != nullptr;
    return bound == N ? "set" : bound == 0 ? "null" : "mixed";
}

void print_state(void)
{
    using namespace nlsui_icu;
#define SLOT_ADDRESS(name, ret, ...) reinterpret_cast<void*>(p_##name),
    void* const common[] = {NLSUI_ICU_AREA_COMMON(SLOT_ADDRESS) NLSUI_ICU_AREA_BIDI(SLOT_ADDRESS)
                                NLSUI_ICU_AREA_SHAPE(SLOT_ADDRESS) NLSUI_ICU_AREA_NORM(SLOT_ADDRESS)
                                    NLSUI_ICU_AREA_BRK(SLOT_ADDRESS)
                                        NLSUI_ICU_AREA_IDNA(SLOT_ADDRESS)};
    void* const i18n[] = {NLSUI_ICU_I18N_LIBRARY(SLOT_ADDRESS)};
#undef SLOT_ADDRESS
    std::printf("common_handle=%d i18n_handle=%d\n", nlsui_icu_common_handle() != nullptr,
                nlsui_icu_i18n_handle() != nullptr);
    std::printf("common_slots=%s i18n_slots=%s\n", slot_state(common), slot_state(i18n));
    std::printf("u16_level=%d\n", U16GetTraceLevel());
}

/* UTF-8 to UTF-16, enough for test words. */
std::u16string widen(const char* text)
{
    std::u16string out;
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    while (*p != 0) {
        char32_t c = *p++;
        int more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        c &= more == 3 ? 0x07 : more == 2 ? 0x0F : more == 1 ? 0x1F : 0x7F;
        for (; more > 0 && (*p & 0xC0) == 0x80; --more)
            c = (c << 6) | (*p++ & 0x3F);
        if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

/* The program name and the words. */
int run_entry(const char* program, int argc, char** argv)
{
    std::vector<std::u16string> words{widen(program)};
    for (int i = 0; i < argc; ++i)
        words.push_back(widen(argv[i]));
    std::vector<const QOR_UC*> wide;
    for (const auto& word : words)
        wide.push_back(word.c_str());
    nlsui_set_cmdline(static_cast<int>(wide.size()), wide.data());
    nlsui_init();
    std::printf("casecmp=%d\n", strcasecmpU16(u"\u00C4\u0100x", u"\u00E4\u0101X") == 0);
    std::fflush(stdout);
    U16ReportInternalError("probe", 1);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    bool stub_first = false;
    bool twice = false;
    std::vector<int> characters;
    int i = 1;
    for (; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--close-stderr") {
            close(STDERR_FILENO);
        } else if (arg == "--events" && i + 1 < argc) {
            g_events_file = argv[++i];
            nlsui_set_event_reporter(append_event);
        } else if (arg == "--stub") {
            stub_first = true;
        } else if (arg == "--twice") {
            twice = true;
        } else if (arg == "--entry") {
            return run_entry(argv[0], argc - i - 1, argv + i + 1);
        } else if (arg == "--trace" && i + 2 < argc) {
            nlsui_read_init_trace_level();
            nlsui_init_trc(std::atoi(argv[i + 1]), "%s", argv[i + 2]);
            return 0;
        } else {
            characters.push_back(static_cast<int>(std::strtol(argv[i], nullptr, 16)));
        }
    }

    if (stub_first) {
        for (int c : characters)
            print_answers(c);
        std::printf("result=%d\n", loadIcuDo());
    } else {
        std::printf("result=%d\n", loadIcuDo());
        for (int c : characters)
            print_answers(c);
    }
    if (twice)
        std::printf("result=%d\n", loadIcuDo());
    print_state();
    return 0;
}
