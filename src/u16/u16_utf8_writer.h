#ifndef QOR_U16_U16_UTF8_WRITER_H
#define QOR_U16_U16_UTF8_WRITER_H

/* Internal: encodes 16-bit units to UTF-8 and writes them to a stream in
 * blocks. A high surrogate is held until the next unit arrives, so a pair
 * split across two pieces still becomes one four-byte character; any other
 * lone surrogate becomes '#'. */

#include <cstddef>
#include <cstdio>

#include "u16/qor_uc.h"

class Utf8StreamWriter
{
  public:
    explicit Utf8StreamWriter(FILE* stream) : stream_(stream) {}
    Utf8StreamWriter(const Utf8StreamWriter&) = delete;
    Utf8StreamWriter& operator=(const Utf8StreamWriter&) = delete;

    /* Encodes n units; false once a write has failed. */
    bool put(const QOR_UC* units, size_t n);
    bool put_repeated(QOR_UC unit, size_t n);
    /* Encodes a terminated string; *count receives its length in units. */
    bool put_terminated(const QOR_UC* s, size_t* count);
    /* Writes a held high surrogate as '#' and everything pending. */
    bool finish();

    bool failed() const { return failed_; }
    size_t bytes_written() const { return bytes_written_; }

    /* Pending bytes are written when more than this many have gathered. */
    static constexpr size_t kFlushAbove = 506;
    static constexpr size_t kCapacity = 510;

  private:
    bool flush();
    void encode_point(unsigned long cp);

    FILE* stream_;
    unsigned char buf_[kCapacity + 4];
    size_t pending_ = 0;
    QOR_UC high_ = 0;
    bool failed_ = false;
    size_t bytes_written_ = 0;
};

#endif
