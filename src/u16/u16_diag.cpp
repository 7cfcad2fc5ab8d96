#include "u16/u16_diag.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "u16/u16_decode.h"

namespace {

constexpr size_t kBlockSize = 1024;
constexpr char kSourceName[] = "i18n/qoru16/u16_aux";
constexpr char kEndMarker[] = "--- Unicode interface ------ End of message ------";

void default_output(const char* text, size_t length)
{
    std::fwrite(text, 1, length, stderr);
    std::fputc('\n', stderr);
}

int g_level = U16_TRACE_MEDIUM;
U16DiagOutput g_output = default_output;
char g_cmdline[257] = "";
bool g_first_report_done = false;

const char* level_name(int level)
{
    switch (level) {
    case U16_TRACE_NONE:
        return "none";
    case U16_TRACE_LOW:
        return "low";
    case U16_TRACE_MEDIUM:
        return "medium";
    case U16_TRACE_HIGH:
        return "high";
    default:
        return "";
    }
}

std::string header(const char* source, int line)
{
    std::string path = source != nullptr ? source : "";
    if (path.size() >= 61)
        path = "..." + path.substr(path.size() - 57);
    char buf[160];
    std::snprintf(buf, sizeof buf, "--- Unicode interface [%.60s line %d] pid = %d time = %ld:\n",
                  path.c_str(), line, static_cast<int>(getpid()),
                  static_cast<long>(static_cast<int32_t>(std::time(nullptr))));
    std::string text = buf;
    if (!g_first_report_done) {
        g_first_report_done = true;
        text += "Cmdline : ";
        text += g_cmdline;
        text += "\n\n";
    }
    return text;
}

void dump_line(std::string& line, size_t column)
{
    if (line.size() < column)
        line.append(column - line.size(), ' ');
}

} // namespace

int U16GetTraceLevel(void)
{
    return g_level;
}

void U16SetTraceLevel(U16DiagOutput output, int level)
{
    const int old_level = g_level;
    g_level = level;
    if (output != nullptr)
        g_output = output;
    if (old_level < 5 && level < 1)
        return;
    std::string message = "U16 trace level set to ";
    message += level_name(level);
    U16Report(message.c_str(), kSourceName, __LINE__, true);
}

void U16ResetDiagOutput(void)
{
    g_output = default_output;
}

void U16KeepCmdline(const char* cmdline)
{
    std::snprintf(g_cmdline, sizeof g_cmdline, "%.256s", cmdline != nullptr ? cmdline : "");
}

void U16Report(const char* message, const char* source, int line, bool end_marker)
{
    std::string block = header(source, line);
    /* The block with its end marker stays within the report buffer. */
    size_t room = kBlockSize - 4 > block.size() ? kBlockSize - 4 - block.size() : 0;
    if (end_marker)
        room = room > 52 ? room - 52 : 0;
    const std::string text = message != nullptr ? message : "";
    block.append(text, 0, std::min(room, text.size()));
    if (end_marker) {
        block += '\n';
        block += kEndMarker;
    }
    g_output(block.data(), block.size());
}

void U16ReportEndMarker(void)
{
    g_output(kEndMarker, sizeof kEndMarker - 1);
}

void U16DiagLine(const char* text)
{
    g_output(text, std::strlen(text));
}

void U16ReportInternalError(const char* source, int line)
{
    if (g_level > 0)
        U16Report("Internal error", source, line, true);
}

void U16TraceFileOp(const char* name, int file_number, const char* operation, const char* source,
                    int line)
{
    const std::string full = name != nullptr ? name : "";
    const bool cut = full.size() > 80;
    const std::string shown = cut ? full.substr(full.size() - 80) : full;
    char buf[256];
    std::snprintf(buf, sizeof buf, "%.10s \"%s%s\" (fileno 0x%x)",
                  operation != nullptr ? operation : "", cut ? "..." : "", shown.c_str(),
                  static_cast<unsigned>(file_number));
    U16Report(buf, source, line, true);
}

void U16ReportTooSmall(const char* length_name, const char* function, const char* array_name,
                       const char* source, int line)
{
    if (g_level <= 0)
        return;
    char buf[200];
    std::snprintf(buf, sizeof buf, "Function %.64s :\nArray %.32s length %.32s is too small.",
                  function != nullptr ? function : "", array_name != nullptr ? array_name : "",
                  length_name != nullptr ? length_name : "");
    U16Report(buf, source, line, true);
}

void U16ReportNoMemory(const char* function, const char* source, int line)
{
    char buf[128];
    std::snprintf(buf, sizeof buf, "%.64s : malloc : Out of memory.",
                  function != nullptr ? function : "");
    if (g_level > 0) {
        std::fputs(buf, stderr);
        std::fputc('\n', stderr);
        U16Report(buf, source, line, true);
    }
    errno = ENOMEM;
}

void U16ReportFormatError(const QOR_UC* position, QOR_UC offending, const char* source, int line)
{
    if (g_level < U16_TRACE_MEDIUM)
        return;
    std::string text = "Error in format string at or near '";
    text += static_cast<char>(offending & 0xFF);
    text += "':\n";
    for (const QOR_UC* p = position; p != nullptr && *p != 0 && text.size() < 127; ++p)
        text += static_cast<char>(*p & 0xFF);
    if (text.size() > 127)
        text.resize(127);
    U16Report(text.c_str(), source, line, true);
}

void U16DumpBytes(const void* data, size_t count)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (size_t start = 0; start < count; start += 16) {
        const size_t n = std::min<size_t>(16, count - start);
        std::string line;
        char hex[8];
        for (size_t i = 0; i < n; ++i) {
            std::snprintf(hex, sizeof hex, " %02x", bytes[start + i]);
            line += hex;
        }
        dump_line(line, 48);
        line += '|';
        for (size_t i = 0; i < 16; ++i) {
            if (i >= n) {
                line += ' ';
            } else {
                const unsigned char c = bytes[start + i];
                line += (c >= 0x21 && c <= 0x7E) ? static_cast<char>(c) : '.';
            }
        }
        line += '|';
        g_output(line.data(), line.size());
    }
}

void U16DumpUnits(const QOR_UC* data, size_t count)
{
    for (size_t start = 0; start < count; start += 8) {
        const size_t n = std::min<size_t>(8, count - start);
        std::string line;
        char hex[8];
        for (size_t i = 0; i < n; ++i) {
            std::snprintf(hex, sizeof hex, " %04x", static_cast<unsigned>(data[start + i]));
            line += hex;
        }
        dump_line(line, 41);
        line += '|';
        for (size_t i = 0; i < 8; ++i) {
            if (i >= n) {
                line += ' ';
            } else {
                const QOR_UC c = data[start + i];
                line += (c >= 0x20 && c <= 0x7F) ? static_cast<char>(c) : '.';
            }
        }
        line += '|';
        g_output(line.data(), line.size());
    }
}

void U16DumpReadAhead(FILE* stream)
{
    const char* value = std::getenv("NLSUI_FILE_TRACE");
    if (value == nullptr || *value == 0 || std::strcmp(value, "0") == 0 || stream == nullptr)
        return;
    unsigned char bytes[80];
    size_t n = 0;
    while (n < sizeof bytes) {
        /* A byte that broke the previous sequence is the first one unread. */
        const int c = u16_next_byte(stream);
        if (c == EOF)
            break;
        bytes[n++] = static_cast<unsigned char>(c);
    }
    U16DumpBytes(bytes, n);
}

void U16ReportBadUtf8(QOR_UC* target, const char* utf8, size_t max_units, const char* source,
                      int line, const char* function)
{
    if (g_level == 0 || utf8 == nullptr)
        return;
    const auto* s = reinterpret_cast<const unsigned char*>(utf8);
    const size_t limit = target != nullptr ? max_units : static_cast<size_t>(-1);
    std::u16string stored;
    size_t pos = 0;
    size_t bad_len = 0;
    bool where_unknown = false;
    for (;;) {
        if (stored.size() >= limit) {
            where_unknown = true;
            break;
        }
        const unsigned char b = s[pos];
        unsigned unit = 0;
        size_t used = 0;
        if (b < 0x80) {
            unit = b;
            used = 1;
        } else if ((b & 0xE0) == 0xC0) {
            if ((s[pos + 1] & 0xC0) != 0x80) {
                bad_len = 2;
                break;
            }
            unit = ((b & 0x1Fu) << 6) | (s[pos + 1] & 0x3Fu);
            used = 2;
        } else if ((b & 0xF0) == 0xE0) {
            if (s[pos + 1] == 0) {
                bad_len = 2;
                break;
            }
            if ((s[pos + 1] & 0xC0) != 0x80 || (s[pos + 2] & 0xC0) != 0x80) {
                bad_len = 3;
                break;
            }
            unit = ((b & 0x0Fu) << 12) | ((s[pos + 1] & 0x3Fu) << 6) | (s[pos + 2] & 0x3Fu);
            used = 3;
        } else {
            bad_len = 1;
            break;
        }
        if (unit == 0) {
            where_unknown = true;
            break;
        }
        if (target != nullptr)
            target[stored.size()] = static_cast<QOR_UC>(unit);
        stored += static_cast<char16_t>(unit);
        pos += used;
    }
    std::string message = std::string(function != nullptr ? function : "").substr(0, 50);
    message += " encountered invalid UTF-8";
    if (where_unknown) {
        message += " (but where?)";
        bad_len = 0;
    }
    U16Report(message.c_str(), source, line, false);
    U16DumpBytes(s + pos, bad_len);
    U16DiagLine("Characters previously read:");
    const size_t shown = std::min<size_t>(80, stored.size());
    U16DumpUnits(reinterpret_cast<const QOR_UC*>(stored.data()) + stored.size() - shown, shown);
    U16DiagLine("All bytes to process");
    U16DumpBytes(s, std::min<size_t>(80, std::strlen(utf8)));
    U16ReportEndMarker();
}
