// Formulas among the values: a value that begins with "(" is evaluated and
// replaced by its result, rounded half away from zero, as a decimal integer.
#include <cmath>

#include "param/param_library.h"
#include "param/qorparam.h"
#include "u16/u16.h"

namespace param {

namespace {

// Longer formulas do not fit the evaluation buffer and count as invalid.
constexpr size_t kMaxFormula = 4095;

} // namespace

void Library::evaluate_formulas()
{
    for (Record& rec : table_) {
        for (Level slot : {Current, L24, L13}) {
            const QOR_UC* text = rec.v[slot];
            if (text == nullptr || text[0] != u'(')
                continue;
            double result = 0;
            int rc = strnlenU16(text, kMaxFormula + 1) > kMaxFormula
                         ? -2
                         : qorparam_eval_formula(text, &result, nullptr);
            const double rounded = result >= 0 ? std::floor(result + 0.5) : std::ceil(result - 0.5);
            // Results beyond the 64-bit range are no valid results either.
            if (rc == 0 && !(rounded >= -9223372036854775808.0 && rounded < 9223372036854775808.0))
                rc = -1;
            if (rc == -1) {
                message(u"Ingnoring invalid formula result: %s=%s\n", rec.name, text);
                continue;
            }
            if (rc != 0) {
                message(u"Ingnoring invalid formula: %s=%s\n", rec.name, text);
                continue;
            }
            QOR_UC number[32];
            snprintfU16(number, 32, u"%I64d", static_cast<long long>(rounded));
            heap_.emplace_back(number);
            const QOR_UC* value = heap_.back().c_str();
            if (slot == Current)
                rec.v[L34] = value;
            rec.v[slot] = value;
        }
    }
}

} // namespace param
