#ifndef QOR_SSSL_SSSL_PARAM_H
#define QOR_SSSL_SSSL_PARAM_H

// The SSL layer's profile parameters: the names "ssl/" followed by the
// layer's own name, read through qorparam.

#include <string>

#include "u16/qor_uc.h"

namespace sssl {

using ParamLookup = const QOR_UC* (*)(const QOR_UC* name);

// The value of ssl/<name> (UTF-8) in *value; false when it is not defined,
// which the trace reports as a missing required or an undefined optional
// parameter.
bool read_param(const char* name, bool required, std::string* value, ParamLookup lookup);

} // namespace sssl

#endif
