#ifndef QOR_TESTS_BASE_TRACE_CAPTURE_H
#define QOR_TESTS_BASE_TRACE_CAPTURE_H

// Sends the developer trace to a temporary file for the life of the object:
// lines of the plain handle and, with components set, also the calling
// thread's lines of component handles.

#include <cstdio>
#include <string>

#include "base/dptrc.h"

class TraceCapture
{
  public:
    explicit TraceCapture(int level, bool components = false)
        : file_(tmpfile()), old_level_(DpTrcLevel), old_hdl_(DpTrcHdl), components_(components)
    {
        DpTrcHdl = file_;
        DpTrcLevel = level;
        if (components_)
            DpTrcSetThrFile(file_);
    }
    ~TraceCapture()
    {
        DpTrcLevel = old_level_;
        DpTrcHdl = old_hdl_;
        if (components_)
            DpTrcSetThrFile(nullptr);
        if (file_ != nullptr)
            fclose(file_);
    }
    TraceCapture(const TraceCapture&) = delete;
    TraceCapture& operator=(const TraceCapture&) = delete;

    FILE* file() const { return file_; }

    // Everything written so far, and forgets it.
    std::string take()
    {
        std::string out;
        if (file_ == nullptr)
            return out;
        fflush(file_);
        rewind(file_);
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, file_)) > 0)
            out.append(buf, n);
        fclose(file_);
        file_ = tmpfile();
        DpTrcHdl = file_;
        if (components_)
            DpTrcSetThrFile(file_);
        return out;
    }

  private:
    FILE* file_;
    int old_level_;
    CTRC old_hdl_;
    bool components_;
};

#endif
