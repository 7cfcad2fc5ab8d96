#ifndef QOR_CLIENT_RECORD_COLUMNS_H
#define QOR_CLIENT_RECORD_COLUMNS_H

// Table-driven printing of record lists: one row per printed field (label
// and printer of the member), one list line or script block per record.

#include <cstddef>
#include <string>

#include "client/field_printers.h"
#include "u16/qor_uc.h"

struct soap;

template <class Record> struct Column
{
    const QOR_UC* label;
    void (*print)(struct soap* soap, const Record& record, const QOR_UC* label, int index, int last,
                  const QOR_UC* format);
};

// Prints every record of an array (items may be absent: nothing printed).
template <class Record, std::size_t N>
void print_records(struct soap* soap, const Record* items, int count,
                   const Column<Record> (&columns)[N], const QOR_UC* format)
{
    if (items == nullptr)
        return;
    for (int i = 0; i < count; ++i) {
        for (std::size_t c = 0; c < N; ++c)
            columns[c].print(soap, items[i], columns[c].label, i, c + 1 == N ? 1 : 0, format);
    }
}

// The labels joined by ", " and ended by a line feed.
template <class Record, std::size_t N>
std::u16string column_header(const Column<Record> (&columns)[N])
{
    std::u16string header;
    for (std::size_t c = 0; c < N; ++c) {
        if (c != 0)
            header += u", ";
        header += columns[c].label;
    }
    header += u'\n';
    return header;
}

// Column makers: the member's printer chosen by its kind.
#define QOR_COL_STRING(R, member, label)                                                           \
    Column<R>                                                                                      \
    {                                                                                              \
        cU(label), [](struct soap* s, const R& r, const QOR_UC* l, int i, int last,                \
                      const QOR_UC* f) { print_string_field(s, l, r.member, i, last, f); }         \
    }
#define QOR_COL_INT(R, member, label)                                                              \
    Column<R>                                                                                      \
    {                                                                                              \
        cU(label), [](struct soap* s, const R& r, const QOR_UC* l, int i, int last,                \
                      const QOR_UC* f) { print_int_field(s, l, r.member, i, last, f); }            \
    }
#define QOR_COL_INT64(R, member, label)                                                            \
    Column<R>                                                                                      \
    {                                                                                              \
        cU(label), [](struct soap* s, const R& r, const QOR_UC* l, int i, int last,                \
                      const QOR_UC* f) { print_int64_field(s, l, r.member, i, last, f); }          \
    }
#define QOR_COL_DOUBLE(R, member, label)                                                           \
    Column<R>                                                                                      \
    {                                                                                              \
        cU(label), [](struct soap* s, const R& r, const QOR_UC* l, int i, int last,                \
                      const QOR_UC* f) { print_double_field(s, l, r.member, i, last, f); }         \
    }
#define QOR_COL_BOOL(R, member, label)                                                             \
    Column<R>                                                                                      \
    {                                                                                              \
        cU(label), [](struct soap* s, const R& r, const QOR_UC* l, int i, int last,                \
                      const QOR_UC* f) { print_bool_field(s, l, r.member, i, last, f); }           \
    }
#define QOR_COL_ENUM(R, member, type, label)                                                       \
    Column<R>                                                                                      \
    {                                                                                              \
        cU(label),                                                                                 \
            [](struct soap* s, const R& r, const QOR_UC* l, int i, int last, const QOR_UC* f) {    \
                print_enum_field(s, l, static_cast<int>(r.member), cU(type), i, last, f);          \
            }                                                                                      \
    }
#define QOR_COL_STRINGS(R, member, label)                                                          \
    Column<R>                                                                                      \
    {                                                                                              \
        cU(label), [](struct soap* s, const R& r, const QOR_UC* l, int i, int last,                \
                      const QOR_UC* f) { print_string_array_field(s, l, r.member, i, last, f); }   \
    }

#endif
