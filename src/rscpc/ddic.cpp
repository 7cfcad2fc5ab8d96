// Table names, the database stubs and the blank-padded string routines.
#include "rscpc/ddic.h"

#include <cstdio>

#include "rscp/rscp_utf.h"
#include "rscpc/options.h"
#include "u16/u16.h"

namespace {

const QOR_UC* const kTableNames[] = {
    u"TCP00",       u"TCP00A",     u"TCP01",      u"TCP09",    u"TCP0C",     u"TCP0D",
    u"TCPDB",       u"TCP0F",      u"TCP0F",      u"TCP0F",    u"TCP0I",     u"TCPSBUILD",
    u"TCPSEG",      u"TCPSPTL",    u"TCPSPTS",    u"TCPSRULE", u"CPS_RPT",   u"UMGCCTL",
    u"UMGCCTL",     u"UMGSTAT",    u"UMGPMIG",    u"UMGPMDIC", u"UMGLANGCP", u"UMGLNOCP",
    u"UMGSEP",      u"UMGSETTING", u"UMGCOMCHAR", u"UMGSEPCP", u"RFCDES",    u"UMGCONTAINER",
    u"UMGSETTINGS", u"UMGNTCD6",
};

bool option_on(int32_t option)
{
    int32_t value = 0;
    return rscpgo_get_option(option, &value) == 0 && value != 0;
}

} // namespace

const QOR_UC* rscpddic_table_name(int32_t index)
{
    if (index < 0 || index >= static_cast<int32_t>(sizeof kTableNames / sizeof kTableNames[0]))
        return u"unknown table";
    return kTableNames[index];
}

uint32_t rscpgdi__general_db_init(uint32_t)
{
    if (option_on(19))
        fprintfU16(stderr, u"rscpgdi__general_db_init ignored \n");
    return 0;
}

uint32_t rscpf1t__flush_one_table(const QOR_UC* table, int32_t, int32_t, int32_t)
{
    if (option_on(18))
        fprintfU16(stderr,
                   u"rscpf1t__flush_one_table: I guess db_ntab would have answered "
                   u"\"unbuffered\" for table %s\n",
                   table);
    return 0;
}

void qorstr_pad_from_z(QOR_UC* target, const QOR_UC* source, int32_t width)
{
    if (target != nullptr && width >= 1)
        PadCopyU16z(target, source, width);
}

void qorstr_pad_from_n(QOR_UC* target, int32_t width, const QOR_UC* source, int32_t length)
{
    if (target != nullptr && width >= 1)
        PadCopyU16n(target, width, source, length);
}

int32_t qorstr_trimmed_length(const QOR_UC* field, int32_t width)
{
    if (field == nullptr || width < 1)
        return 0;
    while (width > 0 && field[width - 1] == u' ')
        --width;
    return width;
}

void qorstr_trim_to_z(QOR_UC* target, const QOR_UC* field, int32_t width)
{
    const int32_t n = qorstr_trimmed_length(field, width);
    if (n > 0)
        memcpyU(target, field, static_cast<size_t>(n), __FILE__, __LINE__);
    target[n] = 0;
}

int qorstr_field_equals(const QOR_UC* field, const QOR_UC* text, int32_t width)
{
    if (field == nullptr || text == nullptr)
        return field == nullptr && text == nullptr ? 1 : 0;
    const int32_t n = qorstr_trimmed_length(field, width);
    if (static_cast<int32_t>(strlenU16(text)) != n)
        return 0;
    return strncmpU16(field, text, static_cast<size_t>(n)) == 0 || n == 0 ? 1 : 0;
}
