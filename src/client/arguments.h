#ifndef QOR_CLIENT_ARGUMENTS_H
#define QOR_CLIENT_ARGUMENTS_H

// The argument values of one "-function": read from the words after the
// webmethod name by the webmethod's argument rule, kept for every
// repetition, replaced by the next "-function".

#include <vector>

#include "u16/qor_uc.h"

/* One value of the request. Texts are UTF-8 in plain heap memory that lives
 * until the process ends; null means absent. */
struct ArgumentValue
{
    int number = 0;
    const char* text = nullptr;
    const QOR_UC* word = nullptr; /* a word kept as typed (16-bit) */
    std::vector<char*> list;
};

/* The most values one request takes. */
constexpr int kMaxRequestValues = 8;

struct Arguments
{
    /* In the order the client function takes them; a value that the rule
     * does not set stays 0 or absent. */
    ArgumentValue values[kMaxRequestValues];
    /* Seconds, for the client-side waits. */
    int wait_timeout = 0;
    int wait_delay = 1;
};

#endif
