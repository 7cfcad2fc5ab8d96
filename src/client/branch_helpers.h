#ifndef QOR_CLIENT_BRANCH_HELPERS_H
#define QOR_CLIENT_BRANCH_HELPERS_H

// Shared steps of the printing branches.

#include <vector>

#include "client/dispatch.h"
#include "client/record_columns.h"
#include "client/result_header.h"
#include "soapH.h"

// The SOAP action of every call.
inline constexpr const char* kNoAction = "";

// An array of the UTF-8 list argument, sharing its strings.
inline QORControl__ArrayOfString list_array(struct soap* soap, std::vector<char*>& list)
{
    QORControl__ArrayOfString array;
    array.soap_default(soap);
    array.__ptr = list.empty() ? nullptr : list.data();
    array.__size = static_cast<int>(list.size());
    return array;
}

// Prints the header block and, on success, every record of the array.
template <class Array, class Record, std::size_t N>
int print_list_result(CallContext& call, const QOR_UC* column_header, const Array& result,
                      const Column<Record> (&columns)[N])
{
    const int status = print_result_header(call.soap, call.format, call.name, column_header);
    if (status == 0)
        print_records(call.soap, result.__ptr, result.__size, columns, call.format);
    return status;
}

// The same with the header made of the column labels.
template <class Array, class Record, std::size_t N>
int print_list_result(CallContext& call, const Array& result, const Column<Record> (&columns)[N])
{
    const std::u16string header = column_header(columns);
    return print_list_result(call, header.c_str(), result, columns);
}

// Each entry of a string array as its own field: label, position as the
// record index, last-field flag (one list line per entry).
void print_string_lines(CallContext& call, const QOR_UC* label,
                        const QORControl__ArrayOfString& lines);

#endif
