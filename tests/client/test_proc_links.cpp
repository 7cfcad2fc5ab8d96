// A local name through a link of /proc, for the snapshot's copy and for the
// trace: the link leads where open(2) would go, whatever its text says.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <linux/mount.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "client/descriptor.h"
#include "client/snapshot_file.h"
#include "client/trace_file.h"
#include "client_harness.h"

namespace {

enum class Writer { kSnapshot, kTrace };

constexpr uid_t kOther = 65534;

// Writes "new" under the name, as the snapshot's copy or as the trace; true
// when it was written. A snapshot that is refused says so in its FAIL line.
bool write_new(Writer writer, const std::string& name)
{
    const std::u16string wide(name.begin(), name.end());
    if (writer == Writer::kSnapshot) {
        const unsigned char data[] = {'n', 'e', 'w'};
        testing::internal::CaptureStdout();
        const int result = write_snapshot_file(wide.c_str(), data, sizeof data);
        const std::string printed = testing::internal::GetCapturedStdout();
        EXPECT_EQ(printed, result == 0 ? "" : "FAIL: cannot open local file " + name + "\n");
        return result == 0;
    }
    FILE* trace = open_trace_file(wide.c_str());
    if (trace == nullptr)
        return false;
    std::fputs("new", trace);
    return std::fclose(trace) == 0;
}

// What each file below the folder holds, by its path there: a folder with a
// "/" after its name, a link as "->" (links are not followed).
std::map<std::string, std::string> contents(const std::string& folder)
{
    std::map<std::string, std::string> found;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        const std::string name = entry.path().lexically_relative(folder);
        if (entry.is_symlink())
            found[name] = "->";
        else if (entry.is_directory())
            found[name + "/"] = "";
        else
            found[name] = clienttest::read_file(entry.path());
    }
    return found;
}

// A fresh folder under /tmp, removed with everything in it.
struct Folder
{
    Folder()
    {
        char pattern[] = "/tmp/qor_proc_XXXXXX";
        path = mkdtemp(pattern);
    }
    ~Folder() { std::filesystem::remove_all(path); }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    std::string operator/(const std::string& name) const { return path + "/" + name; }
    std::string path;
};

// The folder holds OUT.zip ("old"), dir/ and sticky/, a folder such as /tmp
// with another user's link "theirs" to ../OUT.zip when root runs the tests.
// Descriptors hold dir/, OUT.zip, and a folder and a file that have been
// removed; beside each of these stands a decoy under the name that the text
// of its link in /proc/self/fd gives ("gone (deleted)").
struct Scene
{
    Scene()
    {
        std::ofstream(folder / "OUT.zip") << "old";
        std::ofstream(folder / "gone.zip") << "removed";
        std::ofstream(folder / "gone.zip (deleted)") << "decoy";
        for (const char* name : {"dir", "sticky", "gone", "gone (deleted)"})
            mkdir((folder / name).c_str(), 0700);
        chmod((folder / "sticky").c_str(), 01777);
        if (geteuid() == 0 && symlink("../OUT.zip", (folder / "sticky/theirs").c_str()) == 0)
            lchown((folder / "sticky/theirs").c_str(), kOther, kOther);
        dir.reset(open((folder / "dir").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        out.reset(open((folder / "OUT.zip").c_str(), O_RDONLY | O_CLOEXEC));
        gone.reset(open((folder / "gone").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        removed.reset(open((folder / "gone.zip").c_str(), O_RDWR | O_CLOEXEC));
        rmdir((folder / "gone").c_str());
        unlink((folder / "gone.zip").c_str());
    }

    // The name with {F} replaced by the folder and {dir}, {out}, {gone} and
    // {removed} by the numbers of their descriptors.
    std::string name(std::string pattern) const
    {
        const std::pair<const char*, std::string> fields[] = {
            {"{F}", folder.path},
            {"{dir}", std::to_string(dir.get())},
            {"{out}", std::to_string(out.get())},
            {"{gone}", std::to_string(gone.get())},
            {"{removed}", std::to_string(removed.get())},
        };
        for (const auto& [field, value] : fields) {
            const std::size_t at = pattern.find(field);
            if (at != std::string::npos)
                pattern.replace(at, std::strlen(field), value);
        }
        return pattern;
    }

    // What the removed file holds now.
    std::string removed_bytes() const
    {
        char buffer[64];
        const ssize_t n = pread(removed.get(), buffer, sizeof buffer, 0);
        return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : "";
    }

    Folder folder;
    Descriptor dir, out, gone, removed;
};

// Each kind of /proc link, in the middle of the name and at its end: the
// bytes land where open(2) would write them, or the call fails and nothing
// is written (the snapshot's copy is put in place through a folder, which a
// link at the end does not lead to). A removed folder takes no new name,
// and what lies beyond a link of /proc is judged as any other folder.
TEST(ClientProcLinks, ALinkOfProcLeadsWhereTheKernelFollowsIt)
{
    const struct
    {
        std::string name;
        bool in_gone;         // the working folder is the removed one
        const char* snapshot; // where its bytes land ("removed": the removed file), null: nowhere
        const char* trace;
    } cases[] = {
        {"/proc/self/cwd/OUT.zip", false, "OUT.zip", "OUT.zip"},
        {"/proc/self/root{F}/dir/OUT.zip", false, "dir/OUT.zip", "dir/OUT.zip"},
        {"/dev/fd/{dir}/OUT.zip", false, "dir/OUT.zip", "dir/OUT.zip"},
        {"/proc/self/fd/{dir}/../OUT.zip", false, "OUT.zip", "OUT.zip"},
        {"/proc/self/cwd/OUT.zip", true, nullptr, nullptr},
        {"/dev/fd/{gone}/OUT.zip", false, nullptr, nullptr},
        {"/dev/fd/{removed}", false, nullptr, "removed"},
        {"/proc/self/fd/{out}", false, nullptr, "OUT.zip"},
        {"/proc/self/cwd", false, nullptr, nullptr},
        // Root only, the last row: another user's link in a sticky folder.
        {"/proc/self/cwd/sticky/theirs", false, nullptr, nullptr},
    };
    const Descriptor home(open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    ASSERT_TRUE(home.valid());
    for (const auto& c : cases) {
        for (const Writer writer : {Writer::kSnapshot, Writer::kTrace}) {
            const Scene scene;
            if (c.name.find("theirs") != std::string::npos && geteuid() != 0)
                GTEST_SKIP() << "only root can give a link to another user";
            const std::string name = scene.name(c.name);
            const char* where = writer == Writer::kSnapshot ? c.snapshot : c.trace;
            const std::string place = where != nullptr ? where : "";
            std::map<std::string, std::string> expected = contents(scene.folder.path);
            if (!place.empty() && place != "removed")
                expected[place] = "new";
            ASSERT_EQ(c.in_gone ? fchdir(scene.gone.get()) : chdir(scene.folder.path.c_str()), 0);
            const bool written = write_new(writer, name);
            ASSERT_EQ(fchdir(home.get()), 0);
            const std::string label =
                std::string(writer == Writer::kSnapshot ? "snapshot " : "trace ") + c.name +
                (c.in_gone ? " from the removed folder" : "");
            EXPECT_EQ(written, where != nullptr) << label;
            EXPECT_EQ(contents(scene.folder.path), expected) << label;
            EXPECT_EQ(scene.removed_bytes(), place == "removed" ? "new" : "removed") << label;
        }
    }
}

// A child in a mount namespace of its own, with a tmpfs on the folder and
// working in it: /proc/PID/root and /proc/PID/cwd lead to a folder that the
// caller does not see.
class OtherMountNamespace
{
  public:
    explicit OtherMountNamespace(const std::string& folder)
    {
        int ready[2], done[2];
        if (pipe2(ready, O_CLOEXEC) != 0)
            return;
        if (pipe2(done, O_CLOEXEC) != 0) {
            close(ready[0]);
            close(ready[1]);
            return;
        }
        const char* path = folder.c_str();
        pid_ = fork();
        if (pid_ == 0) {
            close(ready[0]);
            close(done[1]);
            const char ok =
                unshare(CLONE_NEWNS) == 0 &&
                        mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
                        mount("qor", path, "tmpfs", 0, nullptr) == 0 && chdir(path) == 0
                    ? 'y'
                    : 'n';
            char end;
            if (write(ready[1], &ok, 1) == 1)
                (void)!read(done[0], &end, 1); // until the test closes its end
            _exit(0);
        }
        close(ready[1]);
        close(done[0]);
        done_.reset(done[1]);
        char ok = 'n';
        started_ = pid_ > 0 && read(ready[0], &ok, 1) == 1 && ok == 'y';
        close(ready[0]);
    }
    ~OtherMountNamespace()
    {
        done_.reset();
        if (pid_ > 0)
            waitpid(pid_, nullptr, 0);
    }
    OtherMountNamespace(const OtherMountNamespace&) = delete;
    OtherMountNamespace& operator=(const OtherMountNamespace&) = delete;

    bool started() const { return started_; }
    pid_t pid() const { return pid_; }

  private:
    pid_t pid_ = -1;
    bool started_ = false;
    Descriptor done_;
};

// Through /proc/PID/root and /proc/PID/cwd of a process in another mount
// namespace the bytes land in its folder, never in the caller's folder of
// the same path.
TEST(ClientProcLinks, AnotherMountNamespaceGetsTheBytes)
{
    const Folder folder;
    const OtherMountNamespace other(folder.path);
    if (!other.started())
        GTEST_SKIP() << "no mount namespace of its own (root only)";
    const std::string proc = "/proc/" + std::to_string(other.pid());
    const std::string theirs = proc + "/root" + folder.path + "/OUT.zip";
    for (const Writer writer : {Writer::kSnapshot, Writer::kTrace}) {
        for (const std::string& name : {theirs, proc + "/cwd/OUT.zip"}) {
            EXPECT_TRUE(write_new(writer, name)) << name;
            EXPECT_EQ(clienttest::read_file(theirs), "new") << name;
            EXPECT_TRUE(std::filesystem::is_empty(folder.path)) << name;
            unlink(theirs.c_str());
        }
    }
}

// Puts the link at `link` itself (not what it leads to) on the non-folder
// `target`, also without following it, in the caller's mount namespace.
bool mount_link_on(const std::string& link, const std::string& target)
{
    const int tree =
        static_cast<int>(syscall(SYS_open_tree, AT_FDCWD, link.c_str(),
                                 OPEN_TREE_CLONE | OPEN_TREE_CLOEXEC | AT_SYMLINK_NOFOLLOW));
    if (tree < 0)
        return false;
    const Descriptor held(tree);
    return syscall(SYS_move_mount, tree, "", AT_FDCWD, target.c_str(), MOVE_MOUNT_F_EMPTY_PATH) ==
           0;
}

// Runs `step` in a child with a mount namespace of its own, where "/" is
// private so nothing it mounts is seen outside; its one-letter outcome comes
// back through a pipe: 's' when the namespace could not be made, '?' when
// the child ended without saying (it crashed).
template <typename Step> char in_own_mount_namespace(const Step& step)
{
    int result[2];
    if (pipe2(result, O_CLOEXEC) != 0)
        return '?';
    const pid_t child = fork();
    if (child == 0) {
        const char outcome = unshare(CLONE_NEWNS) == 0 &&
                                     mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0
                                 ? step()
                                 : 's';
        (void)!write(result[1], &outcome, 1);
        _exit(0);
    }
    close(result[1]);
    char outcome = '?'; // stays when nothing comes back
    (void)!read(result[0], &outcome, 1);
    close(result[0]);
    waitpid(child, nullptr, 0);
    return outcome;
}

// A mount can stand a link of /proc in another file system's folder, or
// another file system's link in a folder of /proc: whether the kernel or its
// text leads on is a matter of the link's own file system. Through a link of
// /proc put on OUT.zip's neighbour "lnk" the removed folder and file are
// reached, never the decoys that their text names; a link of the folder's
// own file system put on a file of /proc is walked by its text, and what it
// leads to is judged (another user's link in a sticky folder is not
// followed). Each case runs in a child with a mount
// namespace of its own, which the folder's contents are seen without.
TEST(ClientProcLinks, ALinkIsFollowedAsItsOwnFileSystemHasIt)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "only root mounts";
    const struct
    {
        const char* link;     // the link to put on the mount point
        const char* on;       // the mount point
        const char* name;     // the local name written
        const char* snapshot; // where its bytes land ("removed": the removed file), null: nowhere
        const char* trace;
    } cases[] = {
        {"/proc/self/fd/{gone}", "{F}/lnk", "{F}/lnk/OUT.zip", nullptr, nullptr},
        {"/proc/self/fd/{dir}", "{F}/lnk", "{F}/lnk/OUT.zip", "dir/OUT.zip", "dir/OUT.zip"},
        {"/proc/self/fd/{removed}", "{F}/lnk", "{F}/lnk", nullptr, "removed"},
        {"{F}/to_theirs", "/proc/version", "/proc/version", nullptr, nullptr},
    };
    for (const auto& c : cases) {
        for (const Writer writer : {Writer::kSnapshot, Writer::kTrace}) {
            const Scene scene;
            std::ofstream(scene.folder / "lnk") << "";
            ASSERT_EQ(symlink((scene.folder / "sticky/theirs").c_str(),
                              (scene.folder / "to_theirs").c_str()),
                      0);
            const char* where = writer == Writer::kSnapshot ? c.snapshot : c.trace;
            const std::string place = where != nullptr ? where : "";
            std::map<std::string, std::string> expected = contents(scene.folder.path);
            if (!place.empty() && place != "removed")
                expected[place] = "new";
            const std::string label =
                std::string(writer == Writer::kSnapshot ? "snapshot " : "trace ") + c.name +
                " with " + c.link + " on " + c.on;
            const std::string link = scene.name(c.link), on = scene.name(c.on);
            const std::string name = scene.name(c.name);
            const char outcome = in_own_mount_namespace([&] {
                return !mount_link_on(link, on) ? 's' : write_new(writer, name) ? 'y' : 'n';
            });
            ASSERT_NE(outcome, '?') << label;
            if (outcome == 's')
                GTEST_SKIP() << "no link can be mounted here";
            EXPECT_EQ(outcome == 'y', where != nullptr) << label;
            EXPECT_EQ(contents(scene.folder.path), expected) << label;
            EXPECT_EQ(scene.removed_bytes(), place == "removed" ? "new" : "removed") << label;
        }
    }
}

// Where /proc holds no /proc file system, its /proc/self/fd/N names other
// files: the complete copy takes its name without them, and neither the
// file they name nor its bytes become the local copy. The child that writes
// has a mount namespace of its own with a tmpfs on /proc.
TEST(ClientProcLinks, TheCopyTakesItsNameOnlyThroughAProcFileSystem)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "only root mounts";
    for (const bool existing : {true, false}) {
        const Folder folder;
        std::ofstream(folder / "decoy.zip") << "decoy";
        if (existing)
            std::ofstream(folder / "OUT.zip") << "old";
        const char outcome = in_own_mount_namespace([&] {
            bool made = mount("qor", "/proc", "tmpfs", 0, nullptr) == 0 &&
                        mkdir("/proc/self", 0755) == 0 && mkdir("/proc/self/fd", 0755) == 0;
            for (int n = 0; made && n < 256; ++n)
                made = symlink((folder / "decoy.zip").c_str(),
                               ("/proc/self/fd/" + std::to_string(n)).c_str()) == 0;
            return !made ? 's' : write_new(Writer::kSnapshot, folder / "OUT.zip") ? 'y' : 'n';
        });
        ASSERT_NE(outcome, '?');
        if (outcome == 's')
            GTEST_SKIP() << "no tmpfs could be put on /proc";
        const std::string label = existing ? "over OUT.zip" : "a new OUT.zip";
        EXPECT_EQ(outcome, 'y') << label;
        struct stat copy
        {
        };
        ASSERT_EQ(stat((folder / "OUT.zip").c_str(), &copy), 0) << label;
        EXPECT_EQ(copy.st_nlink, 1u) << label;
        EXPECT_EQ(contents(folder.path),
                  (std::map<std::string, std::string>{{"OUT.zip", "new"}, {"decoy.zip", "decoy"}}))
            << label;
    }
}

} // namespace
