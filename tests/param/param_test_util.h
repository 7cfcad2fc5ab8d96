// A parameter library of its own for each test: an environment, hardware
// and argument lists of the test's choosing, and its messages captured.
#pragma once

#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "param/param_library.h"

namespace paramtest {

// UTF-16 text as UTF-8 (7-bit is all the tests use).
std::string narrow(const QOR_UC* text);
std::u16string wide(const std::string& text);

// A temporary directory, removed with everything in it.
class TempDir
{
  public:
    TempDir();
    ~TempDir();
    const std::string& path() const { return path_; }
    // Writes a file below the directory; returns its path.
    std::string write(const std::string& name, const std::string& content) const;

  private:
    std::string path_;
};

class ParamRun
{
  public:
    ParamRun();
    ~ParamRun();
    std::map<std::string, std::string> env;
    int64_t memory = 16LL << 30;
    int logical = 8;
    param::CpuTopology topology;
    param::Sources sources; // the rest of the sources; messages are set by make()

    // A library over the settings made so far (one per ParamRun).
    param::Library& make();
    // Current value of a parameter as UTF-8, "<null>" when none.
    std::string value(const char* name);
    // Everything the library has written so far.
    std::string messages();

  private:
    FILE* messages_ = nullptr;
    std::unique_ptr<param::Library> library_;
};

} // namespace paramtest
