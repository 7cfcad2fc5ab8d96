#include "u16/u16_input.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>

#include "u16/u16_decode.h"
#include "u16/u16_diag.h"
#include "u16/u16_format.h"

namespace {

constexpr char kSourceName[] = "i18n/qoru16/u16_get";
constexpr int kErrorLimit = 100;
constexpr int64_t kQuietSeconds = 3600;

int64_t system_now()
{
    return static_cast<int64_t>(std::time(nullptr));
}

int64_t (*g_now)(void) = system_now;
FILE* g_secret_stream = nullptr;
int32_t g_error_counter = 0;
int64_t g_quiet_start = 0;

void report_fgetc(FILE* stream, const Utf8Char& ch)
{
    if (U16GetTraceLevel() <= 0)
        return;
    ++g_error_counter;
    char text[128];
    if (g_error_counter < kErrorLimit) {
        std::snprintf(text, sizeof text, "Invalid UTF-8 encountered by fgetcU16 (fileno 0x%x)",
                      static_cast<unsigned>(fileno(stream)));
        U16Report(text, kSourceName, __LINE__, false);
        U16DumpBytes(ch.bytes, static_cast<size_t>(ch.byte_count));
        if (stream != g_secret_stream)
            U16DumpReadAhead(stream);
        U16ReportEndMarker();
    } else if (g_error_counter == kErrorLimit) {
        std::snprintf(text, sizeof text,
                      "Too many invalid UTF-8 in fgetcU16, no more error message will be written "
                      "for %d seconds",
                      static_cast<int>(kQuietSeconds));
        U16Report(text, kSourceName, __LINE__, true);
        g_quiet_start = g_now();
    } else if (g_now() - g_quiet_start > kQuietSeconds) {
        U16Report("fgetcU16 error counter reset", kSourceName, __LINE__, true);
        g_error_counter = 0;
    }
}

} // namespace

void U16SetInputClock(int64_t (*now)(void))
{
    g_now = now != nullptr ? now : system_now;
}

void U16ResetInputErrorCounter(void)
{
    g_error_counter = 0;
    g_quiet_start = 0;
}

void U16SetSecretInput(FILE* stream)
{
    g_secret_stream = stream;
}

void U16ForgetStream(FILE* stream)
{
    u16_forget_stream(stream);
}

int fgetcU16(FILE* stream)
{
    int held;
    if (u16_take_held_unit(stream, &held))
        return held;
    const Utf8Char ch = u16_decode_utf8(stream);
    if (!ch.invalid && ch.value < 0x10000)
        return ch.value;
    report_fgetc(stream, ch);
    return ch.invalid ? '#' : 0xFFFD;
}

bool U16SkipSpace(FILE* stream)
{
    int c = fgetcU16(stream);
    for (int skipped = 0; c >= 0 && u16_is_space_unit(c); c = fgetcU16(stream)) {
        if (++skipped >= U16_MAX_LINE_DROP)
            return false;
    }
    if (c < 0)
        return false;
    u16_give_back_unit(stream, c);
    return true;
}

QOR_UC* fgetsU16(QOR_UC* buffer, int n, FILE* stream)
{
    if (n < 1 || buffer == nullptr)
        return nullptr;
    const size_t room = static_cast<size_t>(n) - 1;
    size_t stored = 0;
    Utf8Char last;
    bool read_any = false;
    int held;
    if (room > 0 && u16_take_held_unit(stream, &held)) {
        buffer[stored++] = static_cast<QOR_UC>(held);
        read_any = true;
    }
    while (stored < room && !(stored > 0 && buffer[stored - 1] == 0x0A)) {
        last = u16_decode_utf8(stream);
        if (last.value < 0)
            break;
        read_any = true;
        if (last.value > 0xFFFF) {
            const int32_t v = last.value - 0x10000;
            buffer[stored++] = static_cast<QOR_UC>(0xD800 + (v >> 10));
            if (stored < room)
                buffer[stored++] = static_cast<QOR_UC>(0xDC00 + (v & 0x3FF));
        } else {
            buffer[stored++] = static_cast<QOR_UC>(last.value);
        }
    }
    if (last.invalid && U16GetTraceLevel() >= 1) {
        char text[128];
        std::snprintf(text, sizeof text, "Invalid UTF-8 encountered by fgetsU16 (fileno 0x%x)",
                      static_cast<unsigned>(fileno(stream)));
        U16Report(text, kSourceName, __LINE__, false);
        U16DumpBytes(last.bytes, static_cast<size_t>(last.byte_count));
        U16DiagLine("Characters previously read:");
        const size_t before = stored - 1;
        const size_t shown = std::min<size_t>(80, before);
        U16DumpUnits(buffer + before - shown, shown);
        U16ReportEndMarker();
    }
    if (!read_any && room > 0)
        return nullptr;
    buffer[stored] = 0;
    if (std::ferror(stream))
        return nullptr;
    return buffer;
}
