// The -trace file, opened only where its name leads.
#include "client/trace_file.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <utility>

#include "client/descriptor.h"
#include "client/write_target.h"
#include "u16/u16.h"

namespace {

// Blocking, as "wb" opens: a FIFO's open waits for its reader, who then gets
// the whole trace. O_NOCTTY: a terminal never becomes the process's
// controlling one.
constexpr int kOpenFlags = O_WRONLY | O_NOCTTY | O_CLOEXEC;

// How often a name that changed between the walk and the open is judged
// again.
constexpr int kAttempts = 3;

enum class Opened { kYes, kNo, kChanged };

// Whether what stands under the name may be opened, as the kernel's
// protected_fifos and protected_regular judge an open with O_CREAT: in a
// sticky folder that everyone may write, another user's FIFO or regular file
// only when it is the folder owner's, so that nobody can plant one there for
// the trace to land in. Nor a regular file with a second name: with
// fs.protected_hardlinks=0 anyone may link there a file that only the caller
// may write, such as one of root's.
bool may_open_existing(const WriteTarget& target)
{
    const struct stat& entry = target.status;
    if (!S_ISFIFO(entry.st_mode) && !S_ISREG(entry.st_mode))
        return true;
    struct stat folder
    {
    };
    if (fstat(target.folder.get(), &folder) != 0)
        return false;
    if ((folder.st_mode & (S_ISVTX | S_IWOTH)) != (S_ISVTX | S_IWOTH))
        return true;
    if (S_ISREG(entry.st_mode) && entry.st_nlink > 1)
        return false;
    return entry.st_uid == geteuid() || entry.st_uid == folder.st_uid;
}

bool same_file(int fd, const struct stat& judged)
{
    struct stat opened
    {
    };
    return fstat(fd, &opened) == 0 && opened.st_dev == judged.st_dev &&
           opened.st_ino == judged.st_ino;
}

Opened open_target(const WriteTarget& target, Descriptor* file)
{
    const int folder = target.folder.get();
    const char* name = target.name.c_str();
    if (!target.entry.valid()) {
        // O_EXCL: whatever took the free name meanwhile is judged first.
        file->reset(openat(folder, name, kOpenFlags | O_CREAT | O_EXCL | O_NOFOLLOW, 0666));
        if (file->valid())
            return Opened::kYes;
        return errno == EEXIST ? Opened::kChanged : Opened::kNo;
    }
    if (S_ISLNK(target.status.st_mode)) {
        // A link of /proc: only the kernel knows the open file it stands for.
        file->reset(openat(folder, name, kOpenFlags | O_TRUNC));
        return file->valid() ? Opened::kYes : Opened::kNo;
    }
    if (!may_open_existing(target))
        return Opened::kNo;
    file->reset(openat(folder, name, kOpenFlags | O_NOFOLLOW));
    if (!file->valid())
        return errno == ENOENT || errno == ELOOP ? Opened::kChanged : Opened::kNo;
    // Another file may have taken the name while the open waited for a
    // FIFO's reader.
    if (!same_file(file->get(), target.status))
        return Opened::kChanged;
    // Emptied only once it is known to be the file that was judged.
    if (S_ISREG(target.status.st_mode) && ftruncate(file->get(), 0) != 0)
        return Opened::kNo;
    return Opened::kYes;
}

FILE* stream_of(Descriptor file)
{
    FILE* stream = fdopen(file.get(), "wb");
    if (stream != nullptr)
        file.release(); // the stream's now
    return stream;
}

} // namespace

FILE* open_trace_file(const QOR_UC* name)
{
    std::string path;
    if (!nlsui_file_path(name, &path))
        return nullptr;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        WriteTarget target;
        if (!find_write_target(path, &target))
            return nullptr;
        Descriptor file;
        const Opened opened = open_target(target, &file);
        if (opened == Opened::kYes)
            return stream_of(std::move(file));
        if (opened == Opened::kNo)
            return nullptr;
    }
    return nullptr;
}
