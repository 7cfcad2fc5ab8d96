// The formula evaluator: an operator-precedence parser over 7-bit text with
// explicit state and value stacks (as deep as 10000 entries), in double
// precision. The text ends at its first newline or its end; what follows is
// never read.
#include <locale.h>
#include <stdlib.h>

#include <cmath>
#include <string>
#include <vector>

#include "param/qorparam.h"
#include "u16/u16.h"

namespace {

enum Token : int {
    kError = 256,
    kNum = 258,
    kVar = 259,
    kFunc1 = 260,
    kFunc2 = 261,
    kEnd = '\n',
};

constexpr size_t kMaxNumber = 255; // characters of a number
constexpr size_t kMaxName = 254;   // characters of a name
constexpr size_t kMaxStack = 10000;

// Character classes of 7-bit text, the same in every locale.
bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}
bool is_alpha(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool is_alnum(char c)
{
    return is_digit(c) || is_alpha(c);
}

// Numbers are read in the C locale: "." is the decimal point.
double read_number(const std::string& text)
{
    static const locale_t c_locale = newlocale(LC_ALL_MASK, "C", nullptr);
    return strtod_l(text.c_str(), nullptr, c_locale);
}

double round_half_away(double x)
{
    return x >= 0 ? std::floor(x + 0.5) : std::ceil(x - 0.5);
}
double log_2(double x)
{
    return std::log(x) / std::log(2.0);
}
double minimum(double a, double b)
{
    return b > a ? a : b;
}
double maximum(double a, double b)
{
    return a > b ? a : b;
}
double sine(double x)
{
    return std::sin(x);
}
double cosine(double x)
{
    return std::cos(x);
}
double tangent(double x)
{
    return std::tan(x);
}
double natural_log(double x)
{
    return std::log(x);
}
double exponential(double x)
{
    return std::exp(x);
}
double square_root(double x)
{
    return std::sqrt(x);
}
double ceiling(double x)
{
    return std::ceil(x);
}
double floor_of(double x)
{
    return std::floor(x);
}
double log_10(double x)
{
    return std::log10(x);
}
double absolute(double x)
{
    return std::fabs(x);
}
double arc_sine(double x)
{
    return std::asin(x);
}
double arc_cosine(double x)
{
    return std::acos(x);
}
double arc_tangent(double x)
{
    return std::atan(x);
}
double sine_h(double x)
{
    return std::sinh(x);
}
double cosine_h(double x)
{
    return std::cosh(x);
}
double tangent_h(double x)
{
    return std::tanh(x);
}

const QorParamSymbol kFunctions[] = {
    {QORPARAM_SYM_FUNC1, "sin", sine, nullptr, 0},
    {QORPARAM_SYM_FUNC1, "cos", cosine, nullptr, 0},
    {QORPARAM_SYM_FUNC1, "tan", tangent, nullptr, 0},
    {QORPARAM_SYM_FUNC1, "ln", natural_log, nullptr, 0},
    {QORPARAM_SYM_FUNC1, "exp", exponential, nullptr, 0},
    {QORPARAM_SYM_FUNC1, "sqrt", square_root, nullptr, 0},
    {QORPARAM_SYM_FUNC1, "rint", round_half_away, nullptr, 0},
    {QORPARAM_SYM_FUNC1, "ceil", ceiling, nullptr, 0},
    {QORPARAM_SYM_FUNC1, "floor", floor_of, nullptr, 0},
    {QORPARAM_SYM_FUNC1, "log2", log_2, nullptr, 0},
    {QORPARAM_SYM_FUNC1, "log10", log_10, nullptr, 0},
    {QORPARAM_SYM_FUNC1, "abs", absolute, nullptr, 0},
    {QORPARAM_SYM_FUNC1, "asin", arc_sine, nullptr, 0},
    {QORPARAM_SYM_FUNC1, "acos", arc_cosine, nullptr, 0},
    {QORPARAM_SYM_FUNC1, "atan", arc_tangent, nullptr, 0},
    {QORPARAM_SYM_FUNC1, "sinh", sine_h, nullptr, 0},
    {QORPARAM_SYM_FUNC1, "cosh", cosine_h, nullptr, 0},
    {QORPARAM_SYM_FUNC1, "tanh", tangent_h, nullptr, 0},
    {QORPARAM_SYM_FUNC2, "min", nullptr, minimum, 0},
    {QORPARAM_SYM_FUNC2, "max", nullptr, maximum, 0},
    {0, nullptr, nullptr, nullptr, 0},
};

struct Lexeme
{
    int token = kEnd;
    double value = 0;
    const QorParamSymbol* symbol = nullptr;
};

class Lexer
{
  public:
    Lexer(const char* text, const QorParamSymbol* symbols) : p_(text), symbols_(symbols) {}
    bool at_end() const { return *p_ == 0; }

    Lexeme next()
    {
        Lexeme lx;
        while (*p_ == ' ' || *p_ == '\t')
            ++p_;
        const char c = *p_;
        if (c == 0)
            return lx; // the end reads as a newline, without moving on
        if (is_digit(c) || c == '.')
            return number();
        if (is_alpha(c))
            return name();
        ++p_;
        lx.token = static_cast<unsigned char>(c);
        return lx;
    }

  private:
    Lexeme number()
    {
        const char* start = p_;
        const char* q = p_;
        auto digits = [&q] {
            while (is_digit(*q))
                ++q;
        };
        digits();
        if (*q == '.') {
            ++q;
            digits();
        }
        if (*q == 'e' || *q == 'E') {
            ++q;
            if (*q == '-' || *q == '+')
                ++q;
            digits();
        }
        Lexeme lx;
        if (static_cast<size_t>(q - start) > kMaxNumber) {
            ++p_;
            lx.token = kError;
            return lx;
        }
        // A number without digits ("." alone) or an exponent mark without
        // digits reads as far as it goes.
        lx.token = kNum;
        lx.value = read_number(std::string(start, q));
        p_ = q;
        return lx;
    }

    Lexeme name()
    {
        const char* start = p_;
        while (is_alnum(*p_))
            ++p_;
        Lexeme lx;
        lx.token = kError;
        const size_t length = static_cast<size_t>(p_ - start);
        if (length > kMaxName)
            return lx;
        const std::string word(start, length);
        for (const QorParamSymbol* table : {symbols_, kFunctions}) {
            for (const QorParamSymbol* s = table; s != nullptr && s->name != nullptr; ++s)
                if (word == s->name) {
                    lx.token = static_cast<int>(s->kind);
                    lx.symbol = s;
                    lx.value = s->value;
                    return lx;
                }
        }
        return lx;
    }

    const char* p_;
    const QorParamSymbol* symbols_;
};

// Operators and open groups on the state stack.
enum class Op { Add, Sub, Mul, Div, Pow, Neg, Paren, Func1, Func2 };

struct Entry
{
    Op op;
    const QorParamSymbol* symbol = nullptr;
    bool comma = false;
};

int precedence(Op op)
{
    switch (op) {
    case Op::Add:
    case Op::Sub:
        return 1;
    case Op::Mul:
    case Op::Div:
        return 2;
    case Op::Neg:
        return 3;
    case Op::Pow:
        return 4;
    default:
        return 0; // groups
    }
}

class Parser
{
  public:
    explicit Parser(Lexer& lexer) : lexer_(lexer) {}

    // 0 with the result, 1 on a syntax error, 2 when the stacks overflow.
    int parse(double* result)
    {
        bool operand = true;
        for (;;) {
            if (ops_.size() + values_.size() > kMaxStack)
                return 2;
            const Lexeme lx = lexer_.next();
            if (operand) {
                switch (lx.token) {
                case kEnd:
                    // Empty lines are skipped; an empty text never ends.
                    if (!ops_.empty() || lexer_.at_end())
                        return 1;
                    continue;
                case kNum:
                case kVar:
                    values_.push_back(lx.value);
                    operand = false;
                    continue;
                case kFunc1:
                case kFunc2:
                    if (lexer_.next().token != '(')
                        return 1;
                    ops_.push_back({lx.token == kFunc1 ? Op::Func1 : Op::Func2, lx.symbol});
                    continue;
                case '(':
                    ops_.push_back({Op::Paren});
                    continue;
                case '-':
                    ops_.push_back({Op::Neg});
                    continue;
                default:
                    return 1;
                }
            }
            switch (lx.token) {
            case '+':
            case '-':
            case '*':
            case '/':
            case '^': {
                const Op op = lx.token == '+'   ? Op::Add
                              : lx.token == '-' ? Op::Sub
                              : lx.token == '*' ? Op::Mul
                              : lx.token == '/' ? Op::Div
                                                : Op::Pow;
                // "^" groups to the right, the others to the left.
                while (!ops_.empty() && precedence(ops_.back().op) > 0 &&
                       (precedence(ops_.back().op) > precedence(op) ||
                        (op != Op::Pow && precedence(ops_.back().op) == precedence(op))))
                    reduce();
                ops_.push_back({op});
                operand = true;
                continue;
            }
            case ')':
                if (!close_group(false))
                    return 1;
                continue;
            case ',':
                if (!close_group(true))
                    return 1;
                operand = true;
                continue;
            case kEnd:
                while (!ops_.empty() && precedence(ops_.back().op) > 0)
                    reduce();
                if (!ops_.empty() || values_.size() != 1)
                    return 1;
                *result = values_.back();
                return 0;
            default:
                return 1;
            }
        }
    }

  private:
    void reduce()
    {
        const Op op = ops_.back().op;
        ops_.pop_back();
        if (op == Op::Neg) {
            values_.back() = -values_.back();
            return;
        }
        const double b = values_.back();
        values_.pop_back();
        double& a = values_.back();
        switch (op) {
        case Op::Add:
            a = a + b;
            break;
        case Op::Sub:
            a = a - b;
            break;
        case Op::Mul:
            a = a * b;
            break;
        case Op::Div:
            a = a / b;
            break;
        default:
            a = std::pow(a, b);
            break;
        }
    }

    // At ")" (or "," when comma is set): applies the operators down to the
    // innermost group and closes it (or moves a two-argument function to its
    // second argument).
    bool close_group(bool comma)
    {
        while (!ops_.empty() && precedence(ops_.back().op) > 0)
            reduce();
        if (ops_.empty())
            return false;
        Entry& group = ops_.back();
        if (comma) {
            if (group.op != Op::Func2 || group.comma)
                return false;
            group.comma = true;
            return true;
        }
        if ((group.op == Op::Func1 && group.symbol->fn1 == nullptr) ||
            (group.op == Op::Func2 && group.symbol->fn2 == nullptr))
            return false;
        if (group.op == Op::Func1) {
            values_.back() = group.symbol->fn1(values_.back());
        } else if (group.op == Op::Func2) {
            if (!group.comma)
                return false;
            const double b = values_.back();
            values_.pop_back();
            values_.back() = group.symbol->fn2(values_.back(), b);
        }
        ops_.pop_back();
        return true;
    }

    Lexer& lexer_;
    std::vector<Entry> ops_;
    std::vector<double> values_;
};

} // namespace

int qorparam_eval_formula(const QOR_UC* text, double* result, const QorParamSymbol* symbols)
{
    if (text == nullptr || result == nullptr)
        return -2;
    std::string narrow(strlenU16(text) + 1, '\0');
    if (U16ToA7Strict(narrow.data(), text) != 0)
        return -2;
    Lexer lexer(narrow.c_str(), symbols);
    Parser parser(lexer);
    double value = 0;
    if (parser.parse(&value) != 0)
        return -2;
    *result = value;
    return std::isfinite(value) ? 0 : -1;
}
