#ifndef QOR_PARAM_PARAM_LINE_READER_H
#define QOR_PARAM_PARAM_LINE_READER_H

// Reading name = value lines of a profile file (UTF-8).

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "u16/qor_uc.h"

// What percentages of PHYS_MEMSIZE and CPU_CORES refer to.
struct ParamHardware
{
    int64_t memory_bytes; // -1 unknown
    int cores;
};

// Reads up to the next line that holds a name and a value and copies them
// (at most size - 1 units each); false at the end of the file. Lines hold at
// most 4095 characters (the rest is dropped); carriage returns are dropped;
// comments begin with "#"; lines without "=" or without a name are skipped.
// The name is the first run of characters other than blank, tab and "=",
// the value what follows the first "=", without surrounding blanks and
// tabs. A PHYS_MEMSIZE or CPU_CORES value with "%" is a percentage of the
// hardware's memory (giving megabytes) or cores.
bool qorparam_read_line(FILE* file, QOR_UC* name, size_t name_size, QOR_UC* value,
                        size_t value_size, const ParamHardware& hardware);

#endif
