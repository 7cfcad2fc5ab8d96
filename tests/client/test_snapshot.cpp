// The local copy of a fetched snapshot: what the reply must hold, and that
// an old copy survives every failure.
#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <limits.h>
#include <linux/fs.h>
#include <poll.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "client/descriptor.h"
#include "client/snapshot_encoding.h"
#include "client/snapshot_file.h"
#include "client/snapshot_reply.h"
#include "client_harness.h"
#include "transport/plugin.h"
#include "transport/plugin_data.h"

namespace {

using qortest::DimeRecord;
using qortest::Reply;

std::vector<std::size_t> pieces;
std::string pieces_written;  // their bytes, one after another
std::size_t short_after = 0; // 0: never short

std::size_t recording_writer(const void* data, std::size_t bytes, FILE*)
{
    pieces.push_back(bytes);
    pieces_written.append(static_cast<const char*>(data), bytes);
    if (short_after != 0 && pieces.size() >= short_after)
        return bytes / 2;
    return bytes;
}

// The recording writer that writes what it is given.
std::size_t recording_file_writer(const void* data, std::size_t bytes, FILE* file)
{
    pieces.push_back(bytes);
    return std::fwrite(data, 1, bytes, file);
}

using clienttest::read_file;

void write_file(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

bool exists(const std::string& path)
{
    struct stat st
    {
    };
    return lstat(path.c_str(), &st) == 0;
}

// The names in a folder, "." and ".." left out.
std::vector<std::string> folder_names(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        closedir(dir);
    }
    return names;
}

std::u16string wide(const std::string& s)
{
    return std::u16string(s.begin(), s.end());
}

// A fresh folder under /tmp, removed with everything in it.
class Folder
{
  public:
    Folder()
    {
        char pattern[] = "/tmp/qor_snap_XXXXXX";
        path_ = mkdtemp(pattern);
    }
    ~Folder() { std::system(("rm -rf '" + path_ + "'").c_str()); }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

TEST(ClientSnapshotBase64, ValidTextAndEveryKindOfInvalidText)
{
    const struct
    {
        std::string text;
        bool valid;
        std::string bytes;
    } cases[] = {
        {"", true, ""},
        {"aGk=", true, "hi"},
        {" aG\r\nVs\tbG8= \n", true, "hello"},
        {"+/+/", true, "\xfb\xff\xbf"},
        {"a===", false, ""},
        {"aG=k", false, ""},
        {"aGk=\n=", false, ""},
        {"aGk", false, ""},
        {"aGVsbG8=\xc3\xa9", false, ""},
    };
    for (const auto& c : cases) {
        Base64Decoder decoder;
        std::string bytes;
        for (const char ch : c.text) {
            unsigned char out[3];
            const int n = decoder.put(static_cast<unsigned char>(ch), out);
            bytes.append(reinterpret_cast<const char*>(out), static_cast<std::size_t>(n));
        }
        EXPECT_EQ(decoder.complete(), c.valid) << c.text;
        if (c.valid) {
            EXPECT_EQ(bytes, c.bytes) << c.text;
        }
    }
}

// A Content-Transfer-Encoding value in each form that RFC 2045 allows, and
// values that are no single token.
TEST(ClientSnapshotEncoding, EveryWayOfWritingAValue)
{
    const struct
    {
        const char* value;
        PartEncoding encoding;
    } cases[] = {
        {" base64", PartEncoding::kBase64},
        {"BASE64", PartEncoding::kBase64},
        {"\tbase64 \t", PartEncoding::kBase64},
        {"(zip)base64(text)", PartEncoding::kBase64},
        {" (a (nested) comment) base64 (with \\) and \\( quoted)", PartEncoding::kBase64},
        {" 7bit", PartEncoding::kBytes},
        {"8BIT (raw)", PartEncoding::kBytes},
        {"Binary", PartEncoding::kBytes},
        {"", PartEncoding::kOther},
        {" (only a comment)", PartEncoding::kOther},
        {" \"base64\"", PartEncoding::kOther},
        {" base64 binary", PartEncoding::kOther},
        {" base64;", PartEncoding::kOther},
        {" base64 (unended", PartEncoding::kOther},
        {" base64 (quoted end\\)", PartEncoding::kOther},
        {" base64 (\\", PartEncoding::kOther},
        {" base64)", PartEncoding::kOther},
        {" \001base64", PartEncoding::kOther},
        {" base64\xc2\xa0", PartEncoding::kOther},
        {" quoted-printable", PartEncoding::kOther},
        {" x-uuencode", PartEncoding::kOther},
        {" base64x", PartEncoding::kOther},
    };
    for (const auto& c : cases)
        EXPECT_EQ(part_encoding(c.value), c.encoding) << c.value;
}

TEST(ClientSnapshotFile, WritesInPiecesOfAtMost32K)
{
    const struct
    {
        std::size_t size;
        std::vector<std::size_t> pieces;
    } cases[] = {
        {0, {}},
        {1, {1}},
        {32767, {32767}},
        {32768, {32768}},
        {32769, {32768, 1}},
        {70000, {32768, 32768, 4464}},
    };
    std::string data(70000, '\0');
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(i * 7 + i / 256);
    for (const auto& c : cases) {
        pieces.clear();
        pieces_written.clear();
        short_after = 0;
        EXPECT_TRUE(write_snapshot_data(nullptr,
                                        reinterpret_cast<const unsigned char*>(data.data()), c.size,
                                        recording_writer));
        EXPECT_EQ(pieces, c.pieces);
        EXPECT_TRUE(pieces_written == data.substr(0, c.size)) << c.size;
    }
    pieces.clear();
    short_after = 2;
    EXPECT_FALSE(write_snapshot_data(nullptr, reinterpret_cast<const unsigned char*>(data.data()),
                                     70000, recording_writer));
    EXPECT_EQ(pieces.size(), 2u);
    short_after = 0;
}

// An open of the copy on a file system without unnamed files.
int open_without_unnamed_files(int folder, const char* name, int flags, mode_t mode)
{
    if ((flags & O_TMPFILE) == O_TMPFILE) {
        errno = EOPNOTSUPP;
        return -1;
    }
    return openat(folder, name, flags, mode);
}

// An attribute (FS_APPEND_FL, FS_IMMUTABLE_FL) of a file or folder, set as
// chattr sets it for as long as the object lives, so that the folder can be
// removed afterwards; set() is false when the file system refuses it.
class Attribute
{
  public:
    Attribute(const std::string& path, int flag) : flag_(flag)
    {
        if (flag_ != 0)
            file_.reset(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
        set_ = file_.valid() && change(flag_, 0);
    }
    ~Attribute()
    {
        if (set_)
            change(0, flag_);
    }
    Attribute(const Attribute&) = delete;
    Attribute& operator=(const Attribute&) = delete;
    bool set() const { return set_; }

  private:
    bool change(int add, int remove)
    {
        int flags = 0;
        if (ioctl(file_.get(), FS_IOC_GETFLAGS, &flags) != 0)
            return false;
        flags = (flags | add) & ~remove;
        return ioctl(file_.get(), FS_IOC_SETFLAGS, &flags) == 0;
    }

    Descriptor file_;
    int flag_;
    bool set_ = false;
};

// One write of a snapshot under a name below a fresh folder, with the bytes
// under the name before and after.
struct CopyCase
{
    const char* label;
    const char* before; // null: no file
    std::string data;
    std::size_t short_after; // the piece that is written short, 0: none
    const char* name;        // below the folder
    int result;
    std::string printed; // "%s" is the local name
    const char* after;   // null: no file
    FileOpener open = nullptr;
    int folder_flag = 0; // FS_APPEND_FL or FS_IMMUTABLE_FL, set before the write
    int file_flag = 0;
};

// Writes the case's snapshot under the umask 022: its result and output, a
// refusal before anything is written, and the name alone left in the
// folder, with a new file's permissions from the umask.
void check_copy(const CopyCase& c)
{
    Folder folder;
    const std::string path = folder / c.name;
    if (c.before != nullptr)
        write_file(path, c.before);
    const Attribute file_flag(path, c.file_flag);
    const Attribute folder_flag(folder.path(), c.folder_flag);
    ASSERT_EQ(file_flag.set() || folder_flag.set(), c.file_flag != 0 || c.folder_flag != 0)
        << c.label;
    pieces.clear();
    short_after = c.short_after;
    const mode_t saved_mask = umask(022);
    testing::internal::CaptureStdout();
    const int result = write_snapshot_file(
        wide(path).c_str(), reinterpret_cast<const unsigned char*>(c.data.data()), c.data.size(),
        c.short_after != 0 ? recording_writer : recording_file_writer, c.open);
    const std::string printed = testing::internal::GetCapturedStdout();
    umask(saved_mask);
    short_after = 0;
    EXPECT_EQ(result, c.result) << c.label;
    std::string expected = c.printed;
    if (const std::size_t at = expected.find("%s"); at != std::string::npos)
        expected.replace(at, 2, path);
    EXPECT_EQ(printed, expected) << c.label;
    if (c.result != 0 && c.short_after == 0) {
        EXPECT_TRUE(pieces.empty()) << c.label;
    }
    EXPECT_EQ(exists(path), c.after != nullptr) << c.label;
    if (c.after != nullptr) {
        EXPECT_EQ(read_file(path), c.after) << c.label;
    }
    const std::vector<std::string> expected_names =
        c.after != nullptr ? std::vector<std::string>{c.name} : std::vector<std::string>{};
    EXPECT_EQ(folder_names(folder.path()), expected_names) << c.label;
    struct stat st
    {
    };
    if (c.after != nullptr && c.before == nullptr && stat(path.c_str(), &st) == 0) {
        EXPECT_EQ(st.st_mode & 0777, 0644u) << c.label;
    }
}

// Each way of writing the local copy, with the target's bytes before and
// after, on file systems with and without unnamed files: the old copy is
// replaced only by a complete new one, and no temporary file stays behind.
TEST(ClientSnapshotFile, TheOldCopyIsReplacedOnlyWhenTheNewOneIsComplete)
{
    const FileOpener no_unnamed = open_without_unnamed_files;
    const std::string data = "PK\x03\x04 snapshot";
    const CopyCase cases[] = {
        {"new file", nullptr, data, 0, "copy.zip", 0, "", "PK\x03\x04 snapshot"},
        {"over an old copy", "old", data, 0, "copy.zip", 0, "", "PK\x03\x04 snapshot"},
        {"empty snapshot", "old", "", 0, "copy.zip", 0, "", ""},
        {"short write", "old", data, 1, "copy.zip", 1, "FAIL: cannot write local file %s\n", "old"},
        {"short write, no old copy", nullptr, data, 1, "copy.zip", 1,
         "FAIL: cannot write local file %s\n", nullptr},
        {"missing folder", nullptr, data, 0, "none/copy.zip", 1,
         "FAIL: cannot open local file %s\n", nullptr},
        {"new file, no unnamed files", nullptr, data, 0, "copy.zip", 0, "", "PK\x03\x04 snapshot",
         no_unnamed},
        {"over an old copy, no unnamed files", "old", data, 0, "copy.zip", 0, "",
         "PK\x03\x04 snapshot", no_unnamed},
        {"short write, no unnamed files", "old", data, 1, "copy.zip", 1,
         "FAIL: cannot write local file %s\n", "old", no_unnamed},
    };
    for (const auto& c : cases)
        check_copy(c);
}

// An old copy keeps its permissions; a symbolic link keeps pointing to the
// file it names, which gets the new bytes.
TEST(ClientSnapshotFile, PermissionsAndLinksOfTheOldCopyStay)
{
    Folder folder;
    const std::string path = folder / "copy.zip";
    write_file(path, "old");
    chmod(path.c_str(), 0640);
    const std::string link = folder / "link.zip";
    ASSERT_EQ(symlink("copy.zip", link.c_str()), 0);
    const unsigned char data[] = {'n', 'e', 'w'};
    testing::internal::CaptureStdout();
    EXPECT_EQ(write_snapshot_file(wide(link).c_str(), data, sizeof data), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    struct stat st
    {
    };
    ASSERT_EQ(lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(read_file(path), "new");
    EXPECT_EQ(folder_names(folder.path()).size(), 2u);
}

// A replaced file's copy never carries a set-ID or sticky bit, nor more
// permissions than the old file and the umask allow.
TEST(ClientSnapshotFile, TheCopyOfASetIdFileHasNoSetIdBits)
{
    // old mode, umask, new mode
    const mode_t cases[][3] = {{06755, 022, 0755}, {04777, 027, 0750}, {01606, 0, 0606}};
    for (const auto& c : cases) {
        Folder folder;
        const std::string path = folder / "copy.zip";
        write_file(path, "old");
        ASSERT_EQ(chmod(path.c_str(), c[0]), 0);
        const mode_t saved_mask = umask(c[1]);
        EXPECT_EQ(write_snapshot_file(wide(path).c_str(), nullptr, 0), 0);
        umask(saved_mask);
        struct stat st
        {
        };
        ASSERT_EQ(stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, c[2]) << std::oct << c[0];
    }
}

// The copy's group bits reach only the old file's own group: they stay when
// the copy can have that group (the caller's own file, in a group the caller
// is in) and are dropped otherwise, so that no other group gets the data.
TEST(ClientSnapshotFileDeathTest, TheCopyGivesNoOtherGroupTheData)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "only root can give files and callers other groups";
    constexpr uid_t kRoot = 0, kNobody = 65534;
    constexpr gid_t kOld = 5000, kCallers = 5001, kElse = 5002;
    const struct
    {
        uid_t caller; // nobody is in the groups kOld and kCallers, kCallers first
        uid_t owner;  // of the old file
        gid_t group;
        gid_t copy_group;
        mode_t copy_mode; // of 0660 under the umask 022
    } cases[] = {
        {kNobody, kNobody, kOld, kOld, 0640},   {kNobody, kNobody, kElse, kCallers, 0600},
        {kNobody, kRoot, kOld, kCallers, 0600}, {kRoot, kRoot, kElse, kElse, 0640},
        {kRoot, kNobody, kOld, 0, 0600},
    };
    for (const auto& c : cases) {
        Folder folder;
        ASSERT_EQ(chmod(folder.path().c_str(), 0777), 0);
        const std::string path = folder / "copy.zip";
        write_file(path, "old");
        ASSERT_EQ(chown(path.c_str(), c.owner, c.group), 0);
        ASSERT_EQ(chmod(path.c_str(), 0660), 0);
        const mode_t saved_mask = umask(022);
        const auto write = [&] {
            const gid_t groups[] = {kCallers, kOld};
            if (c.caller != kRoot &&
                (setgroups(2, groups) != 0 || setgid(kCallers) != 0 || setuid(c.caller) != 0))
                std::_Exit(99);
            std::_Exit(write_snapshot_file(wide(path).c_str(), nullptr, 0));
        };
        EXPECT_EXIT(write(), testing::ExitedWithCode(0), "");
        umask(saved_mask);
        struct stat st
        {
        };
        ASSERT_EQ(stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_gid, c.copy_group) << c.caller << " " << c.owner << " " << c.group;
        EXPECT_EQ(st.st_mode & 07777, c.copy_mode) << c.caller << " " << c.owner << " " << c.group;
    }
}

int g_signal = 0;

std::size_t signalling_writer(const void* data, std::size_t bytes, FILE* file)
{
    raise(g_signal);
    return std::fwrite(data, 1, bytes, file);
}

// SIGINT, SIGTERM, SIGHUP or SIGQUIT while the new copy is written ends
// the program as that signal does, and the temporary file goes with it; a
// signal that is ignored (as under nohup) stays ignored.
TEST(ClientSnapshotFileDeathTest, ASignalDuringTheWriteLeavesNoTemporaryFile)
{
    const struct
    {
        int signal;
        bool ignored;
    } cases[] = {
        {SIGINT, false}, {SIGTERM, false}, {SIGHUP, false}, {SIGQUIT, false},
        {SIGHUP, true},  {SIGXFSZ, false}, // a file-size limit (ulimit -f) reached by the write
    };
    const unsigned char data[] = {'n', 'e', 'w'};
    for (const auto& c : cases) {
        Folder folder;
        const std::string path = folder / "copy.zip";
        write_file(path, "old");
        g_signal = c.signal;
        const auto write = [&] {
            const rlimit no_core{0, 0};
            setrlimit(RLIMIT_CORE, &no_core);
            if (c.ignored)
                std::signal(c.signal, SIG_IGN);
            std::_Exit(
                write_snapshot_file(wide(path).c_str(), data, sizeof data, signalling_writer));
        };
        if (c.ignored) {
            EXPECT_EXIT(write(), testing::ExitedWithCode(0), "");
        } else {
            EXPECT_EXIT(write(), testing::KilledBySignal(c.signal), "");
        }
        EXPECT_EQ(folder_names(folder.path()), std::vector<std::string>{"copy.zip"}) << c.signal;
        EXPECT_EQ(read_file(path), c.ignored ? "new" : "old") << c.signal;
    }
}

// A file the caller may not write is not replaced, even in a folder it may
// write (as the user nobody when the tests run as root).
TEST(ClientSnapshotFileDeathTest, AFileTheCallerMayNotWriteStays)
{
    Folder folder;
    const std::string path = folder / "copy.zip";
    write_file(path, "old");
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    ASSERT_EQ(chmod(folder.path().c_str(), 0777), 0);
    const unsigned char data[] = {'n', 'e', 'w'};
    EXPECT_EXIT(
        {
            if (geteuid() == 0 && setuid(65534) != 0)
                std::_Exit(99);
            std::_Exit(write_snapshot_file(wide(path).c_str(), data, sizeof data));
        },
        testing::ExitedWithCode(1), "");
    EXPECT_EQ(read_file(path), "old");
    EXPECT_EQ(folder_names(folder.path()), std::vector<std::string>{"copy.zip"});
}

// A folder or a file that is append-only or immutable, where no name can be
// replaced or removed: an old copy stays and nothing is made beside it; a
// new file appears only complete, or, on a file system without unnamed
// files, is written in place and a failure says that it stays incomplete.
TEST(ClientSnapshotFile, AFolderOrFileThatKeepsItsNameIsNeverLeftWithACopy)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "only root can make a folder append-only or immutable";
    {
        Folder probe;
        const Attribute append_only(probe.path(), FS_APPEND_FL);
        if (!append_only.set())
            GTEST_SKIP() << "a folder in /tmp cannot be made append-only (no such attribute "
                            "there, or no CAP_LINUX_IMMUTABLE): "
                         << std::strerror(errno);
    }
    const std::string data = "PK\x03\x04 snapshot";
    const char* name = "copy.zip";
    const std::string cannot_open = "FAIL: cannot open local file %s\n";
    const std::string cannot_replace = "FAIL: cannot replace local file %s\n";
    const FileOpener unnamed = nullptr;
    const FileOpener no_unnamed = open_without_unnamed_files;
    constexpr int kAppend = FS_APPEND_FL;
    constexpr int kImmutable = FS_IMMUTABLE_FL;
    const CopyCase cases[] = {
        {"append-only folder, old copy", "old", data, 0, name, 1, cannot_replace, "old", unnamed,
         kAppend},
        {"append-only folder, new file", nullptr, data, 0, name, 0, "", data.c_str(), unnamed,
         kAppend},
        {"append-only folder, new file, short write", nullptr, data, 1, name, 1,
         "FAIL: cannot write local file %s\n", nullptr, unnamed, kAppend},
        {"append-only folder, new file, no unnamed files", nullptr, data, 0, name, 0, "",
         data.c_str(), no_unnamed, kAppend},
        {"append-only folder, new file, no unnamed files, short write", nullptr, data, 1, name, 1,
         "FAIL: cannot write local file %s, which stays incomplete (its folder is append-only)\n",
         "", no_unnamed, kAppend},
        {"immutable folder, old copy", "old", data, 0, name, 1, cannot_replace, "old", unnamed,
         kImmutable},
        {"immutable folder, new file", nullptr, data, 0, name, 1, cannot_open, nullptr, unnamed,
         kImmutable},
        {"immutable folder, new file, no unnamed files", nullptr, data, 0, name, 1, cannot_open,
         nullptr, no_unnamed, kImmutable},
        {"append-only file", "old", data, 0, name, 1, cannot_replace, "old", unnamed, 0, kAppend},
        {"immutable file", "old", data, 0, name, 1, cannot_open, "old", unnamed, 0, kImmutable},
    };
    for (const auto& c : cases)
        check_copy(c);
}

// Whether a writer ever opened the FIFO that reader reads without waiting:
// bytes wait, or a writer has come and gone.
bool fifo_was_opened(int reader)
{
    pollfd poll_reader{reader, POLLIN, 0};
    return poll(&poll_reader, 1, 0) != 0;
}

// Each kind of local name, in a folder that holds OUT.zip ("old"), file.txt,
// dir/, a FIFO with a waiting reader, a link to it, a unix socket and a link
// up to dir/sub: a name resolves as open(2) resolves it, and a FIFO, device
// or socket is refused unopened.
TEST(ClientSnapshotFile, EachKindOfLocalNameResolvesAsOpenWould)
{
    std::string steps; // 4088 bytes that stay in the folder
    for (int i = 0; i < 2044; ++i)
        steps += "./";
    const struct
    {
        std::string name; // from the folder
        int result;
        const char* written; // where the bytes land, null: nowhere
    } cases[] = {
        {".", 1, nullptr},
        {"..", 1, nullptr},
        {"OUT.zip/", 1, nullptr},
        {"OUT.zip/.", 1, nullptr},
        {"nodir/../OUT.zip", 1, nullptr},
        {"file.txt/../OUT.zip", 1, nullptr},
        {"dir/../OUT.zip", 0, "OUT.zip"},
        {"up/../OUT.zip", 0, "dir/OUT.zip"},
        {"fifo", 1, nullptr},
        {"fifo-link", 1, nullptr},
        {"sock", 1, nullptr},
        {"/dev/full", 1, nullptr},
        {"NUL", 0, nullptr},
        // Up to PATH_MAX bytes with the terminating zero, as open(2) takes.
        {steps + "OUT.zip", 0, "OUT.zip"},
        {steps + "/OUT.zip", 1, nullptr},
    };
    for (const auto& c : cases) {
        Folder folder;
        write_file(folder / "OUT.zip", "old");
        write_file(folder / "file.txt", "text");
        ASSERT_EQ(mkdir((folder / "dir").c_str(), 0700), 0);
        ASSERT_EQ(mkdir((folder / "dir/sub").c_str(), 0700), 0);
        ASSERT_EQ(symlink("dir/sub", (folder / "up").c_str()), 0);
        ASSERT_EQ(mkfifo((folder / "fifo").c_str(), 0600), 0);
        ASSERT_EQ(symlink("fifo", (folder / "fifo-link").c_str()), 0);
        const int reader = open((folder / "fifo").c_str(), O_RDONLY | O_NONBLOCK);
        ASSERT_GE(reader, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", (folder / "sock").c_str());
        const int socket_fd = socket(AF_UNIX, SOCK_STREAM, 0);
        ASSERT_EQ(bind(socket_fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        const std::vector<std::string> names = folder_names(folder.path());
        const std::string cwd = std::filesystem::current_path();
        ASSERT_EQ(chdir(folder.path().c_str()), 0);
        const unsigned char data[] = {'n', 'e', 'w'};
        testing::internal::CaptureStdout();
        const int result = write_snapshot_file(wide(c.name).c_str(), data, sizeof data);
        const std::string printed = testing::internal::GetCapturedStdout();
        ASSERT_EQ(chdir(cwd.c_str()), 0);
        EXPECT_EQ(result, c.result) << c.name;
        const std::string refused = "FAIL: cannot open local file " + c.name + "\n";
        EXPECT_EQ(printed, c.result == 0 ? "" : refused) << c.name;
        const std::string written = c.written != nullptr ? c.written : "";
        EXPECT_EQ(read_file(folder / "OUT.zip"), written == "OUT.zip" ? "new" : "old") << c.name;
        EXPECT_EQ(exists(folder / "dir/OUT.zip"), written == "dir/OUT.zip") << c.name;
        EXPECT_EQ(folder_names(folder.path()), names) << c.name;
        EXPECT_FALSE(fifo_was_opened(reader)) << c.name;
        close(reader);
        close(socket_fd);
    }
}

// What the checking writer saw: the writes that went to anything but a
// regular file.
std::atomic<int> g_writes_elsewhere{0};

std::size_t regular_file_writer(const void* data, std::size_t bytes, FILE* file)
{
    struct stat st
    {
    };
    if (fstat(fileno(file), &st) != 0 || !S_ISREG(st.st_mode))
        ++g_writes_elsewhere;
    return std::fwrite(data, 1, bytes, file);
}

// A neighbour swaps the name between a regular file and a link to a FIFO,
// whose reader waits, while snapshots are written to it again and again:
// the FIFO is never opened, and every write that succeeds went to a regular
// file.
TEST(ClientSnapshotFile, ANameSwappedWithALinkToAFifoNeverReachesTheFifo)
{
    Folder folder;
    const std::string path = folder / "copy.zip";
    const std::string fifo = folder / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    std::atomic<bool> stop{false};
    std::thread neighbour([&] {
        const std::string spare = folder / "spare";
        for (unsigned i = 0; !stop; ++i) {
            if (i % 2 == 0) {
                symlink(fifo.c_str(), spare.c_str());
            } else {
                close(open(spare.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0600));
            }
            std::rename(spare.c_str(), path.c_str());
        }
    });
    g_writes_elsewhere = 0;
    const unsigned char data[] = {'n', 'e', 'w'};
    // Until each outcome has come often enough, within a bound of attempts.
    int written = 0;
    int refused = 0;
    testing::internal::CaptureStdout();
    for (int i = 0; i < 5000 && (written < 100 || refused < 100); ++i) {
        const int result =
            write_snapshot_file(wide(path).c_str(), data, sizeof data, regular_file_writer);
        ++(result == 0 ? written : refused);
    }
    const std::string printed = testing::internal::GetCapturedStdout();
    stop = true;
    neighbour.join();
    EXPECT_FALSE(fifo_was_opened(reader));
    EXPECT_EQ(g_writes_elsewhere, 0);
    EXPECT_GT(written, 0);
    std::string refusals;
    for (int i = 0; i < refused; ++i)
        refusals += "FAIL: cannot open local file " + path + "\n";
    EXPECT_EQ(printed, refusals);
    std::vector<std::string> names = folder_names(folder.path());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"copy.zip", "fifo"}));
    close(reader);
}

// Runs body in a child process that may not write into the folder (as the
// user nobody when the tests run as root, for whom permissions do not
// count); the child prints what body printed on standard error and exits
// with its result.
void in_unwritable_folder(const std::string& folder, const std::function<int()>& body)
{
    chmod(folder.c_str(), 0555);
    EXPECT_EXIT(
        {
            if (geteuid() == 0 && setuid(65534) != 0)
                std::_Exit(99);
            std::_Exit(body());
        },
        testing::ExitedWithCode(1), "FAIL: cannot open local file .*/copy.zip");
    chmod(folder.c_str(), 0700);
}

std::string snapshot_response(const std::string& inner)
{
    return "<QORControl:ReadSnapshotResponse>" + inner + "</QORControl:ReadSnapshotResponse>";
}

// 3000 bytes of a snapshot.
std::string snapshot_bytes()
{
    std::string bytes(3000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>((i * 11 + 5) & 0xff);
    return bytes;
}

// The snapshot element of snapshot_bytes() in base64 with `stray` after its
// first 100 groups of four (300 bytes).
std::string with_stray(const std::string& stray)
{
    std::string text = clienttest::base64(snapshot_bytes());
    text.insert(400, stray);
    return "<snapshot>" + text + "</snapshot>";
}

struct Part
{
    std::string headers;
    std::string content;
};

// A MIME reply with the boundary "b": the parts before the envelope's part
// (id "root"), that part, the parts after it.
Reply mime_reply(const std::vector<Part>& before, const std::string& envelope,
                 const std::vector<Part>& after)
{
    std::string body;
    for (const Part& part : before)
        body += "--b\r\n" + part.headers + "\r\n\r\n" + part.content + "\r\n";
    body += "--b\r\nContent-Type: text/xml\r\nContent-ID: <root>\r\n\r\n" + envelope;
    for (const Part& part : after)
        body += "\r\n--b\r\n" + part.headers + "\r\n\r\n" + part.content;
    return Reply::http(200, body + "\r\n--b--\r\n",
                       "multipart/related; boundary=b; type=\"text/xml\"; start=\"<root>\"");
}

// The part with the id "s1" after the envelope's, with these header lines
// before its id.
Reply mime_reply(const std::string& envelope, const std::string& headers,
                 const std::string& content)
{
    return mime_reply({}, envelope, {{headers + "Content-ID: <s1>", content}});
}

// Each reply of the service, with the local copy's bytes before and after:
// a reply without valid snapshot data fails and touches no file; an empty
// element is a snapshot of 0 bytes.
TEST(ClientReadSnapshot, EveryReplyWithTheLocalCopyBeforeAndAfter)
{
    const std::string no_data = "FAIL: No snapshot data in the reply\n";
    const std::string invalid = "FAIL: Invalid base64 data in the snapshot\n";
    // Every byte value, over many blocks of decoded bytes, in lines of 76.
    std::string large(70001, '\0');
    for (std::size_t i = 0; i < large.size(); ++i)
        large[i] = static_cast<char>((i * 7 + 3) & 0xff);
    std::string large_text = clienttest::base64(large);
    for (std::size_t at = 76; at < large_text.size(); at += 77)
        large_text.insert(at, "\n");
    // Decoded bytes beyond one block of the collected data.
    std::string huge(1500001, '\0');
    for (std::size_t i = 0; i < huge.size(); ++i)
        huge[i] = static_cast<char>((i * 13 + i / 7) & 0xff);
    const auto envelope_of = [](const std::string& href) {
        return qortest::envelope(snapshot_response("<snapshot href=\"" + href + "\"/>"));
    };
    const std::string envelope = envelope_of("cid:s1");
    const std::string unsupported = "FAIL: Unsupported encoding of the snapshot\n";
    const std::string missing_attachment = "FAIL: DIME href to missing attachment\n";
    const std::string base64_line = "Content-Transfer-Encoding: base64\r\n";
    const std::string binary = "PK\x03\x04=3D\r\n";
    const std::string megabyte = huge.substr(0, std::size_t{1} << 20);
    const auto inline_reply = [](const std::string& bytes) {
        return Reply::ok(
            snapshot_response("<snapshot>" + clienttest::base64(bytes) + "</snapshot>"));
    };
    // The first n bytes of a reply's body under a header that announces all
    // of it.
    const auto cut_off = [](const Reply& reply, std::size_t n) {
        return Reply::raw("HTTP/1.1 200 OK\r\nContent-Type: " + reply.content_type +
                          "\r\nContent-Length: " + std::to_string(reply.body.size()) + "\r\n\r\n" +
                          reply.body.substr(0, n));
    };
    const std::string cut_off_text =
        "FAIL: End of file or no input: message transfer interrupted\n";
    const struct
    {
        const char* label;
        Reply reply;
        int exit_code;
        std::string printed; // after the heading
        std::string after;   // the local copy, "old" before
    } cases[] = {
        {"absent", Reply::ok("<QORControl:ReadSnapshotResponse/>"), 1, no_data, "old"},
        {"absent among others", Reply::ok(snapshot_response("<name>s.zip</name>")), 1, no_data,
         "old"},
        {"nil", Reply::ok(snapshot_response("<snapshot xsi:nil=\"true\"/>")), 1, no_data, "old"},
        {"nil with end tag", Reply::ok(snapshot_response("<snapshot xsi:nil=\"1\"></snapshot>")), 1,
         no_data, "old"},
        {"outside the alphabet", Reply::ok(snapshot_response("<snapshot>aGVs!G8=</snapshot>")), 1,
         invalid, "old"},
        {"padding inside", Reply::ok(snapshot_response("<snapshot>aGk=aGk=</snapshot>")), 1,
         invalid, "old"},
        {"incomplete group", Reply::ok(snapshot_response("<snapshot>aGVsbG</snapshot>")), 1,
         invalid, "old"},
        {"element inside", Reply::ok(snapshot_response("<snapshot>aGk=<x/>aGk=</snapshot>")), 1,
         invalid, "old"},
        {"greater-than among the groups", Reply::ok(snapshot_response(with_stray(">"))), 1, invalid,
         "old"},
        {"quote among the groups", Reply::ok(snapshot_response(with_stray("\""))), 1, invalid,
         "old"},
        {"apostrophe among the groups", Reply::ok(snapshot_response(with_stray("'"))), 1, invalid,
         "old"},
        {"another type",
         Reply::ok(snapshot_response("<snapshot xsi:type=\"xsd:int\">aGk=</snapshot>")), 0, "OK\n",
         "hi"},
        {"typed as text",
         Reply::ok(snapshot_response("<snapshot xsi:type=\"xsd:string\">aGk=</snapshot>")), 0,
         "OK\n", "hi"},
        {"typed as text, outside the alphabet",
         Reply::ok(snapshot_response("<snapshot xsi:type=\"xsd:string\">aG!k</snapshot>")), 1,
         invalid, "old"},
        {"base64 under any prefix",
         Reply::ok(snapshot_response(
             "<snapshot xmlns:b=\"urn:b\" xsi:type=\"b:base64Binary\">aGk=</snapshot>")),
         0, "OK\n", "hi"},
        {"named by an href",
         Reply::ok(snapshot_response("<snapshot href=\"#s\"/>") +
                   "<x id=\"s\" xsi:type=\"xsd:base64Binary\">aGk=</x>"),
         0, "OK\n", "hi"},
        {"named by an href, not valid",
         Reply::ok(snapshot_response("<snapshot href=\"#s\"/>") + "<x id=\"s\">aG=k</x>"), 1,
         invalid, "old"},
        {"named by an href, of another type",
         Reply::ok(snapshot_response("<snapshot href=\"#s\"/>") +
                   "<x id=\"s\" xsi:type=\"xsd:int\">aGk=</x>"),
         1, "FAIL: Validation constraint violation: type mismatch xsd:int in element 'x'\n", "old"},
        {"empty", Reply::ok(snapshot_response("<snapshot></snapshot>")), 0, "OK\n", ""},
        {"empty tag", Reply::ok(snapshot_response("<snapshot/>")), 0, "OK\n", ""},
        {"good",
         Reply::ok(snapshot_response("<snapshot>aGVs&#10;bG8g\r\n c25h cHNob3Q=</snapshot>")), 0,
         "OK\n", "hello snapshot"},
        {"large", Reply::ok(snapshot_response("<snapshot>" + large_text + "</snapshot>")), 0,
         "OK\n", large},
        {"huge",
         Reply::ok(snapshot_response("<snapshot>" + clienttest::base64(huge) + "</snapshot>")), 0,
         "OK\n", huge},
        // Around the reader's blocks of a megabyte of decoded bytes.
        {"a megabyte less one", inline_reply(megabyte.substr(1)), 0, "OK\n", megabyte.substr(1)},
        {"a megabyte", inline_reply(megabyte), 0, "OK\n", megabyte},
        {"a megabyte and one", inline_reply(megabyte + "+"), 0, "OK\n", megabyte + "+"},
        // Replies that end before their snapshot does.
        {"cut off in the text", cut_off(inline_reply(megabyte), 700000), 1, cut_off_text, "old"},
        {"cut off in an attachment",
         cut_off(mime_reply(envelope, "", megabyte), envelope.size() + 500000), 1, cut_off_text,
         "old"},
        {"attachment",
         Reply::dime({qortest::dime_envelope_record(envelope),
                      DimeRecord{"cid:s1", "application/zip", "PK\x03\x04"}}),
         0, "OK\n", "PK\x03\x04"},
        {"MIME base64", mime_reply(envelope, base64_line, "UEsDBCB6\r\naXA=\r\n"), 0, "OK\n",
         "PK\x03\x04 zip"},
        {"MIME base64 not valid", mime_reply(envelope, base64_line, "UEsDB*B6"), 1, invalid, "old"},
        {"MIME binary", mime_reply(envelope, "Content-Transfer-Encoding: binary\r\n", binary), 0,
         "OK\n", binary},
        {"MIME without an encoding", mime_reply(envelope, "", binary), 0, "OK\n", binary},
        {"MIME quoted-printable",
         mime_reply(envelope, "Content-Transfer-Encoding: quoted-printable\r\n", "PK=03=04"), 1,
         unsupported, "old"},
        // Values that the toolkit takes for no encoding.
        {"MIME x-uuencode",
         mime_reply(envelope, "Content-Transfer-Encoding: x-uuencode\r\n", "begin 644 s.zip"), 1,
         unsupported, "old"},
        {"MIME base64 with a comment, folded",
         mime_reply(envelope, "Content-Transfer-Encoding:\r\n BASE64 (zip)\r\n", "UEsDBA=="), 0,
         "OK\n", "PK\x03\x04"},
        {"MIME quoted base64",
         mime_reply(envelope, "Content-Transfer-Encoding: \"base64\"\r\n", "UEsDBA=="), 1,
         unsupported, "old"},
        {"MIME two encoding lines",
         mime_reply(envelope, base64_line + "Content-Transfer-Encoding: binary\r\n", "UEsDBA=="), 1,
         unsupported, "old"},
        // Which attachment an href names, as the toolkit binds one.
        {"DIME two records of one id",
         Reply::dime({qortest::dime_envelope_record(envelope),
                      DimeRecord{"cid:s1", "application/zip", "one"},
                      DimeRecord{"cid:s1", "application/zip", "two"}}),
         0, "OK\n", "one"},
        {"MIME two parts of one id",
         mime_reply({}, envelope, {{"Content-ID: <s1>", "one"}, {"Content-ID: <s1>", "two"}}), 0,
         "OK\n", "one"},
        {"MIME one id before and after the envelope",
         mime_reply({{"Content-ID: <s1>", "before"}}, envelope, {{"Content-ID: <s1>", "after"}}), 0,
         "OK\n", "after"},
        {"MIME part before the envelope",
         mime_reply({{base64_line + "Content-ID: <s1>", "YmVmb3Jl"}}, envelope, {}), 0, "OK\n",
         "before"},
        {"MIME id written otherwise", mime_reply(envelope_of("cid:s%31"), "", "PK"), 0, "OK\n",
         "PK"},
        // What follows the envelope in its part: the line feed after it.
        {"MIME the envelope's part", mime_reply(envelope_of("cid:root"), "", "PK"), 0, "OK\n",
         "\n"},
        {"MIME no part of the id", mime_reply(envelope_of("cid:s2"), "", "PK"), 1,
         missing_attachment, "old"},
        {"no attachment at all", Reply::ok(snapshot_response("<snapshot href=\"cid:s1\"/>")), 1,
         missing_attachment, "old"},
        // Only the snapshot's own href must name an attachment.
        {"MIME another element names none",
         mime_reply(qortest::envelope(snapshot_response("<x id=\"x\" href=\"cid:s2\"/>"
                                                        "<snapshot href=\"cid:s1\"/>")),
                    "", "PK"),
         0, "OK\n", "PK"},
        {"fault", Reply::fault11("SOAP-ENV:Server", "gone"), 1, "FAIL: gone\n", "old"},
    };
    clienttest::Instance instance = clienttest::start_instance();
    for (const auto& c : cases) {
        Folder folder;
        const std::string path = folder / "copy.zip";
        write_file(path, "old");
        instance.service->set_default(c.reply);
        const clienttest::RunResult r =
            clienttest::run(instance.call({"ReadSnapshot", "s.zip", path}));
        EXPECT_EQ(r.exit_code, c.exit_code) << c.label;
        EXPECT_EQ(r.out, clienttest::heading("ReadSnapshot") + c.printed) << c.label;
        EXPECT_TRUE(read_file(path) == c.after) << c.label;
        EXPECT_EQ(folder_names(folder.path()), std::vector<std::string>{"copy.zip"}) << c.label;
    }
}

// The reads of a context go to the toolkit's own receive step in pieces of
// at most `size` bytes.
struct Pieces
{
    std::size_t size = 0;
    size_t (*recv)(struct soap*, char*, size_t) = nullptr;
};

size_t piecewise_recv(struct soap* soap, char* s, size_t n)
{
    const Pieces* pieces = static_cast<const Pieces*>(soap->user);
    return pieces->recv(soap, s, std::min(n, pieces->size));
}

// Inline base64 in every form, in the snapshot element or in the element its
// href names, each reply read whole, byte by byte and in odd pieces: the
// snapshot's bytes, or a failure with nothing handed over.
TEST(ClientReadSnapshot, InlineBase64InEveryPiece)
{
    const std::string bytes = snapshot_bytes();
    std::string lines = clienttest::base64(bytes);
    for (std::size_t at = 76; at < lines.size(); at += 78)
        lines.insert(at, "\r\n");
    const std::string text = clienttest::base64(bytes);
    // The character at 400 of the text as a long reference.
    char reference[16];
    std::snprintf(reference, sizeof reference, "&#x000%X;", static_cast<unsigned char>(text[400]));
    const std::string invalid = "Invalid base64 data in the snapshot";
    const std::string syntax =
        "Validation constraint violation: syntax error in element 'snapshot'";
    const std::string referenced = "<snapshot href=\"#s\"/>";
    const std::string with_reference = text.substr(0, 400) + reference + text.substr(401);
    // with_stray() as the element that the href names.
    const auto named = [](const std::string& stray, const std::string& attributes = "") {
        const std::string element = with_stray(stray); // "<snapshot>" text "</snapshot>"
        return "<x id=\"s\"" + attributes + ">" + element.substr(10, element.size() - 21) + "</x>";
    };
    const std::string base64_type = " xsi:type=\"xsd:base64Binary\"";
    const struct
    {
        const char* label;
        std::string element;
        std::string fault;                        // empty: the bytes arrive
        std::string after = {};                   // the elements after the response
        const char* bytes = {};                   // that arrive; null: the 3000 of the snapshot
        std::vector<DimeRecord> attachments = {}; // after the envelope's record
    } cases[] = {
        {"lines", "<snapshot>\n " + lines + "\t\n</snapshot>", ""},
        {"long reference", "<snapshot>" + with_reference + "</snapshot>", ""},
        {"greater-than", with_stray(">"), invalid},
        {"quote", with_stray("\""), invalid},
        {"apostrophe", with_stray("'"), invalid},
        {"padding", with_stray("="), invalid},
        {"escaped less-than", with_stray("&lt;"), invalid},
        {"reference to no character", with_stray("&#0;"), syntax},
        {"unended reference", with_stray("&#65"), syntax},
        // The element that an href names, after the response as SOAP encoding
        // places it or among the response's members.
        {"named after the response", referenced, "",
         "<x id=\"s\"" + base64_type + ">\n " + lines + "\t\n</x>"},
        {"named after the response, long reference", referenced, "",
         "<x id=\"s\">" + with_reference + "</x>"},
        {"named after another element", referenced, "",
         "<y id=\"t\">bm8=</y><z>bm8=</z><x id=\"s\">" + text + "</x>"},
        {"named through another href", referenced, "",
         "<x id=\"s\" href=\"#t\"/><x id=\"t\">" + text + "</x>"},
        {"named before the href", "<x id=\"s\"" + base64_type + ">" + lines + "</x>" + referenced,
         ""},
        {"named before, of the class's type",
         "<x id=\"s\" xsi:type=\"QORControl:SnapshotZip\">" + with_reference + "</x>" + referenced,
         ""},
        {"named among the members", referenced + "<x id=\"s\">" + with_reference + "</x>", ""},
        {"named, greater-than", referenced, invalid, named(">")},
        {"named, apostrophe", referenced, invalid, named("'", base64_type)},
        {"named, padding", referenced + named("="), invalid},
        {"named before, greater-than", named(">") + referenced, invalid},
        {"named before, of the class's type, padding",
         named("=", " xsi:type=\"QORControl:SnapshotZip\"") + referenced, invalid},
        {"named, reference to no character", referenced,
         "Validation constraint violation: syntax error in element 'x'", named("&#0;")},
        {"named, incomplete group", referenced, invalid, "<x id=\"s\">aGVsbG</x>"},
        {"named, of another type", referenced,
         "Validation constraint violation: type mismatch xsd:int in element 'x'",
         "<x id=\"s\" xsi:type=\"xsd:int\">aGk=</x>"},
        {"named before, of another type", "<x id=\"s\" xsi:type=\"xsd:int\">1</x>" + referenced,
         "Validation constraint violation: type mismatch xsd:int in element 'x'"},
        {"named twice", referenced,
         "Validation constraint violation: multiple elements (use the SOAP_XML_TREE flag) with "
         "duplicate id #s in element 'x'",
         "<x id=\"s\">" + text + "</x><x id=\"s\">aGk=</x>"},
        {"named empty", referenced, "", "<x id=\"s\"></x>", ""},
        {"named nil", referenced, "No snapshot data in the reply",
         "<x id=\"s\" xsi:nil=\"true\"/>"},
        {"named by an href typed as another", "<snapshot href=\"#s\" xsi:type=\"xsd:int\"/>", "",
         "<x id=\"s\">" + text + "</x>"},
        {"named by each other", referenced, "No snapshot data in the reply",
         "<x id=\"s\" href=\"#t\"/><x id=\"t\" href=\"#s\"/>"},
        {"named nowhere", referenced,
         "Validation constraint violation: missing id for ref s in element 'SOAP-ENV:Envelope'",
         "<x id=\"t\">" + text + "</x>"},
        {"attachment",
         "<snapshot href=\"cid:s1\"/>",
         "",
         "",
         nullptr,
         {DimeRecord{"cid:s1", "application/zip", bytes}}},
        {"typed as text", "<snapshot xsi:type=\"xsd:string\">\n " + lines + "\t\n</snapshot>", ""},
        {"attachment typed as text",
         "<snapshot href=\"cid:s1\" xsi:type=\"xsd:string\"/>",
         "",
         "",
         nullptr,
         {DimeRecord{"cid:s1", "application/zip", bytes}}},
        {"attachment named by an href",
         referenced,
         "",
         "<x id=\"s\" href=\"cid:s1\"/>",
         nullptr,
         {DimeRecord{"cid:s1", "application/zip", bytes}}},
    };
    qortest::FakeService service;
    struct soap* soap = soap_new1(SOAP_C_UTFSTRING); // a connection per call
    Pieces pieces;
    pieces.recv = soap->frecv;
    soap->user = &pieces;
    soap->frecv = piecewise_recv;
    char filename[] = "s.zip";
    for (const auto& c : cases) {
        const std::string body = snapshot_response(c.element) + c.after;
        std::vector<DimeRecord> records = {qortest::dime_envelope_record(qortest::envelope(body))};
        records.insert(records.end(), c.attachments.begin(), c.attachments.end());
        service.set_default(c.attachments.empty() ? Reply::ok(body) : Reply::dime(records));
        for (const std::size_t size : {std::size_t{65536}, std::size_t{1}, std::size_t{7}}) {
            pieces.size = size;
            SnapshotData data;
            const int error =
                call_read_snapshot(soap, service.endpoint().c_str(), "", filename, &data);
            if (c.fault.empty()) {
                EXPECT_EQ(error, SOAP_OK) << c.label << " in pieces of " << size;
                EXPECT_TRUE(std::string(reinterpret_cast<const char*>(data.bytes), data.size) ==
                            (c.bytes != nullptr ? c.bytes : bytes))
                    << c.label << " in pieces of " << size;
            } else {
                EXPECT_NE(error, SOAP_OK) << c.label << " in pieces of " << size;
                EXPECT_EQ(data.size, 0u) << c.label << " in pieces of " << size;
                soap_set_fault(soap); // the text the client prints after "FAIL: "
                const char** fault = soap_faultstring(soap);
                EXPECT_EQ(fault != nullptr && *fault != nullptr ? *fault : "", c.fault)
                    << c.label << " in pieces of " << size;
            }
            soap_destroy(soap);
            soap_end(soap);
        }
    }
    soap_free(soap);
}

// The snapshot in a MIME part of each length around base64's groups and
// lines, the toolkit's blocks of an attachment (2048 bytes) and its input
// buffer (65536), in each encoding, read through the plug-in whole, in
// pieces of 1 and 7 bytes and in HTTP chunks: its bytes exactly, or the
// failure and no bytes. The part's header is followed however its bytes and
// the boundaries' come, up to the longest line that the toolkit reads.
TEST(ClientReadSnapshot, MimePartOfEveryLengthInEveryPiece)
{
    const auto in_lines = [](const std::string& bytes) {
        std::string text = clienttest::base64(bytes);
        for (std::size_t at = 76; at < text.size(); at += 78)
            text.insert(at, "\r\n");
        return text;
    };
    const auto as_they_are = [](const std::string& bytes) { return bytes; };
    // "Content-Transfer-Encoding: base64", blanks and "(c)" in a line of n
    // bytes.
    const auto long_line = [](std::size_t n) {
        const std::string line = "Content-Transfer-Encoding: base64";
        return line + std::string(n - line.size() - 3, ' ') + "(c)\r\n";
    };
    const char* const unsupported = "Unsupported encoding of the snapshot";
    const struct
    {
        const char* label;
        std::string headers; // before the part's id
        std::function<std::string(const std::string&)> encode;
        const char* fault; // null: the bytes arrive
    } encodings[] = {
        {"base64 in lines", "Content-Transfer-Encoding: base64\r\n", in_lines, nullptr},
        {"base64 with a comment", "Content-Transfer-Encoding: (zip) Base64 \r\n",
         clienttest::base64, nullptr},
        {"binary", "Content-Transfer-Encoding: binary\r\n", as_they_are, nullptr},
        {"no encoding named", "", as_they_are, nullptr},
        {"x-uuencode", "Content-Transfer-Encoding: x-uuencode\r\n", as_they_are, unsupported},
        {"a line of 2046 bytes", long_line(2046), clienttest::base64, nullptr},
        {"a line of 2047 bytes", long_line(2047), clienttest::base64, "Header line too long"},
    };
    const std::size_t lengths[] = {0,     1,     2,     3,     4,     56,   57,
                                   58,    1535,  1536,  1537,  2047,  2048, 2049,
                                   49151, 49152, 49153, 65535, 65536, 65537};
    const std::string envelope =
        qortest::envelope(snapshot_response("<snapshot href=\"cid:s1\"/>"));
    qortest::FakeService service;
    struct soap* soap = soap_new1(SOAP_C_UTFSTRING);
    plugin_arg arg{};
    arg.transport_type = GSOAP_HTTP;
    ASSERT_EQ(soap_register_plugin_arg(soap, plugin_register, &arg), SOAP_OK);
    // The reads from the connection, under the plug-in's framing.
    qortransport::PluginData* plugin = qortransport::plugin_data(soap);
    Pieces pieces;
    pieces.recv = plugin->saved.frecv;
    plugin->saved.frecv = piecewise_recv;
    soap->user = &pieces;
    char filename[] = "s.zip";
    for (const auto& e : encodings) {
        for (const std::size_t length : lengths) {
            std::string bytes(length, '\0');
            for (std::size_t i = 0; i < length; ++i)
                bytes[i] = static_cast<char>((i * 7 + 3) & 0xff);
            Reply reply = mime_reply(envelope, e.headers, e.encode(bytes));
            const bool small = reply.body.size() < 10000;
            for (const auto& [how, size, chunked] :
                 {std::tuple{"whole", 65536, false}, std::tuple{"in bytes", small ? 1 : 7, false},
                  std::tuple{"in pieces of 7", 7, false}, std::tuple{"in chunks", 65536, true}}) {
                service.set_default(chunked ? Reply(reply).as_chunked() : reply);
                pieces.size = static_cast<std::size_t>(size);
                SnapshotData data;
                const int error =
                    call_read_snapshot(soap, service.endpoint().c_str(), "", filename, &data);
                const std::string label =
                    std::string(e.label) + ", " + std::to_string(length) + " bytes, " + how;
                if (e.fault == nullptr) {
                    EXPECT_EQ(error, SOAP_OK) << label;
                    EXPECT_TRUE(std::string(reinterpret_cast<const char*>(data.bytes), data.size) ==
                                bytes)
                        << label;
                } else {
                    EXPECT_NE(error, SOAP_OK) << label;
                    EXPECT_EQ(data.size, 0u) << label;
                    soap_set_fault(soap);
                    const char** fault = soap_faultstring(soap);
                    EXPECT_STREQ(fault != nullptr ? *fault : "", e.fault) << label;
                }
                soap_destroy(soap);
                soap_end(soap);
            }
        }
    }
    soap_free(soap);
}

// A reply whose base64 is not valid is still read to its end: the next call
// of a repeated run goes over the same connection.
TEST(ClientReadSnapshot, AnInvalidReplyLeavesTheConnectionUsable)
{
    Folder folder;
    clienttest::Instance instance = clienttest::start_instance();
    instance.service->set_default(Reply::ok(snapshot_response("<snapshot>a*Gk=</snapshot>")));
    std::vector<std::string> words = {"-repeat", "2", "0"};
    const std::vector<std::string> call = instance.call({"ReadSnapshot", "s.zip", folder / "c"});
    words.insert(words.end(), call.begin(), call.end());
    EXPECT_EQ(clienttest::run(words).exit_code, 1);
    EXPECT_EQ(instance.service->request_count(), 2u);
    EXPECT_EQ(instance.service->connections_accepted(), 1u);
    EXPECT_TRUE(folder_names(folder.path()).empty());
}

TEST(ClientReadSnapshotDeathTest, AnUnwritableFolderLeavesTheOldCopy)
{
    Folder folder;
    const std::string path = folder / "copy.zip";
    write_file(path, "old");
    chmod(path.c_str(), 0644);
    clienttest::Instance instance = clienttest::start_instance();
    instance.service->set_default(Reply::ok(snapshot_response("<snapshot>bmV3</snapshot>")));
    in_unwritable_folder(folder.path(), [&] {
        const clienttest::RunResult r =
            clienttest::run(instance.call({"ReadSnapshot", "s.zip", path}));
        std::fputs(r.out.c_str(), stderr);
        return r.exit_code;
    });
    EXPECT_EQ(instance.service->request_count(), 1u);
    EXPECT_EQ(read_file(path), "old");
    EXPECT_EQ(folder_names(folder.path()), std::vector<std::string>{"copy.zip"});
}

// The size of the file that the process writes in the folder (any it has
// open there but `old`), -1 while it has none open.
long long size_written_in(pid_t pid, const std::string& folder, const std::string& old)
{
    const std::string fds = "/proc/" + std::to_string(pid) + "/fd/";
    for (const std::string& fd : folder_names(fds)) {
        char target[PATH_MAX];
        const ssize_t n = readlink((fds + fd).c_str(), target, sizeof target);
        const std::string name(target, n > 0 ? static_cast<std::size_t>(n) : 0);
        struct stat st
        {
        };
        if (name.rfind(folder + "/", 0) == 0 && name != old && stat((fds + fd).c_str(), &st) == 0)
            return st.st_size;
    }
    return -1;
}

// Runs the program with the words and sends it the signal as soon as the
// file it writes in the folder holds bytes; returns its wait status, or -1
// when it ended before.
int run_program_until_written(const std::vector<std::string>& words, const Folder& folder,
                              int signal)
{
    std::vector<char*> argv = {const_cast<char*>(QORCONTROL_BINARY)};
    for (const std::string& word : words)
        argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, QORCONTROL_BINARY, &quiet, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&quiet);
    if (spawned != 0)
        return -1;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (size_written_in(pid, folder.path(), folder / "copy.zip") > 0) {
            kill(pid, signal);
            waitpid(pid, &status, 0);
            return status;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return -1;
}

// The program ended in the middle of writing a large snapshot, by SIGKILL,
// by a signal that it leaves to its default action, or by one it handles:
// the old copy stays, and nothing else is left in its folder.
TEST(ClientReadSnapshot, AProgramEndedDuringTheWriteLeavesNothingBehind)
{
    {
        Folder probe;
        const Descriptor unnamed(open(probe.path().c_str(), O_TMPFILE | O_WRONLY, 0600));
        if (!unnamed.valid())
            GTEST_SKIP() << "the file system of /tmp has no unnamed files (O_TMPFILE): "
                         << std::strerror(errno);
    }
    std::string snapshot(32 << 20, '\0');
    for (std::size_t i = 0; i < snapshot.size(); ++i)
        snapshot[i] = static_cast<char>((i * 31 + i / 4096) & 0xff);
    clienttest::Instance instance = clienttest::start_instance();
    instance.service->set_default(
        Reply::dime({qortest::dime_envelope_record(
                         qortest::envelope(snapshot_response("<snapshot href=\"cid:s1\"/>"))),
                     DimeRecord{"cid:s1", "application/zip", std::move(snapshot)}}));
    for (const int signal : {SIGKILL, SIGUSR1, SIGALRM, SIGTERM}) {
        // The program may finish before the copy is seen; it is tried again.
        int status = -1;
        for (int attempt = 0; attempt < 3 && status == -1; ++attempt) {
            Folder folder;
            const std::string path = folder / "copy.zip";
            write_file(path, "old");
            status = run_program_until_written(instance.call({"ReadSnapshot", "s.zip", path}),
                                               folder, signal);
            if (status == -1)
                continue;
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << signal;
            EXPECT_EQ(folder_names(folder.path()), std::vector<std::string>{"copy.zip"}) << signal;
            EXPECT_EQ(read_file(path), "old") << signal;
        }
        EXPECT_NE(status, -1) << "the program never wrote in its folder, signal " << signal;
    }
}

// As root: a link "l" that another user owns in a sticky folder is never
// followed, wherever it stands on the way, and nothing is written; one's own
// is, but not on to another user's link "m" there.
TEST(ClientReadSnapshot, AnotherUsersLinkInAStickyFolderIsNeverFollowed)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "only root can give a link to another user";
    const struct
    {
        uid_t owner;        // of "l"
        const char* target; // of "l", below the victim's folder V unless it is "m"
        const char* local_name;
        const char* victim; // afterwards
    } cases[] = {
        {65534, "/victim", "l", "victim"},
        {65534, "", "l/victim", "victim"},
        {0, "m", "l", "victim"},
        {0, "/victim", "l", "new"},
    };
    clienttest::Instance instance = clienttest::start_instance();
    instance.service->set_default(Reply::ok(snapshot_response("<snapshot>bmV3</snapshot>")));
    for (const auto& c : cases) {
        Folder shared;
        Folder system;
        ASSERT_EQ(chmod(shared.path().c_str(), 01777), 0);
        write_file(system / "victim", "victim");
        const std::string target = std::string(c.target) == "m" ? "m" : system.path() + c.target;
        for (const auto& [name, to, owner] :
             {std::tuple{"l", target, c.owner}, std::tuple{"m", system / "victim", uid_t{65534}}}) {
            ASSERT_EQ(symlink(to.c_str(), (shared / name).c_str()), 0);
            ASSERT_EQ(lchown((shared / name).c_str(), owner, owner), 0);
        }
        const std::string path = shared / c.local_name;
        const bool fails = std::string(c.victim) == "victim";
        const clienttest::RunResult r =
            clienttest::run(instance.call({"ReadSnapshot", "s.zip", path}));
        EXPECT_EQ(r.exit_code, fails ? 1 : 0) << path;
        EXPECT_EQ(r.out, clienttest::heading("ReadSnapshot") + "OK\n" +
                             (fails ? "FAIL: cannot open local file " + path + "\n" : ""));
        EXPECT_EQ(read_file(system / "victim"), c.victim) << path;
        EXPECT_EQ(folder_names(system.path()), std::vector<std::string>{"victim"}) << path;
        EXPECT_EQ(folder_names(shared.path()).size(), 2u) << path;
    }
}

// As root: the -trace file is a file that the program writes because an
// argument named it, like ReadSnapshot's local file. A link "l" that another
// user owns in a sticky folder leads the trace no more than the snapshot:
// the file it points to keeps its content and the run goes on as with a
// trace file that cannot be opened; one's own link is followed.
TEST(ClientTraceOption, AnotherUsersLinkInAStickyFolderIsNeverFollowed)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "only root can give a link to another user";
    const struct
    {
        uid_t owner;        // of "l"
        const char* target; // of "l", below the victim's folder V
        const char* trace_name;
        bool followed;
    } cases[] = {
        {65534, "/victim", "l", false},
        {65534, "", "l/victim", false},
        {0, "/victim", "l", true},
    };
    clienttest::Instance instance = clienttest::start_instance();
    instance.service->set_default(Reply::ok_empty("Shutdown"));
    for (const auto& c : cases) {
        Folder shared;
        Folder system;
        ASSERT_EQ(chmod(shared.path().c_str(), 01777), 0);
        write_file(system / "victim", "victim");
        ASSERT_EQ(symlink((system.path() + c.target).c_str(), (shared / "l").c_str()), 0);
        ASSERT_EQ(lchown((shared / "l").c_str(), c.owner, c.owner), 0);
        const std::string path = shared / c.trace_name;
        std::vector<std::string> words = {"-trace", path};
        const std::vector<std::string> call = instance.call({"Shutdown"});
        words.insert(words.end(), call.begin(), call.end());
        const clienttest::RunResult r = clienttest::run(words);
        EXPECT_EQ(r.exit_code, 0) << path;
        EXPECT_EQ(r.out, clienttest::heading("Shutdown") + "OK\n") << path;
        const std::string victim = read_file(system / "victim");
        if (c.followed)
            EXPECT_EQ(victim.substr(0, 5), "POST ") << path;
        else
            EXPECT_EQ(victim, "victim") << path;
        EXPECT_EQ(folder_names(system.path()), std::vector<std::string>{"victim"}) << path;
        EXPECT_EQ(folder_names(shared.path()), std::vector<std::string>{"l"}) << path;
    }
}

} // namespace
