#ifndef QOR_PARAM_PARAM_TABLE_H
#define QOR_PARAM_PARAM_TABLE_H

// The built-in table of profile parameters: one constant description per
// parameter, in the order of param_table.tsv, ended by a row whose name is
// null. The rows are generated from the .tsv files of this folder.

#include <cstddef>
#include <cstdint>
#include <string>

#include "u16/qor_uc.h"

// Type codes.
enum : unsigned {
    QORPARAM_TYPE_TEXT = 200,
    QORPARAM_TYPE_INT = 201,
    QORPARAM_TYPE_INT_RANGE = 203,
    QORPARAM_TYPE_ENUM = 205,
    QORPARAM_TYPE_SWITCH = 206,
};

// Unit codes.
enum : unsigned {
    QORPARAM_UNIT_NONE = 100,
    QORPARAM_UNIT_BYTES = 101,
    QORPARAM_UNIT_KB = 102,
    QORPARAM_UNIT_MB = 103,
    QORPARAM_UNIT_MSEC = 105,
    QORPARAM_UNIT_SEC = 106,
    QORPARAM_UNIT_MIN = 107,
    QORPARAM_UNIT_HOUR = 108,
    QORPARAM_UNIT_DAY = 109,
    QORPARAM_UNIT_PERCENT = 110,
};

struct QorParamDesc;

// A check of a value: true when it is valid, else false and the reason in
// *message.
typedef bool (*QorParamCheckFn)(const QorParamDesc* desc, const QOR_UC* value,
                                std::u16string* message);

// One KEY=value item of a parameter whose value is such a list.
struct QorParamSubDesc
{
    const QOR_UC* key; // null ends the list
    const QOR_UC* description;
    unsigned unit;
    uint32_t flag;
    unsigned type;
    const QOR_UC* range; // null: none
};

struct QorParamDesc
{
    const QOR_UC* name;          // null ends the table
    const QOR_UC* default_value; // null: none (the indexed families)
    unsigned type;
    const QOR_UC* range; // null: none
    unsigned unit;
    const QOR_UC* area;
    const QOR_UC* description;
    uint8_t flag1; // read by no operation of this program
    uint8_t flag2;
    // An indexed family: its parameters are named after the row with _0,
    // _1, ... and take their defaults from the value list.
    uint8_t family;
    const QOR_UC* const* values;      // null-terminated, or null
    const QorParamSubDesc* subparams; // ends with a null key, or null
    QorParamCheckFn check;            // null: none
    // The default is a text of the library (written at initialisation); the
    // default above is its first content.
    uint8_t library_buffer;
};

extern const QorParamDesc qorparam_builtin_table[];
// Rows without the end row.
extern const size_t qorparam_builtin_rows;

#endif
