#include "converter_fixture.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "rscp/rscp_utf.h"
#include "rscpc/state.h"

const char16_t kTestStamp[] = u"2026010203040500";

std::map<std::u16string, std::u16string> ConverterTest::parameters;
std::vector<std::string> ConverterTest::stderr_writer_lines;
std::vector<std::string> ConverterTest::info_writer_lines;
std::vector<std::string> ConverterTest::recorded_errors;

std::string utf8(const std::u16string& s)
{
    std::string out(s.size() * 3 + 1, '\0');
    int32_t n = 0;
    U16nToUtf8(out.data(), static_cast<int32_t>(out.size()), &n, s.data(),
               static_cast<int32_t>(s.size()));
    out.resize(static_cast<size_t>(n));
    return out;
}

namespace {

const QOR_UC* test_parameter(const QOR_UC* name)
{
    const auto it = ConverterTest::parameters.find(name);
    return it == ConverterTest::parameters.end() ? nullptr : it->second.c_str();
}

void test_timestamp(QOR_UC* out)
{
    std::copy(kTestStamp, kTestStamp + 16, out);
}

int no_sleep(uint32_t)
{
    return 0;
}

void keep_stderr_line(const QOR_UC* text, int32_t length)
{
    ConverterTest::stderr_writer_lines.push_back(utf8(std::u16string(text, length)));
}

void keep_info_line(const QOR_UC* text, int32_t length)
{
    ConverterTest::info_writer_lines.push_back(utf8(std::u16string(text, length)));
}

int trace_errors()
{
    return 1;
}

/* The error trace line holds the text between quotes. */
void keep_error_text(unsigned char, const QOR_UC*, int32_t, const QOR_UC* text, int32_t length)
{
    const std::string line = utf8(std::u16string(text, length));
    const size_t open = line.find('"');
    const size_t close = line.rfind("\" (");
    ConverterTest::recorded_errors.push_back(line.substr(open + 1, close - open - 1));
}

constexpr size_t kGuard = 64;
constexpr unsigned char kGuardByte = 0xA5;
std::vector<unsigned char> g_guarded;

uint32_t guarded_allocation(void** block, unsigned char* zero_filled, unsigned char* reused,
                            QOR_UC* name, uint32_t size, int32_t)
{
    g_guarded.assign(size + 2 * kGuard, kGuardByte);
    std::fill(g_guarded.begin() + kGuard, g_guarded.end() - kGuard, 0x5A);
    *block = g_guarded.data() + kGuard;
    *zero_filled = 0;
    *reused = 0;
    std::copy_n(u"guarded", 8, name);
    return 0;
}

uint32_t guarded_release(void*, uint32_t, unsigned char*)
{
    return 0;
}

const char* const kEnvironment[] = {"RSCP_ON_ERROR", "RSCPTRACE", "I18N_RSCPSWITCHACCESS_legRFC",
                                    "SNC_LEGACY_QOR_CP"};

} // namespace

void ConverterTest::SetUp()
{
    for (const char* name : kEnvironment)
        unsetenv(name);
    parameters.clear();
    stderr_writer_lines.clear();
    info_writer_lines.clear();
    rscp_converter_reset();
    rscph = rscph_defaults();
    rscph.rscph_GetParameter = test_parameter;
    rscph.rscph_Timestamp = test_timestamp;
    rscph.rscph_Sleep = no_sleep;
    rscph.rscph_ErrTraceWanted = trace_errors;
    rscph.rscph_ErrTraceWrite = keep_error_text;
    recorded_errors.clear();
    rscp_writers[RSCP_WRITER_STDERR] = keep_stderr_line;
    rscp_writers[RSCP_WRITER_INFO] = keep_info_line;
    SetConvErrorHook(nullptr);
    old_dir_ = std::filesystem::current_path().string();
    std::string pattern = (std::filesystem::temp_directory_path() / "rscpc.XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    std::filesystem::current_path(dir_);
    errno = 0;
}

void ConverterTest::TearDown()
{
    rscp_converter_reset();
    rscph = rscph_defaults();
    rscp_writers[RSCP_WRITER_STDERR] = rscp_write_stderr;
    rscp_writers[RSCP_WRITER_INFO] = rscp_write_null;
    SetConvErrorHook(nullptr);
    for (const char* name : kEnvironment)
        unsetenv(name);
    std::filesystem::current_path(old_dir_);
    std::filesystem::remove_all(dir_);
}

void ConverterTest::set_parameter(const std::u16string& name, const std::u16string& value)
{
    parameters[name] = value;
}

void ConverterTest::write_file(const char* name, const std::string& content)
{
    std::ofstream(name, std::ios::binary) << content;
}

ccc::Block ConverterTest::cache() const
{
    return ccc::current();
}

std::vector<std::string> ConverterTest::take_stderr_writer_lines()
{
    std::vector<std::string> lines;
    lines.swap(stderr_writer_lines);
    return lines;
}

std::vector<std::string> ConverterTest::take_info_writer_lines()
{
    std::vector<std::string> lines;
    lines.swap(info_writer_lines);
    return lines;
}

std::vector<std::string> ConverterTest::take_recorded_errors()
{
    std::vector<std::string> texts;
    texts.swap(recorded_errors);
    return texts;
}

void ConverterTest::use_guarded_block()
{
    rscph.rscph_AllocateCCCC = guarded_allocation;
    rscph.rscph_ReleaseCCCC = guarded_release;
}

bool ConverterTest::guards_intact()
{
    for (size_t i = 0; i < kGuard; ++i)
        if (g_guarded[i] != kGuardByte || g_guarded[g_guarded.size() - 1 - i] != kGuardByte)
            return false;
    return true;
}
