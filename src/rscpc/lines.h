#ifndef QOR_RSCPC_LINES_H
#define QOR_RSCPC_LINES_H

/* Report lines: a formatted line is built in a buffer of 100 characters
 * and handed to the writer with its length (at most 99); a constant line
 * goes out with its full length. */

#include <cstdarg>

#include "rscpc/hooks.h"
#include "u16/u16.h"

class RscpLines
{
  public:
    static constexpr size_t kWidth = 100;

    explicit RscpLines(RscpWriter writer) : writer_(writer) {}

    void put(const QOR_UC* format, ...)
    {
        QOR_UC line[kWidth];
        va_list args;
        va_start(args, format);
        vsnprintfU16(line, kWidth, format, args);
        va_end(args);
        writer_(line, static_cast<int32_t>(strnlenU16(line, kWidth)));
    }
    void constant(const QOR_UC* text) { writer_(text, static_cast<int32_t>(strlenU16(text))); }

  private:
    RscpWriter writer_;
};

#endif
