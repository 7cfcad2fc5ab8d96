// File version stamps: the program's own stamps and stamp lines in files.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "base/version_stamps.h"

namespace {

// Built at run time so that the test program itself holds no stamp lines.
std::string marker()
{
    std::string m = "#[%]QOX";
    m[6] = 'R';
    return m;
}

std::string stamp(const std::string& key, const std::string& value)
{
    return marker() + key + ": " + value + std::string(1, '\0');
}

struct Result
{
    int rc;
    std::string v[4];
    bool all_null = true;
};

Result read_stamps(const char* path)
{
    char* out[4] = {reinterpret_cast<char*>(1), reinterpret_cast<char*>(1),
                    reinterpret_cast<char*>(1), reinterpret_cast<char*>(1)};
    Result r;
    r.rc = GetFileVersionStamps(path, &out[0], &out[1], &out[2], &out[3]);
    for (int i = 0; i < 4; ++i) {
        if (out[i] != nullptr) {
            r.all_null = false;
            r.v[i] = out[i];
            free(out[i]);
        }
    }
    return r;
}

class StampFile : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/qor_stamps_XXXXXX";
        int fd = mkstemp(tmpl);
        ASSERT_GE(fd, 0);
        close(fd);
        path_ = tmpl;
    }
    void TearDown() override { unlink(path_.c_str()); }
    void write(const std::string& bytes)
    {
        FILE* f = fopen(path_.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        ASSERT_EQ(fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
        fclose(f);
    }
    std::string path_;
};

std::string four(const std::string& fv = "1, 2, 3, 4")
{
    return stamp("FileVersion", fv) + "junk" + stamp("ProductVersion", "9.8.7") +
           stamp("Platform", "testplatform") + "\x01\x02" + stamp("SpecialBuild", "special");
}

TEST_F(StampFile, FindsTheFourStampLines)
{
    struct Case
    {
        const char* name;
        std::string bytes;
        int rc;
        std::string file_version;
    } cases[] = {
        {"plain", "head" + four() + "tail", 1, "1, 2, 3, 4"},
        {"missing key",
         stamp("FileVersion", "1") + stamp("Platform", "p") + stamp("SpecialBuild", "s"), 0, ""},
        {"empty value does not count",
         stamp("FileVersion", "") + stamp("ProductVersion", "9") + stamp("Platform", "p") +
             stamp("SpecialBuild", "s"),
         0, ""},
        {"duplicate: the later one wins", stamp("FileVersion", "old") + four("new"), 1, "new"},
        {"unknown key is skipped", stamp("Other", "x") + four(), 1, "1, 2, 3, 4"},
        {"false start of a marker", "#[%#[%]Q" + four(), 1, "1, 2, 3, 4"},
        {"empty file", "", 0, ""},
        {"a marker inside another stamp's text", marker() + "Comment " + four(), 1, "1, 2, 3, 4"},
        {"a later marker inside a cut text", marker() + std::string(100, 'c') + four(), 1,
         "1, 2, 3, 4"},
        {"a stamp line inside a value: both count",
         marker() + "FileVersion: outer " + stamp("ProductVersion", "9.8.7") +
             stamp("Platform", "testplatform") + stamp("SpecialBuild", "special"),
         1, "outer " + marker() + "ProductVersion: 9.8.7"},
        {"texts cut by the end of the file end the search in order",
         stamp("ProductVersion", "9.8.7") + stamp("Platform", "testplatform") +
             stamp("SpecialBuild", "special") + marker() + "FileVersion: a" + marker() +
             "FileVersion: b",
         1, "a" + marker() + "FileVersion: b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        write(c.bytes);
        Result r = read_stamps(path_.c_str());
        EXPECT_EQ(r.rc, c.rc);
        if (c.rc == 1) {
            EXPECT_EQ(r.v[0], c.file_version);
            EXPECT_EQ(r.v[1], "9.8.7");
            EXPECT_EQ(r.v[2], "testplatform");
            EXPECT_EQ(r.v[3], "special");
        } else {
            EXPECT_TRUE(r.all_null);
        }
    }
}

TEST_F(StampFile, MarkersAndValuesAcrossBlockBoundaries)
{
    // Put the boundary of the first 8192-byte block at every position inside
    // the first stamp line: in the marker, in the key and in the value.
    const std::string first = stamp("FileVersion", "split value");
    for (size_t cut = 0; cut <= first.size(); ++cut) {
        std::string bytes(8192 - cut, 'x');
        bytes += first + stamp("ProductVersion", "9.8.7") + stamp("Platform", "testplatform") +
                 stamp("SpecialBuild", "special");
        write(bytes);
        Result r = read_stamps(path_.c_str());
        ASSERT_EQ(r.rc, 1) << "cut " << cut;
        EXPECT_EQ(r.v[0], "split value") << "cut " << cut;
    }
}

TEST_F(StampFile, OverlongTextIsCutAndTerminated)
{
    // 126 bytes after the marker at most: key (13) and 113 bytes of value.
    std::string longvalue(200, 'v');
    write(stamp("FileVersion", longvalue) +
          four().substr(stamp("FileVersion", "1, 2, 3, 4").size()));
    Result r = read_stamps(path_.c_str());
    ASSERT_EQ(r.rc, 1);
    EXPECT_EQ(r.v[0], std::string(126 - 13, 'v'));
}

TEST(OwnStamps, NullPathGivesTheCompiledInValues)
{
    Result r = read_stamps(nullptr);
    ASSERT_EQ(r.rc, 1);
    EXPECT_EQ(r.v[1], QOR_TEST_PROJECT_VERSION);
    EXPECT_EQ(r.v[2], QOR_TEST_PLATFORM);
    EXPECT_FALSE(r.v[0].empty());
    EXPECT_NE(r.v[3].find(" ("), std::string::npos);
}

TEST(OwnStamps, ProgramFileHoldsTheSameStamps)
{
    Result own = read_stamps(nullptr);
    Result file = read_stamps("/proc/self/exe");
    ASSERT_EQ(file.rc, 1);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(file.v[i], own.v[i]) << i;
}

TEST(OwnStamps, MissingFileAndResourceFail)
{
    Result r = read_stamps("/nonexistent/qor/file");
    EXPECT_EQ(r.rc, 0);
    EXPECT_TRUE(r.all_null);
    char *a = nullptr, *b = nullptr, *c = nullptr, *d = nullptr;
    EXPECT_EQ(GetFileVersionResource("/proc/self/exe", &a, &b, &c, &d), 0);
    EXPECT_EQ(a, nullptr);
    EXPECT_EQ(d, nullptr);
}

} // namespace
