// The profile line reader and the arena behind the library's texts.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "param/param_arena.h"
#include "param/param_line_reader.h"
#include "param_test_util.h"
#include "u16/u16.h"

namespace {

using paramtest::narrow;

using Pairs = std::vector<std::pair<std::string, std::string>>;

// Every pair the reader finds in the bytes, with buffers of the given size.
Pairs read_all(const std::string& bytes, const ParamHardware& hardware, size_t size = 4096)
{
    std::string copy = bytes;
    FILE* f = fmemopen(copy.data(), copy.size(), "r");
    Pairs pairs;
    if (copy.empty() || f == nullptr)
        return pairs;
    std::vector<QOR_UC> name(size), value(size);
    while (qorparam_read_line(f, name.data(), size, value.data(), size, hardware))
        pairs.emplace_back(narrow(name.data()), narrow(value.data()));
    U16ForgetStream(f);
    std::fclose(f);
    return pairs;
}

TEST(ParamReader, LinesOfAProfile)
{
    const ParamHardware hw{8LL << 30, 12};
    struct Case
    {
        std::string text;
        Pairs pairs;
    };
    const Case cases[] = {
        {"a=b", {{"a", "b"}}},
        {"a = b c \t\r\n", {{"a", "b c"}}},
        {"a b = c", {{"a", "c"}}},
        {"\t a\t=\t", {{"a", ""}}},
        {"a==b", {{"a", "=b"}}},
        {"#a=b\n # c=d\n", {{"#", "d"}}},
        {"no pair\n=x\n  = y\n\n\r\n", {}},
        {"a=1\r\nb=2\nc=3", {{"a", "1"}, {"b", "2"}, {"c", "3"}}},
        {"PHYS_MEMSIZE = 25%", {{"PHYS_MEMSIZE", "2048"}}},
        {"PHYS_MEMSIZE = 33 %", {{"PHYS_MEMSIZE", "2703"}}},
        {"CPU_CORES = 50%", {{"CPU_CORES", "6"}}},
        {"CPU_CORES = 10%", {{"CPU_CORES", "1"}}},
        {"CPU_CORES = 2147483647%", {{"CPU_CORES", "257698037"}}},
        {"PHYS_MEMSIZE = 2147483647%", {{"PHYS_MEMSIZE", "175921860362"}}},
        {"PHYS_MEMSIZE = 50", {{"PHYS_MEMSIZE", "50"}}},
        {"OTHER = 50%", {{"OTHER", "50%"}}},
        {"phys_memsize = 50%", {{"phys_memsize", "50%"}}},
        {"k=\xc3\xa4", {{"k", "?"}}},
        {std::string("a=1\0junk\nb\0c=2\n\0d=3\ne=4", 23), {{"a", "1"}, {"e", "4"}}},
        {"k=" + std::string(5000, 'v') + "\nnext=1",
         {{"k", std::string(4093, 'v')}, {"next", "1"}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(read_all(c.text, hw), c.pairs) << c.text.substr(0, 40);
    // Short buffers cut names and values.
    EXPECT_EQ(read_all("name=value", hw, 3), (Pairs{{"na", "va"}}));
}

TEST(ParamReader, PercentagesThatDoNotFitStayText)
{
    // 2^62 bytes times 2^31 percent is 2^68 megabytes: no 64-bit number.
    const ParamHardware hw{1LL << 62, 2147483647};
    EXPECT_EQ(read_all("PHYS_MEMSIZE = 2147483647%\nCPU_CORES = 200%", hw),
              (Pairs{{"PHYS_MEMSIZE", "2147483647%"}, {"CPU_CORES", "200%"}}));
}

// Random bytes made of the characters that matter to the reader: it always
// ends, and every pair it gives has a clean name and a trimmed value.
TEST(ParamReader, RandomFilesGiveCleanPairs)
{
    static const char* const kPieces[] = {"=",         " ", "\t",       "\n", "\r",
                                          "#",         "a", "Z",        "%",  "PHYS_MEMSIZE",
                                          "CPU_CORES", "5", "\xc3\xa4", "$(", ")"};
    std::mt19937 rng(77);
    const ParamHardware hw{16LL << 30, 8};
    for (int i = 0; i < 3000; ++i) {
        std::string text;
        const int pieces = static_cast<int>(rng() % 60);
        for (int p = 0; p < pieces; ++p) {
            if (rng() % 30 == 0)
                text.push_back('\0');
            text += kPieces[rng() % (sizeof kPieces / sizeof kPieces[0])];
        }
        if (rng() % 100 == 0)
            text += std::string(5000, 'x');
        size_t lines = 1;
        for (char ch : text)
            lines += ch == '\n';
        const Pairs pairs = read_all(text, hw, 64);
        ASSERT_LE(pairs.size(), lines) << text;
        for (const auto& [name, value] : pairs) {
            ASSERT_FALSE(name.empty()) << text;
            ASSERT_EQ(name.find_first_of(" \t=\r\n"), std::string::npos) << text;
            ASSERT_LT(name.size(), 64u);
            ASSERT_LT(value.size(), 64u);
            ASSERT_EQ(value.find_first_of("\r\n"), std::string::npos) << text;
            if (!value.empty()) {
                ASSERT_NE(value.front(), ' ');
                ASSERT_NE(value.front(), '\t');
                if (value.size() < 63) {
                    ASSERT_NE(value.back(), ' ') << text;
                    ASSERT_NE(value.back(), '\t') << text;
                }
            }
        }
    }
}

TEST(ParamArena, BlocksTheFallbackAndTooLongTexts)
{
    FILE* messages = std::tmpfile();
    long allocated = 0;
    int allowed = 1; // blocks the heap may still give
    param::Arena arena(
        messages, [&allowed](size_t) { return allowed-- > 0; }, &allocated);

    QOR_UC* first = arena.reserve(3000);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(allocated, 8192);
    EXPECT_TRUE(arena.owns(first));
    // 5192 units are left, fewer than twice 3000: the heap gives no more
    // blocks, so the fallback area serves.
    QOR_UC* second = arena.reserve(3000);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(allocated, 8192);
    EXPECT_TRUE(arena.owns(second));
    for (int i = 0; i < 3000; ++i)
        second[i] = u'f';
    // The fallback is used once: no third block, and its texts stay intact.
    EXPECT_NE(arena.reserve(2000), nullptr) << "5192 units left in the fallback";
    EXPECT_EQ(arena.reserve(3000), nullptr);
    EXPECT_EQ(arena.copy(u"x"), nullptr) << "no current block after a failure";
    for (int i = 0; i < 3000; ++i)
        ASSERT_EQ(second[i], u'f');
    EXPECT_EQ(arena.reserve(8193), nullptr);
    EXPECT_FALSE(arena.owns(u"literal"));

    std::fflush(messages);
    std::rewind(messages);
    char text[512] = {};
    const size_t n = std::fread(text, 1, sizeof text - 1, messages);
    const std::string written(text, n);
    EXPECT_EQ(written.rfind("qorparam(11): malloc: ", 0), 0u) << written;
    EXPECT_NE(written.find("qorparam(10): line or value too long\n"), std::string::npos);
    std::fclose(messages);
}

} // namespace
