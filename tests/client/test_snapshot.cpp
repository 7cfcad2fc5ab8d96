// The local copy of a fetched snapshot.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "client/snapshot_file.h"
#include "client_harness.h"

namespace {

std::vector<std::size_t> pieces;
std::size_t short_after = 0; // 0: never short

std::size_t recording_writer(const void*, std::size_t bytes, FILE*)
{
    pieces.push_back(bytes);
    if (short_after != 0 && pieces.size() >= short_after)
        return bytes / 2;
    return bytes;
}

std::string read_file(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

bool exists(const std::string& path)
{
    struct stat st
    {
    };
    return stat(path.c_str(), &st) == 0;
}

std::u16string wide(const std::string& s)
{
    return std::u16string(s.begin(), s.end());
}

TEST(ClientSnapshotFile, WritesInPiecesOfAtMost32K)
{
    const struct
    {
        std::size_t size;
        std::vector<std::size_t> pieces;
    } cases[] = {
        {1, {1}},
        {32768, {32768}},
        {32769, {32768, 1}},
        {70000, {32768, 32768, 4464}},
    };
    std::vector<unsigned char> data(70000, 'x');
    for (const auto& c : cases) {
        pieces.clear();
        short_after = 0;
        EXPECT_TRUE(write_snapshot_data(nullptr, data.data(), c.size, recording_writer));
        EXPECT_EQ(pieces, c.pieces);
    }
    pieces.clear();
    short_after = 2;
    EXPECT_FALSE(write_snapshot_data(nullptr, data.data(), 70000, recording_writer));
    EXPECT_EQ(pieces.size(), 2u);
}

TEST(ClientSnapshotFile, FailuresAreReportedAndNoDataLeavesFilesAlone)
{
    char dir_pattern[] = "/tmp/qor_snap_XXXXXX";
    const std::string dir = mkdtemp(dir_pattern);
    const std::string path = dir + "/local.zip";
    const unsigned char data[] = {'P', 'K', 3, 4};

    // No data: an existing file stays as it is, a missing one is not made.
    std::ofstream(path) << "keep";
    testing::internal::CaptureStdout();
    EXPECT_EQ(write_snapshot_file(wide(path).c_str(), nullptr, 0), 0);
    EXPECT_EQ(write_snapshot_file(wide(path).c_str(), data, 0), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(read_file(path), "keep");
    const std::string missing = dir + "/missing.zip";
    testing::internal::CaptureStdout();
    EXPECT_EQ(write_snapshot_file(wide(missing).c_str(), nullptr, 0), 0);
    testing::internal::GetCapturedStdout();
    EXPECT_FALSE(exists(missing));

    // Written in full.
    testing::internal::CaptureStdout();
    EXPECT_EQ(write_snapshot_file(wide(path).c_str(), data, 4), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(read_file(path), std::string("PK\x03\x04", 4));

    // A file that cannot be opened.
    const std::string bad = dir + "/no/such/dir/x.zip";
    testing::internal::CaptureStdout();
    EXPECT_EQ(write_snapshot_file(wide(bad).c_str(), data, 4), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "FAIL: cannot open local file " + bad + "\n");

    // A short write.
    pieces.clear();
    short_after = 1;
    testing::internal::CaptureStdout();
    EXPECT_EQ(write_snapshot_file(wide(path).c_str(), data, 4, recording_writer), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "FAIL: cannot write local file " + path + "\n");
    short_after = 0;
    std::system(("rm -rf '" + dir + "'").c_str());
}

TEST(ClientSnapshotFile, AFullDeviceFailsTheWriteOrTheClose)
{
    if (!exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    // A small snapshot stays in the stream's buffer until the close, a large
    // one meets the full device while it is written.
    const struct
    {
        std::size_t size;
        const char* printed;
    } cases[] = {
        {4, "FAIL: cannot close local file /dev/full\n"},
        {70000, "FAIL: cannot write local file /dev/full\n"},
    };
    const std::vector<unsigned char> data(70000, 'z');
    for (const auto& c : cases) {
        testing::internal::CaptureStdout();
        EXPECT_EQ(write_snapshot_file(u"/dev/full", data.data(), static_cast<int>(c.size)), 1);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.printed) << c.size;
    }
}

TEST(ClientSnapshotFile, ReadSnapshotStoresTheBytesFromTheService)
{
    char dir_pattern[] = "/tmp/qor_snap_XXXXXX";
    const std::string dir = mkdtemp(dir_pattern);
    const std::string path = dir + "/copy.zip";
    clienttest::Instance instance = clienttest::start_instance();
    // "hello snapshot" in base64.
    instance.service->set_default(qortest::Reply::ok("<QORControl:ReadSnapshotResponse><snapshot>"
                                                     "aGVsbG8gc25hcHNob3Q=</snapshot>"
                                                     "</QORControl:ReadSnapshotResponse>"));
    clienttest::RunResult r = clienttest::run(instance.call({"ReadSnapshot", "s.zip", path}));
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.out, clienttest::heading("ReadSnapshot") + "OK\n");
    EXPECT_EQ(read_file(path), "hello snapshot");

    // A reply without data creates no file.
    const std::string empty_path = dir + "/empty.zip";
    instance.service->set_default(qortest::Reply::ok("<QORControl:ReadSnapshotResponse/>"));
    r = clienttest::run(instance.call({"ReadSnapshot", "s.zip", empty_path}));
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_FALSE(exists(empty_path));

    // A failed call writes nothing.
    instance.service->set_default(qortest::Reply::fault11("SOAP-ENV:Server", "gone"));
    r = clienttest::run(instance.call({"ReadSnapshot", "s.zip", empty_path}));
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_FALSE(exists(empty_path));

    // A local file that cannot be opened fails the run.
    instance.service->set_default(
        qortest::Reply::ok("<QORControl:ReadSnapshotResponse><snapshot>"
                           "aGk=</snapshot></QORControl:ReadSnapshotResponse>"));
    const std::string bad = dir + "/none/x.zip";
    r = clienttest::run(instance.call({"ReadSnapshot", "s.zip", bad}));
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.out, clienttest::heading("ReadSnapshot") + "OK\nFAIL: cannot open local file " +
                         bad + "\n");
    std::system(("rm -rf '" + dir + "'").c_str());
}

} // namespace
