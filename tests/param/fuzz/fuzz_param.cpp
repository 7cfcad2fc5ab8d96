// libFuzzer target for the formula evaluator and the profile line reader
// (built with clang and QOR_FUZZ=ON; not part of the test runs). The first
// byte chooses the reader, the rest is the input.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "param/param_line_reader.h"
#include "param/qorparam.h"
#include "u16/u16.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (data[0] & 1) {
        std::u16string text(bytes.begin(), bytes.end());
        double value = 0;
        const int rc = qorparam_eval_formula(text.c_str(), &value, nullptr);
        if (rc != 0 && rc != -1 && rc != -2)
            std::abort();
        if (rc == 0 && !std::isfinite(value))
            std::abort();
        return 0;
    }
    std::string copy = bytes;
    if (copy.empty())
        return 0;
    FILE* f = fmemopen(copy.data(), copy.size(), "r");
    if (f == nullptr)
        return 0;
    std::vector<QOR_UC> name(64), value(64);
    const ParamHardware hardware{16LL << 30, 8};
    while (qorparam_read_line(f, name.data(), name.size(), value.data(), value.size(), hardware))
        if (name[0] == 0)
            std::abort();
    U16ForgetStream(f);
    std::fclose(f);
    return 0;
}
