#ifndef QOR_PARAM_PARAM_CHECKS_H
#define QOR_PARAM_PARAM_CHECKS_H

// The value checks that rows of the built-in table name. The lookup never
// runs them; they serve a tool that validates a value.

#include <string>

#include "param/param_table.h"

// A number and an optional unit M, H or D (minutes, hours, days; seconds
// without one), blanks allowed between them; within the description's range
// "lower upper" (seconds) when it has one.
bool qorparam_check_time(const QorParamDesc* desc, const QOR_UC* value, std::u16string* message);
// A number and an optional unit K or M directly after it (bytes without
// one); rsau/max_diskspace/per_file at most 2147483647 bytes,
// rsau/max_diskspace/per_day at most the largest 64-bit number.
bool qorparam_check_size(const QorParamDesc* desc, const QOR_UC* value, std::u16string* message);

#endif
