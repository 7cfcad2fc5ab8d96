#ifndef QOR_PARAM_QORPARAM_H
#define QOR_PARAM_QORPARAM_H

/* Profile parameters: the base libraries' configuration by name. Values come
 * from the built-in table, DEFAULT.PFL in the directory DIR_PROFILE and an
 * instance profile, with references to the instance number ("$$"), to other
 * parameters ("$(NAME)") and to environment variables ("%(NAME)") resolved
 * and formulas evaluated, all on the first lookup. Messages of the library
 * go to the standard error stream. */

#include "u16/qor_uc.h"

/* The value of a parameter (names are case-sensitive), owned by the library
 * for the life of the process; null when the name is null or unknown. */
const QOR_UC* qorparam(const QOR_UC* name);

/* Formulas: a caller's table of names, searched before the built-in
 * functions; the table ends with a null name. */
#define QORPARAM_SYM_VAR 259u   /* a variable with a value */
#define QORPARAM_SYM_FUNC1 260u /* a function of one argument */
#define QORPARAM_SYM_FUNC2 261u /* a function of two arguments */
struct QorParamSymbol
{
    unsigned kind;
    const char* name;
    double (*fn1)(double);
    double (*fn2)(double, double);
    double value;
};

/* Evaluates an arithmetic formula ("(min(512000, 16384 * 0.7))"): numbers
 * with "." as the decimal point, + - * / ^ (power), unary minus, parentheses
 * and the functions sin cos tan ln exp sqrt rint ceil floor log2 log10 abs
 * asin acos atan sinh cosh tanh min max. symbols may be null. Returns 0 and
 * the value, -1 when the value is no finite number, -2 when the text is no
 * formula (syntax, unknown name, a character above 0x7F, no expression,
 * nesting too deep). */
int qorparam_eval_formula(const QOR_UC* text, double* result, const QorParamSymbol* symbols);

#endif
