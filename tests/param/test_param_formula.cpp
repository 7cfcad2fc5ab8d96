// The formula evaluator: grammar, precedence, functions and errors, in any
// locale, a bounded random driver, and formulas among parameter values.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <random>
#include <string>

#include "param/qorparam.h"
#include "param_test_util.h"

namespace {

using paramtest::wide;

constexpr double kPi = 3.14159265358979323846;

struct Case
{
    std::string text;
    int rc;
    double value; // when rc is 0
};

double twice(double x)
{
    return 2 * x;
}

const QorParamSymbol kCallerSymbols[] = {
    {QORPARAM_SYM_VAR, "x", nullptr, nullptr, 2.5},
    {QORPARAM_SYM_FUNC1, "twice", twice, nullptr, 0},
    {QORPARAM_SYM_VAR, "sin", nullptr, nullptr, 7}, // found before the built-in one
    {QORPARAM_SYM_FUNC1, "broken", nullptr, nullptr, 0},
    {0, nullptr, nullptr, nullptr, 0},
};

int eval(const std::string& text, double* value, const QorParamSymbol* symbols = nullptr)
{
    return qorparam_eval_formula(wide(text).c_str(), value, symbols);
}

std::vector<Case> grammar_cases()
{
    return {
        // numbers
        {"(1)", 0, 1},
        {"(1e+5)", 0, 100000},
        {"(1e5)", 0, 100000},
        {"(1E-2)", 0, 0.01},
        {"(1e)", 0, 1},
        {"(.5)", 0, 0.5},
        {"(5.)", 0, 5},
        {"(.)", 0, 0},
        {"(1.25)", 0, 1.25},
        {" \t(1)\t ", 0, 1},
        // precedence and grouping
        {"(1 + 2 * 3)", 0, 7},
        {"((1 + 2) * 3)", 0, 9},
        {"(10 - 4 - 3)", 0, 3},
        {"(64 / 4 / 2)", 0, 8},
        {"(2 ^ 3 ^ 2)", 0, 512},
        {"(-2 ^ 2)", 0, -4},
        {"(-2 * 3)", 0, -6},
        {"(2 ^ -1)", 0, 0.5},
        {"(1 - -1)", 0, 2},
        {"(0 - 2.5)", 0, -2.5},
        // functions
        {"(min(2, 3))", 0, 2},
        {"(min(3,2))", 0, 2},
        {"(max(2, 3))", 0, 3},
        {"(max(3, 2))", 0, 3},
        {"(min(0/0, 3))", 0, 3},
        {"(max(0/0, 3))", 0, 3},
        {"(sqrt(16))", 0, 4},
        {"(ln(exp(2)))", 0, 2},
        {"(log2(8))", 0, 3},
        {"(log10(1000))", 0, 3},
        {"(abs(-3))", 0, 3},
        {"(ceil(1.2))", 0, 2},
        {"(floor(-1.2))", 0, -2},
        {"(rint(2.5))", 0, 3},
        {"(rint(-2.5))", 0, -3},
        {"(asin(1))", 0, kPi / 2},
        {"(acos(1))", 0, 0},
        {"(atan(1))", 0, kPi / 4},
        {"(sin(0) + cos(0) + tan(0))", 0, 1},
        {"(sinh(0) + cosh(0) + tanh(0))", 0, 1},
        {"(min(512000, 16384 * 0.7))", 0, 11468.8},
        {"(max(20000,1000000 / (5 * 1024) ))", 0, 20000},
        // the first line ends the formula
        {"(1)\n(garbage", 0, 1},
        {"\n(1)", 0, 1},
        // not finite
        {"(1 / 0)", -1, 0},
        {"(0 / 0)", -1, 0},
        {"(ln(0))", -1, 0},
        {"(sqrt(-1))", -1, 0},
        {"(1e999)", -1, 0},
        {"(min(3, 0/0))", -1, 0},
        // no formula
        {"", -2, 0},
        {"   ", -2, 0},
        {"\n", -2, 0},
        {"(1", -2, 0},
        {"(1))", -2, 0},
        {"(1 2)", -2, 0},
        {"(foo(1))", -2, 0},
        {"(min(1))", -2, 0},
        {"(sin(1, 2))", -2, 0},
        {"(1, 2)", -2, 0},
        {"(+1)", -2, 0},
        {"(1 $ 2)", -2, 0},
        {"(sin 1)", -2, 0},
        {"(1,5)", -2, 0},
        {"(" + std::string(300, '1') + ")", -2, 0},
        {"(" + std::string(255, 'a') + "(1))", -2, 0},
        {std::string(6000, '(') + "1" + std::string(6000, ')'), 0, 1},
        {std::string(10001, '(') + "1" + std::string(10001, ')'), -2, 0},
        {std::string(10001, '-') + "1", -2, 0},
    };
}

void run_cases(const char* label)
{
    for (const Case& c : grammar_cases()) {
        double value = -12345;
        const int rc = eval(c.text, &value);
        const std::string shown = c.text.substr(0, 40);
        EXPECT_EQ(rc, c.rc) << label << ": " << shown;
        if (rc == 0 && c.rc == 0) {
            EXPECT_NEAR(value, c.value, 1e-9) << label << ": " << shown;
        }
    }
}

TEST(ParamFormula, GrammarPrecedenceFunctionsAndErrors)
{
    run_cases("C locale");
    double value = 0;
    EXPECT_EQ(qorparam_eval_formula(u"(\u00e9)", &value, nullptr), -2) << "not 7-bit";
    EXPECT_EQ(qorparam_eval_formula(nullptr, &value, nullptr), -2);
}

TEST(ParamFormula, TheDecimalPointIsAPointInEveryLocale)
{
    int tried = 0;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "ru_RU.UTF-8"}) {
        if (std::setlocale(LC_ALL, name) == nullptr)
            continue;
        ++tried;
        run_cases(name);
        std::setlocale(LC_ALL, "C");
    }
    // Without a comma locale on this machine the C locale run above stands.
    if (tried == 0)
        run_cases("C locale again");
}

TEST(ParamFormula, CallerSymbolsComeFirst)
{
    const struct
    {
        const char* text;
        int rc;
        double value;
    } cases[] = {
        {"(x * 2)", 0, 5},  {"(twice(x))", 0, 5},   {"(sin)", 0, 7}, {"(sin(1))", -2, 0},
        {"(cos(0))", 0, 1}, {"(broken(1))", -2, 0}, {"(y)", -2, 0},
    };
    for (const auto& c : cases) {
        double value = 0;
        EXPECT_EQ(eval(c.text, &value, kCallerSymbols), c.rc) << c.text;
        if (c.rc == 0) {
            EXPECT_DOUBLE_EQ(value, c.value) << c.text;
        }
    }
}

// Random texts of formula pieces: every result is one of the three codes,
// finite exactly for 0, and a formula keeps its value in parentheses and
// with a second line after it.
TEST(ParamFormula, RandomTextsEndWithOneOfTheThreeResults)
{
    static const char* const kPieces[] = {"1",  "2.5", ".",   "e",   "1e+3", "0",   "(",    ")",
                                          "+",  "-",   "*",   "/",   "^",    ",",   " ",    "\t",
                                          "\n", "min", "max", "sin", "sqrt", "ln",  "rint", "x",
                                          "$",  "9e9", "(",   ")",   "ceil", "abs", "#",    "7"};
    std::mt19937 rng(20240611);
    int finite = 0;
    for (int i = 0; i < 20000; ++i) {
        std::string text;
        const int pieces = static_cast<int>(rng() % 24);
        for (int p = 0; p < pieces; ++p)
            text += kPieces[rng() % (sizeof kPieces / sizeof kPieces[0])];
        if (rng() % 50 == 0)
            text += static_cast<char>(1 + rng() % 126);
        double value = 0;
        const int rc = eval(text, &value);
        ASSERT_TRUE(rc == 0 || rc == -1 || rc == -2) << text;
        if (rc == 0) {
            ++finite;
            ASSERT_TRUE(std::isfinite(value)) << text;
            if (text.find('\n') == std::string::npos) {
                double again = 0;
                ASSERT_EQ(eval("(" + text + ")", &again), 0) << text;
                ASSERT_EQ(again, value) << text;
                ASSERT_EQ(eval(text + "\n)(", &again), 0) << text;
                ASSERT_EQ(again, value) << text;
            }
        }
    }
    EXPECT_GT(finite, 100) << "the driver reaches valid formulas";
}

// Formulas among the values of a library, with their messages.
TEST(ParamFormula, FormulaValuesBecomeIntegers)
{
    struct Value
    {
        const char* name;
        std::string text;
        std::string value;
        std::string message; // "" none
    };
    const Value cases[] = {
        {"qortest/neg", "(0 - 2.5)", "-3", ""},
        {"qortest/up", "(2.5)", "3", ""},
        {"qortest/min", "(-9223372036854775808)", "-9223372036854775808", ""},
        {"qortest/div", "(1 / 0)", "(1 / 0)",
         "Ingnoring invalid formula result: qortest/div=(1 / 0)\n"},
        {"qortest/huge", "(2 ^ 63)", "(2 ^ 63)",
         "Ingnoring invalid formula result: qortest/huge=(2 ^ 63)\n"},
        {"qortest/foo", "(foo(1))", "(foo(1))",
         "Ingnoring invalid formula: qortest/foo=(foo(1))\n"},
        {"qortest/empty", "(", "(", "Ingnoring invalid formula: qortest/empty=(\n"},
        {"qortest/long", "(" + std::string(4200, ' ') + "1)", "(" + std::string(4200, ' ') + "1)",
         "Ingnoring invalid formula: qortest/long=("},
        {"qortest/text", "1 + 1", "1 + 1", ""},
    };
    paramtest::ParamRun run;
    for (const Value& v : cases)
        run.sources.first_args.emplace_back(wide(v.name), wide(v.text));
    run.make();
    for (const Value& v : cases)
        EXPECT_EQ(run.value(v.name), v.value) << v.name;
    const std::string messages = run.messages();
    for (const Value& v : cases) {
        if (!v.message.empty()) {
            EXPECT_NE(messages.find(v.message), std::string::npos) << v.name << "\n" << messages;
        } else {
            EXPECT_EQ(messages.find(std::string(v.name) + "="), std::string::npos) << v.name;
        }
    }
}

} // namespace
