// The local copy of a fetched snapshot.
#include "client/snapshot_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include "client/temporary_file.h"
#include "client/write_target.h"
#include "u16/u16.h"

namespace {

std::size_t stdio_write(const void* data, std::size_t bytes, FILE* file)
{
    return std::fwrite(data, 1, bytes, file);
}

enum class Outcome { kDone, kNoOpen, kNoWrite, kNoClose, kNoReplace, kIncomplete };

int report(Outcome outcome, const QOR_UC* local_name)
{
    switch (outcome) {
    case Outcome::kDone:
        return 0;
    case Outcome::kNoOpen:
        printfU16(cU("FAIL: cannot open local file %s\n"), local_name);
        break;
    case Outcome::kNoWrite:
        printfU16(cU("FAIL: cannot write local file %s\n"), local_name);
        break;
    case Outcome::kNoClose:
        printfU16(cU("FAIL: cannot close local file %s\n"), local_name);
        break;
    case Outcome::kNoReplace:
        printfU16(cU("FAIL: cannot replace local file %s\n"), local_name);
        break;
    case Outcome::kIncomplete:
        printfU16(cU("FAIL: cannot write local file %s, which stays incomplete (its folder is "
                     "append-only)\n"),
                  local_name);
        break;
    }
    return 1;
}

// Writes, syncs and closes the stream; the stream is closed in every case.
Outcome write_and_close(FILE* file, const unsigned char* data, std::size_t size,
                        SnapshotWriter writer)
{
    const bool written = write_snapshot_data(file, data, size, writer);
    // A full disk may show only when the data leaves the buffers.
    const bool flushed = std::fflush(file) == 0 && fsync(fileno(file)) == 0;
    const bool closed = std::fclose(file) == 0;
    if (!written)
        return Outcome::kNoWrite;
    return flushed && closed ? Outcome::kDone : Outcome::kNoClose;
}

// Whether the caller may open the judged file for writing, as an open
// through its path would: its replacement must not get round that.
bool may_write(const WriteTarget& target)
{
    return faccessat(target.entry.get(), "", W_OK, AT_EMPTY_PATH | AT_EACCESS) == 0;
}

// The null device (the name NUL) takes a snapshot and drops it: it is not
// opened, as no device is.
bool is_null_device(const struct stat& status)
{
    return S_ISCHR(status.st_mode) && status.st_rdev == makedev(1, 3);
}

// The permissions of the new file: never a set-ID or sticky bit, never more
// than the old file had, nor more than the umask lets a new file have.
mode_t new_file_mode(const struct stat* old)
{
    const mode_t mask = umask(0);
    umask(mask);
    return (old != nullptr ? old->st_mode : 0666) & 0777 & ~mask;
}

// Gives the new file its permissions. The old file's group bits are meant
// for its own group: the new file takes that group when the old file is the
// caller's own (another user's file may name a group only to have the data
// shown to it), and where the groups then differ, the bits are dropped.
void set_permissions(int fd, const struct stat* old)
{
    mode_t mode = new_file_mode(old);
    struct stat created
    {
    };
    if (old != nullptr) {
        const bool given =
            old->st_uid == geteuid() && fchown(fd, static_cast<uid_t>(-1), old->st_gid) == 0;
        if (!given && (fstat(fd, &created) != 0 || created.st_gid != old->st_gid))
            mode &= ~static_cast<mode_t>(070);
    }
    fchmod(fd, mode);
}

// Writes through a stream on a second descriptor of the file: an unnamed
// file lives only as long as one of its descriptors is open.
Outcome write_copy(int fd, const unsigned char* data, std::size_t size, SnapshotWriter writer)
{
    const int second = fcntl(fd, F_DUPFD_CLOEXEC, 0);
    FILE* file = second >= 0 ? fdopen(second, "wb") : nullptr;
    if (file == nullptr) {
        if (second >= 0)
            close(second);
        return Outcome::kNoOpen;
    }
    return write_and_close(file, data, size, writer);
}

// A new file in a folder that keeps every name, on a file system without
// unnamed files: written under its own name, as open(2) allows there. It
// can never be removed again, so a failure leaves it incomplete.
Outcome write_in_place(const WriteTarget& target, const unsigned char* data, std::size_t size,
                       SnapshotWriter writer, FileOpener open)
{
    const int fd = open(target.folder.get(), target.name.c_str(),
                        O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return Outcome::kNoOpen;
    const Descriptor file(fd);
    set_permissions(fd, nullptr);
    return write_copy(fd, data, size, writer) == Outcome::kDone ? Outcome::kDone
                                                                : Outcome::kIncomplete;
}

Outcome replace_file(const WriteTarget& target, const unsigned char* data, std::size_t size,
                     SnapshotWriter writer, FileOpener open)
{
    const struct stat* old = target.entry.valid() ? &target.status : nullptr;
    // Where no name can be replaced or removed, the call fails before a
    // copy is made that would then stay.
    const bool folder_keeps_names = is_append_only_or_immutable(target.folder.get());
    if (old != nullptr && (folder_keeps_names || is_append_only_or_immutable(target.entry.get())))
        return Outcome::kNoReplace;
    TemporaryFile copy(target.folder.get(), !folder_keeps_names, open);
    if (copy.fd() < 0)
        return copy.needs_name() ? write_in_place(target, data, size, writer, open)
                                 : Outcome::kNoOpen;
    set_permissions(copy.fd(), old);
    const Outcome outcome = write_copy(copy.fd(), data, size, writer);
    if (outcome != Outcome::kDone)
        return outcome;
    return copy.put_in_place(target.name) ? Outcome::kDone : Outcome::kNoReplace;
}

} // namespace

bool write_snapshot_data(FILE* file, const unsigned char* data, std::size_t size,
                         SnapshotWriter writer)
{
    while (size > 0) {
        const std::size_t piece = std::min(size, kSnapshotChunk);
        const std::size_t written = writer(data, piece, file);
        if (written != piece)
            return false; // nothing or a short piece written
        data += written;
        size -= written;
    }
    return true;
}

int write_snapshot_file(const QOR_UC* local_name, const unsigned char* data, std::size_t size,
                        SnapshotWriter writer, FileOpener open)
{
    if (local_name == nullptr)
        local_name = cU("");
    if (writer == nullptr)
        writer = stdio_write;
    std::string path;
    WriteTarget target;
    if (!nlsui_file_path(local_name, &path) || !find_write_target(path, &target))
        return report(Outcome::kNoOpen, local_name);
    if (target.entry.valid() && is_null_device(target.status))
        return 0;
    // A FIFO, device or socket is never opened: opening one may act by
    // itself, and it has no folder to be replaced in. Nor has the open file
    // that a link of /proc at the end stands for (/dev/fd/3, a removed file
    // too), and writing into it would empty it before the copy is complete.
    if (target.entry.valid() && (!S_ISREG(target.status.st_mode) || !may_write(target)))
        return report(Outcome::kNoOpen, local_name);
    if (open == nullptr)
        open = open_at;
    return report(replace_file(target, data, size, writer, open), local_name);
}
