// The "RSCP - Error" report of the error record, boxed or compact.
#include <cstring>

#include "rscpc/errors.h"
#include "rscpc/lines.h"
#include "u16/u16.h"

namespace {

const QOR_UC kSeparator[] =
    u"|----------------------------------------------------------------------|";
const QOR_UC kDashes[] = u"----------------------------------------";

bool is_blank(const QOR_UC* field, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        if (field[i] != u' ')
            return false;
    return true;
}

/* A field as a terminated text. */
template <size_t N> struct Terminated
{
    QOR_UC text[N + 1];
    explicit Terminated(const QOR_UC* field)
    {
        std::memcpy(text, field, N * sizeof(QOR_UC));
        text[N] = 0;
    }
};

/* An argument as shown in the report: prefix, text and length; an empty
 * argument shows three blanks and one blank. */
struct ShownArgument
{
    const QOR_UC* prefix;
    const QOR_UC* text;
    int length;
};

ShownArgument shown(const QOR_UC* prefix, const QOR_UC* text, uint8_t length)
{
    if (length == 0)
        return {u"   ", u" ", 1};
    return {prefix, text, length};
}

void boxed_syslog_lines(RscpLines& out, const rscpe_entry& e)
{
    const ShownArgument a = shown(u"p3:", e.arg1, e.length1);
    const ShownArgument b = shown(u"p4:", e.arg2, e.length2);
    if (a.length + b.length < 47) {
        const int fill = 47 - a.length - b.length;
        out.put(u"| TSL01: %-3.3s  %-3s %-*.*s  %-3s %-*.*s%-*.*s|", e.syslog_id, a.prefix,
                a.length, a.length, a.text, b.prefix, b.length, b.length, b.text, fill, fill, u" ");
        return;
    }
    if (a.length >= 53)
        out.put(u"| TSL01: %-3.3s  %-3s %.53s|", e.syslog_id, a.prefix, a.text);
    else
        out.put(u"| TSL01: %-3.3s  %-3s %-*.*s%-*.*s|", e.syslog_id, a.prefix, a.length, a.length,
                a.text, 53 - a.length, 53 - a.length, u" ");
    if (b.length >= 53)
        out.put(u"|             %-3s %.53s|", b.prefix, b.text);
    else
        out.put(u"|             %-3s %-*.*s%-*.*s|", b.prefix, b.length, b.length, b.text,
                53 - b.length, 53 - b.length, u" ");
}

void boxed_heading(RscpLines& out, const rscpe_entry& e, bool newest)
{
    const bool numbers = rscpe_get_sequence_numbers() == 1;
    const bool number_line = numbers && e.sequence > 99999999;
    const QOR_UC* description = rscpe_module_description(e.letter);
    if (e.letter == u'C' && rscpe_get_own_module_heading() == 0) {
        if (numbers)
            out.put(u"|                                                 %20ld |", e.sequence);
        return;
    }
    if (numbers && !number_line) {
        if (newest)
            out.put(u"| Error from: %47.47s %8ld |", description, e.sequence);
        else
            out.put(u"| Error propagation from: %35.35s %8ld |", description, e.sequence);
        return;
    }
    if (newest)
        out.put(u"| Error from: %47.47s          |", description);
    else
        out.put(u"| Error propagation from: %35.35s          |", description);
    if (number_line)
        out.put(u"|                                                 %20ld |", e.sequence);
}

void boxed_entry(RscpLines& out, const rscpe_record& r, const rscpe_entry& e)
{
    switch (e.letter) {
    case u'C':
    case u'E':
    case u'P':
    case u'I':
    case u'O': {
        const bool table_text = e.letter == u'C' || e.letter == u'E' || e.letter == u'P';
        out.put(u"| code:%5d  %-51.51s      |", e.code,
                table_text ? rscpe_code_text(e.code) : u" ");
        out.put(u"| %-68.68s |", e.text);
        out.put(u"| module: %-8.8s no:%5d line:%6d                    T100: %-2.2s%-3.3s |",
                e.module, e.location, e.line, e.message_class, e.message_number);
        boxed_syslog_lines(out, e);
        break;
    }
    case u'F':
        out.put(u"| %-68.68s |", r.fs_text);
        out.put(u"| errno%6d  %-55.55s |", r.errno_value, rscpe_errno_text(r.errno_value));
        break;
    case u'N':
        out.put(u"| NTAB error  %6d                                                   |",
                r.ntab_code);
        break;
    case u'S':
        out.put(u"| RSQL error  %6d                                                   |",
                r.rsql_code);
        break;
    case u'Q':
        out.put(u"| SQL error  %6d                                                    |",
                r.sql_code);
        out.put(u"| %-68.68s |", r.sql_text);
        break;
    case u'T':
        out.put(u"| RTAB error  %6d                                                   |",
                r.rtab_code);
        out.put(u"| table       %-*.*s %-*.*s|", 30, 30, r.table_name, 26, 26, u" ");
        out.put(u"| db key      %-30.30s                           |", r.db_key);
        break;
    default:
        break;
    }
}

int shown_entries(const rscpe_record& r)
{
    return r.count < RSCPE_STACK_SIZE ? (r.count > 0 ? r.count : 0) : RSCPE_STACK_SIZE;
}

bool has_letter(const rscpe_record& r, QOR_UC letter)
{
    for (int i = 0; i < shown_entries(r); ++i)
        if (r.entries[i].letter == letter)
            return true;
    return false;
}

void boxed_report(RscpLines& out, const rscpe_record& r)
{
    out.constant(u".------------------------------============----------------------------.");
    out.constant(u"|                              RSCP - Error                            |");
    const int n = shown_entries(r);
    for (int i = n - 1; i >= 0; --i) {
        if (i != n - 1)
            out.constant(kSeparator);
        boxed_heading(out, r.entries[i], i == n - 1);
        boxed_entry(out, r, r.entries[i]);
    }
    if (r.sql_code != 0 && !has_letter(r, u'Q')) {
        out.constant(kSeparator);
        out.constant(u"| Some SQL information, which may or may not belong to this error:     |");
        out.put(u"| SQL error code  %6d                                               |",
                r.sql_code);
        out.put(u"| %-68.68s |", r.sql_text);
    }
    if (r.errno_value != 0 && !has_letter(r, u'F')) {
        out.constant(kSeparator);
        out.constant(u"| Some OS information, which may or may not belong to this error:      |");
        out.put(u"| errno%6d  %-55.55s |", r.errno_value, rscpe_errno_text(r.errno_value));
    }
    if (!is_blank(r.init_label, 30)) {
        out.constant(kSeparator);
        out.put(u"| Impromptu CCC initialization by %-30.30s       |", r.init_label);
    }
    out.constant(u"`----------------------------------------------------------------------'");
}

void compact_entry(RscpLines& out, const rscpe_record& r, const rscpe_entry& e, bool newest)
{
    if (rscpe_get_sequence_numbers() == 1) {
        QOR_UC line[100];
        snprintfU16(line, 100, u"------------------ %20ld-", e.sequence);
        for (QOR_UC* c = line; *c != 0; ++c)
            if (*c == u' ')
                *c = u'-';
        out.constant(line);
    } else {
        out.constant(kDashes);
    }
    if (!(e.letter == u'C' && rscpe_get_own_module_heading() == 0))
        out.put(newest ? u"from: %s" : u"propagated from: %s", rscpe_module_description(e.letter));
    const Terminated<68> text(e.text);
    switch (e.letter) {
    case u'C':
    case u'E':
    case u'P':
    case u'I':
    case u'O':
        if (e.letter == u'I' || e.letter == u'O') {
            out.put(u"code: %d", e.code);
            out.put(u"%-80s", text.text);
        } else {
            out.put(u"code:%5d  %-13.13s", e.code, rscpe_code_text(e.code));
            out.put(u"%-.*s", 68, text.text);
        }
        out.put(u"module: %-8.8s location:%5d line:%6d", e.module, e.location, e.line);
        out.put(u"TSL01: %-3.3s  %-3s %-*.*s  %-3s %-*.*s", e.syslog_id,
                shown(u"p3:", e.arg1, e.length1).prefix, e.length1, e.length1, e.arg1,
                shown(u"p4:", e.arg2, e.length2).prefix, e.length2, e.length2, e.arg2);
        break;
    case u'F':
        out.put(u"%-.100s", Terminated<72>(r.fs_text).text);
        out.put(u"errno: %d  %s", r.errno_value, rscpe_errno_text(r.errno_value));
        break;
    case u'N':
        out.put(u"NTAB error  %6d", r.ntab_code);
        break;
    case u'S':
        out.put(u"RSQL error  %6d", r.rsql_code);
        break;
    case u'Q':
        out.put(u"SQL error  %6d", r.sql_code);
        out.put(u"%-68.68s", r.sql_text);
        break;
    case u'T':
        out.put(u"RTAB error  %6d", r.rtab_code);
        out.put(u"table %-*.*s", 30, 30, r.table_name);
        out.put(u"db key %-30.30s", r.db_key);
        break;
    default:
        break;
    }
}

void compact_report(RscpLines& out, const rscpe_record& r)
{
    if (!is_blank(r.init_label, 30)) {
        out.constant(kDashes);
        out.put(u"Impromptu CCC initialization by %-.30s", r.init_label);
    }
    if (r.errno_value != 0 && !has_letter(r, u'F')) {
        out.constant(kDashes);
        out.put(u"from: OS: (maybe not related) errno: %d  %s", r.errno_value,
                rscpe_errno_text(r.errno_value));
    }
    if (r.sql_code != 0 && !has_letter(r, u'Q')) {
        out.constant(kDashes);
        out.put(u"from DB: (maybe not related) SQL error code  %6d  %-68.68s", r.sql_code,
                r.sql_text);
    }
    const int n = shown_entries(r);
    for (int i = 0; i < n; ++i)
        compact_entry(out, r, r.entries[i], i == n - 1);
    out.constant(u"---------------------------------------.");
}

FILE* g_report_stream = nullptr;

void write_to_report_stream(const QOR_UC* text, int32_t length)
{
    fprintfU16(g_report_stream, u"%*.*s\n", length, length, text);
}

} // namespace

void rscpe_print_report(const rscpe_record* record, RscpWriter writer)
{
    RscpLines out(writer);
    if (rscpe_get_report_style() == 2)
        compact_report(out, *record);
    else
        boxed_report(out, *record);
}

void rscpe_print_report_to_file(const rscpe_record* record, FILE* stream)
{
    FILE* const outer = g_report_stream;
    g_report_stream = stream;
    fprintfU16(stream, u"%*.*s\n", 1, 1, u" ");
    rscpe_print_report(record, write_to_report_stream);
    std::fflush(stream);
    g_report_stream = outer;
}
