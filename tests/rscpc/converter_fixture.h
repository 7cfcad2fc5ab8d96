#ifndef QOR_TESTS_RSCPC_CONVERTER_FIXTURE_H
#define QOR_TESTS_RSCPC_CONVERTER_FIXTURE_H

/* A converter in its fresh state for every test: default hooks with a fixed
 * clock and a parameter table, no converter environment variables, and a
 * working directory of its own (for TCPDB.DAT). */

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "rscpc/cache.h"
#include "rscpc/hooks.h"
#include "u16/qor_uc.h"

/* 16-bit text as UTF-8, for messages and comparisons. */
std::string utf8(const std::u16string& s);

class ConverterTest : public ::testing::Test
{
  protected:
    void SetUp() override;
    void TearDown() override;

  public:
    /* A converter parameter for the next start-up. */
    void set_parameter(const std::u16string& name, const std::u16string& value);
    /* A file in the working directory. */
    void write_file(const char* name, const std::string& content);
    /* The cache's block comes with guard bytes on both sides, not
     * zero-filled; guards_intact tells whether anything wrote to them. */
    void use_guarded_block();
    static bool guards_intact();
    /* The cache of the process. */
    ccc::Block cache() const;
    /* Lines handed to writer entry 0 and 1 since the last call. */
    std::vector<std::string> take_stderr_writer_lines();
    std::vector<std::string> take_info_writer_lines();

    static std::map<std::u16string, std::u16string> parameters;
    static std::vector<std::string> stderr_writer_lines;
    static std::vector<std::string> info_writer_lines;
    /* The texts of the errors recorded since the last call. */
    std::vector<std::string> take_recorded_errors();
    static std::vector<std::string> recorded_errors;

  private:
    std::string old_dir_;
    std::string dir_;
};

/* The fixed time stamp of the test clock. */
extern const char16_t kTestStamp[];

#endif
