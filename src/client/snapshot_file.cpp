// The local copy of a fetched snapshot.
#include "client/snapshot_file.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "client/temporary_file.h"
#include "u16/u16.h"

namespace {

std::size_t stdio_write(const void* data, std::size_t bytes, FILE* file)
{
    return std::fwrite(data, 1, bytes, file);
}

enum class Outcome { kDone, kNoOpen, kNoWrite, kNoClose, kNoReplace };

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
    }
    return 1;
}

// Writes and closes the stream; the stream is closed in every case.
Outcome write_and_close(FILE* file, const unsigned char* data, std::size_t size,
                        SnapshotWriter writer, bool sync)
{
    const bool written = write_snapshot_data(file, data, size, writer);
    // A full disk may show only when the data leaves the buffers.
    const bool flushed = std::fflush(file) == 0 && (!sync || fsync(fileno(file)) == 0);
    const bool closed = std::fclose(file) == 0;
    if (!written)
        return Outcome::kNoWrite;
    return flushed && closed ? Outcome::kDone : Outcome::kNoClose;
}

constexpr int kMaxLinks = 40; // as many as the kernel follows in one path

// Whether a link in this folder may be followed: in a sticky folder only a
// link of the caller's own or of the folder's owner, as the kernel protects
// shared folders, so that no other user's link leads a write elsewhere.
bool may_follow(const struct stat& link, const std::string& folder)
{
    struct stat dir
    {
    };
    if (stat(folder.empty() ? "/" : folder.c_str(), &dir) != 0)
        return false;
    return (dir.st_mode & S_ISVTX) == 0 || link.st_uid == geteuid() || link.st_uid == dir.st_uid;
}

// The file that a write of the path reaches, with every link on the way
// resolved; false when a link may not be followed, the links do not end or
// the path names a folder.
bool write_target(const std::string& path, std::string* target)
{
    if (path.back() == '/')
        return false;
    std::string resolved; // without links; "" is the root
    if (path[0] != '/') {
        char* cwd = getcwd(nullptr, 0);
        if (cwd == nullptr)
            return false;
        resolved = std::strcmp(cwd, "/") == 0 ? "" : cwd;
        std::free(cwd);
    }
    std::string rest = path; // what is still to be walked
    int links = 0;
    for (;;) {
        const std::size_t start = rest.find_first_not_of('/');
        if (start == std::string::npos)
            break;
        const std::size_t end = rest.find('/', start);
        const std::string name = rest.substr(start, end - start);
        rest.erase(0, end == std::string::npos ? rest.size() : end);
        if (name == ".")
            continue;
        if (name == "..") {
            resolved.erase(std::min(resolved.rfind('/'), resolved.size()));
            continue;
        }
        const std::string next = resolved + "/" + name;
        struct stat st
        {
        };
        if (lstat(next.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            resolved = next;
            continue;
        }
        if (++links > kMaxLinks || !may_follow(st, resolved))
            return false;
        std::string link(PATH_MAX, '\0');
        const ssize_t n = readlink(next.c_str(), link.data(), link.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= link.size())
            return false;
        link.resize(static_cast<std::size_t>(n));
        if (link[0] == '/')
            resolved.clear();
        rest.insert(0, link + "/");
    }
    *target = resolved.empty() ? "/" : resolved;
    return true;
}

// Whether the file may be opened for writing, as an open through the given
// path would have written it: its replacement must not get round that.
bool may_write(const std::string& file)
{
    const int fd = open(file.c_str(), O_WRONLY | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    close(fd);
    return true;
}

// The permissions of the new file: never a set-ID or sticky bit, never more
// than the old file had, nor more than the umask lets a new file have.
mode_t new_file_mode(const struct stat* old)
{
    const mode_t mask = umask(0);
    umask(mask);
    return (old != nullptr ? old->st_mode : 0666) & 0777 & ~mask;
}

Outcome replace_file(const std::string& target, const struct stat* old, const unsigned char* data,
                     std::size_t size, SnapshotWriter writer)
{
    const std::size_t slash = target.rfind('/');
    TemporaryFile temporary(slash == std::string::npos ? "" : target.substr(0, slash + 1));
    if (temporary.fd() < 0)
        return Outcome::kNoOpen;
    fchmod(temporary.fd(), new_file_mode(old));
    FILE* file = fdopen(temporary.fd(), "wb");
    if (file == nullptr)
        return Outcome::kNoOpen;
    temporary.release_fd();
    Outcome outcome = write_and_close(file, data, size, writer, true);
    if (outcome == Outcome::kDone && !temporary.rename_to(target))
        outcome = Outcome::kNoReplace;
    return outcome;
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
                        SnapshotWriter writer)
{
    if (local_name == nullptr)
        local_name = cU("");
    if (writer == nullptr)
        writer = stdio_write;
    std::string path;
    std::string target;
    if (!nlsui_file_path(local_name, &path) || path.empty() || !write_target(path, &target))
        return report(Outcome::kNoOpen, local_name);
    struct stat old
    {
    };
    const bool exists = stat(target.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode)) {
        // A device or pipe has no folder to be replaced in.
        FILE* file = std::fopen(target.c_str(), "wb");
        if (file == nullptr)
            return report(Outcome::kNoOpen, local_name);
        return report(write_and_close(file, data, size, writer, false), local_name);
    }
    if (exists && !may_write(target))
        return report(Outcome::kNoOpen, local_name);
    return report(replace_file(target, exists ? &old : nullptr, data, size, writer), local_name);
}
