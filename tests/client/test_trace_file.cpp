// The -trace file is opened only under the name given: what stands there is
// judged before it is opened, and a FIFO it may open waits for its reader.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "client/descriptor.h"
#include "client/trace_file.h"
#include "client_harness.h"
#include "support/waiting_fifo_writer.h"

namespace {

enum class Stands { kNothing, kFile, kLinkedFile, kFifoRead, kFifoUnread, kPipe, kNullDevice };

constexpr uid_t kCaller = static_cast<uid_t>(-1);
constexpr uid_t kOther = 65534;

// What a reader of the FIFO or pipe got so far.
std::string drain(int fd)
{
    std::string got;
    char buffer[256];
    for (ssize_t n = 0; (n = read(fd, buffer, sizeof buffer)) > 0;)
        got.append(buffer, static_cast<std::size_t>(n));
    return got;
}

// Opens the trace on a thread of its own and lets the FIFO's reader come
// only once that open waits for one, or has ended without waiting; waited
// tells which.
FILE* open_before_the_reader(const std::string& fifo, Descriptor* reader, bool* waited)
{
    const std::u16string name(fifo.begin(), fifo.end());
    std::atomic<pid_t> opener{0};
    std::atomic<bool> done{false};
    FILE* trace = nullptr;
    std::thread thread([&] {
        opener = gettid();
        trace = open_trace_file(name.c_str());
        done = true;
    });
    *waited = false;
    // The bound lies far beyond any time the thread takes to reach its open.
    for (int tries = 0; tries < 60000 && !done && !*waited; ++tries) {
        *waited = opener != 0 && sleeps_in_fifo_open("/proc/self/task/" + std::to_string(opener));
        if (!*waited)
            usleep(1000);
    }
    reader->reset(open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    thread.join();
    return trace;
}

// The rows of another user come last: they need root, the others do not.
TEST(ClientTraceFile, OpensOnlyWhatTheNameMayLeadTo)
{
    const struct
    {
        Stands stands;
        uid_t owner;        // of what stands under the name
        mode_t folder_mode; // 01777 is a folder such as /tmp
        uid_t folder_owner;
        bool opened;
        const char* after; // what the file or the reader holds then
    } cases[] = {
        {Stands::kNothing, kCaller, 0700, kCaller, true, "POST"},
        {Stands::kFile, kCaller, 01777, kCaller, true, "POST"},
        {Stands::kFifoRead, kCaller, 01777, kCaller, true, "POST"},
        {Stands::kFifoUnread, kCaller, 0700, kCaller, true, "POST"}, // waits for its reader
        {Stands::kPipe, kCaller, 0700, kCaller, true, "POST"},       // as -trace >(cat) names it
        {Stands::kNullDevice, kCaller, 0700, kCaller, true, ""},     // NUL, no file of that name
        {Stands::kLinkedFile, kCaller, 01777, kCaller, false, "an older trace"},
        {Stands::kLinkedFile, kCaller, 0700, kCaller, true, "POST"},
        {Stands::kFile, kOther, 01777, kCaller, false, "an older trace"},
        {Stands::kFifoRead, kOther, 01777, kCaller, false, ""},
        {Stands::kFifoUnread, kOther, 01777, kCaller, false, ""}, // refused, never waited for
        {Stands::kFile, kOther, 0777, kCaller, true, "POST"},     // a folder that is not sticky
        {Stands::kFile, kOther, 01777, kOther, true, "POST"},     // the folder owner's file
        {Stands::kFifoRead, kOther, 01777, kOther, true, "POST"},
    };
    for (const auto& c : cases) {
        if ((c.owner != kCaller || c.folder_owner != kCaller) && geteuid() != 0)
            GTEST_SKIP() << "only root can give a file to another user";
        char pattern[] = "/tmp/qor_trace_XXXXXX";
        const std::string folder = mkdtemp(pattern);
        ASSERT_EQ(chmod(folder.c_str(), c.folder_mode), 0);
        if (c.folder_owner != kCaller) {
            ASSERT_EQ(chown(folder.c_str(), c.folder_owner, c.folder_owner), 0);
        }
        std::string name = folder + "/t.trc";
        Descriptor reader;
        if (c.stands == Stands::kFile || c.stands == Stands::kLinkedFile)
            std::ofstream(name) << "an older trace";
        if (c.stands == Stands::kLinkedFile) {
            ASSERT_EQ(link(name.c_str(), (folder + "/second").c_str()), 0);
        }
        if (c.stands == Stands::kFifoRead || c.stands == Stands::kFifoUnread) {
            ASSERT_EQ(mkfifo(name.c_str(), 0666), 0);
        }
        if (c.stands == Stands::kFifoRead)
            reader.reset(open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
        int ends[2] = {-1, -1};
        if (c.stands == Stands::kPipe && pipe2(ends, O_NONBLOCK | O_CLOEXEC) == 0)
            reader.reset(ends[0]);
        const Descriptor writer(ends[1]);
        if (c.stands == Stands::kPipe)
            name = "/dev/fd/" + std::to_string(ends[1]);
        if (c.stands == Stands::kNullDevice)
            name = "NUL";
        if (c.owner != kCaller) {
            ASSERT_EQ(chown(name.c_str(), c.owner, c.owner), 0);
        }
        const std::u16string wide(name.begin(), name.end());
        bool waited = false;
        FILE* trace = c.stands == Stands::kFifoUnread
                          ? open_before_the_reader(name, &reader, &waited)
                          : open_trace_file(wide.c_str());
        EXPECT_EQ(trace != nullptr, c.opened) << name;
        EXPECT_EQ(waited, c.stands == Stands::kFifoUnread && c.opened) << name;
        if (trace != nullptr) {
            EXPECT_EQ(fcntl(fileno(trace), F_GETFL) & O_NONBLOCK, 0) << name;
            std::fputs("POST", trace);
            std::fclose(trace);
        }
        EXPECT_EQ(reader.valid() ? drain(reader.get()) : clienttest::read_file(name), c.after)
            << name;
        std::filesystem::remove_all(folder);
    }
}

} // namespace
