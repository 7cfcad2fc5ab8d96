// Small files read only as the regular file that was looked at: nothing else
// under the name is opened, and a file swapped between the look and the open
// is refused.
#include <gtest/gtest.h>
#include <sched.h>
#include <stdlib.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "platform/regular_file.h"
#include "support/waiting_fifo_writer.h"

namespace {

std::function<void()> g_swap;

void swap_hook(const char*)
{
    if (g_swap)
        g_swap();
}

TEST(RegularFile, ReadsOnlyTheRegularFileItLookedAt)
{
    char tmpl[] = "/tmp/qor_regular_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    const std::string dir = tmpl;
    const std::string name = dir + "/file", other = dir + "/other", fifo = dir + "/fifo";
    auto write = [](const std::string& path, const char* text) { std::ofstream(path) << text; };
    auto link_to = [&](const std::string& target) { symlink(target.c_str(), name.c_str()); };
    // The new file moved over the name, as another user could.
    auto replace_by = [&](const std::function<void(const std::string&)>& make) {
        return [&, make] {
            make(dir + "/new");
            rename((dir + "/new").c_str(), name.c_str());
        };
    };
    const struct
    {
        const char* what;
        std::function<void()> make;
        std::function<void()> swap; // between the look and the open
        QorFileRead result;
        const char* reason; // or the content read
    } cases[] = {
        {"a regular file", [&] { write(name, "TCPDB\n"); }, nullptr, QorFileRead::read, "TCPDB\n"},
        {"a link to a regular file", [&] { write(other, "x"), link_to(other); }, nullptr,
         QorFileRead::read, "x"},
        {"missing", [] {}, nullptr, QorFileRead::not_opened, "No such file or directory"},
        {"a dangling link", [&] { link_to(other); }, nullptr, QorFileRead::not_opened,
         "No such file or directory"},
        {"a folder", [&] { mkdir(name.c_str(), 0700); }, nullptr, QorFileRead::refused,
         "not a regular file"},
        {"a FIFO", [&] { mkfifo(name.c_str(), 0600); }, nullptr, QorFileRead::refused,
         "not a regular file"},
        {"a link to a FIFO", [&] { mkfifo(fifo.c_str(), 0600), link_to(fifo); }, nullptr,
         QorFileRead::refused, "not a regular file"},
        {"a file replaced by another", [&] { write(name, "a"); },
         replace_by([&](const std::string& path) { write(path, "b"); }), QorFileRead::refused,
         "changed while it was opened"},
        {"a file replaced by a FIFO", [&] { write(name, "a"); },
         replace_by([](const std::string& path) { mkfifo(path.c_str(), 0600); }),
         QorFileRead::refused, "changed while it was opened"},
        {"a file replaced by a link to a file", [&] { write(name, "a"), write(other, "b"); },
         replace_by([&](const std::string& path) { symlink(other.c_str(), path.c_str()); }),
         QorFileRead::refused, "changed while it was opened"},
        {"a file replaced by a link to a FIFO",
         [&] { write(name, "a"), mkfifo(fifo.c_str(), 0600); },
         replace_by([&](const std::string& path) { symlink(fifo.c_str(), path.c_str()); }),
         QorFileRead::refused, "changed while it was opened"},
        {"a link whose file is replaced", [&] { write(other, "a"), link_to(other); },
         [&] { write(dir + "/new", "b"), rename((dir + "/new").c_str(), other.c_str()); },
         QorFileRead::refused, "changed while it was opened"},
        // Its writer already waits: opening the FIFO would release it.
        {"a file replaced by a waited-on FIFO",
         [&] { write(name, "a"), mkfifo(fifo.c_str(), 0600); },
         [&] { rename(fifo.c_str(), name.c_str()); }, QorFileRead::refused,
         "changed while it was opened"},
        {"a link whose file is replaced by a waited-on FIFO",
         [&] { write(other, "a"), link_to(other), mkfifo(fifo.c_str(), 0600); },
         [&] { rename(fifo.c_str(), other.c_str()); }, QorFileRead::refused,
         "changed while it was opened"},
    };
    // Every way through keeps no descriptor open.
    const auto open_descriptors = [] {
        const std::filesystem::directory_iterator fds("/proc/self/fd");
        return std::distance(begin(fds), end(fds));
    };
    const auto descriptors_before = open_descriptors();
    for (const auto& c : cases) {
        std::filesystem::remove_all(dir);
        ASSERT_TRUE(std::filesystem::create_directory(dir));
        c.make();
        std::unique_ptr<WaitingFifoWriter> writer;
        for (const std::string& path : {name, fifo}) {
            if (writer == nullptr && std::filesystem::is_fifo(path)) {
                writer = std::make_unique<WaitingFifoWriter>(path);
                ASSERT_TRUE(writer->waiting()) << c.what;
            }
        }
        g_swap = c.swap;
        qor_regular_file_set_open_hook(swap_hook);
        std::string content = "old", reason;
        int error = -1;
        const QorFileRead result =
            qor_read_regular_file(name.c_str(), 100, &content, &reason, &error);
        qor_regular_file_set_open_hook(nullptr);
        EXPECT_EQ(result, c.result) << c.what;
        EXPECT_EQ(result == QorFileRead::read ? content : reason, c.reason) << c.what;
        EXPECT_TRUE(result == QorFileRead::read || content.empty()) << c.what;
        EXPECT_TRUE(writer == nullptr || writer->waiting()) << c.what << ": the FIFO was opened";
        writer.reset();
        EXPECT_EQ(open_descriptors(), descriptors_before) << c.what;
    }
    std::filesystem::remove_all(dir);
}

// Without /proc the file looked at cannot be reopened through its
// descriptor, and it is refused rather than opened by its name again.
TEST(RegularFile, WithoutProcNoFileIsOpenedByItsNameAgain)
{
    char name[] = "/tmp/qor_regular_XXXXXX";
    const int made = mkstemp(name);
    ASSERT_GE(made, 0);
    close(made);
    const pid_t child = fork();
    if (child == 0) {
        // In a mount namespace of its own, /proc hidden under an empty tmpfs.
        if (unshare(CLONE_NEWNS) != 0 ||
            mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount("none", "/proc", "tmpfs", 0, nullptr) != 0)
            _exit(77);
        std::string content, reason;
        int error = 0;
        const QorFileRead result = qor_read_regular_file(name, 100, &content, &reason, &error);
        _exit(result == QorFileRead::refused && reason == "cannot be opened safely without /proc"
                  ? 0
                  : 1);
    }
    int status = -1;
    waitpid(child, &status, 0);
    unlink(name);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77)
        GTEST_SKIP() << "no mount namespace of its own (not root?)";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

} // namespace
