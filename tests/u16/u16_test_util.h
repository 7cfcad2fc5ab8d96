#ifndef QOR_TESTS_U16_TEST_UTIL_H
#define QOR_TESTS_U16_TEST_UTIL_H

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "u16/u16.h"

namespace u16test {

/* 7-bit text widened to 16 bits (tests write their expectations in ASCII or
 * with explicit units). */
inline std::u16string W(const std::string& s)
{
    std::u16string out;
    for (unsigned char c : s)
        out += static_cast<char16_t>(c);
    return out;
}

/* Everything the diagnostics write while an instance lives. */
class DiagCapture
{
  public:
    explicit DiagCapture(int level = U16_TRACE_MEDIUM) : old_level_(U16GetTraceLevel())
    {
        active_ = this;
        set_level_quietly(level);
        U16SetTraceLevel(&DiagCapture::sink, U16GetTraceLevel());
        text_.clear();
        calls_ = 0;
    }
    ~DiagCapture()
    {
        set_level_quietly(old_level_);
        U16ResetDiagOutput();
        active_ = nullptr;
    }
    DiagCapture(const DiagCapture&) = delete;
    DiagCapture& operator=(const DiagCapture&) = delete;

    const std::string& text() const { return text_; }
    int calls() const { return calls_; }
    void clear()
    {
        text_.clear();
        calls_ = 0;
    }

  private:
    static void sink(const char* t, size_t n)
    {
        if (active_ == nullptr)
            return;
        active_->text_.append(t, n);
        active_->text_ += '\n';
        ++active_->calls_;
    }
    /* Setting a level reports it; a level change routed to a null sink first
     * keeps that line out of the captured text. */
    static void set_level_quietly(int level) { U16SetTraceLevel(&DiagCapture::discard, level); }
    static void discard(const char*, size_t) {}

    static inline DiagCapture* active_ = nullptr;
    int old_level_;
    std::string text_;
    int calls_ = 0;
};

/* A memory stream to write into; text() flushes and returns the bytes. */
class MemOut
{
  public:
    MemOut() : stream_(open_memstream(&data_, &size_)) {}
    ~MemOut()
    {
        if (stream_ != nullptr)
            std::fclose(stream_);
        std::free(data_);
    }
    MemOut(const MemOut&) = delete;
    MemOut& operator=(const MemOut&) = delete;
    FILE* get() { return stream_; }
    std::string text()
    {
        std::fflush(stream_);
        return std::string(data_, size_);
    }

  private:
    char* data_ = nullptr;
    size_t size_ = 0;
    FILE* stream_;
};

/* A read stream over a copy of the given bytes. */
class MemIn
{
  public:
    explicit MemIn(const std::string& bytes) : data_(bytes)
    {
        if (data_.empty())
            data_.push_back('\0'), empty_ = true;
        stream_ = fmemopen(data_.data(), empty_ ? 0 : data_.size(), "r");
        if (stream_ == nullptr && empty_)
            stream_ = std::fopen("/dev/null", "r");
    }
    ~MemIn()
    {
        U16ForgetStream(stream_);
        if (stream_ != nullptr)
            std::fclose(stream_);
    }
    MemIn(const MemIn&) = delete;
    MemIn& operator=(const MemIn&) = delete;
    FILE* get() { return stream_; }

  private:
    std::string data_;
    bool empty_ = false;
    FILE* stream_ = nullptr;
};

} // namespace u16test

#endif
