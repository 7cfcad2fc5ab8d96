#ifndef QOR_RSCPC_PADDED_H
#define QOR_RSCPC_PADDED_H

/* Fixed-width texts blank-padded at compile time, terminated behind the
 * width so that they can also be printed with "%s". */

#include <cstddef>

#include "u16/qor_uc.h"

template <size_t N> struct Padded
{
    QOR_UC text[N + 1];

    /* The leading decimal digits as a number (0 when there are none). */
    constexpr int value() const
    {
        int v = 0;
        for (size_t i = 0; i < N && text[i] >= u'0' && text[i] <= u'9'; ++i)
            v = v * 10 + (text[i] - u'0');
        return v;
    }
};

template <size_t N, size_t M> constexpr Padded<N> pad(const char16_t (&s)[M])
{
    Padded<N> p{};
    for (size_t i = 0; i < N; ++i)
        p.text[i] = i + 1 < M ? s[i] : u' ';
    p.text[N] = 0;
    return p;
}

#endif
