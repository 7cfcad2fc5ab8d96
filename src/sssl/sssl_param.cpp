#include "sssl/sssl_param.h"

#include <cstdio>

#include "sssl/sssl_trace.h"
#include "u16/u16.h"

namespace sssl {

bool read_param(const char* name, bool required, std::string* value, ParamLookup lookup)
{
    char full[200];
    std::snprintf(full, sizeof full, "%.32s/%.128s", "ssl", name);
    QOR_UC wide[200];
    A7ToU16(wide, full);
    const QOR_UC* text = lookup != nullptr ? lookup(wide) : nullptr;
    if (text == nullptr) {
        if (required)
            trace_line("REQUIRED Parameter %.128s MISSING!", full);
        else
            trace_line("Optional Parameter %.128s not defined", full);
        return false;
    }
    const int bytes = nlsui_u16_to_utf8(nullptr, text, 0);
    value->assign(bytes > 0 ? static_cast<size_t>(bytes) + 1 : 1, '\0');
    if (bytes > 0)
        nlsui_u16_to_utf8(value->data(), text, bytes + 1);
    value->resize(bytes > 0 ? static_cast<size_t>(bytes) : 0);
    trace_line("%s = %s", full, value->c_str());
    return true;
}

} // namespace sssl
