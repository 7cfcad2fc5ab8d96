// The converter's error recorder: the error stack, the system-log lines and
// the end of the process for errors that their caller does not accept.
#include "rscpc/errors.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "rscp/rscp_utf.h"
#include "rscpc/padded.h"
#include "rscpc/state.h"
#include "u16/u16.h"

namespace {

struct CodeRow
{
    uint32_t code;
    Padded<51> text;
    Padded<3> number;
    bool syslog;
};

const CodeRow kCodes[] = {
    {RSCPEINTERN, pad<51>(u"RSCPEINTERN  Some other internal error"), pad<3>(u"001"), true},
    {RSCPEIO, pad<51>(u"RSCPEIO      Some I/O error."), pad<3>(u"004"), true},
    {RSCPEINVAL, pad<51>(u"RSCPEINVAL   Invalid arguments"), pad<3>(u"005"), true},
    {RSCPETOOLONG, pad<51>(u"RSCPETOOLONG The data was longer than the buffer."), pad<3>(u"006"),
     false},
    {RSCPECALL, pad<51>(u"RSCPECALL    Illegal mixture of procedure calls."), pad<3>(u"007"), true},
    {RSCPENOOBJ, pad<51>(u"RSCPENOOBJ   No such object"), pad<3>(u"008"), false},
    {RSCPEBUSY, pad<51>(u"RSCPEBUSY    Object is busy or locked"), pad<3>(u"009"), false},
    {RSCPEUNIQ, pad<51>(u"RSCPEUNIQ    Selects more than one object"), pad<3>(u"010"), false},
    {RSCPENOCONV, pad<51>(u"RSCPENOCONV  Wanted conversion not available."), pad<3>(u"012"), false},
    {RSCPEBADO, pad<51>(u"RSCPEBADO    A handle is invalid or corrupted."), pad<3>(u"013"), true},
    {RSCPEODATA, pad<51>(u"RSCPEODATA   There is no more data."), pad<3>(u"014"), false},
    {RSCPEROLLBACK, pad<51>(u"RSCPEROLLBACK  There happened a data base roll back"), pad<3>(u"015"),
     true},
    {0, pad<51>(u""), pad<3>(u""), false},
};

struct ModuleRow
{
    QOR_UC letter;
    Padded<35> description;
};

const ModuleRow kModules[] = {
    {u'C', pad<35>(u"Codepage handling (RSCP)")},
    {u'I', pad<35>(u"Internationalization (I18n, NLS)")},
    {u'E', pad<35>(u"TemSe management (RSTS)")},
    {u'P', pad<35>(u"Spooler (RSPO)")},
    {u'T', pad<35>(u"Primary key table access (RTAB)")},
    {u'N', pad<35>(u"DD name-table access (NTAB)")},
    {u'S', pad<35>(u"General table access (RSQL)")},
    {u'Q', pad<35>(u"Database management (SQL)")},
    {u'F', pad<35>(u"Filesystem (FS or NFS) usage")},
    {u'O', pad<35>(u"low level libraries (PORT)")},
};
const Padded<35> kStranger = pad<35>(u"stranger");

const CodeRow& code_row(uint32_t code)
{
    for (const CodeRow& row : kCodes)
        if (row.code == code || row.code == 0)
            return row;
    return kCodes[sizeof kCodes / sizeof kCodes[0] - 1];
}

struct Switches
{
    int32_t sequence_counter = 0;
    int32_t fatal_counter = 0;
    int32_t report_style = 1;
    bool sequence_numbers = false;
    bool own_module_heading = true;
    bool on_error[2] = {false, false};
    bool trace[2] = {false, false};
};

rscpe_record g_record;
Switches g_switches;

void blank(QOR_UC* field, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        field[i] = u' ';
}

void clear_entry(rscpe_entry& e)
{
    e = rscpe_entry{};
    e.letter = u' ';
    blank(e.module, 8);
    blank(e.message_class, 20);
    blank(e.message_number, 3);
    blank(e.syslog_id, 3);
    blank(e.arg1, 64);
    blank(e.arg2, 64);
    blank(e.text, 68);
}

void clear_record(rscpe_record& r)
{
    r.count = 0;
    for (rscpe_entry& e : r.entries)
        clear_entry(e);
    r.errno_value = 0;
    r.rtab_code = r.rsql_code = r.ntab_code = r.sql_code = 0;
    blank(r.sql_text, 68);
    blank(r.table_name, 30);
    blank(r.db_key, 30);
    blank(r.fs_text, 72);
    blank(r.init_label, 30);
    r.continue_stack = 0;
}

struct RecordInit
{
    RecordInit() { clear_record(g_record); }
} g_record_init;

/* The entry a new error or pushed module takes. */
rscpe_entry& next_entry()
{
    int index = 0;
    if (g_record.continue_stack != 0) {
        g_record.continue_stack = 0;
        index = g_record.count < RSCPE_STACK_SIZE ? g_record.count : RSCPE_STACK_SIZE - 1;
        if (g_record.count < INT16_MAX)
            ++g_record.count;
    } else {
        g_record.count = 1;
    }
    rscpe_entry& e = g_record.entries[index];
    clear_entry(e);
    return e;
}

int32_t next_sequence()
{
    if (g_switches.sequence_counter < INT32_MAX)
        ++g_switches.sequence_counter;
    return g_switches.sequence_counter;
}

size_t trimmed(const QOR_UC* field, size_t n)
{
    while (n > 0 && field[n - 1] == u' ')
        --n;
    return n;
}

/* An argument into its 64-character field; the stored length. */
uint8_t store_argument(QOR_UC* field, const QOR_UC* arg, int length)
{
    if (length == -1)
        length = arg != nullptr ? static_cast<int>(strnlenU16(arg, 64)) : 0;
    if (length <= 0)
        return 0;
    if (length > 64)
        length = 64;
    PadCopyU16n(field, 64, arg, length);
    return static_cast<uint8_t>(length);
}

/* The system-log lines of the entries not yet written. */
void write_stack_to_syslog()
{
    const int n = g_record.count < RSCPE_STACK_SIZE ? g_record.count : RSCPE_STACK_SIZE;
    for (int i = 0; i < n; ++i) {
        rscpe_entry& e = g_record.entries[i];
        if (e.written != 0)
            continue;
        switch (e.letter) {
        case u'C':
        case u'E':
        case u'I':
        case u'O':
        case u'P': {
            QOR_UC text[64];
            size_t used = 0;
            for (size_t k = 0; k < e.length1 && used < 53; ++k)
                text[used++] = e.arg1[k];
            for (size_t k = 0; k < e.length2 && used < 53; ++k)
                text[used++] = e.arg2[k];
            blank(text + used, 53 - used);
            std::memcpy(text + 53, e.module, 8 * sizeof(QOR_UC));
            QOR_UC location[16];
            snprintfU16(location, 16, u"%*d", 3, e.location);
            std::memcpy(text + 61, location, 3 * sizeof(QOR_UC));
            rscph.rscph_SyslogId(u'k', e.syslog_id, text);
            break;
        }
        case u'F':
            if (g_record.fs_text[0] != u' ')
                rscph.rscph_SyslogText(g_record.fs_text,
                                       static_cast<int32_t>(trimmed(g_record.fs_text, 72)));
            break;
        case u'T':
            if (!(g_record.db_key[0] == u' ' && g_record.db_key[1] == u' ' &&
                  g_record.db_key[2] == u' ')) {
                const RscpSyslogParam key = {static_cast<int32_t>(trimmed(g_record.db_key, 30)),
                                             g_record.db_key};
                rscph.rscph_SyslogParams(1, &key);
            }
            break;
        default:
            break;
        }
        e.written = 1;
    }
}

/* The error-trace line of a recorded error. */
void trace_error(const rscpe_entry& e, const QOR_UC* ident, const QOR_UC* text, bool fatal)
{
    if (fatal)
        rscph.rscph_ErrTraceFatal(static_cast<int32_t>(e.code));
    const QOR_UC* module = ident != nullptr ? rscpe_module_name(ident) : u"?module?";
    int module_length = 0;
    while (module_length < 32 && module[module_length] != 0 && module[module_length] != u'#' &&
           module[module_length] != u'\t')
        ++module_length;
    QOR_UC line[400];
    snprintfCutU16(line, 400, u"rscpe__error %ld at %.*s(%d;%d) \"%.100s\" (%.*s,%.*s)", e.code,
                   module_length, module, e.location, e.line, text, e.length1, e.arg1, e.length2,
                   e.arg2);
    rscph.rscph_ErrTraceWrite(fatal ? 1 : 0, ident, e.line, line,
                              static_cast<int32_t>(strnlenU16(line, 400)));
}

} // namespace

uint32_t rscpe__error(uint32_t code, QOR_UC letter, uint32_t accepted, const QOR_UC* ident,
                      int location, int line, const QOR_UC* text, const QOR_UC* syslog_id,
                      const QOR_UC* arg1, int length1, const QOR_UC* arg2, int length2)
{
    const int saved_errno = errno;
    const int32_t sequence = next_sequence();
    rscpe_entry& e = next_entry();
    e.letter = letter != 0 ? letter : u' ';
    if (g_record.errno_value == 0)
        g_record.errno_value = saved_errno;
    const RscpConverter& converter = rscp_converter();
    if (converter.through_rscpi_init == 0)
        std::memcpy(g_record.init_label, converter.init_label, sizeof g_record.init_label);
    const QOR_UC* module = ident != nullptr ? rscpe_module_name(ident) : u"?modul?";
    PadCopyU16z(e.module, module, 8);
    e.location = location;
    e.line = line;
    e.code = code;
    e.sequence = sequence;
    bool syslog = false;
    if (e.letter != u'I') {
        const CodeRow& row = code_row(code);
        PadCopyU16z(e.message_class, u"TS", 20);
        std::memcpy(e.message_number, row.number.text, sizeof e.message_number);
        syslog = row.syslog;
    }
    PadCopyU16z(e.syslog_id, syslog_id, 3);
    e.length1 = store_argument(e.arg1, arg1, length1);
    e.length2 = store_argument(e.arg2, arg2, length2);
    PadCopyU16z(e.text, text != nullptr ? text : u"?text?", 68);
    bool sql_entry = false;
    for (const rscpe_entry& any : g_record.entries)
        sql_entry = sql_entry || any.letter == u'Q';
    if (!sql_entry) {
        blank(g_record.sql_text, 68);
        g_record.sql_code = 0;
    }
    e.written = 0;
    const bool accepted_code = (code & accepted) != 0;
    if (rscph.rscph_ErrTraceWanted())
        trace_error(e, ident, text != nullptr ? text : u"?text?", !accepted_code);
    if (syslog)
        write_stack_to_syslog();
    if (g_switches.on_error[0])
        rscpe_print_report(&g_record, rscp_writers[RSCP_WRITER_STDERR]);
    if (accepted_code)
        return code;

    ++g_switches.fatal_counter;
    std::fflush(stdout);
    if (g_switches.fatal_counter < 20)
        rscpe_print_report_to_file(&g_record, stderr);
    write_stack_to_syslog();
    rscph.rscph_Abort(code == RSCPEBUSY ? 8 : 10, u"TS",
                      static_cast<int32_t>(code_row(code).number.value()), 0, 2, e.arg1, e.length1,
                      e.arg2, e.length2);
    std::abort();
}

void rscpe_push_module(QOR_UC letter)
{
    const int32_t sequence = next_sequence();
    rscpe_entry& e = next_entry();
    e.letter = letter;
    e.sequence = sequence;
    /* Set in either case: the error that the pushed entry explains goes
     * above it. */
    g_record.continue_stack = 1;
}

void rscpe_file_error(int errno_value, const QOR_UC* text, int32_t length)
{
    rscpe_push_module(u'F');
    g_record.errno_value = errno_value;
    if (length < 1)
        length = text != nullptr ? static_cast<int32_t>(strnlenU16(text, 72)) : 0;
    blank(g_record.fs_text, 72);
    if (text != nullptr && length > 0)
        PadCopyU16n(g_record.fs_text, 72, text, length);
}

void rscpe_continue_stack(void)
{
    g_record.continue_stack = 1;
}

void rscpe_reset(void)
{
    clear_record(g_record);
}

void rscpe_restore_defaults(void)
{
    clear_record(g_record);
    g_switches = Switches{};
}

rscpe_record* rscpe_get_record(void)
{
    return &g_record;
}

const QOR_UC* rscpe_errno_text(int errno_value)
{
    static QOR_UC text[100];
    if (errno_value < 1)
        return u" ";
    snprintfCutU16(text, 100, u"%-.90s", strerrorU16(errno_value));
    return text;
}

const QOR_UC* rscpe_module_name(const QOR_UC* ident)
{
    static QOR_UC padded[9];
    const QOR_UC* p = ident;
    auto skip = [&p](const QOR_UC* word) {
        const size_t n = strlenU16(word);
        if (strncmpU16(p, word, n) == 0)
            p += n;
    };
    skip(u"@(#)");
    skip(u" ");
    skip(u"$Id:");
    skip(u" ");
    auto ends_path = [](QOR_UC c) { return c == 0 || c == u' ' || c == u'#' || c == u'\t'; };
    if (*p == u'/') {
        const QOR_UC* end = p;
        while (!ends_path(*end))
            ++end;
        for (const QOR_UC* q = p; q < end; ++q)
            if (*q == u'/')
                p = q + 1;
    }
    size_t n = 0;
    while (!ends_path(p[n]) && p[n] != u'.')
        ++n;
    if (n >= 8)
        return p;
    for (size_t i = 0; i < 8; ++i)
        padded[i] = i < n ? p[i] : u' ';
    padded[8] = 0;
    return padded;
}

const QOR_UC* rscpe_module_description(QOR_UC letter)
{
    for (const ModuleRow& row : kModules)
        if (row.letter == letter)
            return row.description.text;
    return kStranger.text;
}

const QOR_UC* rscpe_code_text(uint32_t code)
{
    return code_row(code).text.text;
}

const QOR_UC* rscpe_code_number(uint32_t code)
{
    return code_row(code).number.text;
}

void rscpe_set_report_style(int32_t style)
{
    g_switches.report_style = style == 2 ? 2 : 1;
}
int32_t rscpe_get_report_style(void)
{
    return g_switches.report_style;
}
void rscpe_set_sequence_numbers(int32_t on)
{
    g_switches.sequence_numbers = on == 1;
}
int32_t rscpe_get_sequence_numbers(void)
{
    return g_switches.sequence_numbers ? 1 : 0;
}
void rscpe_set_own_module_heading(int32_t on)
{
    g_switches.own_module_heading = on != 0;
}
int32_t rscpe_get_own_module_heading(void)
{
    return g_switches.own_module_heading ? 1 : 0;
}

namespace {

int32_t set_pair(bool (&pair)[2], int32_t value)
{
    const int32_t before = (pair[0] ? 1 : 0) + (pair[1] ? 1 : 0);
    pair[0] = value >= 1;
    pair[1] = value >= 2;
    return before;
}

} // namespace

int32_t rscpe_set_trace(int32_t value)
{
    return set_pair(g_switches.trace, value);
}
int32_t rscpe_set_on_error(int32_t value)
{
    return set_pair(g_switches.on_error, value);
}
bool rscpe_trace_first(void)
{
    return g_switches.trace[0];
}
bool rscpe_trace_second(void)
{
    return g_switches.trace[1];
}
bool rscpe_on_error_first(void)
{
    return g_switches.on_error[0];
}
bool rscpe_on_error_second(void)
{
    return g_switches.on_error[1];
}
