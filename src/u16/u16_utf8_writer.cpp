#include "u16/u16_utf8_writer.h"

void Utf8StreamWriter::encode_point(unsigned long cp)
{
    unsigned char* p = buf_ + pending_;
    if (cp < 0x80) {
        p[0] = static_cast<unsigned char>(cp);
        pending_ += 1;
    } else if (cp < 0x800) {
        p[0] = static_cast<unsigned char>(0xC0 | (cp >> 6));
        p[1] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
        pending_ += 2;
    } else if (cp < 0x10000) {
        p[0] = static_cast<unsigned char>(0xE0 | (cp >> 12));
        p[1] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
        p[2] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
        pending_ += 3;
    } else {
        p[0] = static_cast<unsigned char>(0xF0 | (cp >> 18));
        p[1] = static_cast<unsigned char>(0x80 | ((cp >> 12) & 0x3F));
        p[2] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
        p[3] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
        pending_ += 4;
    }
}

bool Utf8StreamWriter::flush()
{
    if (pending_ == 0 || failed_)
        return !failed_;
    const size_t done = std::fwrite(buf_, 1, pending_, stream_);
    bytes_written_ += done;
    if (done != pending_)
        failed_ = true;
    pending_ = 0;
    return !failed_;
}

bool Utf8StreamWriter::put(const QOR_UC* units, size_t n)
{
    if (failed_)
        return false;
    for (size_t i = 0; i < n; ++i) {
        /* Fast path: a run of 7-bit units. */
        if (high_ == 0) {
            unsigned char* out = buf_ + pending_;
            unsigned char* const limit = buf_ + kFlushAbove + 1;
            while (i < n && units[i] < 0x80 && out < limit)
                *out++ = static_cast<unsigned char>(units[i++]);
            pending_ = static_cast<size_t>(out - buf_);
            if (pending_ > kFlushAbove && !flush())
                return false;
            if (i == n)
                break;
        }
        const QOR_UC u = units[i];
        if (high_ != 0) {
            const QOR_UC h = high_;
            high_ = 0;
            if (u >= 0xDC00 && u <= 0xDFFF) {
                encode_point(0x10000UL + ((static_cast<unsigned long>(h) - 0xD800) << 10) +
                             (u - 0xDC00));
                if (pending_ > kFlushAbove && !flush())
                    return false;
                continue;
            }
            encode_point('#');
        }
        if (u < 0x80) {
            buf_[pending_++] = static_cast<unsigned char>(u);
        } else if (u >= 0xD800 && u <= 0xDBFF) {
            high_ = u;
        } else if (u >= 0xDC00 && u <= 0xDFFF) {
            encode_point('#');
        } else {
            encode_point(u);
        }
        if (pending_ > kFlushAbove && !flush())
            return false;
    }
    return true;
}

bool Utf8StreamWriter::put_terminated(const QOR_UC* s, size_t* count)
{
    const QOR_UC* p = s;
    while (!failed_) {
        /* 7-bit units are copied while they last; anything else goes through
         * put() one unit at a time. */
        if (high_ == 0) {
            unsigned char* out = buf_ + pending_;
            unsigned char* const limit = buf_ + kFlushAbove + 1;
            while (out < limit && *p != 0 && *p < 0x80)
                *out++ = static_cast<unsigned char>(*p++);
            pending_ = static_cast<size_t>(out - buf_);
            if (pending_ > kFlushAbove && !flush())
                break;
        }
        if (*p == 0)
            break;
        if (*p >= 0x80 || high_ != 0) {
            if (!put(p, 1))
                break;
            ++p;
        }
    }
    *count = static_cast<size_t>(p - s);
    return !failed_;
}

bool Utf8StreamWriter::put_repeated(QOR_UC unit, size_t n)
{
    QOR_UC block[64];
    for (QOR_UC& b : block)
        b = unit;
    while (n > 0) {
        const size_t k = n < 64 ? n : 64;
        if (!put(block, k))
            return false;
        n -= k;
    }
    return true;
}

bool Utf8StreamWriter::finish()
{
    if (failed_)
        return false;
    if (high_ != 0) {
        high_ = 0;
        encode_point('#');
    }
    return flush();
}
